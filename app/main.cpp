// The desktop program: one window, its settings in the user's configuration folder.
#include "app/main_window.h"
#include "gui/prompt.h"
#include "gui/resources.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrander"));
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));
    corvane::initResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));

    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ostrander"),
                    QStringLiteral("Corvane"));
    corvane::MessageBoxPrompter prompter;
    corvane::MainWindow window(store, prompter);
    window.show();
    return app.exec();
}
