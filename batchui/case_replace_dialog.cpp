#include "batchui/case_replace_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <array>

#include "batch/named_fields.h"
#include "gui/display_text.h"

namespace corvane {

namespace {

// The case box's entries after its first ("as it is"), in this order.
constexpr std::array<batch::CaseMode, 4> kCaseModes{
    batch::CaseMode::Title, batch::CaseMode::Sentence, batch::CaseMode::Upper,
    batch::CaseMode::Lower};

// The fields ticked when the dialog opens: the ones a clean-up is most often for.
bool tickedAtFirst(std::string_view name)
{
    return name == "title" || name == "artist" || name == "album";
}

}  // namespace

CaseReplaceDialog::CaseReplaceDialog(Previewer previewer, Prompter& prompter, QWidget* parent)
    : PreviewDialog(QStringLiteral("Case and Replace"), prompter, parent),
      m_previewer(std::move(previewer))
{
    addFieldList();
    addReplaceControls();
    optionsChanged();
}

void CaseReplaceDialog::addFieldList()
{
    auto& options = optionsLayout();
    options.addWidget(new QLabel(QStringLiteral("Fields to change:"), this));
    m_fields = new QListWidget(this);
    m_fields->setObjectName(QStringLiteral("fieldList"));
    m_fields->setFlow(QListView::LeftToRight);
    m_fields->setWrapping(true);
    m_fields->setMaximumHeight(90);
    for (const auto& named : batch::kNamedFields) {
        const auto field = batch::fieldNamed(named.name);
        auto* item = new QListWidgetItem(fromUtf8(field ? field->name : std::string(named.name)),
                                         m_fields);
        item->setData(Qt::UserRole, fromUtf8(named.name));
        item->setCheckState(tickedAtFirst(named.name) ? Qt::Checked : Qt::Unchecked);
    }
    options.addWidget(m_fields);
    connect(m_fields, &QListWidget::itemChanged, this, &CaseReplaceDialog::optionsChanged);

    auto* tags = new QHBoxLayout;
    m_id3v1Box = new QCheckBox(QStringLiteral("In the ID3v&1 tag"), this);
    m_id3v1Box->setObjectName(QStringLiteral("id3v1Box"));
    m_id3v2Box = new QCheckBox(QStringLiteral("In the ID3v&2 tag"), this);
    m_id3v2Box->setObjectName(QStringLiteral("id3v2Box"));
    m_id3v1Box->setChecked(true);
    m_id3v2Box->setChecked(true);
    tags->addWidget(m_id3v1Box);
    tags->addWidget(m_id3v2Box);
    tags->addStretch();
    options.addLayout(tags);
    connect(m_id3v1Box, &QCheckBox::toggled, this, &CaseReplaceDialog::optionsChanged);
    connect(m_id3v2Box, &QCheckBox::toggled, this, &CaseReplaceDialog::optionsChanged);
}

void CaseReplaceDialog::addReplaceControls()
{
    auto* form = new QFormLayout;
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("findEdit"));
    m_replacement = new QLineEdit(this);
    m_replacement->setObjectName(QStringLiteral("replaceEdit"));
    form->addRow(QStringLiteral("&Find:"), m_find);
    form->addRow(QStringLiteral("&Replace with:"), m_replacement);
    auto* flags = new QHBoxLayout;
    m_regex = new QCheckBox(QStringLiteral("Regular e&xpression ($1 for a group)"), this);
    m_regex->setObjectName(QStringLiteral("regexBox"));
    m_matchCase = new QCheckBox(QStringLiteral("&Match case"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCaseBox"));
    m_matchCase->setChecked(true);
    flags->addWidget(m_regex);
    flags->addWidget(m_matchCase);
    flags->addStretch();
    form->addRow(QString(), flags);

    m_caseBox = new QComboBox(this);
    m_caseBox->setObjectName(QStringLiteral("caseBox"));
    m_caseBox->addItems({QStringLiteral("Leave as it is"), QStringLiteral("Title Case"),
                         QStringLiteral("Sentence case"), QStringLiteral("UPPER CASE"),
                         QStringLiteral("lower case")});
    form->addRow(QStringLiteral("Then the &case:"), m_caseBox);
    optionsLayout().addLayout(form);

    connect(m_find, &QLineEdit::textChanged, this, &CaseReplaceDialog::optionsChanged);
    connect(m_replacement, &QLineEdit::textChanged, this, &CaseReplaceDialog::optionsChanged);
    connect(m_regex, &QCheckBox::toggled, this, &CaseReplaceDialog::optionsChanged);
    connect(m_matchCase, &QCheckBox::toggled, this, &CaseReplaceDialog::optionsChanged);
    connect(m_caseBox, &QComboBox::currentIndexChanged, this, &CaseReplaceDialog::optionsChanged);
}

batch::TextEditOptions CaseReplaceDialog::optionsShown() const
{
    batch::TextEditOptions options;
    for (int i = 0; i < m_fields->count(); ++i) {
        const QListWidgetItem* item = m_fields->item(i);
        if (item->checkState() != Qt::Checked) continue;
        if (auto field = batch::fieldNamed(item->data(Qt::UserRole).toString().toStdString()))
            options.fields.push_back(std::move(*field));
    }
    options.id3v1 = m_id3v1Box->isChecked();
    options.id3v2 = m_id3v2Box->isChecked();
    if (!m_find->text().isEmpty()) {
        options.replace = batch::ReplaceOptions{m_find->text().toStdString(),
                                                m_replacement->text().toStdString(),
                                                m_regex->isChecked(), !m_matchCase->isChecked()};
    }
    if (const int mode = m_caseBox->currentIndex(); mode > 0)
        options.caseMode = kCaseModes[static_cast<std::size_t>(mode - 1)];
    return options;
}

std::optional<std::vector<batch::FilePlan>> CaseReplaceDialog::buildPlans(QString& error)
{
    m_options = optionsShown();
    std::string why;
    const auto edit = batch::TextEdit::make(m_options, why);
    if (!edit) {
        error = QString::fromStdString(why);
        if (!error.isEmpty()) error[0] = error[0].toUpper();
        return std::nullopt;
    }
    return m_previewer(*edit);
}

}  // namespace corvane
