#include "batchui/field_select_dialog.h"

#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QTreeWidget>
#include <algorithm>
#include <span>

#include "batchui/set_value_dialog.h"
#include "gui/display_text.h"
#include "gui/prompt.h"
#include "gui/resources.h"
#include "tags/editor_fields.h"
#include "ui_field_select_dialog.h"

namespace corvane {

namespace {

// The editor's controls hold longer texts than a row needs to show.
constexpr int kMaxDataLength = 259;

QString fieldLabel(tags::EditorField field)
{
    const std::string_view label = tags::definitionOf(field).label;
    return fromUtf8(label);
}

QString dataText(const batch::EditorTexts& texts, tags::EditorField field)
{
    return leftCharacters(fromUtf8(texts[field]), kMaxDataLength);
}

void invertRows(QTreeWidget& list)
{
    const int rows = list.topLevelItemCount();
    if (rows == 0) return;
    const QModelIndex first = list.model()->index(0, 0);
    const QModelIndex last = list.model()->index(rows - 1, 0);
    list.selectionModel()->select(QItemSelection(first, last),
                                  QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

bool anyRowChosen(const QTreeWidget& list) { return !list.selectedItems().isEmpty(); }

}  // namespace

struct FieldSelectDialog::ListSpec {
    std::span<const tags::EditorField> rows;
    tags::EditorField removeField;
    const char* removeText;
    int fieldWidth;  // the least width of the label column
    int dataWidth;
};

FieldSelectDialog::FieldSelectDialog(const batch::EditorTexts& texts,
                                     batch::FieldSelection& selection, Prompter& prompter,
                                     QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::FieldSelectDialog>()),
      m_selection(selection),
      m_prompter(prompter),
      m_ticked((initResources(), QIcon(QStringLiteral(":/icons/field-ticked.svg")))),
      m_unticked(QStringLiteral(":/icons/field-unticked.svg"))
{
    m_ui->setupUi(this);
    for (QTreeWidget* list : {m_ui->id3v1List, m_ui->id3v2List}) {
        list->setIconSize(QSize(13, 13));
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, list,
                [this, list] { showTicks(*list); });
    }

    static const ListSpec id3v1{kId3v1Rows, batch::kRemoveId3v1Field, "Remove ID3v1 Tag", 75, 150};
    static const ListSpec id3v2{kId3v2Rows, batch::kRemoveId3v2Field, "Remove ID3v2 Tag", 85, 125};
    m_id3v1Fields = fillList(*m_ui->id3v1List, id3v1, texts.v1Checked, texts);
    m_id3v2Fields = fillList(*m_ui->id3v2List, id3v2, texts.v2Checked, texts);
    connectButtons();
}

FieldSelectDialog::~FieldSelectDialog() = default;

std::vector<tags::EditorField> FieldSelectDialog::fillList(QTreeWidget& list, const ListSpec& form,
                                                           bool tagChecked,
                                                           const batch::EditorTexts& texts)
{
    if (!tagChecked) {
        fillRemoveRow(list, form.removeField, QString::fromLatin1(form.removeText));
        return {form.removeField};
    }
    std::vector<tags::EditorField> fields(form.rows.begin(), form.rows.end());
    fillFieldRows(list, fields, texts, form.fieldWidth, form.dataWidth);
    return fields;
}

void FieldSelectDialog::fillFieldRows(QTreeWidget& list,
                                      const std::vector<tags::EditorField>& fields,
                                      const batch::EditorTexts& texts, int fieldWidth,
                                      int dataWidth)
{
    list.setColumnCount(2);
    list.setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Data")});
    for (const tags::EditorField field : fields) {
        auto* item = new QTreeWidgetItem(&list, {fieldLabel(field), dataText(texts, field)});
        item->setIcon(0, m_unticked);
        item->setSelected(m_selection[field]);
    }
    // The labels must be readable whatever the font; the widths are only the least we give.
    list.resizeColumnToContents(0);
    list.header()->resizeSection(0, std::max(fieldWidth, list.header()->sectionSize(0)));
    list.header()->resizeSection(1, dataWidth);
}

void FieldSelectDialog::fillRemoveRow(QTreeWidget& list, tags::EditorField field,
                                      const QString& text)
{
    list.setColumnCount(1);
    list.setHeaderLabels({QStringLiteral("Field")});
    list.header()->resizeSection(0, 225);
    auto* item = new QTreeWidgetItem(&list, {text});
    item->setIcon(0, m_unticked);
    item->setSelected(m_selection[field]);
}

// Every row shows a ticked box while it is chosen, so the choice stays visible when the list
// loses the focus and the selection colour fades.
void FieldSelectDialog::showTicks(QTreeWidget& list) const
{
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list.topLevelItem(row);
        item->setIcon(0, item->isSelected() ? m_ticked : m_unticked);
    }
}

void FieldSelectDialog::connectButtons()
{
    const struct {
        QPushButton* all;
        QPushButton* invert;
        QPushButton* none;
        QTreeWidget* list;
    } groups[] = {
        {m_ui->id3v1AllButton, m_ui->id3v1InvertButton, m_ui->id3v1NoneButton, m_ui->id3v1List},
        {m_ui->id3v2AllButton, m_ui->id3v2InvertButton, m_ui->id3v2NoneButton, m_ui->id3v2List},
    };
    for (const auto& group : groups) {
        QTreeWidget* list = group.list;
        connect(group.all, &QPushButton::clicked, list, &QTreeWidget::selectAll);
        connect(group.invert, &QPushButton::clicked, list, [list] { invertRows(*list); });
        connect(group.none, &QPushButton::clicked, list, &QTreeWidget::clearSelection);
    }
    connect(m_ui->updateButton, &QPushButton::clicked, this, &FieldSelectDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &FieldSelectDialog::reject);
}

void FieldSelectDialog::storeRows(const QTreeWidget& list,
                                  const std::vector<tags::EditorField>& fields)
{
    for (std::size_t row = 0; row < fields.size(); ++row)
        m_selection.set(fields[row], list.topLevelItem(static_cast<int>(row))->isSelected());
}

void FieldSelectDialog::accept()
{
    storeRows(*m_ui->id3v1List, m_id3v1Fields);
    storeRows(*m_ui->id3v2List, m_id3v2Fields);
    if (!anyRowChosen(*m_ui->id3v1List) && !anyRowChosen(*m_ui->id3v2List)) {
        m_prompter.stop(this, QStringLiteral("At least one field must be selected in order to "
                                             "update your chosen MP3 Tags"));
        return;
    }
    QDialog::accept();
}

}  // namespace corvane
