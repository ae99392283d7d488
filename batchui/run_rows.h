#pragma once
// What a batch run needs of the file list: the selected rows with their files and tags, and the
// means to show at once what a run wrote. The main window's list provides it; the run frame
// never sees the list's widget itself.

#include <QString>
#include <string>
#include <vector>

#include "gui/column_layout.h"

namespace corvane {

class RunRows {
public:
    virtual ~RunRows() = default;

    // The listed folder: file-system bytes ending with "/".
    [[nodiscard]] virtual const std::string& currentFolder() const = 0;
    // Every row of the list, selected or not.
    [[nodiscard]] virtual int rowCount() const = 0;
    // The selected rows, in list order (top to bottom).
    [[nodiscard]] virtual std::vector<int> selectedRows() const = 0;
    // The bare file name of a row (file-system bytes).
    [[nodiscard]] virtual const std::string& rowName(int row) const = 0;
    // The tag-presence bits the row's image shows (tags::kPresenceId3v1, tags::kPresenceId3v2).
    [[nodiscard]] virtual int rowPresence(int row) const = 0;
    // The text a row shows in a physical column; empty past the row's cells.
    [[nodiscard]] virtual QString cellText(int row, int column) const = 0;
    [[nodiscard]] virtual const ColumnLayout& columnLayout() const = 0;
    // The physical index of the column the rows are ordered by.
    [[nodiscard]] virtual int sortColumn() const = 0;
    [[nodiscard]] virtual TagView tagView() const = 0;

    // After a write: shows text in one cell, merges presence bits into the row's image, makes
    // text the row's key when the column is the sort column. Does not sort.
    virtual void updateRow(int row, int column, const QString& text, int presenceBits) = 0;
    // While a run holds the rows they stay where they are: the event loop runs during a run,
    // and a folder still being read adds no row until the hold ends, so row numbers stay
    // valid. Holds nest; each holdRows is matched by one releaseRows.
    virtual void holdRows() = 0;
    virtual void releaseRows() = 0;
    // Orders the rows by their keys again.
    virtual void sortRows() = 0;
    // Reads the file of every selected row again and sorts.
    virtual void refreshSelectedRows() = 0;
    // Reads the files of these rows again and sorts.
    virtual void refreshRows(const std::vector<int>& rows) = 0;
    // Lists the folder again (names may have changed), keeping the selected files selected.
    virtual void readFolderAgain() = 0;
    // Gives the keyboard focus to the list.
    virtual void focusRows() = 0;
};

// Holds the rows for the length of a scope.
class RowsHold {
public:
    explicit RowsHold(RunRows& rows) : m_rows(rows) { m_rows.holdRows(); }
    ~RowsHold() { m_rows.releaseRows(); }
    RowsHold(const RowsHold&) = delete;
    RowsHold& operator=(const RowsHold&) = delete;

private:
    RunRows& m_rows;
};

}  // namespace corvane
