#pragma once
// "Select Columns": which fields the file list shows as columns. Columns the user leaves checked
// keep the order and width they have on screen; newly checked fields are appended.

#include <QDialog>
#include <array>
#include <memory>
#include <vector>

#include "gui/column_layout.h"
#include "tags/field_catalogue.h"

class QCheckBox;

namespace Ui {
class ColumnChooserDialog;
}

namespace corvane {

class Prompter;

// One flag per ColumnTable field.
using ColumnChecks = std::array<bool, tags::kColumnCount>;

// The width of a column the user adds.
inline constexpr int kNewColumnWidth = 100;

// The boxes the dialog opens with: every field of layout, and "Filename" always, so a list
// that lost its "Filename" column gets it back when the user just presses OK.
[[nodiscard]] ColumnChecks initialColumnChecks(const ColumnLayout& layout);

// The layout OK hands back. layout: the current columns in physical order with the widths the
// header shows; displayOrder: for each display position the physical index shown there (an
// order that does not fit the layout is repaired: bad and repeated entries are dropped and the
// missing columns follow in physical order). First the checked columns in display order with
// their widths (a field that appears twice is kept once), then the other checked fields in
// ColumnTable order from "Title" at kNewColumnWidth, and "Filename" last. Empty when nothing is
// checked.
[[nodiscard]] ColumnLayout chooseColumns(const ColumnLayout& layout,
                                         const std::vector<int>& displayOrder,
                                         const ColumnChecks& checked);

class ColumnChooserDialog final : public QDialog {
    Q_OBJECT

public:
    // layout and displayOrder as for chooseColumns. prompter must outlive the dialog.
    ColumnChooserDialog(ColumnLayout layout, std::vector<int> displayOrder, Prompter& prompter,
                        QWidget* parent = nullptr);
    ~ColumnChooserDialog() override;

    // After the dialog was accepted: the new layout (never empty). On Cancel the caller keeps
    // its own layout.
    [[nodiscard]] const ColumnLayout& chosenLayout() const { return m_chosen; }

    // Refuses to close while every box is cleared.
    void accept() override;

private:
    std::unique_ptr<Ui::ColumnChooserDialog> m_ui;
    std::array<QCheckBox*, tags::kColumnCount> m_boxes{};
    Prompter& m_prompter;
    ColumnLayout m_layout;
    std::vector<int> m_displayOrder;
    ColumnLayout m_chosen;
};

}  // namespace corvane
