#pragma once
// Update All as the tag editor starts it: the field chooser ("Select MP3 Fields to Update") and
// the run that writes the editor's plan into every file it was opened on. The main window hands
// both to the editor.

#include "batch/field_lists.h"
#include "batch/field_selection.h"
#include "batch/update_all.h"
#include "gui/undoable_change.h"

class QWidget;

namespace corvane {

class Prompter;
class RunProgressDialog;

// Shows the field chooser over texts with selection; true when it ended with "Update" (the
// choice is then in selection).
[[nodiscard]] bool chooseUpdateAllFields(QWidget* parent, const batch::EditorTexts& texts,
                                         batch::FieldSelection& selection, Prompter& prompter);

// Writes the job's plan into every file of its list, in order, off the GUI thread with the
// progress dialog, asking through prompter whether to go on when a file cannot be written or a
// write fails, also after the last file. The run is one change ("Update All") in the undo record
// of writing. The list is left alone; the editor says "Update Complete" afterwards, also after a
// Cancel. Returns what the status bar is to say (journals of interrupted writes found beside the
// files, an undo record that could not be stored), usually nothing.
[[nodiscard]] QString writeUpdateAll(QWidget* parent, Prompter& prompter,
                                     RunProgressDialog& progress, const WriteSettings& writing,
                                     const batch::UpdateAllJob& job);

}  // namespace corvane
