// The main window as the user meets it: first start, stored settings and their limits, the
// divider, the view switch, the status texts and the empty-selection message.
#include "app/main_window.h"

#include "app/file_list_delegate.h"
#include "app/folder_tree.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

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
        ASSERT_TRUE(finishScan(window.fileList()));
        window.placeWindow({{QRect(0, 0, 1920, 1080), 100}});
        EXPECT_EQ(window.geometry(), QRect(560, 220, 800, 640));
        EXPECT_EQ(window.windowTitle(), "Corvane - ID3v2");
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

TEST(MainWindow, StoredGeometryComesBackOnlyWhereItFits)
{
    // The primary screen (1280 x 1000 below a 30-pixel panel) and one to its left at 200 %.
    const std::vector<ScreenArea> screens{{QRect(0, 30, 1280, 1000), 100},
                                          {QRect(-960, 0, 960, 540), 200}};
    const QRect centredDefault(240, 210, 800, 640);
    struct Case {
        const char* what;
        QSize size;
        std::optional<QPoint> position;
        int scale;
        bool maximized;
        WindowPlacement expected;
    };
    const Case cases[] = {
        {"kept", {1000, 700}, QPoint(100, 200), 100, false, {{100, 200, 1000, 700}, false}},
        {"kept maximised", {1000, 700}, QPoint(100, 200), 100, true, {{100, 200, 1000, 700}, true}},
        {"on the other screen", {400, 300}, QPoint(-900, 10), 200, false,
         {{-900, 10, 400, 300}, false}},
        {"scale unknown", {400, 300}, QPoint(-900, 10), 0, false, {{-900, 10, 400, 300}, false}},
        {"size only, centred", {1000, 700}, std::nullopt, 0, false, {{140, 180, 1000, 700}, false}},
        {"another scale", {400, 300}, QPoint(-900, 10), 100, false, {centredDefault, false}},
        {"monitor gone", {400, 300}, QPoint(2000, 10), 100, false, {centredDefault, false}},
        {"across the edge", {1000, 700}, QPoint(600, 200), 100, false, {centredDefault, false}},
        {"size only, too large", {1600, 981}, std::nullopt, 0, false, {centredDefault, false}},
        {"no room for a frame", {1000, 990}, std::nullopt, 0, false, {centredDefault, false}},
        {"maximised elsewhere", {400, 300}, QPoint(2000, 10), 100, true, {centredDefault, true}},
    };
    for (const Case& c : cases) {
        AppSettings stored;
        stored.width = c.size.width();
        stored.height = c.size.height();
        stored.position = c.position;
        stored.scalePercent = c.scale;
        stored.maximized = c.maximized;
        const WindowPlacement placement = windowPlacement(stored, screens);
        EXPECT_EQ(placement.rect, c.expected.rect) << c.what;
        EXPECT_EQ(placement.maximized, c.expected.maximized) << c.what;
    }
    // Even the default does not fit a small screen: the window opens maximised there.
    const WindowPlacement small = windowPlacement(AppSettings{}, {{QRect(0, 0, 1024, 600), 100}});
    EXPECT_EQ(small.rect, QRect(0, 0, 1024, 600));
    EXPECT_TRUE(small.maximized);
    EXPECT_EQ(firstTreeWidth(900, 800), 700);
    EXPECT_EQ(firstTreeWidth(0, 800), 0);
}

TEST(MainWindow, PlaceAndMaximisedStateSurviveARestartAndAStrayPlaceFallsBack)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect normal(screen.x() + 10, screen.y() + 20, screen.width() / 2, screen.height() / 2);
    SettingsStore settings;
    settings.store().setValue("Left", normal.x());
    settings.store().setValue("Top", normal.y());
    settings.store().setValue("Width", normal.width());
    settings.store().setValue("Height", normal.height());
    settings.store().setValue("Maximized", 255);
    ScriptedPrompter prompter;
    {
        MainWindow window(settings.store(), prompter);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(window.isMaximized());
        EXPECT_EQ(window.normalGeometry(), normal);
        window.close();
    }
    QSettings& stored = settings.reopen();
    EXPECT_EQ(stored.value("Left").toInt(), normal.x());
    EXPECT_EQ(stored.value("Width").toInt(), normal.width());
    EXPECT_EQ(stored.value("Maximized").toInt(), 255);

    stored.setValue("Left", screen.right() + 100);  // a monitor that is not there any more
    stored.setValue("Maximized", 0);
    MainWindow window(stored, prompter);
    EXPECT_EQ(window.geometry(), windowPlacement(AppSettings{}, currentScreens()).rect);
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
    ASSERT_TRUE(finishScan(window.fileList()));
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
    settings.store().setValue("CurrentView", 2001);
    ScriptedPrompter prompter;
    {
        MainWindow window(settings.store(), prompter);
        ASSERT_TRUE(finishScan(window.fileList()));
        ASSERT_EQ(window.currentFolder(), music.folder());
        ASSERT_EQ(window.fileList().rowCount(), 2);
        QHeaderView* header = window.fileList().horizontalHeader();
        header->sectionClicked(1);  // sort by Title
        header->moveSection(2, 1);  // Artist shown before Title
        header->resizeSection(3, 222);
    }
    MainWindow window(settings.reopen(), prompter);
    ASSERT_TRUE(finishScan(window.fileList()));
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
    ASSERT_TRUE(finishScan(window.fileList()));
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
    settings.store().setValue("CurrentView", 2001);
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    ASSERT_TRUE(finishScan(window.fileList()));
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"One"});
    window.runCommand(2002);
    ASSERT_TRUE(finishScan(window.fileList()));
    EXPECT_EQ(window.windowTitle(), "Corvane - ID3v2");
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"Two"});
    writeSong(music, "a.mp3", {textFrame("TIT2", "Changed")}, trailer("One"));
    window.runCommand(2002);
    ASSERT_TRUE(finishScan(window.fileList()));
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"Two"});
    window.runCommand(2001);
    ASSERT_TRUE(finishScan(window.fileList()));
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
    ASSERT_TRUE(finishScan(window.fileList()));
    window.show();
    window.activateWindow();  // the list's keys belong to the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
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

TEST(MainWindow, LongFileNameIsElidedInTheMiddleWithTheWholeNameAsTooltip)
{
    TempDir music;
    const std::string name = "A very long recording name from a live concert, track 42.mp3";
    writeSong(music, name, {textFrame("TIT2", std::string(80, 'T'))});
    SettingsStore settings;
    settings.store().setValue("CurPath", QByteArray::fromStdString(music.folder()));
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    FileList& list = window.fileList();
    ASSERT_EQ(list.rowCount(), 1);

    const auto shownText = [&](int column) {
        const QModelIndex cell = list.model().index(0, column);
        auto* delegate = qobject_cast<FileListDelegate*>(list.itemDelegateForIndex(cell));
        EXPECT_NE(delegate, nullptr);
        QStyleOptionViewItem option;
        option.initFrom(list.viewport());
        if (delegate != nullptr)
            delegate->initStyleOption(&option, cell);
        return option.fontMetrics.elidedText(option.text, option.textElideMode,
                                             list.columnWidth(column) - 30);
    };
    const QString file = shownText(0);
    EXPECT_TRUE(file.endsWith(" 42.mp3")) << file.toStdString();
    EXPECT_TRUE(file.startsWith("A ")) << file.toStdString();
    EXPECT_TRUE(shownText(1).startsWith("TTT")) << "tag texts are cut at the end";

    const QRect cell = list.visualRect(list.model().index(0, 0));
    QHelpEvent help(QEvent::ToolTip, cell.center(), list.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(list.viewport(), &help);
    EXPECT_EQ(QToolTip::text().toStdString(), name);
    QToolTip::hideText();
}

}  // namespace
}  // namespace corvane
