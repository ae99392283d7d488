#pragma once
// A batch run off the GUI thread: the batch core's run driver works through the files on a worker
// thread while the GUI thread goes on answering, with the progress dialog and its Cancel. The
// observer (prompts, progress text, rows brought up to date) is called on the GUI thread, in the
// driver's order, and the worker waits for its answer after each file, so that a prompt or a
// Cancel takes effect before the next file is begun.

#include <span>
#include <string>

#include "batch/run_driver.h"

namespace corvane {

class RunProgressDialog;

// Runs work over paths as batch::runFiles does and returns its report once the last file is done
// or the run was ended (by the observer or by Cancel). A run shorter than a moment shows the wait
// cursor and no dialog; the window takes no input until the run is over either way. The work
// runs on the worker thread and must touch nothing but its file and data of its own; the
// observer and the dialog are used on the calling (GUI) thread only. mode is the driver's: a run
// that only reads opens its files for reading.
[[nodiscard]] batch::RunReport runInBackground(RunProgressDialog& dialog,
                                               std::span<const std::string> paths,
                                               const batch::FileWork& work,
                                               batch::RunObserver& observer,
                                               tags::OpenMode mode = tags::OpenMode::Update);

}  // namespace corvane
