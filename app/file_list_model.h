#pragma once
// The rows of the file list for a model/view pair: one FileRow per file, one column per layout
// entry, and the presence image in front of each row.

#include "gui/column_layout.h"
#include "app/file_row.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <vector>

namespace corvane {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces the columns; every row goes, since its cells belong to the old layout.
    void setColumnLayout(const ColumnLayout& layout);
    [[nodiscard]] const ColumnLayout& columnLayout() const { return m_layout; }
    // Records a width the user gave a column; the rows stay.
    void setColumnWidth(int column, int width);

    // Appends rows in one insertion, so a batch of thousands costs the views one update.
    void appendRows(std::vector<FileRow> rows);
    void clear();

    [[nodiscard]] const FileRow& row(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    [[nodiscard]] const std::vector<FileRow>& rows() const { return m_rows; }
    // Replaces a row's texts, image and key in place; it keeps its place in the listing.
    void replaceRow(int index, FileRow row);
    // These three change a row without telling the views; rowsChanged does, once for many.
    void setCellText(int index, int column, const QString& text);
    void setPresence(int index, int presence);
    void setRowKey(int index, tags::Column sortField, std::string_view text);
    // Tells the views that the rows first..last changed.
    void rowsChanged(int first, int last);

    // Orders the rows by compareRows, keeping selections and current items on the rows they
    // were on. Rows with equal keys keep their present order, or, with byListing, the order of
    // the folder's listing, which makes the order after a scan the same however it was read.
    void sortRows(bool ascending, bool byListing = false);

    // The image of a presence value (0..3).
    [[nodiscard]] const QIcon& presenceIcon(int presence) const;

private:

    ColumnLayout m_layout;
    std::vector<FileRow> m_rows;
    std::array<QIcon, kPresenceBits + 1> m_icons;  // by presence bits
};

}  // namespace corvane
