#include "batchui/convert_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

ConvertDialog::ConvertDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Convert ID3v2 Version"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Rewrite the ID3v2 tags of the selected files as:"), this));
    m_v23 = new QRadioButton(QStringLiteral("ID3v2.&3"), this);
    m_v23->setObjectName(QStringLiteral("radioV23"));
    m_v24 = new QRadioButton(QStringLiteral("ID3v2.&4"), this);
    m_v24->setObjectName(QStringLiteral("radioV24"));
    m_v23->setChecked(true);
    layout->addWidget(m_v23);
    layout->addWidget(m_v24);
    auto* note = new QLabel(QStringLiteral("Frames that the chosen version does not have are dropped."), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::uint8_t ConvertDialog::targetMajor() const
{
    return m_v24->isChecked() ? 4 : 3;
}

}  // namespace corvane
