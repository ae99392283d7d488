#pragma once
// The one loop every batch run goes through, in the desktop program and in corvane-tag: for each
// file in the order given, the access test, the open for update, the operation's per-file work,
// the checked close, and one outcome. What the user sees of a run (the progress text, the
// prompts, the lines on stderr) and whether it goes on after a file belong to the observer.
//
// The driver keeps no state between files and touches nothing but the files, so a run can later
// move off the GUI thread: the observer is told about every step in order and can end the run
// between files (a Cancel button), and the work returns everything the front end shows as data.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "batch/file_work.h"
#include "tags/file.h"

namespace corvane::batch {

// One file of a run, as the observer and the work see it.
struct RunFile {
    std::size_t index = 0;  // position in the run, from 0
    std::size_t count = 0;  // number of files in the run
    const std::string& path;

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
};

struct RunReport {
    // One outcome per file handled, in order; fewer than the files when the observer ended the
    // run early.
    std::vector<FileOutcome> outcomes;

    [[nodiscard]] bool anyFailed() const;
};

// Runs work over paths, one file open at a time. A file the access test refuses is NotWritable
// and not opened; one that does not open, or whose close reports an error after a write, is
// Failed with the system's reason. A run that only reads its files (OpenMode::Read) takes
// read-only files too.
[[nodiscard]] RunReport runFiles(std::span<const std::string> paths, const FileWork& work,
                                 RunObserver& observer,
                                 tags::OpenMode mode = tags::OpenMode::Update);

// The same steps for a single file, without an observer.
[[nodiscard]] FileOutcome runFile(const std::string& path, const FileWork& work,
                                  tags::OpenMode mode = tags::OpenMode::Update);

}  // namespace corvane::batch
