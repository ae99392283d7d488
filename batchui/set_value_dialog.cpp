#include "batch/set_data.h"
#include "batchui/set_value_dialog.h"

#include <QLineEdit>

#include "batchui/tag_boxes_dialog.h"
#include "gui/display_text.h"
#include "gui/genre_box.h"
#include "gui/prompt.h"
#include "ui_set_value_dialog.h"

namespace corvane {

QString leftCharacters(const QString& text, int maxChars)
{
    qsizetype end = 0;
    for (int count = 0; count < maxChars && end < text.size(); ++count) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

SetValueDialog::SetValueDialog(tags::Column field, const std::string& startValue,
                               batch::TagChoice choice, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::SetValueDialog>()),
      m_prompter(prompter),
      m_field(field)
{
    m_ui->setupUi(this);
    const QString name = fromUtf8(tags::ColumnTable[static_cast<std::size_t>(field)].name);
    setWindowTitle(QStringLiteral("Set ") + name);
    m_ui->fieldLabel->setText(name);

    const QString start = QString::fromUtf8(startValue);
    if (isGenreField())
        setUpGenreBox(start);
    else
        setUpValueEdit(start);
    setUpTagBoxes(*m_ui->id3v1Box, *m_ui->id3v2Box, choice);

    connect(m_ui->okButton, &QPushButton::clicked, this, &SetValueDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &SetValueDialog::reject);
}

SetValueDialog::~SetValueDialog() = default;

bool SetValueDialog::isGenreField() const
{
    const auto name = tags::ColumnTable[static_cast<std::size_t>(m_field)].name;
    return QString::compare(fromUtf8(name), QStringLiteral("genre"), Qt::CaseInsensitive) == 0;
}

void SetValueDialog::setUpGenreBox(const QString& startValue)
{
    m_ui->valueEdit->hide();
    QComboBox& box = *m_ui->genreBox;

    // The empty entry comes first, then the names in alphabetical order, each carrying its
    // genre number: the same items as the tag editor's genre boxes.
    fillGenreBox(box);
    box.lineEdit()->setMaxLength(kMaxSetValueLength);

    int match = 0;
    for (int i = 1; i < box.count(); ++i) {
        if (QString::compare(box.itemText(i), startValue, Qt::CaseInsensitive) == 0) {
            match = i;
            break;
        }
    }
    box.setCurrentIndex(match);
    // A genre text that is not in the table is kept as it stands rather than lost.
    if (match == 0) box.setEditText(startValue);
    box.setFocus();
}

void SetValueDialog::setUpValueEdit(const QString& startValue)
{
    m_ui->genreBox->hide();
    QLineEdit& edit = *m_ui->valueEdit;
    edit.setMaxLength(kMaxSetValueLength);
    edit.setText(startValue);
    edit.selectAll();
    edit.setFocus();
}

QString SetValueDialog::enteredText() const
{
    const QString text = isGenreField() ? m_ui->genreBox->currentText() : m_ui->valueEdit->text();
    return leftCharacters(text, kMaxSetValueLength);
}

void SetValueDialog::accept()
{
    m_value = enteredText().toStdString();
    m_choice = readTagBoxes(*m_ui->id3v1Box, *m_ui->id3v2Box);
    if (!batch::choosesAnyTag(m_choice)) {
        m_prompter.stop(this, QStringLiteral("Please select at least one tag to update"));
        return;
    }
    QDialog::accept();
}

batch::SetDataOptions SetValueDialog::options() const
{
    batch::SetDataOptions options;
    options.values.push_back(batch::FieldValue{batch::fieldOfColumn(m_field), m_value});
    options.choice = m_choice;
    return options;
}

}  // namespace corvane
