// The window from the keyboard alone: the bar's access letters and F10 open its popups, Left and
// Right move between them, the list's keys work from any pane, Ctrl+Q closes the window.
#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/folder_tree.h"
#include "controls/menubar.h"
#include "editor/tag_editor_dialog.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"
#include "tests/gui_support/widget_lookup.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace corvane::test;

// How long a popup or dialog may stay open before the test closes it itself: a step that went
// wrong then fails the test instead of leaving it waiting in the popup's event loop.
constexpr int kPatienceMs = 5000;

// Acts on each popup that opens in turn, one step per popup, from inside its event loop. A
// popup counts as new once the one acted on last is closed or another one is on top of it.
class PopupSteps {
public:
    using Step = std::function<void(QMenu&)>;
    explicit PopupSteps(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start(5);
        m_clock.start();
    }
    [[nodiscard]] bool allTaken() const { return m_next == m_steps.size(); }

private:
    void poll()
    {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup == nullptr || !popup->isVisible())
            return;
        if (popup != m_last.data() && !allTaken()) {
            m_last = popup;
            m_steps[m_next++](*popup);
        } else if (m_clock.elapsed() > kPatienceMs) {
            popup->close();
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QPointer<QMenu> m_last;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

// Whether act opens a modal dialog of type Dialog (which is then closed at once).
template <class Dialog>
bool opensModal(const std::function<void()>& act)
{
    bool shown = false;
    QElapsedTimer clock;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (qobject_cast<Dialog*>(modal) != nullptr)
            shown = true;
        else if (modal == nullptr || clock.elapsed() < kPatienceMs)
            return;
        modal->close();
    });
    clock.start();
    poll.start(5);
    act();
    return shown;
}

// Which popup of the bar a menu is, by its items.
QString nameOf(const QMenu& menu)
{
    const QList<QAction*> items = menu.actions();
    if (!items.isEmpty() && items.first()->text() == "ID3v1")
        return QStringLiteral("View");
    if (!items.isEmpty() && items.last()->text() == "Properties")
        return QStringLiteral("Action");
    return QStringLiteral("Set Data");
}

class Keyboard : public ::testing::Test {
protected:
    void open(int songs = 3)
    {
        for (int i = 0; i < songs; ++i)
            writeSong(m_music, "s" + std::to_string(i) + ".mp3", {textFrame("TIT2", "x")});
        m_settings.store().setValue("CurPath", QByteArray::fromStdString(m_music.folder()));
        m_window = std::make_unique<MainWindow>(m_settings.store(), m_prompter);
        ASSERT_TRUE(finishScan(m_window->fileList()));
        m_window->show();
    }
    // A key of the window, typed into target. The window's keys count only while it is the
    // active window, and after a popup or a dialog closes the platform gives it back a moment
    // later: what the closing queued (activation changes among it) is handled first.
    void type(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QCoreApplication::processEvents();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return QApplication::activeWindow() == m_window.get() &&
                   QApplication::activePopupWidget() == nullptr;
        }));
        QTest::keyClick(target, key, modifiers);
    }
    void TearDown() override
    {
        m_window.reset();
        expectNoWindowLeftOpen();
    }
    // A step that notes the popup's name (and where it opened) and presses key in it.
    PopupSteps::Step press(Qt::Key key)
    {
        return [this, key](QMenu& menu) {
            m_seen << nameOf(menu);
            m_openedAt << menu.pos();
            QTest::keyClick(&menu, key);
        };
    }
    QPoint anchor(int button) const { return m_window->menubar().buttonAnchor(0, button); }

    TempDir m_music;
    SettingsStore m_settings;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_seen;
    QList<QPoint> m_openedAt;
};

TEST_F(Keyboard, AccessLettersAndF10OpenThePopupsAndArrowsMoveBetweenThem)
{
    open();
    FileList& list = m_window->fileList();
    {
        PopupSteps steps({press(Qt::Key_Right), press(Qt::Key_Right), press(Qt::Key_Left),
                          press(Qt::Key_Escape)});
        type(&list, Qt::Key_A, Qt::AltModifier);
        EXPECT_TRUE(steps.allTaken());
    }
    EXPECT_EQ(m_seen, (QStringList{"Action", "View", "Action", "View"}));
    EXPECT_EQ(m_openedAt, (QList<QPoint>{anchor(0), anchor(1), anchor(0), anchor(1)}));

    // On "Set Data" Right opens the submenu; Right in the submenu goes on to View.
    m_seen.clear();
    {
        PopupSteps steps({[&](QMenu& menu) {
                              m_seen << nameOf(menu);
                              QTest::keyClick(&menu, Qt::Key_Down);
                              QTest::keyClick(&menu, Qt::Key_Right);
                          },
                          press(Qt::Key_Right), press(Qt::Key_Escape)});
        type(&m_window->folderTree(), Qt::Key_F10);
        EXPECT_TRUE(steps.allTaken());
    }
    EXPECT_EQ(m_seen, (QStringList{"Action", "Set Data", "View"}));

    m_seen.clear();
    {
        PopupSteps steps({press(Qt::Key_Escape)});
        type(&list, Qt::Key_V, Qt::AltModifier);
        EXPECT_TRUE(steps.allTaken());
    }
    EXPECT_EQ(m_seen, QStringList{"View"});

    const auto altB = [&] { type(&list, Qt::Key_B, Qt::AltModifier); };
    EXPECT_TRUE(opensModal<AboutDialog>(altB));
}

TEST_F(Keyboard, ListKeysWorkWhereverTheFocusIsInTheWindow)
{
    open();
    FolderTree& tree = m_window->folderTree();
    tree.setFocus();
    type(&tree, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_window->countText(), "3 files selected");
    tree.setFocus();
    type(&tree, Qt::Key_Escape);
    EXPECT_EQ(m_window->countText(), "3 files");

    type(&tree, Qt::Key_Return);
    EXPECT_EQ(m_prompter.texts(),
              QStringList{"Please select at least one file to perform operation on"});

    writeSong(m_music, "new.mp3", {});
    type(&tree, Qt::Key_F5);
    ASSERT_TRUE(finishScan(m_window->fileList()));
    EXPECT_EQ(m_window->fileList().rowCount(), 4);

    m_window->fileList().selectRow(0);
    tree.setFocus();
    EXPECT_TRUE(opensModal<TagEditorDialog>([&] { type(&tree, Qt::Key_Enter); }));
    EXPECT_EQ(m_prompter.texts().size(), 1);
}

TEST_F(Keyboard, CtrlQClosesTheWindowAndWritesTheSettingsAtOnce)
{
    open();
    QSettings written(m_settings.store().fileName(), QSettings::IniFormat);
    ASSERT_FALSE(written.contains("Divider"));
    type(&m_window->fileList(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(m_window->isVisible());
    written.sync();
    EXPECT_EQ(written.value("Divider").toInt(), m_window->folderTree().width());
    EXPECT_EQ(written.value("CurPath").toByteArray().toStdString(), m_music.folder());
}

}  // namespace
}  // namespace corvane
