#include "app/column_chooser_dialog.h"

#include <algorithm>

#include "gui/prompt.h"
#include "ui_column_chooser_dialog.h"

namespace corvane {

namespace {

std::size_t indexOf(tags::Column field) { return static_cast<std::size_t>(field); }

// The physical indices in display order, each valid index exactly once.
std::vector<std::size_t> repairedOrder(std::size_t count, const std::vector<int>& displayOrder)
{
    std::vector<std::size_t> order;
    std::vector<bool> seen(count, false);
    for (const int index : displayOrder) {
        if (index < 0 || static_cast<std::size_t>(index) >= count ||
            seen[static_cast<std::size_t>(index)])
            continue;
        seen[static_cast<std::size_t>(index)] = true;
        order.push_back(static_cast<std::size_t>(index));
    }
    for (std::size_t index = 0; index < count; ++index) {
        if (!seen[index]) order.push_back(index);
    }
    return order;
}

}  // namespace

ColumnChecks initialColumnChecks(const ColumnLayout& layout)
{
    ColumnChecks checks{};
    checks[indexOf(tags::Column::Filename)] = true;
    for (const ColumnSpec& column : layout) {
        if (indexOf(column.field) < checks.size()) checks[indexOf(column.field)] = true;
    }
    return checks;
}

ColumnLayout chooseColumns(const ColumnLayout& layout, const std::vector<int>& displayOrder,
                           const ColumnChecks& checked)
{
    ColumnChecks pending = checked;
    ColumnLayout chosen;
    // Kept columns first, as the user saw them, so that physical and display order agree again
    // once the list is rebuilt from this layout.
    for (const std::size_t physical : repairedOrder(layout.size(), displayOrder)) {
        const ColumnSpec& column = layout[physical];
        const std::size_t field = indexOf(column.field);
        if (field < pending.size() && pending[field]) {
            chosen.push_back(column);
            pending[field] = false;
        }
    }
    for (std::size_t field = 1; field < pending.size(); ++field) {
        if (pending[field]) chosen.push_back({static_cast<tags::Column>(field), kNewColumnWidth});
    }
    if (pending[indexOf(tags::Column::Filename)])
        chosen.push_back({tags::Column::Filename, kNewColumnWidth});
    return chosen;
}

ColumnChooserDialog::ColumnChooserDialog(ColumnLayout layout, std::vector<int> displayOrder,
                                         Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::ColumnChooserDialog>()),
      m_prompter(prompter),
      m_layout(std::move(layout)),
      m_displayOrder(std::move(displayOrder))
{
    m_ui->setupUi(this);
    m_boxes = {m_ui->filenameBox, m_ui->titleBox,      m_ui->artistBox,    m_ui->albumBox,
               m_ui->yearBox,     m_ui->commentBox,    m_ui->genreBox,     m_ui->trackBox,
               m_ui->composerBox, m_ui->origArtistBox, m_ui->copyrightBox, m_ui->urlBox,
               m_ui->encodedByBox, m_ui->coverBox};
    const ColumnChecks checks = initialColumnChecks(m_layout);
    for (std::size_t field = 0; field < m_boxes.size(); ++field)
        m_boxes[field]->setChecked(checks[field]);

    connect(m_ui->okButton, &QPushButton::clicked, this, &ColumnChooserDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ColumnChooserDialog::reject);
    m_ui->titleBox->setFocus();
}

ColumnChooserDialog::~ColumnChooserDialog() = default;

void ColumnChooserDialog::accept()
{
    ColumnChecks checks{};
    for (std::size_t field = 0; field < m_boxes.size(); ++field)
        checks[field] = m_boxes[field]->isChecked();
    if (std::none_of(checks.begin(), checks.end(), [](bool on) { return on; })) {
        m_prompter.stop(this, QStringLiteral("Please select at least one column header"));
        return;
    }
    m_chosen = chooseColumns(m_layout, m_displayOrder, checks);
    QDialog::accept();
}

}  // namespace corvane
