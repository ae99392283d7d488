// The desktop program: one window, its settings in the user's configuration folder.
#include "app/command_line.h"
#include "app/main_window.h"
#include "gui/prompt.h"
#include "gui/resources.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QSettings>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

int main(int argc, char** argv)
{
    // Answered before the application object exists, so that they work without a display; the
    // toolkit's own options (-style, -platform, ...) are left to it.
    const corvane::CommandLine early =
        corvane::parseCommandLine(corvane::withoutToolkitOptions(argumentsOf(argc, argv)));
    if (early.help || early.version) {
        print(stdout, early.help ? corvane::usageText() : corvane::versionText());
        return 0;
    }
    if (!early.error.isEmpty()) {
        print(stderr, QStringLiteral("corvane: ") + early.error +
                          QStringLiteral("\nTry \"corvane --help\".\n"));
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrander"));
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));
    const corvane::CommandLine line = corvane::parseCommandLine(QApplication::arguments().mid(1));
    if (!line.error.isEmpty()) {
        print(stderr, QStringLiteral("corvane: ") + line.error +
                          QStringLiteral("\nTry \"corvane --help\".\n"));
        return 2;
    }
    corvane::initResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));

    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ostrander"),
                    QStringLiteral("Corvane"));
    corvane::MessageBoxPrompter prompter;
    corvane::MainWindow window(store, prompter,
                               corvane::startTarget(line.paths, QDir::currentPath()));
    window.show();
    return app.exec();
}
