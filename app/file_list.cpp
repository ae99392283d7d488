#include "app/file_list.h"

#include "app/file_list_delegate.h"
#include "app/folder_scan.h"
#include "gui/command_ids.h"
#include "gui/display_text.h"
#include "gui/run_aside.h"
#include "gui/wait_cursor.h"
#include "tags/text_rules.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <utility>

namespace corvane {

namespace {

const QString kReadingFile = QStringLiteral("Reading File: ");
// Progress texts are shown at most this often; a folder of thousands of files is read faster
// than anyone could read the names.
constexpr qint64 kProgressIntervalMs = 50;
// How often a scan looks for rows while its threads are reading.
constexpr int kScanPollMs = 15;
// How often rows changed by a run are painted.
constexpr int kRepaintIntervalMs = 100;
// Rows read again right on the GUI thread: a few files take less than a frame.
constexpr std::size_t kRowsReadInline = 8;

// The text a header click sorts a row by: what the row shows in the column (the name's own bytes
// for the Filename column).
std::string shownKeyText(const FileRow& row, tags::Column field, int column)
{
    if (field == tags::Column::Filename)
        return row.name;
    const auto at = static_cast<std::size_t>(column);
    return at < row.cells.size() ? row.cells[at].toStdString() : std::string();
}

QString scanProgressText(const FolderScan::Progress& progress, const std::string& lastName)
{
    QString text = QStringLiteral("Reading File ") + QString::number(progress.taken);
    if (progress.listingDone)
        text += QStringLiteral(" of ") + QString::number(progress.listed);
    return text + QStringLiteral(": ") + displayName(lastName);
}

}  // namespace

FileList::FileList(QWidget* parent) : QTableView(parent), m_model(new FileListModel(this))
{
    setModel(m_model);
    setItemDelegate(new FileListDelegate(*m_model, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row has the same height, so the view never measures ten thousand rows.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), 16) + 4);
    setUpHeader();

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileList::updateCountText);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FileList::updateCountText);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FileList::updateCountText);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &FileList::updateCountText);
    m_progressClock.start();

    m_scanTimer.setSingleShot(true);
    connect(&m_scanTimer, &QTimer::timeout, this, &FileList::takeScannedRows);
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setInterval(kRepaintIntervalMs);
    connect(&m_repaintTimer, &QTimer::timeout, this, &FileList::showChangedRows);
}

FileList::~FileList() = default;

void FileList::setUpHeader()
{
    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSortIndicatorShown(true);
    connect(header, &QHeaderView::sectionClicked, this, &FileList::sortByHeader);
    connect(header, &QHeaderView::sectionMoved, this, &FileList::onSectionMoved);
}

void FileList::setSortOrder(int sortColumn, bool ascending)
{
    const int count = static_cast<int>(columnLayout().size());
    m_sortColumn = (sortColumn >= 0 && sortColumn < count) ? sortColumn : 0;
    m_sortAscending = ascending;
    horizontalHeader()->setSortIndicator(m_sortColumn,
                                         m_sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<int> FileList::selectedRows() const
{
    std::vector<int> rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& index : selected)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> FileList::selectedFileNames() const
{
    std::vector<std::string> names;
    for (int r : selectedRows())
        names.push_back(row(r).name);
    return names;
}

int FileList::selectedCount() const
{
    return static_cast<int>(selectionModel()->selectedRows().size());
}

void FileList::clearFileList()
{
    m_scan.reset();
    m_scanTimer.stop();
    m_changedFirst = m_changedLast = -1;
    m_model->clear();
}

void FileList::scanFolder()
{
    m_scan.reset();
    if (m_folder.empty()) {
        finishScan();
        return;
    }
    m_scan = std::make_unique<FolderScan>(m_folder, columnLayout(), m_view, m_sortColumn);
    m_scanSortColumn = m_sortColumn;
    m_scanTimer.start(0);
}

void FileList::selectFiles(const std::vector<std::string>& names)
{
    QItemSelection rows;
    QModelIndex first;
    for (int r = 0; r < rowCount(); ++r) {
        if (std::find(names.begin(), names.end(), row(r).name) == names.end())
            continue;
        const QModelIndex index = m_model->index(r, 0);
        rows.select(index, index);
        if (!first.isValid() || row(r).name == names.front())
            first = index;
    }
    if (!first.isValid())
        return;
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
}

void FileList::refreshFileList()
{
    clearFileList();
    scanFolder();
}

void FileList::takeScannedRows()
{
    // A run holding the rows takes them up again when it lets go (releaseRows).
    if (!m_scan || m_holds > 0)
        return;
    std::vector<FileRow> rows = m_scan->takeRows(kRowsPerTurn);
    const bool more = rows.size() == kRowsPerTurn;
    const FolderScan::Progress progress = m_scan->progress();
    if (!rows.empty()) {
        emit progressTextChanged(scanProgressText(progress, rows.back().name));
        if (m_scanSortColumn != m_sortColumn) {
            // The user sorted by another column while the folder was read.
            for (FileRow& row : rows)
                setKeyFromShownText(row);
        }
        m_model->appendRows(std::move(rows));
    }
    if (progress.isDone())
        finishScan(false);
    else
        m_scanTimer.start(more ? 0 : kScanPollMs);
}

void FileList::stopScan()
{
    if (m_scan)
        finishScan(true);
}

void FileList::finishScan(bool stopped)
{
    FolderScan::Progress progress;
    std::vector<std::string> filesWithJournals;
    if (m_scan) {
        progress = m_scan->progress();
        filesWithJournals = m_scan->filesWithJournals();
        m_scan.reset();
        m_scanTimer.stop();
        m_model->sortRows(m_sortAscending, true);
    }
    if (!m_selectAfterScan.empty()) {
        selectFiles(m_selectAfterScan);
        m_selectAfterScan.clear();
    }
    showScanEnd(stopped, progress.taken, progress.listed);
    showRecoveries(filesWithJournals);
    updateCountText();
    emit scanFinished();
}

void FileList::showRecoveries(const std::vector<std::string>& filesWithJournals)
{
    const std::vector<tags::Recovery> recoveries = FolderScan::takeRecoveries();
    std::set<std::string> names(filesWithJournals.begin(), filesWithJournals.end());
    QString text;
    for (const tags::Recovery& recovery : recoveries) {
        const auto slash = recovery.file.rfind('/');
        const std::string name = recovery.file.substr(slash + 1);
        if (recovery.file.substr(0, slash + 1) == m_folder)
            names.insert(name);
        if (!text.isEmpty())
            text += QStringLiteral("; ");
        text += displayName(name) + QStringLiteral(": ") + fromUtf8(tags::describe(recovery));
    }
    std::vector<int> rows;
    for (int r = 0; r < rowCount() && !names.empty(); ++r)
        if (names.contains(row(r).name))
            rows.push_back(r);
    refreshRows(rows);
    if (!text.isEmpty())
        emit progressTextChanged(text);
}

void FileList::showScanEnd(bool stopped, std::size_t rowsRead, std::size_t rowsListed)
{
    if (!stopped) {
        emit progressTextChanged({});
        return;
    }
    QString text = QStringLiteral("Reading stopped after ") + QString::number(rowsRead);
    if (rowsListed > rowsRead)
        text += QStringLiteral(" of ") + QString::number(rowsListed);
    emit progressTextChanged(text + QStringLiteral(" files"));
}

void FileList::refreshSelectedRows()
{
    refreshRows(selectedRows());
}

void FileList::readFolderAgain()
{
    selectFilesAfterScan(selectedFileNames());
    refreshFileList();
}

void FileList::refreshRows(const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    std::vector<std::string> names;
    for (int r : rows)
        names.push_back(row(r).name);
    std::vector<FileRow> fresh(rows.size());
    const auto readAll = [&, folder = m_folder, layout = columnLayout(), view = m_view,
                          sortColumn = m_sortColumn](std::size_t threads) {
        // As the folder's scan does: several reads in flight hide a cold disk's latency.
        std::atomic<std::size_t> next{0};
        const auto reader = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < names.size();)
                fresh[i] = readFileRow(folder, names[i], layout, view, sortColumn);
        };
        std::vector<std::thread> pool;
        for (std::size_t k = 1; k < threads; ++k)
            pool.emplace_back(reader);
        reader();
        for (std::thread& thread : pool)
            thread.join();
    };
    {
        const RowsHold hold(*this);  // rows of a scan still going on wait meanwhile
        if (rows.size() <= kRowsReadInline) {
            const WaitCursor wait;
            readAll(1);
        } else {
            runAside([&] { readAll(FolderScan::kReaderThreads); });
        }
        for (std::size_t i = 0; i < rows.size(); ++i)
            m_model->replaceRow(rows[i], std::move(fresh[i]));
    }
    // The last name read stays in the status bar.
    emit progressTextChanged(kReadingFile + displayName(names.back()));
    sortRows();
}

void FileList::renameRow(int index, const std::string& name)
{
    if (index < 0 || index >= rowCount())
        return;
    m_model->replaceRow(index, readFileRow(m_folder, name, columnLayout(), m_view, m_sortColumn));
}

void FileList::updateRow(int index, int column, const QString& text, int presenceBits)
{
    if (index < 0 || index >= rowCount())
        return;
    m_model->setCellText(index, column, text);
    if (column == m_sortColumn && column < static_cast<int>(columnLayout().size()))
        m_model->setRowKey(index, columnLayout()[static_cast<std::size_t>(column)].field,
                           text.toStdString());
    const int presence = row(index).presence | presenceBits;
    if (presence != row(index).presence)
        m_model->setPresence(index, presence);
    // A run writes files faster than a list can be painted: the changes are shown together.
    m_changedFirst = m_changedFirst < 0 ? index : std::min(m_changedFirst, index);
    m_changedLast = std::max(m_changedLast, index);
    if (!m_repaintTimer.isActive())
        m_repaintTimer.start();
}

void FileList::showChangedRows()
{
    m_repaintTimer.stop();
    if (m_changedFirst >= 0)
        m_model->rowsChanged(m_changedFirst, std::min(m_changedLast, rowCount() - 1));
    m_changedFirst = m_changedLast = -1;
}

void FileList::holdRows()
{
    ++m_holds;
}

void FileList::releaseRows()
{
    if (m_holds == 0 || --m_holds > 0)
        return;
    showChangedRows();
    if (m_scan)
        m_scanTimer.start(0);
}

QString FileList::cellText(int index, int column) const
{
    const std::vector<QString>& cells = row(index).cells;
    return column >= 0 && static_cast<std::size_t>(column) < cells.size()
               ? cells[static_cast<std::size_t>(column)]
               : QString();
}

void FileList::sortRows()
{
    m_model->sortRows(m_sortAscending);
}

void FileList::selectAllRows()
{
    selectAll();
    setFocus();
}

void FileList::invertRowSelection()
{
    if (rowCount() > 0 && m_model->columnCount() > 0) {
        const QItemSelection all(m_model->index(0, 0),
                                 m_model->index(rowCount() - 1, m_model->columnCount() - 1));
        selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    }
    setFocus();
}

void FileList::selectNoRows()
{
    clearSelection();
    setFocus();
}

void FileList::applyColumnLayout(const ColumnLayout& layout)
{
    clearFileList();
    m_model->setColumnLayout(layout);
    if (m_sortColumn >= static_cast<int>(layout.size()))
        m_sortColumn = 0;
    rebuildColumns();
    scanFolder();
}

void FileList::rebuildColumns()
{
    QHeaderView* header = horizontalHeader();
    // The header keeps a reordering across a model reset; the new layout starts in its own order.
    m_rebuildingHeader = true;
    for (int position = 0; position < header->count(); ++position) {
        if (header->logicalIndex(position) != position)
            header->moveSection(header->visualIndex(position), position);
    }
    m_rebuildingHeader = false;
    const ColumnLayout& layout = columnLayout();
    for (int i = 0; i < static_cast<int>(layout.size()); ++i) {
        // The first physical column is not resized by dragging; its width comes from the layout.
        header->setSectionResizeMode(i, i == 0 ? QHeaderView::Fixed : QHeaderView::Interactive);
        header->resizeSection(i, layout[static_cast<std::size_t>(i)].width);
    }
    setSortOrder(m_sortColumn, m_sortAscending);
}

void FileList::readColumnWidths()
{
    for (int i = 0; i < static_cast<int>(columnLayout().size()); ++i)
        m_model->setColumnWidth(i, horizontalHeader()->sectionSize(i));
}

ColumnLayout FileList::layoutInDisplayOrder() const
{
    const ColumnLayout& layout = columnLayout();
    ColumnLayout ordered;
    ordered.reserve(layout.size());
    for (int position = 0; position < static_cast<int>(layout.size()); ++position) {
        const int column = horizontalHeader()->logicalIndex(position);
        ColumnSpec entry = layout[static_cast<std::size_t>(column)];
        entry.width = horizontalHeader()->sectionSize(column);
        ordered.push_back(entry);
    }
    return ordered;
}

int FileList::displayPosition(int column) const
{
    return horizontalHeader()->visualIndex(column);
}

void FileList::sortByHeader(int column)
{
    if (column < 0 || column >= static_cast<int>(columnLayout().size()))
        return;
    WaitCursor wait;
    if (column == m_sortColumn) {
        m_sortAscending = !m_sortAscending;
    } else {
        m_sortColumn = column;
        m_sortAscending = true;
        rebuildKeysFromShownText();
    }
    horizontalHeader()->setSortIndicator(m_sortColumn,
                                         m_sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    sortRows();
}

void FileList::rebuildKeysFromShownText()
{
    const tags::Column field = columnLayout()[static_cast<std::size_t>(m_sortColumn)].field;
    for (int r = 0; r < rowCount(); ++r)
        m_model->setRowKey(r, field, shownKeyText(row(r), field, m_sortColumn));
}

void FileList::setKeyFromShownText(FileRow& fileRow) const
{
    const tags::Column field = columnLayout()[static_cast<std::size_t>(m_sortColumn)].field;
    setSortKey(fileRow, field, shownKeyText(fileRow, field, m_sortColumn));
}

void FileList::onSectionMoved(int column, int /*oldPosition*/, int newPosition)
{
    if (m_rebuildingHeader || newPosition != 0)
        return;  // elsewhere the header just shows the columns in another order
    const ColumnLayout& old = columnLayout();
    ColumnLayout layout;
    layout.reserve(old.size());
    int newSortColumn = 0;
    for (int position = 0; position < static_cast<int>(old.size()); ++position) {
        const int physical = horizontalHeader()->logicalIndex(position);
        ColumnSpec entry = old[static_cast<std::size_t>(physical)];
        entry.width = horizontalHeader()->sectionSize(physical);
        if (physical == m_sortColumn)
            newSortColumn = static_cast<int>(layout.size());
        layout.push_back(entry);
    }
    (void)column;  // the dragged column is now at position 0, where the loop starts
    m_sortColumn = newSortColumn;
    applyColumnLayout(layout);
}

QString FileList::countText() const
{
    const int selected = selectedCount();
    if (selected == 1)
        return QStringLiteral("1 file selected");
    if (selected > 1)
        return QString::number(selected) + QStringLiteral(" files selected");
    if (rowCount() == 1)
        return QStringLiteral("1 file");
    return QString::number(rowCount()) + QStringLiteral(" files");
}

void FileList::updateCountText()
{
    emit countTextChanged(countText());
}

void FileList::showProgress(const QString& text)
{
    if (text.isEmpty() || m_progressClock.elapsed() >= kProgressIntervalMs) {
        m_progressClock.restart();
        emit progressTextChanged(text);
    }
}

void FileList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit commandRequested(commandNumber(CommandId::Properties));
}

void FileList::contextMenuEvent(QContextMenuEvent* event)
{
    emit actionMenuRequested(event->globalPos());
    event->accept();
}

}  // namespace corvane
