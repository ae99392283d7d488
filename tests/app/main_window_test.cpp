// The main window as the user meets it: first start, stored settings and their limits, the
// divider, the view switch, the status texts and the empty-selection message.
#include "app/main_window.h"

#include "app/folder_tree.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

void sendMouse(QWidget& w, QEvent::Type type, int x, Qt::MouseButtons buttons)
{
    const QPointF pos(x, 100);
    QMouseEvent event(type, pos, w.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

TEST(MainWindow, FirstStartWithoutSettings)
{
    SettingsStore settings;
    ScriptedPrompter prompter;
    {
        MainWindow window(settings.store(), prompter);
        window.placeWindow(QRect(0, 0, 1920, 1080));
        EXPECT_EQ(window.geometry(), QRect(560, 220, 800, 640));
        EXPECT_EQ(window.windowTitle(), "Corvane - ID3v1");
        EXPECT_EQ(window.folderTree().currentItem(), window.folderTree().computerItem());
        EXPECT_TRUE(window.currentFolder().empty());
        EXPECT_EQ(window.fileList().rowCount(), 0);
        EXPECT_EQ(window.countText(), "0 files");
        EXPECT_EQ(window.columnLayout(), defaultColumnLayout());
        EXPECT_EQ(window.sortColumn(), 0);
        EXPECT_TRUE(window.fileList().isSortAscending());
        EXPECT_EQ(window.folderTree().width(), 180);
        EXPECT_EQ(window.fileList().x(), 184);
    }
    // What the window wrote is read back the same.
    const AppSettings saved = AppSettings::load(settings.reopen());
    EXPECT_EQ(saved.width, 800);
    EXPECT_EQ(saved.divider, 180u);
    EXPECT_EQ(saved.columns, defaultColumnLayout());
}

TEST(MainWindow, WindowTooLargeForTheScreenFillsIt)
{
    EXPECT_EQ(initialWindowRect({2000, 640}, QRect(0, 30, 1280, 1000)), QRect(0, 30, 1280, 1000));
    EXPECT_EQ(initialWindowRect({800, 640}, QRect(0, 0, 1280, 1000)), QRect(240, 180, 800, 640));
    EXPECT_EQ(firstTreeWidth(900, 800), 700);
    EXPECT_EQ(firstTreeWidth(0, 800), 0);
}

TEST(MainWindow, StoredValuesAreLimitedAtStart)
{
    SettingsStore settings;
    settings.store().setValue("Width", 800);
    settings.store().setValue("Height", 400);
    settings.store().setValue("Divider", 900);
    settings.store().setValue("CurrentView", 7);
    settings.store().setValue("NoOfColumns", 20);
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    EXPECT_EQ(window.folderTree().width(), 700);
    EXPECT_EQ(window.windowTitle(), "Corvane - ID3v1");
    EXPECT_EQ(window.columnLayout().size(), static_cast<std::size_t>(tags::kColumnCount));
    EXPECT_EQ(window.fileList().horizontalHeader()->count(), tags::kColumnCount);
}

TEST(MainWindow, HeaderOrderAndSortColumnSurviveARestart)
{
    TempDir music;
    writeSong(music, "a.mp3", {}, trailer("Beta", "Yes"));
    writeSong(music, "b.mp3", {}, trailer("Alpha", "Abc"));
    SettingsStore settings;
    settings.store().setValue("CurPath", QByteArray::fromStdString(music.folder()));
    ScriptedPrompter prompter;
    {
        MainWindow window(settings.store(), prompter);
        ASSERT_EQ(window.currentFolder(), music.folder());
        ASSERT_EQ(window.fileList().rowCount(), 2);
        QHeaderView* header = window.fileList().horizontalHeader();
        header->sectionClicked(1);  // sort by Title
        header->moveSection(2, 1);  // Artist shown before Title
        header->resizeSection(3, 222);
    }
    MainWindow window(settings.reopen(), prompter);
    const ColumnLayout& layout = window.columnLayout();
    ASSERT_EQ(layout.size(), 4u);
    EXPECT_EQ(layout[1].field, Column::Artist);
    EXPECT_EQ(layout[2].field, Column::Title);
    EXPECT_EQ(layout[3].width, 222);
    EXPECT_EQ(window.sortColumn(), 2);
    EXPECT_EQ(columnTexts(window.fileList(), 2), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(window.countText(), "2 files");
}

TEST(MainWindow, DividerStopsAtTheTreeAndListLimits)
{
    SettingsStore settings;
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    window.resize(800, 500);
    window.layoutPanes();
    const int divider = window.folderTree().width() + 2;
    sendMouse(window, QEvent::MouseButtonPress, divider, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, divider + 50, Qt::LeftButton);
    EXPECT_EQ(window.folderTree().width(), 230);
    sendMouse(window, QEvent::MouseMove, 5, Qt::LeftButton);
    EXPECT_EQ(window.folderTree().width(), 80);
    sendMouse(window, QEvent::MouseMove, 795, Qt::LeftButton);
    EXPECT_EQ(window.fileList().width(), 76);
    EXPECT_EQ(window.fileList().x() + window.fileList().width(), 800);
    sendMouse(window, QEvent::MouseMove, -40, Qt::LeftButton);  // out of the window sideways
    EXPECT_EQ(window.folderTree().width(), 80);
    sendMouse(window, QEvent::MouseButtonRelease, -40, Qt::NoButton);
    sendMouse(window, QEvent::MouseMove, 400, Qt::NoButton);  // released: no longer dragging
    EXPECT_EQ(window.folderTree().width(), 80);

    // A press on the status bar is not a press on the divider, though the bar ignores it.
    auto* statusBar = window.findChild<QStatusBar*>();
    ASSERT_NE(statusBar, nullptr);
    QTest::mousePress(statusBar, Qt::LeftButton, {}, QPoint(300, 5));
    sendMouse(window, QEvent::MouseMove, 400, Qt::LeftButton);
    EXPECT_EQ(window.folderTree().width(), 80);
    QTest::mouseRelease(statusBar, Qt::LeftButton, {}, QPoint(300, 5));
}

TEST(MainWindow, ViewSwitchRereadsTheFolderAndTheSameViewDoesNothing)
{
    TempDir music;
    writeSong(music, "a.mp3", {textFrame("TIT2", "Two")}, trailer("One"));
    SettingsStore settings;
    settings.store().setValue("CurPath", QByteArray::fromStdString(music.folder()));
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"One"});
    window.runCommand(2002);
    EXPECT_EQ(window.windowTitle(), "Corvane - ID3v2");
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"Two"});
    writeSong(music, "a.mp3", {textFrame("TIT2", "Changed")}, trailer("One"));
    window.runCommand(2002);
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"Two"});
    window.runCommand(2001);
    EXPECT_EQ(window.windowTitle(), "Corvane - ID3v1");
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"One"});
}

TEST(MainWindow, EnterOrDoubleClickWithoutSelectionShowsTheMessageOnly)
{
    TempDir music;
    for (int i = 0; i < 12; ++i)
        writeSong(music, "t" + std::to_string(i) + ".mp3", {});
    SettingsStore settings;
    settings.store().setValue("CurPath", QByteArray::fromStdString(music.folder()));
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    window.show();
    FileList& list = window.fileList();
    EXPECT_EQ(window.countText(), "12 files");

    QTest::keyClick(&list, Qt::Key_Return);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 3));
    ASSERT_EQ(prompter.asked().size(), 2u);
    EXPECT_EQ(prompter.asked()[0].text, "Please select at least one file to perform operation on");
    EXPECT_EQ(prompter.asked()[0].icon, PromptIcon::Stop);
    window.runCommand(3104);
    EXPECT_EQ(prompter.asked().size(), 3u);

    window.runCommand(1004);
    EXPECT_EQ(window.countText(), "12 files selected");
    // With a selection Enter opens the tag editor, which is closed again at once.
    QTimer::singleShot(0, [] {
        if (QWidget* editor = QApplication::activeModalWidget())
            editor->close();
    });
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(prompter.asked().size(), 3u);
    window.runCommand(1006);
    EXPECT_EQ(window.countText(), "12 files");
    list.selectRow(3);
    EXPECT_EQ(window.countText(), "1 file selected");
    window.runCommand(1005);
    EXPECT_EQ(window.countText(), "11 files selected");
}

}  // namespace
}  // namespace corvane
