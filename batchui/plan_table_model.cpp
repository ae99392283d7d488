#include "batchui/plan_table_model.h"

#include <QBrush>
#include <QPalette>

#include "batch/file_names.h"
#include "gui/display_text.h"

namespace corvane {

PlanTableModel::PlanTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void PlanTableModel::setPlans(std::vector<batch::FilePlan> plans)
{
    beginResetModel();
    m_plans = std::move(plans);
    m_lines.clear();
    m_lines.reserve(m_plans.size());
    for (std::size_t p = 0; p < m_plans.size(); ++p) {
        const auto& plan = m_plans[p];
        if (plan.hasProblem() || plan.changes.empty()) {
            m_lines.push_back({p, -1});
            continue;
        }
        for (std::size_t c = 0; c < plan.changes.size(); ++c)
            m_lines.push_back({p, static_cast<int>(c)});
    }
    endResetModel();
}

PlanTableModel::Counts PlanTableModel::counts() const
{
    Counts counts;
    for (const auto& plan : m_plans) {
        if (plan.hasProblem())
            ++counts.problems;
        else if (plan.writes())
            ++counts.writing;
        else
            ++counts.unchanged;
    }
    return counts;
}

int PlanTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int PlanTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString PlanTableModel::text(const Line& line, int column) const
{
    const batch::FilePlan& plan = m_plans[line.plan];
    const bool firstOfFile = line.change <= 0;
    if (column == FileColumn) return firstOfFile ? displayName(batch::nameOf(plan.path)) : QString();
    if (column == NoteColumn) {
        if (!firstOfFile) return {};
        if (plan.hasProblem()) return fromUtf8(plan.reason);
        if (plan.changes.empty()) return QStringLiteral("no change");
        return fromUtf8(plan.note);
    }
    if (line.change < 0) return {};
    const batch::ValueChange& change = plan.changes[static_cast<std::size_t>(line.change)];
    const bool isName = change.target == batch::ChangeTarget::FileName;
    switch (column) {
        case FieldColumn: {
            QString tag;
            if (change.target == batch::ChangeTarget::Id3v1) tag = QStringLiteral("ID3v1 ");
            if (change.target == batch::ChangeTarget::Id3v2) tag = QStringLiteral("ID3v2 ");
            return tag + fromUtf8(change.label);
        }
        // A name is file-system bytes; a tag value is UTF-8.
        case OldColumn: return isName ? displayName(change.before) : fromUtf8(change.before);
        case NewColumn: return isName ? displayName(change.after) : fromUtf8(change.after);
        default: return {};
    }
}

QVariant PlanTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Line& line = m_lines[static_cast<std::size_t>(index.row())];
    const batch::FilePlan& plan = m_plans[line.plan];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: return text(line, index.column());
        case Qt::ForegroundRole:
            if (plan.hasProblem()) return QBrush(Qt::red);
            if (!plan.writes()) return QPalette().brush(QPalette::Disabled, QPalette::Text);
            return {};
        default: return {};
    }
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case FileColumn: return QStringLiteral("File");
        case FieldColumn: return QStringLiteral("Field");
        case OldColumn: return QStringLiteral("Old");
        case NewColumn: return QStringLiteral("New");
        case NoteColumn: return QStringLiteral("Problem or note");
        default: return {};
    }
}

}  // namespace corvane
