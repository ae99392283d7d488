#pragma once
// The one loop every batch run goes through, in the desktop program and in corvane-tag: for each
// file in the order given, the access test, the open for update, the operation's per-file work,
// the checked close, and one outcome. What the user sees of a run (the progress text, the
// prompts, the lines on stderr) and whether it goes on after a file belong to the observer.
//
// The driver keeps no state between files and touches nothing but the files, so the desktop
// program runs it on a worker thread: the observer is told about every step in order and can end
// the run between files (Cancel, Ctrl+C), and the work returns everything the front end shows as
// data.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "batch/file_work.h"
#include "tags/file.h"
#include "tags/journal.h"

namespace corvane::batch {

class UndoRecorder;

// One file of a run, as the observer and the work see it.
struct RunFile {
    std::size_t index = 0;  // position in the run, from 0
    std::size_t count = 0;  // number of files in the run
    const std::string& path;
    // Where the run notes what undoes it (a rename the work makes); nullptr when it is not noted.
    UndoRecorder* undo = nullptr;

    [[nodiscard]] bool anotherFollows() const { return index + 1 < count; }
};

// The per-file work of an operation on one file opened for update (or, for a run that only
// reads, for reading). The file is closed by the driver afterwards.
using FileWork = std::function<FileOutcome(tags::FileIo& file, const RunFile& run)>;

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // Before the file is touched. False ends the run before this file.
    [[nodiscard]] virtual bool startFile(const RunFile& file);
    // The file passed the access test and is opened next.
    virtual void accessGranted(const RunFile& file);
    // The file's outcome. False ends the run after this file.
    [[nodiscard]] virtual bool finishFile(const RunFile& file, const FileOutcome& outcome);
    // A journal of an earlier, interrupted write was found beside the file before it was opened,
    // and recovery did what recovery says.
    virtual void recovered(const RunFile& file, const tags::Recovery& recovery);
    // How the run's writes treat their journal (the unsafe and the durable ways are choices).
    [[nodiscard]] virtual tags::WritePolicy writePolicy() const;
    // Where the run notes what undoes it; nullptr for a run that is not to be undone.
    [[nodiscard]] virtual UndoRecorder* undoRecorder();
};

struct RunReport {
    // One outcome per file handled, in order; fewer than the files when the observer ended the
    // run early.
    std::vector<FileOutcome> outcomes;

    [[nodiscard]] bool anyFailed() const;
    // Files with the outcome Written: what a run that was ended early still changed.
    [[nodiscard]] std::size_t writtenCount() const;
};

// Runs work over paths, one file open at a time. A file the access test refuses is not opened:
// NotWritable when it is read-only or missing, Failed with the real reason when it is no regular
// file or its path cannot be followed (a name too long, a folder that may not be searched). One
// that does not open, or whose close reports an error after a write, is Failed with the system's
// reason. A run that only reads its files (OpenMode::Read) takes read-only files too, and neither
// locks them nor records an undo for them.
[[nodiscard]] RunReport runFiles(std::span<const std::string> paths, const FileWork& work,
                                 RunObserver& observer,
                                 tags::OpenMode mode = tags::OpenMode::Update);

// The same steps for a single file, without an observer.
[[nodiscard]] FileOutcome runFile(const std::string& path, const FileWork& work,
                                  tags::WritePolicy policy = {}, UndoRecorder* undo = nullptr);

}  // namespace corvane::batch
