#pragma once
// The one top-level window: a strip for the menu bar along the top, the folder tree on the left,
// the file list on the right with a draggable divider between them, and the status bar. It owns
// the settings and is the single place every command arrives (runCommand).

#include "app/command_line.h"
#include "app/window_placement.h"
#include "gui/app_settings.h"
#include "gui/command_ids.h"
#include "gui/undoable_change.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QKeySequence;
class QLabel;
class QMenu;
class QSettings;
class QStatusBar;

namespace corvane {

class BatchFrame;
class FileList;
class FolderTree;
class Menubar;
class MountWatcher;
class Prompter;
class RunProgressDialog;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // Reads the settings from store (before any pane exists), builds the panes and selects the
    // start folder (the saved one unless start names one), which fills the list and selects
    // start's files; start's note goes to the status bar once the folder is read. The settings
    // are written back to store, once, when the window closes or is destroyed. Both store and
    // prompter must outlive the window.
    MainWindow(QSettings& store, Prompter& prompter, const StartTarget& start = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Every command of the program, by its number (CommandId).
    void runCommand(int id);
    // The Action range 3000..3199: Undo takes the last change back; every other command
    // refuses an empty selection with a message, then opens the tag editor (Properties) or runs
    // the batch operation; the list has the focus afterwards.
    void runActionCommand(int id);

    // Places the panes for the present size. The first call after construction gives the tree
    // the stored divider width; later ones keep the tree's present width.
    void layoutPanes();
    // Size, position and maximised state from the stored ones among these screens (see
    // windowPlacement); the window shows maximised when placed so before it is shown.
    void placeWindow(const std::vector<ScreenArea>& screens);

    // --- menus -----------------------------------------------------------------------------
    // The bar of buttons along the top (band 0: Action, View, About; band 1: the selection
    // pictures).
    [[nodiscard]] Menubar& menubar() const { return *m_menubar; }
    // The View popup, built once; its check mark follows the tag view.
    [[nodiscard]] QMenu& viewMenu() const { return *m_viewMenu; }
    // A fresh Action popup for the present layout, header order and selection; caller owns it.
    [[nodiscard]] std::unique_ptr<QMenu> actionMenu();
    // Open a popup at a global point and run the chosen item's command, if any.
    void openActionMenu(const QPoint& globalPos);
    // Opens the popup of a button of the bar's first band (kActionButton, kViewButton) below it.
    // Left and Right go on to the other button's popup, as in any menu bar.
    void openBarMenu(int button);
    static constexpr int kActionButton = 0;
    static constexpr int kViewButton = 1;

    // --- what the editor and the batch operations use --------------------------------------
    [[nodiscard]] FileList& fileList() const { return *m_list; }
    [[nodiscard]] FolderTree& folderTree() const { return *m_tree; }
    // Tells the tree when volumes are mounted and unmounted.
    [[nodiscard]] MountWatcher& mountWatcher() const { return *m_mounts; }
    [[nodiscard]] AppSettings& settings() { return m_settings; }
    // The listed folder: file-system bytes ending with "/", or empty.
    [[nodiscard]] const std::string& currentFolder() const;
    [[nodiscard]] const ColumnLayout& columnLayout() const;
    [[nodiscard]] int sortColumn() const;
    // The right-hand status text (a file being read or written).
    void setProgressText(const QString& text);
    [[nodiscard]] QString countText() const;
    [[nodiscard]] QString progressText() const;
    // The settings as they would be written now.
    [[nodiscard]] AppSettings currentSettings() const;
    // How changes are written now: the journal's way and the undo record.
    [[nodiscard]] WriteSettings writeSettings() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void createPanes();
    void createStatusBar();
    void createMenus();
    void createKeys();
    void addKey(const QList<QKeySequence>& keys, const std::function<void()>& run);
    // The command of the item chosen in popup (0 for none) and the step a MenuKeySteps saw.
    std::pair<int, int> execBarPopup(QMenu& popup, const QPoint& globalPos);
    void refreshFolders();
    void openStartFolder(const StartTarget& start);
    void showStartNote();
    void saveSettingsOnce();
    void showAbout();
    void openEditor();
    void chooseColumnLayout();
    [[nodiscard]] std::vector<int> columnDisplayOrder() const;
    void restoreListSettings();
    void updateCaption();
    void switchView(TagView view);
    void toggleWriteMode(CommandId id);
    // Runs job with a run frame over the list, borrowing the window's prompter, progress
    // dialog, status bar and write settings.
    void withBatchFrame(const std::function<void(BatchFrame&)>& job);
    void showFolder(const QByteArray& folder);
    void fitMenuBar();
    [[nodiscard]] int menuBarHeight() const;
    int panesBottom() const;
    void placePanes(int treeWidth);
    void dragDivider(int x, bool inside);

    QSettings& m_store;
    Prompter& m_prompter;
    AppSettings m_settings;
    Menubar* m_menubar = nullptr;  // made once the window knows its width; until then no height
    std::unique_ptr<QMenu> m_viewMenu;
    FolderTree* m_tree = nullptr;
    MountWatcher* m_mounts = nullptr;
    FileList* m_list = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_progressLabel = nullptr;
    RunProgressDialog* m_runProgress = nullptr;  // the one progress dialog of every batch run
    int m_firstTreeWidth = 0;  // the stored divider, for the first layout only
    bool m_dragging = false;
    int m_grabOffset = 0;
    bool m_settingsSaved = false;
    QString m_startNote;  // shown when the first scan ends
};

// The tree width of the first layout: the stored divider, lowered to width - 100 when larger
// (compared as unsigned numbers, as stored); 0 keeps the tree's own width.
[[nodiscard]] int firstTreeWidth(std::uint32_t divider, int windowWidth);

// The narrowest the tree and the list become when the divider is dragged.
inline constexpr int kMinTreeWidth = 80;
inline constexpr int kMinListWidth = 76;
// Width of the status bar's count part.
inline constexpr int kCountPartWidth = 220;

}  // namespace corvane
