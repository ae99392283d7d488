#include "batchui/rename_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

RenameDialog::RenameDialog(const std::vector<std::string>& formats, batch::TagKind source,
                           Previewer previewer, Prompter& prompter, QWidget* parent)
    : PreviewDialog(QStringLiteral("Rename from Tags"), prompter, parent),
      m_previewer(std::move(previewer))
{
    addFormatBox(QStringLiteral("&Format of the new names (.mp3 is kept):"), formats,
                 {QStringLiteral("%track:2% - %title%"), QStringLiteral("%artist% - %title%"),
                  QStringLiteral("%artist% - %album% - %track:2% - %title%")});
    auto& options = optionsLayout();
    auto* tags = new QHBoxLayout;
    tags->addWidget(new QLabel(QStringLiteral("Values from:"), this));
    m_fromV1 = new QRadioButton(QStringLiteral("ID3v&1 tag"), this);
    m_fromV1->setObjectName(QStringLiteral("fromV1"));
    auto* fromV2 = new QRadioButton(QStringLiteral("ID3v&2 tag"), this);
    fromV2->setObjectName(QStringLiteral("fromV2"));
    (source == batch::TagKind::Id3v1 ? m_fromV1 : fromV2)->setChecked(true);
    tags->addWidget(m_fromV1);
    tags->addWidget(fromV2);
    tags->addStretch();
    options.addLayout(tags);

    // On by default, so that the names survive a copy to a USB stick.
    m_portable = new QCheckBox(
        QStringLiteral("&Replace the characters other systems refuse: \\ : * ? \" < > |"), this);
    m_portable->setObjectName(QStringLiteral("portableBox"));
    m_portable->setChecked(true);
    options.addWidget(m_portable);

    connect(m_fromV1, &QRadioButton::toggled, this, &RenameDialog::optionsChanged);
    connect(m_portable, &QCheckBox::toggled, this, &RenameDialog::optionsChanged);
    optionsChanged();
}

std::optional<std::vector<batch::FilePlan>> RenameDialog::buildPlans(QString& error)
{
    auto format = checkedFormat(batch::checkNamingFormat, QStringLiteral("make file names"), error);
    if (!format) return std::nullopt;
    m_options.format = std::move(*format);
    m_options.source = m_fromV1->isChecked() ? batch::TagKind::Id3v1 : batch::TagKind::Id3v2;
    m_options.portable = m_portable->isChecked();
    return m_previewer(m_options);
}

}  // namespace corvane
