// The main window's menus and keys: the bar's buttons, the popups below them (with Left and
// Right between them), the Action popup of a right click, and the keys of the whole window.
#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/file_list.h"
#include "app/menu_key_steps.h"
#include "app/menus.h"
#include "controls/menubar.h"

#include <QAction>
#include <QMenu>

#include <array>

namespace corvane {

namespace {

// The text buttons of the bar's first band. Their access letters open them from the keyboard,
// so no two may share one ("About" takes its second letter, as "Action" has the first).
struct BarButton {
    const char* caption;
    CommandId command;
};
constexpr std::array<BarButton, 3> kBarButtons{{{"&Action", CommandId::ActionMenu},
                                                {"&View", CommandId::ViewMenu},
                                                {"A&bout", CommandId::About}}};
// The first two open popups; Left and Right move between those.
constexpr int kPopupButtons = 2;
static_assert(MainWindow::kActionButton == 0 && MainWindow::kViewButton == 1);

}  // namespace

void MainWindow::createMenus()
{
    // The bar must know the window's real width before the bands go in: a band takes the first
    // row with room for it, and rows are not wrapped again later.
    auto* bar = new Menubar(this);
    bar->fitToParent(width());
    for (const BarButton& button : kBarButtons)
        bar->addBandTextItem(0, QString::fromLatin1(button.caption), commandNumber(button.command));
    const QSize pictureSize(16, 16);
    bar->addBandPictureItem(1, QIcon(QStringLiteral(":/icons/select-all.svg")), pictureSize,
                            commandNumber(CommandId::SelectAllRows));
    bar->addBandPictureItem(1, QIcon(QStringLiteral(":/icons/select-invert.svg")), pictureSize,
                            commandNumber(CommandId::InvertRowSelection));
    bar->addBandPictureItem(1, QIcon(QStringLiteral(":/icons/select-none.svg")), pictureSize,
                            commandNumber(CommandId::SelectNoRows));
    bar->setButtonToolTip(1, 0, QStringLiteral("Select all files"));
    bar->setButtonToolTip(1, 1, QStringLiteral("Invert the selection"));
    bar->setButtonToolTip(1, 2, QStringLiteral("Select no files"));
    connect(bar, &Menubar::commandTriggered, this, &MainWindow::runCommand);
    connect(bar, &Menubar::heightChanged, this, &MainWindow::layoutPanes);
    bar->setCursor(Qt::ArrowCursor);
    bar->show();
    m_menubar = bar;
    layoutPanes();

    m_viewMenu = buildViewMenu(m_list->tagView(), this);
    showWriteModesInMenu(*m_viewMenu, m_settings.durableWrites, m_settings.unsafeInPlace);
    connect(m_list, &FileList::actionMenuRequested, this, &MainWindow::openActionMenu);
}

// Keys of the whole window, live whenever it is the active window (a dialog or popup of its
// own takes them while it is open): the bar's access letters and F10 open its popups, Ctrl+Q
// closes the window, and the list's keys work from any pane.
void MainWindow::createKeys()
{
    for (const BarButton& button : kBarButtons) {
        const int id = commandNumber(button.command);
        addKey({QKeySequence::mnemonic(QString::fromLatin1(button.caption))},
               [this, id] { runCommand(id); });
    }
    addKey({QKeySequence(Qt::Key_F10)},
           [this] { runCommand(commandNumber(CommandId::ActionMenu)); });
    addKey({QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] { close(); });
    addKey({QKeySequence(Qt::CTRL | Qt::Key_A)},
           [this] { runCommand(commandNumber(CommandId::SelectAllRows)); });
    // While a folder is read, Esc stops the reading; the selection waits for the next Esc.
    addKey({QKeySequence(Qt::Key_Escape)}, [this] {
        if (m_list->isScanning())
            m_list->stopScan();
        else
            runCommand(commandNumber(CommandId::SelectNoRows));
    });
    addKey({QKeySequence(Qt::Key_F5)}, [this] { refreshFolders(); });
    addKey({QKeySequence::Undo}, [this] { runCommand(commandNumber(CommandId::UndoLastChange)); });
    addKey({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
           [this] { runCommand(commandNumber(CommandId::Properties)); });
}

void MainWindow::addKey(const QList<QKeySequence>& keys, const std::function<void()>& run)
{
    auto* action = new QAction(this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, run);
    addAction(action);
}

std::unique_ptr<QMenu> MainWindow::actionMenu()
{
    const QString label = lastChangeLabel(writeSettings());
    return buildActionMenu(m_list->columnLayout(), columnDisplayOrder(), m_list->selectedCount(),
                           this, label.isEmpty() ? QString() : undoMenuText(label));
}

void MainWindow::openActionMenu(const QPoint& globalPos)
{
    // Built afresh and owned here, so its items follow the layout, the header order and the
    // selection, and the chosen item outlives the popup's event loop.
    const std::unique_ptr<QMenu> menu = actionMenu();
    const int id = menuCommand(menu->exec(globalPos));
    if (id != 0)
        runCommand(id);
}

std::pair<int, int> MainWindow::execBarPopup(QMenu& popup, const QPoint& globalPos)
{
    const MenuKeySteps steps(popup);
    const int id = menuCommand(popup.exec(globalPos));
    return {id, steps.step()};
}

void MainWindow::openBarMenu(int button)
{
    for (;;) {
        const QPoint at = m_menubar->buttonAnchor(0, button);
        std::unique_ptr<QMenu> actions;
        if (button == kActionButton)
            actions = actionMenu();
        QMenu& popup = actions ? *actions : *m_viewMenu;
        const auto [id, step] = execBarPopup(popup, at);
        // Choosing the view already shown clears its mark by itself, and nothing else changes.
        showViewInMenu(*m_viewMenu, m_list->tagView());
        showWriteModesInMenu(*m_viewMenu, m_settings.durableWrites, m_settings.unsafeInPlace);
        if (step == 0) {
            if (id != 0)
                runCommand(id);
            return;
        }
        button = (button + step + kPopupButtons) % kPopupButtons;
    }
}

void MainWindow::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}

}  // namespace corvane
