#pragma once
// Draws the cells of the file list. A file name too long for its column is elided in the
// middle, so that its distinguishing end (a track number, the extension) stays visible; tag
// texts are cut at the end as usual. The whole text is the cell's tooltip (the model's).

#include <QStyledItemDelegate>

namespace corvane {

class FileListModel;

class FileListDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // model must outlive the delegate.
    explicit FileListDelegate(const FileListModel& model, QObject* parent = nullptr);

    // What a cell is drawn with; public so that the elision of a cell can be checked.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    const FileListModel& m_model;
};

}  // namespace corvane
