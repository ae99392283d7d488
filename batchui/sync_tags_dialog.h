#pragma once
// "Synchronise Tags": the direction of the copy, whether existing values are kept, and whether
// a file with only one tag is copied from that tag whatever the direction.

#include <QDialog>
#include <memory>

namespace Ui {
class SyncTagsDialog;
}

namespace corvane::batch {
// Declared only; include "batch/sync_tags.h" to call options().
struct SyncOptions;
}  // namespace corvane::batch

namespace corvane {

class SyncTagsDialog final : public QDialog {
    Q_OBJECT

public:
    // Every run starts from the same options (copy from ID3v1 to ID3v2, overwrite, intelligent):
    // the choice is not remembered between runs.
    explicit SyncTagsDialog(QWidget* parent = nullptr);
    ~SyncTagsDialog() override;

    // The options the controls show. The caller adds the Compact setting before the run.
    [[nodiscard]] batch::SyncOptions options() const;

private:
    std::unique_ptr<Ui::SyncTagsDialog> m_ui;
};

}  // namespace corvane
