#pragma once
// What the tag editor hands to Update All. The field chooser and the writing loop belong to the
// batch dialogs; the main window connects them to the editor through this handler. The editor
// gathers what they need and, after the run, says so and reads its current file again.

#include "batch/field_lists.h"
#include "batch/field_selection.h"
#include "batch/update_all.h"

#include <functional>

class QWidget;

namespace corvane {

// For the field chooser: the editor as parent, the texts of its controls and which of its tag
// boxes are checked (a cleared box offers the removal of that tag), and the selection to show and
// change.
struct UpdateAllRequest {
    QWidget* parent = nullptr;
    batch::EditorTexts texts;
    batch::FieldSelection* selection = nullptr;
};

struct UpdateAllHandler {
    // Shows the field chooser; true when it ended with "Update".
    std::function<bool(const UpdateAllRequest&)> chooseFields;
    // Writes the job to every file of its list; prompts have parent (the editor) as parent.
    std::function<void(QWidget* parent, const batch::UpdateAllJob&)> writeAll;
};

}  // namespace corvane
