#include "batch/sync_tags.h"
#include "batchui/sync_tags_dialog.h"

#include "ui_sync_tags_dialog.h"

namespace corvane {

SyncTagsDialog::SyncTagsDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SyncTagsDialog>())
{
    m_ui->setupUi(this);
    const batch::SyncOptions start;
    m_ui->v1ToV2Button->setChecked(start.direction == batch::SyncDirection::V1ToV2);
    m_ui->v2ToV1Button->setChecked(start.direction == batch::SyncDirection::V2ToV1);
    m_ui->intelligentBox->setChecked(start.intelligent);
    m_ui->overwriteButton->setChecked(!start.keep);
    m_ui->keepButton->setChecked(start.keep);

    connect(m_ui->okButton, &QPushButton::clicked, this, &SyncTagsDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &SyncTagsDialog::reject);
    m_ui->v1ToV2Button->setFocus();
}

SyncTagsDialog::~SyncTagsDialog() = default;

batch::SyncOptions SyncTagsDialog::options() const
{
    batch::SyncOptions options;
    options.direction = m_ui->v2ToV1Button->isChecked() ? batch::SyncDirection::V2ToV1
                                                        : batch::SyncDirection::V1ToV2;
    options.keep = m_ui->keepButton->isChecked();
    options.intelligent = m_ui->intelligentBox->isChecked();
    return options;
}

}  // namespace corvane
