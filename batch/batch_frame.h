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

    // The access test of one file of a run. True when folder + name may be read and written;
    // otherwise tells the user (a question when another file follows, a notice for the last), sets
    // goOn to false when the user chooses to stop, and returns false: the file is skipped.
    [[nodiscard]] bool checkWritable(const std::string& name, bool anotherFollows, bool& goOn);

    // The starting TagChoice for the selected rows, by the tags their images show; a field without
    // an ID3v1 form (Composer .. Encoded By) gets the ID3v1 box disabled.
    [[nodiscard]] batch::TagChoice initialTagChoice(bool fieldHasV1Form) const;

    // After a write into the file of `row`: when a tag that the list shows was written, `text`
    // goes into the cell of `column` (and into the row's key when it is the sort column), and the
    // row's image gains that tag. A write the list does not show changes nothing. Does not sort.
    void updateWrittenRow(int row, int column, const QString& text,
                          const batch::FileOutcome& outcome);

private:
    // Work on one opened file of the loop: the row, and its position among the selected rows.
    using FileWork = std::function<batch::FileOutcome(tags::FileIo&, int row, std::size_t index)>;

    void openEditor();
    void setData(int column);
    void numberTracks();
    void synchroniseTags();
    void compactTags();

    // The loop shared by Set Data, Auto Track Numbering and Compact over `rows` (list order).
    void runLoop(const std::vector<int>& rows, const FileWork& work);
    // Tells the user that a file that passed the access test was not written, and why; the same
    // continue-or-stop form as the access prompt.
    void reportFailure(const std::string& name, const std::string& reason, bool anotherFollows,
                       bool& goOn);
    [[nodiscard]] bool askToGoOn(const QString& message, bool anotherFollows);
    [[nodiscard]] std::string pathOf(const std::string& name) const;
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
