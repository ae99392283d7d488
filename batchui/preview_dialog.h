#pragma once
// What the three dialogs with a preview share (Tag from File Name, Rename from Tags, Case and
// Replace): their options on top, the table of what the options would do to every selected file
// below, brought up to date a moment after an option changes, and OK and Cancel. Nothing is
// written here: OK hands the previewed plans to the caller, which writes them; Cancel writes
// nothing.

#include <QDialog>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

#include "batch/file_plan.h"
#include "batch/name_format.h"

class QComboBox;
class QLabel;
class QTableView;
class QVBoxLayout;

namespace corvane {

class PlanTableModel;
class Prompter;

class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    ~PreviewDialog() override;

    // After OK: the plan of every file, as the table showed it when OK was pressed.
    [[nodiscard]] const std::vector<batch::FilePlan>& plans() const;

    // Brings the preview up to date at once, if an option changed since it was made.
    void refreshPreview();
    // Refuses to close while the options cannot be used; OK shows the preview of the options as
    // they stand before it closes.
    void accept() override;
    // The format string as typed (UTF-8); empty in a dialog without one.
    [[nodiscard]] std::string formatText() const;

protected:
    // prompter must outlive the dialog.
    PreviewDialog(const QString& title, Prompter& prompter, QWidget* parent);

    // Where a dialog puts its option controls, above the table.
    [[nodiscard]] QVBoxLayout& optionsLayout() { return *m_options; }
    // To be connected to every option's change (and called once the controls are set up): the
    // preview follows a moment later, so that typing is not held up by reading the files.
    void optionsChanged();
    // The plans for the options as the controls show them; nullopt with error set ("unknown
    // placeholder %foo%") when the options cannot be used.
    [[nodiscard]] virtual std::optional<std::vector<batch::FilePlan>> buildPlans(QString& error) = 0;

    // Adds the labelled, editable box of format strings, offering the remembered ones (most
    // recent first) or the examples when none is remembered yet, with the placeholders and
    // moreHelp below it.
    void addFormatBox(const QString& label, const std::vector<std::string>& remembered,
                      const std::vector<QString>& examples, const QString& moreHelp = {});
    // The format string parsed and checked for its use by check ("" when it suits); nullopt with
    // error set ("The format cannot <use>: unknown placeholder %foo%") when it is not.
    [[nodiscard]] std::optional<batch::NameFormat> checkedFormat(
        std::string (*check)(const batch::NameFormat&), const QString& use, QString& error) const;

private:
    Prompter& m_prompter;
    QVBoxLayout* m_options;
    QComboBox* m_format = nullptr;
    QTableView* m_table;
    QLabel* m_summary;
    PlanTableModel* m_model;
    QTimer m_refreshTimer;
    QString m_error;     // why the options cannot be used, or empty
    bool m_stale = true;  // an option changed since the preview was made
};

}  // namespace corvane
