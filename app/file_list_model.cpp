#include "app/file_list_model.h"

#include "gui/display_text.h"
#include "gui/resources.h"

#include <QPixmap>

#include <algorithm>
#include <numeric>

namespace corvane {

namespace {

// By the row's presence bits.
constexpr std::array<const char*, kPresenceBits + 1> kPresenceIconPaths{
    ":/icons/presence-none.svg", ":/icons/presence-v1.svg", ":/icons/presence-v2.svg",
    ":/icons/presence-both.svg"};

// Rendered once: an SVG icon drawn afresh for each of ten thousand rows would be wasted work.
QIcon renderedIcon(const char* path)
{
    const QIcon svg(QString::fromLatin1(path));
    QIcon icon;
    icon.addPixmap(svg.pixmap(16, 16));
    icon.addPixmap(svg.pixmap(32, 32));
    return icon;
}

}  // namespace

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent)
{
    initResources();
    for (std::size_t i = 0; i < m_icons.size(); ++i)
        m_icons[i] = renderedIcon(kPresenceIconPaths[i]);
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_layout.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const FileRow& r = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const auto column = static_cast<std::size_t>(index.column());
        return column < r.cells.size() ? r.cells[column] : QString();
    }
    case Qt::DecorationRole:
        // The image belongs to the row's first physical column, wherever that column is shown.
        return index.column() == 0 ? QVariant(presenceIcon(r.presence)) : QVariant();
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole) {
        const std::string_view name =
            tags::ColumnTable[static_cast<std::size_t>(m_layout[static_cast<std::size_t>(section)].field)]
                .name;
        return fromUtf8(name);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void FileListModel::setColumnLayout(const ColumnLayout& layout)
{
    beginResetModel();
    m_layout = layout;
    m_rows.clear();
    endResetModel();
}

void FileListModel::setColumnWidth(int column, int width)
{
    if (column >= 0 && static_cast<std::size_t>(column) < m_layout.size())
        m_layout[static_cast<std::size_t>(column)].width = width;
}

void FileListModel::appendRows(std::vector<FileRow> rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void FileListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FileListModel::rowsChanged(int first, int last)
{
    if (columnCount() == 0 || first > last || first < 0 || last >= rowCount())
        return;
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void FileListModel::replaceRow(int index, FileRow row)
{
    FileRow& old = m_rows[static_cast<std::size_t>(index)];
    row.listingOrder = old.listingOrder;
    old = std::move(row);
    rowsChanged(index, index);
}

void FileListModel::setCellText(int index, int column, const QString& text)
{
    FileRow& r = m_rows[static_cast<std::size_t>(index)];
    if (column < 0 || static_cast<std::size_t>(column) >= m_layout.size())
        return;
    r.cells.resize(m_layout.size());
    r.cells[static_cast<std::size_t>(column)] = text;
}

void FileListModel::setPresence(int index, int presence)
{
    m_rows[static_cast<std::size_t>(index)].presence = presence & kPresenceBits;
}

void FileListModel::setRowKey(int index, tags::Column sortField, std::string_view text)
{
    setSortKey(m_rows[static_cast<std::size_t>(index)], sortField, text);
}

void FileListModel::sortRows(bool ascending, bool byListing)
{
    if (m_rows.size() < 2)
        return;
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const FileRow& rowA = m_rows[static_cast<std::size_t>(a)];
        const FileRow& rowB = m_rows[static_cast<std::size_t>(b)];
        const int c = compareRows(rowA, rowB);
        if (c == 0 && byListing)
            return rowA.listingOrder < rowB.listingOrder;
        return ascending ? c < 0 : c > 0;
    });
    if (std::is_sorted(order.begin(), order.end()))
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(m_rows.size());
    std::vector<FileRow> sorted;
    sorted.reserve(m_rows.size());
    for (std::size_t to = 0; to < order.size(); ++to) {
        newRowOf[static_cast<std::size_t>(order[to])] = static_cast<int>(to);
        sorted.push_back(std::move(m_rows[static_cast<std::size_t>(order[to])]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const QIcon& FileListModel::presenceIcon(int presence) const
{
    return m_icons[static_cast<std::size_t>(presence & kPresenceBits)];
}

}  // namespace corvane
