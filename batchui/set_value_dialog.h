#pragma once
// "Set <field>": the value that Set Data writes into one field of every selected file, and the
// tags it goes into.

#include <QDialog>
#include <memory>
#include <string>

#include "batch/tag_choice.h"
#include "tags/field_catalogue.h"

namespace Ui {
class SetValueDialog;
}

namespace corvane::batch {
// Declared only; include "batch/set_data.h" to call options().
struct SetDataOptions;
}  // namespace corvane::batch

namespace corvane {

class Prompter;

// The longest value Set Data takes, in characters; the edit refuses to hold more, so what the
// user sees is what gets written.
inline constexpr int kMaxSetValueLength = 253;

class SetValueDialog final : public QDialog {
    Q_OBJECT

public:
    // field: a list column other than Filename. startValue: the text the first selected row shows
    // in that column (UTF-8). choice: the starting TagChoice (kChoiceNoV1Form disables the ID3v1
    // box). Messages go through prompter, which must outlive the dialog.
    SetValueDialog(tags::Column field, const std::string& startValue, batch::TagChoice choice,
                   Prompter& prompter, QWidget* parent = nullptr);
    ~SetValueDialog() override;

    // After the dialog was accepted: the field with the chosen value and the chosen tags. The
    // caller adds the Compact setting and hands it to the batch core.
    [[nodiscard]] batch::SetDataOptions options() const;

    // Refuses to close while neither tag is chosen.
    void accept() override;

private:
    [[nodiscard]] bool isGenreField() const;
    void setUpGenreBox(const QString& startValue);
    void setUpValueEdit(const QString& startValue);
    [[nodiscard]] QString enteredText() const;

    std::unique_ptr<Ui::SetValueDialog> m_ui;
    Prompter& m_prompter;
    tags::Column m_field;
    std::string m_value;
    batch::TagChoice m_choice = 0;
};

// The first maxChars characters (code points) of text; a surrogate pair is never split.
[[nodiscard]] QString leftCharacters(const QString& text, int maxChars);

}  // namespace corvane
