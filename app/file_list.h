#pragma once
// The right-hand pane of the main window: the MP3 files of the current folder, one row per file
// and one column per layout entry, showing the values of one tag (the tag view). It reads the
// folder in the background, sorts, keeps the selection, and tells the window what to show in the
// status bar. A batch run sees it as its RunRows.

#include "app/file_list_model.h"
#include "app/folder_scan.h"
#include "batchui/run_rows.h"
#include "gui/column_layout.h"

#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class FolderScan;

class FileList : public QTableView, public RunRows {
    Q_OBJECT

public:
    explicit FileList(QWidget* parent = nullptr);
    ~FileList() override;

    // Rows a scan adds to the list in one turn of the event loop at most, so that a folder of
    // thousands of files never holds the window for long.
    static constexpr std::size_t kRowsPerTurn = 1000;

    // --- state -----------------------------------------------------------------------------
    // The folder whose files are listed: file-system bytes ending with "/", or empty when no
    // folder is chosen. Setting it does not read it; refreshFileList does.
    void setCurrentFolder(std::string folder) { m_folder = std::move(folder); }
    [[nodiscard]] const std::string& currentFolder() const override { return m_folder; }
    [[nodiscard]] TagView tagView() const override { return m_view; }
    void setTagView(TagView view) { m_view = view; }
    [[nodiscard]] const ColumnLayout& columnLayout() const override
    {
        return m_model->columnLayout();
    }
    // The physical index of the column the rows are ordered by.
    [[nodiscard]] int sortColumn() const override { return m_sortColumn; }
    [[nodiscard]] bool isSortAscending() const { return m_sortAscending; }
    // Restores a sort order without sorting (start-up); sortColumn is limited to the layout.
    void setSortOrder(int sortColumn, bool ascending);
    [[nodiscard]] FileListModel& model() const { return *m_model; }

    // --- rows ------------------------------------------------------------------------------
    [[nodiscard]] int rowCount() const override { return m_model->rowCount(); }
    [[nodiscard]] const FileRow& row(int index) const { return m_model->row(index); }
    [[nodiscard]] const std::string& rowName(int index) const override { return row(index).name; }
    [[nodiscard]] int rowPresence(int index) const override { return row(index).presence; }
    [[nodiscard]] QString cellText(int index, int column) const override;
    // Rows that are selected, in list order (top to bottom).
    [[nodiscard]] std::vector<int> selectedRows() const override;
    [[nodiscard]] std::vector<std::string> selectedFileNames() const;
    [[nodiscard]] int selectedCount() const;

    // Empties the list, stopping a scan in progress.
    void clearFileList();
    // Starts filling the emptied list with the current folder's "*.mp3" entries (the pattern
    // matches without regard to case; a folder whose name matches is listed too). The rows are
    // read on worker threads and arrive in batches while the event loop runs; when the last one
    // is in, the list is sorted once, in the order a reading one file after another would give.
    void scanFolder();
    // Empties the list and reads the folder again.
    void refreshFileList();
    [[nodiscard]] bool isScanning() const { return m_scan != nullptr; }
    // Ends a scan in progress at once (Esc): the rows already shown stay and are sorted.
    void stopScan();
    // Called once by every scan when it ends (an empty folder path included): sorts the rows,
    // selects the files asked for with selectFilesAfterScan, says in the status bar whether the
    // reading was stopped, shows the count, then reports scanFinished.
    void finishScan(bool stopped = false);
    // The rows of these names (in the folder being read) are selected when the next scan
    // ends; the first becomes the current row.
    void selectFilesAfterScan(std::vector<std::string> names)
    {
        m_selectAfterScan = std::move(names);
    }
    // Reads the file of every selected row again and sorts.
    void refreshSelectedRows() override;
    void refreshRows(const std::vector<int>& rows) override;
    void readFolderAgain() override;
    // After a batch write: shows text in one cell, merges presence bits into the row's image,
    // and, when the column is the sort column, makes text the row's key. The change is painted
    // within a tenth of a second, together with the others of a run. Does not sort.
    void updateRow(int row, int column, const QString& text, int presenceBits) override;
    void holdRows() override;
    void releaseRows() override;
    // Orders the rows by their keys in the current direction.
    void sortRows() override;
    void focusRows() override { setFocus(); }

    void selectAllRows();
    void invertRowSelection();
    void selectNoRows();

    // --- columns ---------------------------------------------------------------------------
    // Replaces the layout, keeps the sort column when it still exists (otherwise column 0) and
    // reads the folder again.
    void applyColumnLayout(const ColumnLayout& layout);
    // Copies the header's present widths into the layout.
    void readColumnWidths();
    // The layout in the order the header shows it, with the present widths.
    [[nodiscard]] ColumnLayout layoutInDisplayOrder() const;
    // The display position of a physical column.
    [[nodiscard]] int displayPosition(int column) const;

    [[nodiscard]] QString countText() const;

signals:
    void countTextChanged(const QString& text);
    void progressTextChanged(const QString& text);
    // A scan has read its last row and the count is shown.
    void scanFinished();
    // A double-click: the Properties command. (The list's keys belong to the whole window.)
    void commandRequested(int id);
    // A right click; the position is global.
    void actionMenuRequested(const QPoint& globalPos);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void setUpHeader();
    void takeScannedRows();
    // The status texts once a scan has ended, by its last row or by a stop: the one place that
    // says what a scan found.
    void showScanEnd(bool stopped, std::size_t rowsRead, std::size_t rowsListed);
    // Journals of interrupted writes finished by scans: the rows of their files read again, and
    // what was done in the status bar.
    void showRecoveries(const std::vector<std::string>& filesWithJournals);

    void showChangedRows();
    void rebuildColumns();
    void sortByHeader(int column);
    void onSectionMoved(int column, int oldPosition, int newPosition);
    void updateCountText();
    void showProgress(const QString& text);
    void rebuildKeysFromShownText();
    void setKeyFromShownText(FileRow& row) const;
    void selectFiles(const std::vector<std::string>& names);

    FileListModel* m_model;
    std::string m_folder;
    TagView m_view = TagView::Id3v1;
    int m_sortColumn = 0;
    bool m_sortAscending = true;
    bool m_rebuildingHeader = false;
    std::vector<std::string> m_selectAfterScan;
    QElapsedTimer m_progressClock;

    std::unique_ptr<FolderScan> m_scan;  // the scan in progress, if any
    int m_scanSortColumn = 0;            // the sort column the scan's keys were made for
    QTimer m_scanTimer;                  // the next turn that takes rows of the scan
    int m_holds = 0;                     // runs holding the rows in place
    // Rows changed by a run and not yet painted.
    int m_changedFirst = -1;
    int m_changedLast = -1;
    QTimer m_repaintTimer;
};

}  // namespace corvane
