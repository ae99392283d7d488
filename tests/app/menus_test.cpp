// The menu bar in the real main window and the popups it opens: where the bands sit at start-up
// and after a band is dragged, the items of the Action popup for the list as it stands, and the
// view switch through the View popup.
#include "app/menus.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <functional>

#include "app/folder_tree.h"
#include "app/main_window.h"
#include "controls/menubar.h"
#include "controls/toolbar.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

// The items of a popup as the user reads them: "-" for a separator, "name >" for a submenu,
// "*" after the name of a checked item.
QStringList itemTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator())
            texts << QStringLiteral("-");
        else if (action->menu() != nullptr)
            texts << action->text() + QStringLiteral(" >");
        else
            texts << action->text() + (action->isChecked() ? QStringLiteral("*") : QString());
    }
    return texts;
}

std::vector<int> itemCommands(const QMenu& menu)
{
    std::vector<int> ids;
    for (const QAction* action : menu.actions()) ids.push_back(menuCommand(action));
    return ids;
}

QMenu* setDataMenu(const QMenu& actionMenu)
{
    for (QAction* action : actionMenu.actions())
        if (action->menu() != nullptr) return action->menu();
    return nullptr;
}

QAction* itemNamed(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// Acts on the next popup that opens (checking it, choosing an item or closing it), from inside
// the popup's own event loop. Stops looking when it goes out of scope.
class PopupDriver {
public:
    explicit PopupDriver(std::function<void(QMenu&)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr || !menu->isVisible()) return;
            m_timer.stop();
            m_opened = true;
            m_at = menu->pos();
            m_act(*menu);
        });
        m_timer.start(5);
    }
    [[nodiscard]] bool opened() const { return m_opened; }
    [[nodiscard]] QPoint openedAt() const { return m_at; }

private:
    std::function<void(QMenu&)> m_act;
    QTimer m_timer;
    bool m_opened = false;
    QPoint m_at;
};

void choose(QMenu& menu, const QString& text)
{
    QAction* action = itemNamed(menu, text);
    ASSERT_NE(action, nullptr) << text.toStdString();
    menu.setActiveAction(action);
    QTest::keyClick(&menu, Qt::Key_Return);
}

void closeWithEscape(QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Escape); }

// A window of this size fits the offscreen screen with room for a frame, so it is not maximised.
void storeLayout(QSettings& store, const std::string& folder, const ColumnLayout& columns,
                 int width = 700)
{
    AppSettings settings;
    settings.width = width;
    settings.height = 500;
    settings.currentFolder = folder;
    settings.columns = columns;
    settings.view = TagView::Id3v1;
    settings.save(store);
}

// --- the menu bar in the window --------------------------------------------------------------

TEST(MenusInWindow, BothBandsShareTheTopRowOfAWideWindowAndWrapInANarrowOne)
{
    SettingsStore wideSettings;
    storeLayout(wideSettings.store(), {}, defaultColumnLayout(), 700);
    ScriptedPrompter prompter;
    MainWindow wide(wideSettings.store(), prompter);
    const Menubar& wideBar = wide.menubar();
    EXPECT_EQ(wideBar.geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(wideBar.width(), wide.width());
    EXPECT_EQ(wideBar.bandLayout().rowOfBand(0), 0);
    EXPECT_EQ(wideBar.bandLayout().rowOfBand(1), 0);
    EXPECT_GT(wideBar.height(), 0);
    EXPECT_EQ(wide.folderTree().y(), wideBar.height() + 3);
    EXPECT_EQ(wide.fileList().y(), wideBar.height() + 3);

    SettingsStore narrowSettings;
    storeLayout(narrowSettings.store(), {}, defaultColumnLayout(), 200);
    MainWindow narrow(narrowSettings.store(), prompter);
    const Menubar& narrowBar = narrow.menubar();
    EXPECT_EQ(narrowBar.width(), 200);
    EXPECT_EQ(narrowBar.bandLayout().rowOfBand(0), 0);
    EXPECT_EQ(narrowBar.bandLayout().rowOfBand(1), 1);
    EXPECT_GT(narrowBar.height(), wideBar.height());
    EXPECT_EQ(narrow.folderTree().y(), narrowBar.height() + 3);
    EXPECT_EQ(narrow.fileList().y(), narrowBar.height() + 3);
    // The panes still end where they did: only their tops moved down.
    EXPECT_EQ(narrow.folderTree().geometry().bottom() + (narrow.height() - wide.height()),
              wide.folderTree().geometry().bottom());
}

TEST(MenusInWindow, DraggingABandIntoANewRowMovesThePanesDown)
{
    SettingsStore settings;
    storeLayout(settings.store(), {}, defaultColumnLayout(), 700);
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    ASSERT_TRUE(finishScan(window.fileList()));
    Menubar& bar = window.menubar();
    const int oneRowHeight = bar.height();
    ASSERT_EQ(bar.bandLayout().rowOfBand(1), 0);

    Toolbar* band = bar.band(1);
    const QPoint grip(5, 8);
    const QPoint below = band->mapFrom(&bar, QPoint(band->x() + 5, oneRowHeight + 6));
    QTest::mousePress(band, Qt::LeftButton, {}, grip);
    QTest::mouseMove(band, below);
    QTest::mouseRelease(band, Qt::LeftButton, {}, below);

    EXPECT_EQ(bar.bandLayout().rowOfBand(1), 1);
    EXPECT_GT(bar.height(), oneRowHeight);
    EXPECT_EQ(window.folderTree().y(), bar.height() + 3);
    EXPECT_EQ(window.fileList().y(), bar.height() + 3);
}

TEST(MenusInWindow, SelectionPicturesSelectAllInvertAndNone)
{
    TempDir music;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) writeSong(music, name, {}, trailer(name));
    SettingsStore settings;
    storeLayout(settings.store(), music.folder(), defaultColumnLayout());
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    ASSERT_TRUE(finishScan(window.fileList()));
    Toolbar* pictures = window.menubar().band(1);
    const auto clickPicture = [&](int item) {
        const ToolbarLayout& items = pictures->itemLayout();
        const QPoint centre(items.itemLeft(item) + 8, pictures->height() / 2);
        QTest::mouseClick(pictures, Qt::LeftButton, {}, centre);
    };
    clickPicture(0);
    EXPECT_EQ(window.countText(), "3 files selected");
    window.fileList().selectRow(1);
    clickPicture(1);
    EXPECT_EQ(window.countText(), "2 files selected");
    clickPicture(2);
    EXPECT_EQ(window.countText(), "3 files");
}

TEST(MenusInWindow, BarUsesTheApplicationFontAndTheSelectionPicturesNameWhatTheyDo)
{
    SettingsStore settings;
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    window.show();
    EXPECT_EQ(window.menubar().band(0)->font(), QApplication::font());
    Toolbar* pictures = window.menubar().band(1);
    const QStringList tips{"Select all files", "Invert the selection", "Select no files"};
    for (int item = 0; item < 3; ++item) {
        const QPoint at(pictures->itemLayout().itemLeft(item) + 8, pictures->height() / 2);
        QHelpEvent help(QEvent::ToolTip, at, pictures->mapToGlobal(at));
        QApplication::sendEvent(pictures, &help);
        EXPECT_EQ(QToolTip::text(), tips[item]);
    }
    QToolTip::hideText();
}

// --- the Action popup --------------------------------------------------------------------------

class ActionMenu : public ::testing::Test {
protected:
    void open(const ColumnLayout& columns)
    {
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
            writeSong(m_music, name, {}, trailer(name));
        storeLayout(m_settings.store(), m_music.folder(), columns);
        m_window = std::make_unique<MainWindow>(m_settings.store(), m_prompter);
        EXPECT_TRUE(finishScan(m_window->fileList()));
        ASSERT_EQ(m_window->fileList().rowCount(), 3);
    }

    TempDir m_music;
    SettingsStore m_settings;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(ActionMenu, CompactItemNamesOneTagOnlyForExactlyOneSelectedRow)
{
    open(defaultColumnLayout());
    const QStringList rest{"Synchronise Tags",      "Auto Track No",      "-",
                           "Tag from File Name...", "Rename from Tags...", "Case and Replace...",
                           "-",                     "Convert ID3v2 Version..."};
    const auto expected = [&](const QString& compact) {
        return QStringList{"Undo", "-", "Set Data >", "-"} + rest +
               QStringList{compact, "-", "Set Cover...", "Remove Pictures...", "Extract Covers...",
                           "-", "Properties"};
    };
    EXPECT_EQ(itemTexts(*m_window->actionMenu()), expected("Compact ID3v2 Tags"));
    m_window->fileList().selectRow(0);
    EXPECT_EQ(itemTexts(*m_window->actionMenu()), expected("Compact ID3v2 Tag"));
    m_window->runCommand(1004);
    const std::unique_ptr<QMenu> menu = m_window->actionMenu();
    EXPECT_EQ(itemTexts(*menu), expected("Compact ID3v2 Tags"));
    EXPECT_EQ(itemCommands(*menu), (std::vector<int>{3190, 0, 0, 0, 3102, 3103, 0, 3110, 3111, 3112,
                                                     0, 3104, 3106, 0, 3120, 3121, 3122, 0, 3000}));
    ASSERT_NE(menu->defaultAction(), nullptr);
    EXPECT_EQ(menu->defaultAction()->text(), "Properties");
    EXPECT_TRUE(menu->actions().constLast()->isEnabled());
}

TEST_F(ActionMenu, FilenameOnlyLayoutHasNoSetDataAndNoItsSeparator)
{
    open({{Column::Filename, 150}});
    EXPECT_EQ(itemTexts(*m_window->actionMenu()),
              (QStringList{"Undo", "-", "Synchronise Tags", "Auto Track No", "-",
                           "Tag from File Name...", "Rename from Tags...", "Case and Replace...",
                           "-", "Convert ID3v2 Version...", "Compact ID3v2 Tags", "-",
                           "Set Cover...", "Remove Pictures...", "Extract Covers...", "-",
                           "Properties"}));
}

TEST_F(ActionMenu, SetDataFollowsTheHeaderOrderButSendsPhysicalColumns)
{
    open({{Column::Filename, 150},
          {Column::Title, 150},
          {Column::Artist, 150},
          {Column::Album, 150}});
    std::unique_ptr<QMenu> menu = m_window->actionMenu();
    QMenu* setData = setDataMenu(*menu);
    ASSERT_NE(setData, nullptr);
    EXPECT_EQ(itemTexts(*setData), (QStringList{"Title", "Artist", "Album"}));

    m_window->fileList().horizontalHeader()->moveSection(2, 1);  // Artist dragged before Title
    menu = m_window->actionMenu();
    setData = setDataMenu(*menu);
    ASSERT_NE(setData, nullptr);
    EXPECT_EQ(itemTexts(*setData), (QStringList{"Artist", "Title", "Album"}));
    EXPECT_EQ(itemCommands(*setData), (std::vector<int>{3003, 3002, 3004}));
}

TEST_F(ActionMenu, RightClickOpensAtTheMouseAndAnItemWithoutSelectionShowsTheMessage)
{
    open(defaultColumnLayout());
    m_window->show();
    FileList& list = m_window->fileList();
    // Near the top, so that the whole popup fits below the mouse on any screen.
    const QPoint local(20, 4);
    const QPoint global = list.viewport()->mapToGlobal(local);
    PopupDriver driver([](QMenu& menu) { choose(menu, QStringLiteral("Synchronise Tags")); });
    QContextMenuEvent click(QContextMenuEvent::Mouse, local, global);
    QApplication::sendEvent(list.viewport(), &click);

    EXPECT_TRUE(driver.opened());
    EXPECT_EQ(driver.openedAt(), global);
    ASSERT_EQ(m_prompter.texts(),
              QStringList{"Please select at least one file to perform operation on"});
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ActionMenu, ActionButtonOpensThePopupBelowItself)
{
    open(defaultColumnLayout());
    m_window->show();
    const Menubar& bar = m_window->menubar();
    Toolbar* buttons = bar.band(0);
    const QPoint anchor = bar.buttonAnchor(0, 0);
    EXPECT_GE(anchor.y(), buttons->mapToGlobal(QPoint(0, buttons->height())).y());
    QStringList seen;
    PopupDriver driver([&](QMenu& menu) {
        seen = itemTexts(menu);
        closeWithEscape(menu);
    });
    QTest::mouseClick(buttons, Qt::LeftButton, {},
                      QPoint(buttons->itemLayout().itemLeft(0) + 6, buttons->height() / 2));
    EXPECT_TRUE(driver.opened());
    EXPECT_EQ(driver.openedAt(), anchor);
    EXPECT_EQ(seen.constLast(), "Properties");
    EXPECT_TRUE(m_prompter.asked().empty());  // closing the popup chose nothing
}

// --- the View popup ----------------------------------------------------------------------------

TEST(ViewMenu, ChoosingTheOtherViewMovesTheMarkAndRereadsTheCurrentOneDoesNothing)
{
    TempDir music;
    writeSong(music, "a.mp3", {textFrame("TIT2", "Two")}, trailer("One"));
    SettingsStore settings;
    storeLayout(settings.store(), music.folder(), defaultColumnLayout());
    ScriptedPrompter prompter;
    MainWindow window(settings.store(), prompter);
    ASSERT_TRUE(finishScan(window.fileList()));
    window.show();
    EXPECT_EQ(itemTexts(window.viewMenu()),
              (QStringList{"ID3v1*", "ID3v2", "-", "Select Columns", "-", "Durable Writes", "Unsafe In-Place Writes"}));

    QStringList seen;
    {
        PopupDriver driver([&](QMenu& menu) {
            seen = itemTexts(menu);
            choose(menu, QStringLiteral("ID3v2"));
        });
        window.runCommand(1002);
        EXPECT_TRUE(driver.opened());
        EXPECT_EQ(driver.openedAt(), window.menubar().buttonAnchor(0, 1));
    }
    ASSERT_TRUE(finishScan(window.fileList()));
    EXPECT_EQ(seen, (QStringList{"ID3v1*", "ID3v2", "-", "Select Columns", "-", "Durable Writes", "Unsafe In-Place Writes"}));
    EXPECT_EQ(itemTexts(window.viewMenu()),
              (QStringList{"ID3v1", "ID3v2*", "-", "Select Columns", "-", "Durable Writes", "Unsafe In-Place Writes"}));
    EXPECT_EQ(window.windowTitle(), "Corvane - ID3v2");
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"Two"});

    // The same view again: the mark stays and the folder is not read again.
    writeSong(music, "a.mp3", {textFrame("TIT2", "Changed")}, trailer("One"));
    {
        PopupDriver driver([](QMenu& menu) { choose(menu, QStringLiteral("ID3v2")); });
        window.runCommand(1002);
        EXPECT_TRUE(driver.opened());
    }
    EXPECT_EQ(itemTexts(window.viewMenu()),
              (QStringList{"ID3v1", "ID3v2*", "-", "Select Columns", "-", "Durable Writes", "Unsafe In-Place Writes"}));
    EXPECT_EQ(columnTexts(window.fileList(), 1), QStringList{"Two"});

    // A switch that does not come through the popup keeps the marks in step too.
    window.runCommand(2001);
    ASSERT_TRUE(finishScan(window.fileList()));
    EXPECT_EQ(itemTexts(window.viewMenu()),
              (QStringList{"ID3v1*", "ID3v2", "-", "Select Columns", "-", "Durable Writes", "Unsafe In-Place Writes"}));
    EXPECT_EQ(window.windowTitle(), "Corvane - ID3v1");
}

TEST(ViewMenu, MarksAreOrdinaryCheckMarksNotRadioMarks)
{
    const std::unique_ptr<QMenu> menu = buildViewMenu(TagView::Id3v2);
    for (const QAction* action : menu->actions())
        EXPECT_EQ(action->actionGroup(), nullptr) << action->text().toStdString();
    EXPECT_EQ(itemTexts(*menu), (QStringList{"ID3v1", "ID3v2*", "-", "Select Columns", "-", "Durable Writes", "Unsafe In-Place Writes"}));
    EXPECT_EQ(itemCommands(*menu), (std::vector<int>{2001, 2002, 0, 2003, 0, 2004, 2005}));
}

}  // namespace
}  // namespace corvane
