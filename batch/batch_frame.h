#pragma once
// The run frame of the Action commands: the empty-selection refusal, the loop over the selected
// rows in list order, the access test with its continue-or-stop prompt, the status text, the wait
// cursor and the rows brought up to date. The per-file work is the batch core's; this is the part
// that talks to the user. It also opens the tag editor (Properties) and runs the editor's
// Update All.

#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "batch/file_work.h"
#include "batch/run_driver.h"
#include "batch/tag_choice.h"

class QWidget;

namespace corvane {

class FileList;
class Prompter;
struct AppSettings;
struct UpdateAllHandler;
struct UpdateAllJob;

// What a run borrows from the main window; every part must outlive the frame.
struct BatchContext {
    QWidget& window;  // parent of the dialogs and prompts
    FileList& list;
    AppSettings& settings;  // Compact, Expanded and the field selection are read and kept here
    Prompter& prompter;
    // Shows a text in the status bar's progress part and paints it at once: a run holds the event
    // loop, so a text painted later would never be seen.
    std::function<void(const QString&)> showProgress;
};

class BatchFrame {
public:
    explicit BatchFrame(BatchContext context);

    // The handler of the Action range 3000..3107. With no row selected it refuses with a message;
    // IDs without an operation do nothing. The list has the keyboard focus afterwards.
    void runActionCommand(int id);

    // The starting TagChoice for the selected rows, by the tags their images show; a field without
    // an ID3v1 form (Composer .. Encoded By) gets the ID3v1 box disabled.
    [[nodiscard]] batch::TagChoice initialTagChoice(bool fieldHasV1Form) const;

    // After a write into the file of `row`: when a tag that the list shows was written, `text`
    // goes into the cell of `column` (and into the row's key when it is the sort column), and the
    // row's image gains that tag. A write the list does not show changes nothing. Does not sort.
    void updateWrittenRow(int row, int column, const QString& text,
                          const batch::FileOutcome& outcome);

private:
    // Called after each file of a run with its outcome, before any prompt about it.
    using AfterFile = std::function<void(const batch::RunFile&, const batch::FileOutcome&)>;

    void openEditor();
    void setData(int column);
    void numberTracks();
    void synchroniseTags();
    void compactTags();

    // Runs work over `rows` (list order) through the batch core's run driver, with the wait
    // cursor, the access and failure prompts, and the progress text: the full path once a file
    // passed the access test, or, with readingFirst, "Reading File: " and the name before it.
    void runRows(const std::vector<int>& rows, const batch::FileWork& work,
                 const AfterFile& afterFile = {}, bool readingFirst = false);
    // The tag-presence bits of each row, in the same order.
    [[nodiscard]] std::vector<int> presencesOf(const std::vector<int>& rows) const;
    void repaintList();

    BatchContext m_context;
};

// Update All for the tag editor: the field chooser ("Select MP3 Fields to Update") and the write
// loop. prompter must outlive the editor the handler is given to.
[[nodiscard]] UpdateAllHandler updateAllHandler(Prompter& prompter);

// Writes the job's plan into every file of its list, in order, asking whether to go on when a file
// cannot be written or a write fails. The status bar and the list are left alone; the editor says
// "Update Complete" afterwards.
void writeUpdateAll(const UpdateAllJob& job);

}  // namespace corvane
