#include "batchui/run_progress_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

constexpr int kRefreshIntervalMs = 100;
constexpr int kDialogWidth = 420;

}  // namespace

RunProgressDialog::RunProgressDialog(QWidget* parent)
    : QDialog(parent),
      m_fileLabel(new QLabel(this)),
      m_countLabel(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Corvane"));
    setWindowModality(Qt::ApplicationModal);
    setFixedWidth(kDialogWidth);
    // A long path must not widen the dialog with every file.
    m_fileLabel->setMinimumWidth(1);
    m_fileLabel->setTextFormat(Qt::PlainText);
    m_bar->setTextVisible(false);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Writing:"), this));
    layout->addWidget(m_fileLabel);
    layout->addWidget(m_bar);
    layout->addWidget(m_countLabel);
    layout->addLayout(buttons);

    connect(m_cancelButton, &QPushButton::clicked, this, &RunProgressDialog::cancel);
    m_refreshTimer.setInterval(kRefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &RunProgressDialog::refresh);
}

void RunProgressDialog::beginRun(std::size_t count)
{
    m_count = count;
    m_current = 0;
    m_done = 0;
    m_name.clear();
    m_cancelled = false;
    m_cancelButton->setEnabled(true);
    m_bar->setRange(0, static_cast<int>(count));
    refresh();
}

void RunProgressDialog::showFile(std::size_t index, const QString& name)
{
    m_current = index;
    m_name = name;
}

void RunProgressDialog::finishFile(std::size_t index)
{
    m_done = index + 1;
    emit fileFinished(static_cast<int>(m_done));
}

void RunProgressDialog::endRun()
{
    m_refreshTimer.stop();
    hide();
}

void RunProgressDialog::cancel()
{
    if (m_cancelled) return;
    m_cancelled = true;
    m_cancelButton->setEnabled(false);
    refresh();
}

void RunProgressDialog::reject()
{
    cancel();  // the dialog goes when the run has stopped, not before
}

void RunProgressDialog::closeEvent(QCloseEvent* event)
{
    cancel();
    event->ignore();
}

void RunProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    refresh();
    m_refreshTimer.start();
}

void RunProgressDialog::refresh()
{
    const QFontMetrics metrics(m_fileLabel->font());
    m_fileLabel->setText(metrics.elidedText(m_name, Qt::ElideMiddle, m_fileLabel->width()));
    QString count = QStringLiteral("File ") + QString::number(std::min(m_current + 1, m_count)) +
                    QStringLiteral(" of ") + QString::number(m_count);
    if (m_cancelled) count += QStringLiteral(" - stopping after this file");
    m_countLabel->setText(count);
    m_bar->setValue(static_cast<int>(m_done));
}

}  // namespace corvane
