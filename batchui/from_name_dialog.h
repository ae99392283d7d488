#pragma once
// "Tag from File Name": the format string that reads each selected file's name (and the folder
// names above it), the tags the fields go into, and the preview of what every file would get.

#include <functional>
#include <string>
#include <vector>

#include "batch/from_name.h"
#include "batchui/preview_dialog.h"

class QCheckBox;

namespace corvane {

class FromNameDialog final : public PreviewDialog {
    Q_OBJECT

public:
    // The plans of the selected files for a set of options (the caller reads the files).
    using Previewer = std::function<std::vector<batch::FilePlan>(const batch::FromNameOptions&)>;

    // formats: the remembered format strings, most recent first. choice: the starting TagChoice
    // of the tag boxes.
    FromNameDialog(const std::vector<std::string>& formats, batch::TagChoice choice,
                   Previewer previewer, Prompter& prompter, QWidget* parent = nullptr);

    // The options as previewed: after OK, those the plans were made with.
    [[nodiscard]] const batch::FromNameOptions& options() const { return m_options; }

protected:
    [[nodiscard]] std::optional<std::vector<batch::FilePlan>> buildPlans(QString& error) override;

private:
    Previewer m_previewer;
    QCheckBox* m_id3v1Box;
    QCheckBox* m_id3v2Box;
    batch::FromNameOptions m_options;
};

}  // namespace corvane
