#include "batchui/from_name_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "batchui/tag_boxes_dialog.h"

namespace corvane {

FromNameDialog::FromNameDialog(const std::vector<std::string>& formats, batch::TagChoice choice,
                               Previewer previewer, Prompter& prompter, QWidget* parent)
    : PreviewDialog(QStringLiteral("Tag from File Name"), prompter, parent),
      m_previewer(std::move(previewer))
{
    addFormatBox(QStringLiteral("&Format of the file names:"), formats,
                 {QStringLiteral("%artist% - %title%"), QStringLiteral("%track% - %title%"),
                  QStringLiteral("%artist%/%album%/%track% - %title%")},
                 QStringLiteral(" %ignore% skips any text; a / reads the folder names above the "
                                "file."));
    auto* boxes = new QHBoxLayout;
    m_id3v1Box = new QCheckBox(QStringLiteral("Set ID3v&1 Tag"), this);
    m_id3v1Box->setObjectName(QStringLiteral("id3v1Box"));
    m_id3v2Box = new QCheckBox(QStringLiteral("Set ID3v&2 Tag"), this);
    m_id3v2Box->setObjectName(QStringLiteral("id3v2Box"));
    setUpTagBoxes(*m_id3v1Box, *m_id3v2Box, choice);
    boxes->addWidget(m_id3v1Box);
    boxes->addWidget(m_id3v2Box);
    boxes->addStretch();
    optionsLayout().addLayout(boxes);
    connect(m_id3v1Box, &QCheckBox::stateChanged, this, &FromNameDialog::optionsChanged);
    connect(m_id3v2Box, &QCheckBox::stateChanged, this, &FromNameDialog::optionsChanged);
    optionsChanged();
}

std::optional<std::vector<batch::FilePlan>> FromNameDialog::buildPlans(QString& error)
{
    auto format = checkedFormat(batch::checkReadingFormat, QStringLiteral("read file names"), error);
    if (!format) return std::nullopt;
    m_options.format = std::move(*format);
    m_options.choice = readTagBoxes(*m_id3v1Box, *m_id3v2Box);
    if (!batch::choosesAnyTag(m_options.choice)) {
        error = QStringLiteral("Please select at least one tag to update");
        return std::nullopt;
    }
    return m_previewer(m_options);
}

}  // namespace corvane
