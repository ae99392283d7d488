#include "app/file_list_delegate.h"

#include "app/file_list_model.h"

namespace corvane {

FileListDelegate::FileListDelegate(const FileListModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model)
{
}

void FileListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const ColumnLayout& layout = m_model.columnLayout();
    const auto column = static_cast<std::size_t>(index.column());
    if (column < layout.size() && layout[column].field == tags::Column::Filename)
        option->textElideMode = Qt::ElideMiddle;
}

}  // namespace corvane
