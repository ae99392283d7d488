#include "batchui/update_all_run.h"

#include <string>
#include <vector>

#include "batch/run_driver.h"
#include "batchui/background_run.h"
#include "batchui/field_select_dialog.h"
#include "batchui/run_prompts.h"

namespace corvane {

bool chooseUpdateAllFields(QWidget* parent, const batch::EditorTexts& texts,
                           batch::FieldSelection& selection, Prompter& prompter)
{
    FieldSelectDialog dialog(texts, selection, prompter, parent);
    return dialog.exec() == QDialog::Accepted;
}

QString writeUpdateAll(QWidget* parent, Prompter& prompter, RunProgressDialog& progress,
                       const WriteSettings& writing, const batch::UpdateAllJob& job)
{
    std::vector<std::string> paths;
    for (const std::string& name : job.names) paths.push_back(job.folder + name);
    const auto change = UndoableChange::begin(parent, prompter, writing, paths, "Update All");
    if (!change) return {};
    // Every refusal asks, also for the last file: the editor says "Update Complete" either way.
    RunPrompts prompts(parent, prompter, job.names, RunPrompts::Form::Updating);
    prompts.setWriting(writing.policy, change->recorder());
    (void)runInBackground(
        progress, paths,
        [&job](tags::FileIo& file, const batch::RunFile&) {
            return batch::updateAllFile(file, job.plan);
        },
        prompts);
    const QString undoProblem = change->finish();
    if (undoProblem.isEmpty()) return prompts.recoveryNotes();
    if (prompts.recoveryNotes().isEmpty()) return undoProblem;
    return prompts.recoveryNotes() + QStringLiteral("; ") + undoProblem;
}

}  // namespace corvane
