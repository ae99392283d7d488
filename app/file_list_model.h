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

    // A fill appends many rows under one reset, so a folder of thousands of files costs the
    // views one update instead of one per row. Rows appended outside a fill are inserted singly.
    void beginFill();
    void endFill();
    void appendRow(FileRow row);
    void clear();

    [[nodiscard]] const FileRow& row(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    [[nodiscard]] const std::vector<FileRow>& rows() const { return m_rows; }
    // Replaces a row's texts, image and key in place.
    void replaceRow(int index, FileRow row);
    // Changes one shown text; the key is the caller's business (see setRowKey).
    void setCellText(int index, int column, const QString& text);
    void setPresence(int index, int presence);
    void setRowKey(int index, tags::Column sortField, std::string_view text);

    // Orders the rows by compareRows (stable), keeping selections and current items on the
    // rows they were on.
    void sortRows(bool ascending);

    // The image of a presence value (0..3).
    [[nodiscard]] const QIcon& presenceIcon(int presence) const;

private:
    void emitRowChanged(int index);

    ColumnLayout m_layout;
    std::vector<FileRow> m_rows;
    std::array<QIcon, kPresenceBits + 1> m_icons;  // by presence bits
    bool m_filling = false;
};

}  // namespace corvane
