#include "batchui/preview_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "batch/named_fields.h"
#include "batchui/plan_table_model.h"
#include "gui/display_text.h"
#include "gui/prompt.h"
#include "gui/wait_cursor.h"

namespace corvane {

namespace {

// Long enough that typing a format string does not read the files at every key.
constexpr int kPreviewDelayMs = 300;

}  // namespace

PreviewDialog::PreviewDialog(const QString& title, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    m_options = new QVBoxLayout;
    layout->addLayout(m_options);

    m_model = new PlanTableModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("previewTable"));
    m_table->setModel(m_model);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumSize(640, 240);
    layout->addWidget(m_table, 1);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("previewSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PreviewDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PreviewDialog::reject);
    layout->addWidget(buttons);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kPreviewDelayMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &PreviewDialog::refreshPreview);
}

PreviewDialog::~PreviewDialog() = default;

const std::vector<batch::FilePlan>& PreviewDialog::plans() const
{
    return m_model->plans();
}

void PreviewDialog::optionsChanged()
{
    m_stale = true;
    m_refreshTimer.start();
}

void PreviewDialog::refreshPreview()
{
    m_refreshTimer.stop();
    if (!m_stale) return;
    m_stale = false;
    const WaitCursor wait;
    m_error.clear();
    auto plans = buildPlans(m_error);
    const std::size_t files = plans ? plans->size() : 0;
    m_model->setPlans(plans ? std::move(*plans) : std::vector<batch::FilePlan>());
    if (!plans) {
        m_summary->setText(m_error);
        return;
    }
    const auto counts = m_model->counts();
    m_summary->setText(QString::number(counts.writing) + QStringLiteral(" of ") +
                       QString::number(files) +
                       (files == 1 ? QStringLiteral(" file changes, ") : QStringLiteral(" files change, ")) +
                       QString::number(counts.unchanged) +
                       (counts.unchanged == 1 ? QStringLiteral(" stays as it is, ")
                                              : QStringLiteral(" stay as they are, ")) +
                       QString::number(counts.problems) +
                       (counts.problems == 1 ? QStringLiteral(" is left alone for a problem.")
                                             : QStringLiteral(" are left alone for a problem.")));
    m_table->resizeColumnsToContents();
}

void PreviewDialog::accept()
{
    refreshPreview();
    if (!m_error.isEmpty()) {
        m_prompter.stop(this, m_error);
        return;
    }
    QDialog::accept();
}

std::string PreviewDialog::formatText() const
{
    return m_format == nullptr ? std::string() : m_format->currentText().toStdString();
}

void PreviewDialog::addFormatBox(const QString& label, const std::vector<std::string>& remembered,
                                 const std::vector<QString>& examples, const QString& moreHelp)
{
    auto* title = new QLabel(label, this);
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("formatBox"));
    m_format->setEditable(true);
    m_format->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& format : remembered) m_format->addItem(fromUtf8(format));
    if (remembered.empty()) {
        for (const auto& example : examples) m_format->addItem(example);
    }
    m_format->setCurrentIndex(0);
    title->setBuddy(m_format);
    connect(m_format, &QComboBox::currentTextChanged, this, &PreviewDialog::optionsChanged);

    QString fields;
    for (const auto& field : batch::kNamedFields)
        fields += QStringLiteral(" %") + fromUtf8(field.name) + QLatin1Char('%');
    auto* help = new QLabel(QStringLiteral("Placeholders:") + fields +
                                QStringLiteral(". %track:2% pads the number to two digits; %% is "
                                               "a percent sign.") +
                                moreHelp,
                            this);
    help->setWordWrap(true);
    m_options->addWidget(title);
    m_options->addWidget(m_format);
    m_options->addWidget(help);
    m_format->setFocus();
}

std::optional<batch::NameFormat> PreviewDialog::checkedFormat(
    std::string (*check)(const batch::NameFormat&), const QString& use, QString& error) const
{
    std::string why;
    auto format = batch::parseNameFormat(formatText(), why);
    if (format) why = check(*format);
    if (why.empty()) return format;
    error = QStringLiteral("The format cannot ") + use + QStringLiteral(": ") + fromUtf8(why);
    return std::nullopt;
}

}  // namespace corvane
