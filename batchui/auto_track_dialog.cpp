#include "batchui/auto_track_dialog.h"

#include <QLineEdit>
#include <algorithm>

#include "gui/prompt.h"
#include "tags/text_rules.h"
#include "batchui/tag_boxes_dialog.h"
#include "ui_auto_track_dialog.h"

namespace corvane {

TrackNumberEdit::TrackNumberEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    lineEdit()->setMaxLength(kMaxLength);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setAccelerated(true);
    // The arrows' enabled state follows the text, which the base class does not watch.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { update(); });
}

void TrackNumberEdit::setText(const QString& text) { lineEdit()->setText(text); }

QString TrackNumberEdit::numberText() const { return lineEdit()->text(); }

int TrackNumberEdit::currentNumber() const
{
    const auto number = tags::leadingInteger(numberText().toStdString());
    return static_cast<int>(std::clamp<std::int64_t>(number, kMinimum, kMaximum));
}

void TrackNumberEdit::stepBy(int steps)
{
    const int next = std::clamp(currentNumber() + steps, kMinimum, kMaximum);
    setText(QString::number(next));
    lineEdit()->selectAll();
}

QValidator::State TrackNumberEdit::validate(QString& input, int&) const
{
    // Any text is accepted; OK reads the number it starts with.
    return input.size() <= kMaxLength ? QValidator::Acceptable : QValidator::Invalid;
}

QSize TrackNumberEdit::sizeHint() const
{
    QSize hint = QAbstractSpinBox::sizeHint();
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("0000000"));
    hint.setWidth(std::max(hint.width(), digits + 30));
    return hint;
}

QAbstractSpinBox::StepEnabled TrackNumberEdit::stepEnabled() const
{
    if (isReadOnly()) return StepNone;
    const int number = currentNumber();
    StepEnabled enabled = StepNone;
    if (number < kMaximum) enabled |= StepUpEnabled;
    if (number > kMinimum) enabled |= StepDownEnabled;
    return enabled;
}

AutoTrackDialog::AutoTrackDialog(batch::TagChoice choice, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AutoTrackDialog>()), m_prompter(prompter)
{
    m_ui->setupUi(this);
    m_ui->startEdit->setText(QStringLiteral("1"));
    m_ui->zeroCountEdit->setText(QStringLiteral("0"));
    m_ui->noneButton->setChecked(true);
    updateZeroCountEdit();
    setUpTagBoxes(*m_ui->id3v1Box, *m_ui->id3v2Box,
                  static_cast<batch::TagChoice>(choice & ~batch::kChoiceNoV1Form));

    for (QRadioButton* button : {m_ui->noneButton, m_ui->automaticButton, m_ui->customButton})
        connect(button, &QRadioButton::toggled, this, &AutoTrackDialog::updateZeroCountEdit);
    connect(m_ui->okButton, &QPushButton::clicked, this, &AutoTrackDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &AutoTrackDialog::reject);
    m_ui->startEdit->setFocus();
}

AutoTrackDialog::~AutoTrackDialog() = default;

void AutoTrackDialog::updateZeroCountEdit()
{
    m_ui->zeroCountEdit->setEnabled(m_ui->customButton->isChecked());
}

void AutoTrackDialog::accept()
{
    m_options.choice = readTagBoxes(*m_ui->id3v1Box, *m_ui->id3v2Box);
    m_options.start = batch::parseStartNumber(m_ui->startEdit->numberText().toStdString());
    if (m_ui->noneButton->isChecked())
        m_options.zeroMode = batch::kZerosNone;
    else if (m_ui->automaticButton->isChecked())
        m_options.zeroMode = batch::kZerosAutomatic;
    else
        m_options.zeroMode = batch::parseZeroCount(m_ui->zeroCountEdit->text().toStdString());
    if (!batch::choosesAnyTag(m_options.choice)) {
        m_prompter.stop(this, QStringLiteral("Please select at least one tag to update"));
        return;
    }
    QDialog::accept();
}

AutoTrackOptions AutoTrackDialog::options() const { return m_options; }

}  // namespace corvane
