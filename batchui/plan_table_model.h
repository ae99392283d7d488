#pragma once
// The preview table of the operations that show what they would do before they do it (Tag from
// File Name, Rename from Tags, Case and Replace): one line per value that would change, the
// file named on its first line; a file that would not change has one grey line, one that is left
// alone for a problem has one line with the problem marked.

#include <QAbstractTableModel>
#include <cstddef>
#include <vector>

#include "batch/file_plan.h"

namespace corvane {

class PlanTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { FileColumn, FieldColumn, OldColumn, NewColumn, NoteColumn, ColumnCount };

    explicit PlanTableModel(QObject* parent = nullptr);

    // Shows plans in place of the ones shown before.
    void setPlans(std::vector<batch::FilePlan> plans);
    [[nodiscard]] const std::vector<batch::FilePlan>& plans() const { return m_plans; }

    // How many of the plans write, leave their file as it is, and have a problem.
    struct Counts {
        std::size_t writing = 0;
        std::size_t unchanged = 0;
        std::size_t problems = 0;
    };
    [[nodiscard]] Counts counts() const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    struct Line {
        std::size_t plan = 0;
        int change = -1;  // index into the plan's changes; -1 for a file without any
    };
    [[nodiscard]] QString text(const Line& line, int column) const;

    std::vector<batch::FilePlan> m_plans;
    std::vector<Line> m_lines;
};

}  // namespace corvane
