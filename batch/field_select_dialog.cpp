#include "batch/field_select_dialog.h"

#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QTreeWidget>
#include <algorithm>

#include "app/prompt.h"
#include "app/resources.h"
#include "batch/set_value_dialog.h"
#include "tags/field_catalogue.h"
#include "ui_field_select_dialog.h"

namespace corvane {

namespace {

// The editor's controls hold longer texts than a row needs to show.
constexpr int kMaxDataLength = 259;

QString fieldName(std::size_t index)
{
    const auto name = tags::EditorFieldTable[index];
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString dataText(const FieldSelectTexts& texts, int flag)
{
    const std::string& text = flag == 25   ? texts.id3v1Genre
                              : flag == 26 ? texts.id3v2Genre
                                           : texts.fields[static_cast<std::size_t>(flag)];
    return leftCharacters(QString::fromUtf8(text), kMaxDataLength);
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

FieldSelectDialog::FieldSelectDialog(const FieldSelectTexts& texts, FieldSelection& selection,
                                     Prompter& prompter, QWidget* parent)
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

    if ((texts.tagMask & kFieldSelectId3v1) != 0) {
        m_id3v1Flags.assign(kId3v1RowFlags.begin(), kId3v1RowFlags.end());
        fillFieldRows(*m_ui->id3v1List, texts, m_id3v1Flags, 75, 150);
    } else {
        m_id3v1Flags = {kRemoveId3v1Flag};
        fillRemoveRow(*m_ui->id3v1List, QStringLiteral("Remove ID3v1 Tag"), kRemoveId3v1Flag);
    }
    if ((texts.tagMask & kFieldSelectId3v2) != 0) {
        m_id3v2Flags.assign(kId3v2RowFlags.begin(), kId3v2RowFlags.end());
        fillFieldRows(*m_ui->id3v2List, texts, m_id3v2Flags, 85, 125);
    } else {
        m_id3v2Flags = {kRemoveId3v2Flag};
        fillRemoveRow(*m_ui->id3v2List, QStringLiteral("Remove ID3v2 Tag"), kRemoveId3v2Flag);
    }
    connectButtons();
}

FieldSelectDialog::~FieldSelectDialog() = default;

void FieldSelectDialog::fillFieldRows(QTreeWidget& list, const FieldSelectTexts& texts,
                                      const std::vector<int>& flags, int fieldWidth, int dataWidth)
{
    // Both lists show the editor's labels in the editor's order; the ID3v1 list only the first
    // seven of them.
    list.setColumnCount(2);
    list.setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Data")});
    for (std::size_t row = 0; row < flags.size(); ++row) {
        auto* item = new QTreeWidgetItem(&list, {fieldName(row), dataText(texts, flags[row])});
        item->setIcon(0, m_unticked);
        item->setSelected(m_selection[static_cast<std::size_t>(flags[row])]);
    }
    // The labels must be readable whatever the font; the widths are only the least we give.
    list.resizeColumnToContents(0);
    list.header()->resizeSection(0, std::max(fieldWidth, list.header()->sectionSize(0)));
    list.header()->resizeSection(1, dataWidth);
}

void FieldSelectDialog::fillRemoveRow(QTreeWidget& list, const QString& text, int flag)
{
    list.setColumnCount(1);
    list.setHeaderLabels({QStringLiteral("Field")});
    list.header()->resizeSection(0, 225);
    auto* item = new QTreeWidgetItem(&list, {text});
    item->setIcon(0, m_unticked);
    item->setSelected(m_selection[static_cast<std::size_t>(flag)]);
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

void FieldSelectDialog::storeRows(const QTreeWidget& list, const std::vector<int>& flags)
{
    for (std::size_t row = 0; row < flags.size(); ++row) {
        const QTreeWidgetItem* item = list.topLevelItem(static_cast<int>(row));
        m_selection[static_cast<std::size_t>(flags[row])] = item->isSelected();
    }
}

void FieldSelectDialog::accept()
{
    storeRows(*m_ui->id3v1List, m_id3v1Flags);
    storeRows(*m_ui->id3v2List, m_id3v2Flags);
    if (!anyRowChosen(*m_ui->id3v1List) && !anyRowChosen(*m_ui->id3v2List)) {
        m_prompter.stop(this, QStringLiteral("At least one field must be selected in order to "
                                             "update your chosen MP3 Tags"));
        return;
    }
    QDialog::accept();
}

}  // namespace corvane
