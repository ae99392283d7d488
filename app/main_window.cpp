#include "app/main_window.h"

#include "app/column_chooser_dialog.h"
#include "app/file_list.h"
#include "app/folder_tree.h"
#include "app/menus.h"
#include "app/mount_watcher.h"
#include "batch/undo_store.h"
#include "batchui/batch_frame.h"
#include "batchui/run_progress_dialog.h"
#include "batchui/update_all_run.h"
#include "controls/menubar.h"
#include "editor/tag_editor_dialog.h"
#include "gui/prompt.h"
#include "gui/resources.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSettings>
#include <QStatusBar>

#include <algorithm>

namespace corvane {

namespace {

// Gaps around the panes: the tree starts 1 pixel in, both panes 3 pixels below the menu bar and
// 2 above the status bar, and 3 pixels between them are the divider.
constexpr int kPaneLeft = 1;
constexpr int kPaneTopGap = 3;
constexpr int kPaneBottomGap = 2;
constexpr int kDividerGap = 3;
constexpr int kInitialTreeWidth = 180;

}  // namespace

int firstTreeWidth(std::uint32_t divider, int windowWidth)
{
    const auto limit = static_cast<std::uint32_t>(windowWidth - 100);
    return static_cast<int>(divider > limit ? limit : divider);
}

MainWindow::MainWindow(QSettings& store, Prompter& prompter, const StartTarget& start,
                       QWidget* parent)
    : QWidget(parent), m_store(store), m_prompter(prompter), m_settings(AppSettings::load(store)),
      m_startNote(start.note)
{
    initResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));
    // A press on the window's own area between and around the panes drags the divider.
    setCursor(Qt::SizeHorCursor);
    createPanes();
    placeWindow(currentScreens());
    restoreListSettings();
    updateCaption();
    createMenus();
    createKeys();
    m_tree->buildTree(m_mounts->volumes());
    openStartFolder(start);
    m_list->setFocus();
}

void MainWindow::openStartFolder(const StartTarget& start)
{
    const std::string& folder = start.folder.empty() ? m_settings.currentFolder : start.folder;
    m_list->selectFilesAfterScan(start.files);
    // From here on: the scans before this one (the column layout's, of no folder) are not it.
    connect(m_list, &FileList::scanFinished, this, &MainWindow::showStartNote);
    if (folder.empty())
        m_tree->setCurrentItem(m_tree->computerItem());
    else
        m_tree->selectFolderPath(folder);
}

MainWindow::~MainWindow()
{
    saveSettingsOnce();
    m_list->clearFileList();
}

// Written when the window closes (however: the close button, Ctrl+Q, the session ending), while
// it still knows its state on screen; a window destroyed without closing writes them then.
void MainWindow::saveSettingsOnce()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    m_list->readColumnWidths();
    currentSettings().save(m_store);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveSettingsOnce();
    QWidget::closeEvent(event);
}

void MainWindow::createPanes()
{
    createStatusBar();
    m_tree = new FolderTree(this);
    m_tree->setGeometry(0, 0, kInitialTreeWidth, kInitialTreeWidth);
    m_tree->setCursor(Qt::ArrowCursor);
    m_list = new FileList(this);
    m_list->setGeometry(0, 0, kInitialTreeWidth, kInitialTreeWidth);
    m_list->setCursor(Qt::ArrowCursor);
    setTabOrder(m_tree, m_list);
    m_runProgress = new RunProgressDialog(this);

    connect(m_tree, &FolderTree::folderSelected, this, &MainWindow::showFolder);
    m_mounts = new MountWatcher(kMountTable, this);
    connect(m_mounts, &MountWatcher::volumesChanged, m_tree, &FolderTree::setVolumes);
    connect(m_list, &FileList::countTextChanged, m_countLabel, &QLabel::setText);
    connect(m_list, &FileList::progressTextChanged, this, &MainWindow::setProgressText);
    connect(m_list, &FileList::commandRequested, this, &MainWindow::runCommand);
}

void MainWindow::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setSizeGripEnabled(true);
    m_statusBar->setCursor(Qt::ArrowCursor);
    m_countLabel = new QLabel(m_statusBar);
    // The part's right edge is at 220 pixels; the status bar adds its own margin in front.
    m_countLabel->setFixedWidth(kCountPartWidth - 8);
    m_progressLabel = new QLabel(m_statusBar);
    m_progressLabel->setMinimumWidth(1);
    m_statusBar->addWidget(m_countLabel);
    m_statusBar->addWidget(m_progressLabel, 1);
}

// What the command line asked for and could not be shown, once the first folder is read (the
// end of a scan clears the progress text, so the note must come after it).
void MainWindow::showStartNote()
{
    if (m_startNote.isEmpty())
        return;
    setProgressText(m_startNote);
    m_startNote.clear();
}

// F5: the list is read again; with the tree focused, the volumes and every opened folder too.
void MainWindow::refreshFolders()
{
    if (m_tree->hasFocus()) {
        m_mounts->check();
        m_tree->refresh();
    }
    m_list->refreshFileList();
}

void MainWindow::restoreListSettings()
{
    m_list->setTagView(m_settings.view);
    m_list->applyColumnLayout(m_settings.columns);
    m_list->setSortOrder(m_settings.sortColumn, m_settings.sortAscending);
}

void MainWindow::placeWindow(const std::vector<ScreenArea>& screens)
{
    const WindowPlacement placement = windowPlacement(m_settings, screens);
    setGeometry(placement.rect);
    setWindowState(placement.maximized ? windowState() | Qt::WindowMaximized
                                       : windowState() & ~Qt::WindowMaximized);
    m_firstTreeWidth = firstTreeWidth(m_settings.divider, placement.rect.width());
    layoutPanes();
}

void MainWindow::updateCaption()
{
    setWindowTitle(m_list->tagView() == TagView::Id3v2 ? QStringLiteral("Corvane - ID3v2")
                                                       : QStringLiteral("Corvane - ID3v1"));
}

// The menu bar takes the window's width and keeps the height its bands need.
void MainWindow::fitMenuBar()
{
    if (m_menubar != nullptr)
        m_menubar->fitToParent(width());  // also while hidden, when no resize event reaches it
}

int MainWindow::menuBarHeight() const
{
    return m_menubar != nullptr ? m_menubar->height() : 0;
}

int MainWindow::panesBottom() const
{
    return height() - m_statusBar->height();
}

void MainWindow::layoutPanes()
{
    int treeWidth = m_tree->width();
    if (m_firstTreeWidth != 0) {
        treeWidth = m_firstTreeWidth;
        m_firstTreeWidth = 0;
    }
    fitMenuBar();
    const int statusHeight = m_statusBar->sizeHint().height();
    m_statusBar->setGeometry(0, height() - statusHeight, width(), statusHeight);
    placePanes(treeWidth);
}

void MainWindow::placePanes(int treeWidth)
{
    const int top = menuBarHeight() + kPaneTopGap;
    const int paneHeight = std::max(0, panesBottom() - kPaneBottomGap - top);
    m_tree->setGeometry(kPaneLeft, top, std::max(0, treeWidth), paneHeight);
    const int listLeft = kPaneLeft + treeWidth + kDividerGap;
    m_list->setGeometry(listLeft, top, std::max(0, width() - listLeft), paneHeight);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPanes();
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    const int x = qRound(event->position().x());
    // Only the window's own area between and around the panes is the divider: a press that a
    // child ignored (the status bar does) reaches us too, and must not start a drag there.
    if (event->button() != Qt::LeftButton || x <= 0 || x >= width() ||
        childAt(event->position().toPoint()) != nullptr) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The offset keeps the divider where it was grabbed instead of jumping to the mouse.
    m_grabOffset = m_tree->width() - x;
    m_dragging = true;
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        m_dragging = false;
    const int x = qRound(event->position().x());
    if (m_dragging)
        dragDivider(x, x > 0 && x < width());
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::dragDivider(int x, bool inside)
{
    const int right = width();
    const int listWidth = m_list->width();
    int w = 0;
    if (inside) {
        w = std::max(x + m_grabOffset, kMinTreeWidth);
        if (listWidth >= kMinListWidth) {
            if (w + kPaneLeft + kDividerGap + 80 > right)
                w = right - 80;  // the list keeps its 76 pixels
        } else if (right - w - kPaneLeft - kDividerGap <= listWidth) {
            w = right - listWidth - kPaneLeft - kDividerGap;  // never narrower than it already is
        }
    } else {
        // Dragged out of the window sideways: all the way to one side.
        w = x + m_grabOffset <= kMinTreeWidth ? kMinTreeWidth
                                             : right - listWidth - kPaneLeft - kDividerGap;
    }
    placePanes(w);
}

void MainWindow::runCommand(int id)
{
    if (isActionCommand(id)) {
        runActionCommand(id);
        return;
    }
    switch (static_cast<CommandId>(id)) {
    case CommandId::SelectAllRows: m_list->selectAllRows(); break;
    case CommandId::InvertRowSelection: m_list->invertRowSelection(); break;
    case CommandId::SelectNoRows: m_list->selectNoRows(); break;
    case CommandId::ViewId3v1: switchView(TagView::Id3v1); break;
    case CommandId::ViewId3v2: switchView(TagView::Id3v2); break;
    case CommandId::ActionMenu: openBarMenu(kActionButton); break;
    case CommandId::ViewMenu: openBarMenu(kViewButton); break;
    case CommandId::About: showAbout(); break;
    case CommandId::SelectColumns: chooseColumnLayout(); break;
    case CommandId::DurableWrites:
    case CommandId::UnsafeInPlace: toggleWriteMode(static_cast<CommandId>(id)); break;
    default: break;
    }
}

void MainWindow::runActionCommand(int id)
{
    if (!isActionCommand(id))
        return;
    if (id == commandNumber(CommandId::UndoLastChange)) {
        withBatchFrame([](BatchFrame& frame) { frame.undoLastChange(); });
    } else if (m_list->selectedCount() == 0) {
        m_prompter.stop(this, QStringLiteral("Please select at least one file to perform "
                                             "operation on"));
    } else if (id == commandNumber(CommandId::Properties)) {
        openEditor();
    } else {
        withBatchFrame([id](BatchFrame& frame) { frame.runOperation(id); });
    }
    m_list->setFocus();
}

void MainWindow::withBatchFrame(const std::function<void(BatchFrame&)>& job)
{
    BatchFrame frame({*this, *m_list, m_prompter, *m_runProgress, m_settings.compact,
                      writeSettings(), [this](const QString& text) { setProgressText(text); }});
    job(frame);
}

WriteSettings MainWindow::writeSettings() const
{
    WriteSettings writing;
    writing.policy.journal = !m_settings.unsafeInPlace;
    writing.policy.durable = m_settings.durableWrites;
    writing.undoFolder = batch::UndoStore::defaultFolder();
    return writing;
}

void MainWindow::toggleWriteMode(CommandId id)
{
    if (id == CommandId::DurableWrites)
        m_settings.durableWrites = !m_settings.durableWrites;
    else
        m_settings.unsafeInPlace = !m_settings.unsafeInPlace;
    showWriteModesInMenu(*m_viewMenu, m_settings.durableWrites, m_settings.unsafeInPlace);
}

void MainWindow::openEditor()
{
    {
        TagEditorDialog editor(m_list->currentFolder(), m_list->selectedFileNames(),
                               m_settings.expanded, m_settings.compact, m_settings.fieldSelection,
                               m_prompter, this);
        UpdateAllHandler updateAll;
        updateAll.chooseFields = [this](const UpdateAllRequest& request) {
            return request.selection != nullptr &&
                   chooseUpdateAllFields(request.parent, request.texts, *request.selection,
                                         m_prompter);
        };
        updateAll.writeAll = [this](QWidget* parent, const batch::UpdateAllJob& job) {
            const QString note =
                writeUpdateAll(parent, m_prompter, *m_runProgress, writeSettings(), job);
            if (!note.isEmpty()) setProgressText(note);
        };
        editor.setUpdateAllHandler(std::move(updateAll));
        editor.setWriteSettings(writeSettings());
        // When no file could be read the user has been told, and there is nothing to show.
        if (editor.loadFirstFile())
            editor.exec();
        m_settings.compact = editor.compact();
    }
    // Whatever happened in the editor, the rows show the files as they are now.
    m_list->refreshSelectedRows();
}

void MainWindow::switchView(TagView view)
{
    if (view == m_list->tagView())
        return;
    m_list->setTagView(view);
    showViewInMenu(*m_viewMenu, view);
    updateCaption();
    m_list->clearFileList();
    m_list->scanFolder();
}

std::vector<int> MainWindow::columnDisplayOrder() const
{
    const QHeaderView* header = m_list->horizontalHeader();
    std::vector<int> order;
    for (int position = 0; position < header->count(); ++position)
        order.push_back(header->logicalIndex(position));
    return order;
}

void MainWindow::chooseColumnLayout()
{
    m_list->readColumnWidths();
    const ColumnLayout old = m_list->columnLayout();
    ColumnChooserDialog dialog(old, columnDisplayOrder(), m_prompter, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ColumnLayout& chosen = dialog.chosenLayout();
    // The new layout lists the kept columns in the order they were shown, so the sort column's
    // display position is normally its new index. When a column shown before it was dropped,
    // that position holds another field; follow the sort field itself while it is still there.
    int sortColumn = old.empty() ? 0 : m_list->displayPosition(m_list->sortColumn());
    if (!old.empty()) {
        const tags::Column sortField = old[static_cast<std::size_t>(m_list->sortColumn())].field;
        const auto kept = std::find_if(chosen.begin(), chosen.end(),
                                       [&](const ColumnSpec& c) { return c.field == sortField; });
        if (kept != chosen.end())
            sortColumn = static_cast<int>(kept - chosen.begin());
    }
    m_list->setSortOrder(sortColumn, m_list->isSortAscending());
    m_list->applyColumnLayout(chosen);
}

void MainWindow::showFolder(const QByteArray& folder)
{
    m_list->setCurrentFolder(folder.toStdString());
    m_list->refreshFileList();
}

const std::string& MainWindow::currentFolder() const
{
    return m_list->currentFolder();
}

const ColumnLayout& MainWindow::columnLayout() const
{
    return m_list->columnLayout();
}

int MainWindow::sortColumn() const
{
    return m_list->sortColumn();
}

void MainWindow::setProgressText(const QString& text)
{
    m_progressLabel->setText(text);
}

QString MainWindow::countText() const
{
    return m_countLabel->text();
}

QString MainWindow::progressText() const
{
    return m_progressLabel->text();
}

AppSettings MainWindow::currentSettings() const
{
    AppSettings s = m_settings;
    // A maximised window keeps the place it comes back to when it is restored; that, and the
    // state, is what the next start shows.
    const QRect normal = (isMaximized() || isFullScreen()) && normalGeometry().isValid()
                             ? normalGeometry()
                             : geometry();
    s.width = normal.width();
    s.height = normal.height();
    s.position = normal.topLeft();
    s.maximized = isMaximized();
    s.scalePercent = scalePercentOf(devicePixelRatioF());
    s.divider = static_cast<std::uint32_t>(m_tree->width());
    s.view = m_list->tagView();
    s.currentFolder = m_list->currentFolder();
    // Stored in display order, so a reordering by dragging headers survives a restart.
    s.columns = m_list->layoutInDisplayOrder();
    s.sortColumn = s.columns.empty() ? 0 : m_list->displayPosition(m_list->sortColumn());
    s.sortAscending = m_list->isSortAscending();
    return s;
}

}  // namespace corvane
