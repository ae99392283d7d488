#include "batch/run_driver.h"

#include "batch/undo_store.h"

#include <algorithm>

namespace corvane::batch {

namespace {

FileOutcome notWritable(std::string why)
{
    FileOutcome outcome = FileOutcome::failed(std::move(why));
    outcome.status = FileStatus::NotWritable;
    return outcome;
}

// The access test, the open, the work and the close of one file.
FileOutcome handleFile(const RunFile& run, const FileWork& work, RunObserver* observer,
                       tags::WritePolicy policy, UndoRecorder* undo,
                       tags::OpenMode mode = tags::OpenMode::Update)
{
    // An earlier write of this file that was cut short is finished first; the file is then
    // what that write made it.
    if (const auto recovery = tags::recoverFileJournal(run.path); recovery && observer != nullptr)
        observer->recovered(run, *recovery);
    const tags::AccessTest access = tags::testAccess(run.path);
    switch (access.access) {
    case tags::Access::ReadWrite: break;
    // The access prompt is about these two: the user can make the file writable or knows it
    // has gone. A run that only reads takes a file it may not write.
    case tags::Access::ReadOnly:
        if (mode == tags::OpenMode::Read) break;
        return notWritable(access.reason());
    case tags::Access::Missing: return notWritable(access.reason());
    // Nothing about write permission would help here; the reason itself is the message.
    case tags::Access::NotRegular:
    case tags::Access::Unreachable: return FileOutcome::failed(access.reason());
    }
    if (observer != nullptr) observer->accessGranted(run);
    // Between the access test and the open the file may have gone or been locked; that is a
    // failure the user must hear about, not a silent skip.
    tags::File file = tags::File::open(run.path, mode);
    if (!file.isOpen()) return FileOutcome::failed(tags::errorString(file.error()));
    // A file only read needs neither the write lock nor an undo record, and its close tells nothing.
    if (mode == tags::OpenMode::Read) return work(file, run);
    // Locked before anything is read, so that what the work reads is what it writes over: two
    // programs reading first and writing after would each lose the other's change.
    switch (file.lockForWriting()) {
        case tags::LockResult::Locked: break;
        case tags::LockResult::InUse: return FileOutcome::failed("in use by another program");
        case tags::LockResult::Failed: return FileOutcome::failed(file.errorText());
    }
    file.setWritePolicy(policy);
    if (undo != nullptr) undo->before(file, run.path);
    FileOutcome outcome = work(file, run);
    // A write is only as good as its close: a delayed write error shows up here.
    if (!file.close() && outcome.isWritten()) {
        outcome.status = FileStatus::Failed;
        outcome.reason = "the file could not be closed: " + tags::errorString(file.error());
    }
    if (undo != nullptr) undo->after(run.path, outcome.isWritten());
    return outcome;
}

}  // namespace

bool RunObserver::startFile(const RunFile&)
{
    return true;
}

void RunObserver::accessGranted(const RunFile&) {}

void RunObserver::recovered(const RunFile&, const tags::Recovery&) {}

tags::WritePolicy RunObserver::writePolicy() const
{
    return {};
}

UndoRecorder* RunObserver::undoRecorder()
{
    return nullptr;
}

bool RunObserver::finishFile(const RunFile&, const FileOutcome&)
{
    return true;
}

bool RunReport::anyFailed() const
{
    return std::any_of(outcomes.begin(), outcomes.end(),
                       [](const FileOutcome& outcome) { return outcome.isFailed(); });
}

std::size_t RunReport::writtenCount() const
{
    return static_cast<std::size_t>(
        std::count_if(outcomes.begin(), outcomes.end(),
                      [](const FileOutcome& outcome) { return outcome.isWritten(); }));
}

RunReport runFiles(std::span<const std::string> paths, const FileWork& work, RunObserver& observer,
                   tags::OpenMode mode)
{
    RunReport report;
    report.outcomes.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const RunFile run{i, paths.size(), paths[i], observer.undoRecorder()};
        if (!observer.startFile(run)) break;
        report.outcomes.push_back(
            handleFile(run, work, &observer, observer.writePolicy(), observer.undoRecorder(), mode));
        if (!observer.finishFile(run, report.outcomes.back())) break;
    }
    return report;
}

FileOutcome runFile(const std::string& path, const FileWork& work, tags::WritePolicy policy,
                    UndoRecorder* undo)
{
    return handleFile(RunFile{0, 1, path, undo}, work, nullptr, policy, undo);
}

}  // namespace corvane::batch
