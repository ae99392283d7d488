#pragma once
// "Rename from Tags": the format string each selected file's new name is made from, the tag that
// gives the values, whether the names avoid the characters other systems refuse, and the preview
// of every new name with its collisions.

#include <functional>
#include <string>
#include <vector>

#include "batch/rename_files.h"
#include "batchui/preview_dialog.h"

class QCheckBox;
class QRadioButton;

namespace corvane {

class RenameDialog final : public PreviewDialog {
    Q_OBJECT

public:
    // The plans of the selected files for a set of options, collisions marked.
    using Previewer = std::function<std::vector<batch::FilePlan>(const batch::RenameOptions&)>;

    // formats: the remembered format strings, most recent first. source: the tag chosen at first
    // (the one the list shows).
    RenameDialog(const std::vector<std::string>& formats, batch::TagKind source,
                 Previewer previewer, Prompter& prompter, QWidget* parent = nullptr);

    // The options as previewed: after OK, those the plans were made with.
    [[nodiscard]] const batch::RenameOptions& options() const { return m_options; }

protected:
    [[nodiscard]] std::optional<std::vector<batch::FilePlan>> buildPlans(QString& error) override;

private:
    Previewer m_previewer;
    QRadioButton* m_fromV1;
    QCheckBox* m_portable;
    batch::RenameOptions m_options;
};

}  // namespace corvane
