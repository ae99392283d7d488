#pragma once
// "Case and Replace": the fields and tags to change, a find and replace (plain text or a regular
// expression, with or without regard to case) and a change of case, and the preview of every
// value that would change.

#include <functional>
#include <optional>
#include <vector>

#include "batch/text_edit.h"
#include "batchui/preview_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace corvane {

class CaseReplaceDialog final : public PreviewDialog {
    Q_OBJECT

public:
    // The plans of the selected files for an edit.
    using Previewer = std::function<std::vector<batch::FilePlan>(const batch::TextEdit&)>;

    CaseReplaceDialog(Previewer previewer, Prompter& prompter, QWidget* parent = nullptr);

    // The options as previewed: after OK, those the plans were made with.
    [[nodiscard]] const batch::TextEditOptions& options() const { return m_options; }

protected:
    [[nodiscard]] std::optional<std::vector<batch::FilePlan>> buildPlans(QString& error) override;

private:
    void addFieldList();
    void addReplaceControls();
    [[nodiscard]] batch::TextEditOptions optionsShown() const;

    Previewer m_previewer;
    QListWidget* m_fields = nullptr;
    QCheckBox* m_id3v1Box = nullptr;
    QCheckBox* m_id3v2Box = nullptr;
    QComboBox* m_caseBox = nullptr;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replacement = nullptr;
    QCheckBox* m_regex = nullptr;
    QCheckBox* m_matchCase = nullptr;
    batch::TextEditOptions m_options;
};

}  // namespace corvane
