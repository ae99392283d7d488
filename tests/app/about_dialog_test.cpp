// The About box as the user sees it: its caption, banner, icon, texts and the OK button that
// closes it, opened through the About button of the real main window.
#include "app/about_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "controls/menubar.h"
#include "controls/toolbar.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

namespace corvane {
namespace {

using namespace corvane::test;

// True when the picture has pixels of more than one colour: something was drawn.
bool hasContent(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage();
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != first) return true;
        }
    }
    return false;
}

TEST(AboutDialog, ShowsBannerIconProductAndVersion)
{
    AboutDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "About Corvane");
    const auto* banner = dialog.findChild<QLabel*>(QStringLiteral("bannerLabel"));
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->size(), QSize(350, 110));
    EXPECT_EQ(banner->pixmap().deviceIndependentSize().toSize(), QSize(350, 110));
    EXPECT_TRUE(hasContent(banner->pixmap()));
    const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("iconLabel"));
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(hasContent(icon->pixmap()));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("productLabel"))->text(),
              "Ostrander Corvane");
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(), "Version 1.0.2");
    const auto* line = dialog.findChild<QFrame*>(QStringLiteral("etchedLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->frameShape(), QFrame::HLine);
    EXPECT_EQ(line->frameShadow(), QFrame::Sunken);
    // Everything fits inside the box, below the banner.
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
        EXPECT_TRUE(dialog.rect().contains(child->geometry())) << child->objectName().toStdString();
    }
    EXPECT_GE(dialog.width(), 350);
}

TEST(AboutDialog, AboutButtonOpensItAndOkOrEnterClosesIt)
{
    SettingsStore settings;
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    ASSERT_TRUE(finishScan(window.fileList()));
    window.show();
    for (const bool useEnter : {false, true}) {
        bool seen = false;
        bool closed = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("okButton"));
            ASSERT_NE(ok, nullptr);
            EXPECT_EQ(ok->text(), "OK");
            EXPECT_TRUE(ok->isDefault());
            if (useEnter)
                QTest::keyClick(dialog, Qt::Key_Return);
            else
                QTest::mouseClick(ok, Qt::LeftButton);
            closed = !dialog->isVisible();
            if (!closed) dialog->reject();  // never leave the test stuck in the dialog's loop
        });
        Toolbar* buttons = window.menubar().band(0);
        QTest::mouseClick(buttons, Qt::LeftButton, {},
                          QPoint(buttons->itemLayout().itemLeft(2) + 6, buttons->height() / 2));
        EXPECT_TRUE(seen);
        EXPECT_TRUE(closed) << (useEnter ? "Enter" : "OK");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_TRUE(prompter.asked().empty());
}

}  // namespace
}  // namespace corvane
