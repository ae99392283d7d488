#pragma once
// The run frame of the batch operations on the selected rows: each operation's dialog, the run
// over the rows in list order through the batch core's run driver, the wait cursor, the prompts
// and the progress text, and the rows brought up to date after each file. The per-file work is
// the batch core's; this is the part that talks to the user.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/file_work.h"
#include "batch/run_driver.h"
#include "batch/tag_choice.h"
#include "gui/undoable_change.h"
#include "tags/file.h"

class QWidget;

namespace corvane {

struct NameFormats;
class Prompter;
class RunProgressDialog;
class RunRows;

// What a run borrows from the main window; every part must outlive the frame.
struct BatchContext {
    QWidget& window;  // parent of the dialogs and prompts
    RunRows& rows;
    Prompter& prompter;
    RunProgressDialog& progress;  // shown while a run's files are written
    bool compact = true;          // the Compact setting, passed to the ID3v2 writes
    WriteSettings writing;        // the journal's way and the undo record of every run
    // Shows a text in the status bar's progress part.
    std::function<void(const QString&)> showProgress;
    // The format strings remembered for Tag from File Name and Rename from Tags; nullptr keeps
    // none.
    NameFormats* formats = nullptr;
};

class BatchFrame {
public:
    explicit BatchFrame(BatchContext context);

    // Runs the operation of an Action command on the selected rows, of which there is at least
    // one: Set Data (3001..3013), Synchronise Tags, Auto Track Numbering, Convert ID3v2 Version,
    // Compact ID3v2 Tags, Tag from File Name, Rename from Tags, Case and Replace, Set Cover,
    // Remove Pictures, Extract Covers. Other IDs do nothing. The files are written off the GUI
    // thread with the progress dialog; the rows stay in place meanwhile (RunRows::holdRows).
    void runOperation(int id);

    // Takes the last change back (Action > Undo), wherever its files are, as a change of its
    // own that the next Undo takes back in turn; the rows of the listed folder it touched are
    // read again. Nothing happens when there is no change to undo.
    void undoLastChange();

    // The starting TagChoice for the selected rows, by the tags their images show; a field without
    // an ID3v1 form (Composer .. Encoded By) gets the ID3v1 box disabled.
    [[nodiscard]] batch::TagChoice initialTagChoice(bool fieldHasV1Form) const;

private:
    // Called after each file of a run with its outcome, before any prompt about it.
    using AfterFile = std::function<void(const batch::RunFile&, const batch::FileOutcome&)>;

    void setData(int column);
    void numberTracks();
    void synchroniseTags();
    void compactTags();
    void convertTags();
    void tagFromFileName();
    void renameFromTags();
    void caseAndReplace();
    void setCover();
    void removePictures();
    void extractCovers();

    // Runs work over `rows` (list order) through the batch core's run driver off the GUI thread,
    // with the progress dialog, the access and failure prompts, and the progress text: the full
    // path once a file passed the access test, or, with readingFirst, "Reading File: " and the
    // name before it. The run is one change labelled label in the undo record; a run that only
    // reads (Extract Covers) records none, opens the files for reading and words its failures
    // for what it does. A run cancelled in the dialog says in the status bar how many files were
    // written.
    void runRows(const std::string& label, const std::vector<int>& rows,
                 const batch::FileWork& work, const AfterFile& afterFile = {},
                 bool readingFirst = false, tags::OpenMode mode = tags::OpenMode::Update);
    // The same over any files: paths, with the bare names the messages show. A change that keeps
    // no tags (keepsTags false: a rename) always fits the undo record.
    void runPaths(const std::string& label, const std::vector<std::string>& paths,
                  std::vector<std::string> names, const batch::FileWork& work,
                  const AfterFile& afterFile, bool readingFirst, bool keepsTags = true,
                  tags::OpenMode mode = tags::OpenMode::Update);
    // Writes what a preview of `rows` (one plan per row, in order) showed as the change label:
    // only the files whose plans write, each only when it still gives the plan previewed.
    void runPreviewed(const std::string& label, const std::vector<int>& rows,
                      const std::vector<batch::FilePlan>& plans, const batch::Planner& planner,
                      const AfterFile& afterFile = {}, bool keepsTags = true);
    // The full paths of the files of rows.
    [[nodiscard]] std::vector<std::string> pathsOf(const std::vector<int>& rows) const;
    // The tag-presence bits of each row, in the same order.
    [[nodiscard]] std::vector<int> presencesOf(const std::vector<int>& rows) const;
    // After a write into the file of `row`: when a tag that the list shows was written, `text`
    // (UTF-8) goes into the cell of `column` and the row's image gains that tag. A write the list
    // does not show changes nothing.
    void updateWrittenRow(int row, int column, const std::string& text,
                          const batch::FileOutcome& outcome);

    BatchContext m_context;
};

}  // namespace corvane
