#include "batch/run_driver.h"

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
                       tags::OpenMode mode)
{
    switch (tags::testAccess(run.path)) {
    case tags::Access::Missing: return notWritable("the file does not exist");
    case tags::Access::ReadOnly:
        if (mode == tags::OpenMode::Update) return notWritable("the file is read-only");
        break;
    case tags::Access::ReadWrite: break;
    }
    if (observer != nullptr) observer->accessGranted(run);
    // Between the access test and the open the file may have gone or been locked; that is a
    // failure the user must hear about, not a silent skip.
    tags::File file = tags::File::open(run.path, mode);
    if (!file.isOpen()) return FileOutcome::failed(tags::errorString(file.error()));
    FileOutcome outcome = work(file, run);
    // A write is only as good as its close: a delayed write error shows up here.
    if (!file.close() && outcome.isWritten()) {
        outcome.status = FileStatus::Failed;
        outcome.reason = "the file could not be closed: " + tags::errorString(file.error());
    }
    return outcome;
}

}  // namespace

bool RunObserver::startFile(const RunFile&)
{
    return true;
}

void RunObserver::accessGranted(const RunFile&) {}

bool RunObserver::finishFile(const RunFile&, const FileOutcome&)
{
    return true;
}

bool RunReport::anyFailed() const
{
    return std::any_of(outcomes.begin(), outcomes.end(),
                       [](const FileOutcome& outcome) { return outcome.isFailed(); });
}

RunReport runFiles(std::span<const std::string> paths, const FileWork& work, RunObserver& observer,
                   tags::OpenMode mode)
{
    RunReport report;
    report.outcomes.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const RunFile run{i, paths.size(), paths[i]};
        if (!observer.startFile(run)) break;
        report.outcomes.push_back(handleFile(run, work, &observer, mode));
        if (!observer.finishFile(run, report.outcomes.back())) break;
    }
    return report;
}

FileOutcome runFile(const std::string& path, const FileWork& work, tags::OpenMode mode)
{
    return handleFile(RunFile{0, 1, path}, work, nullptr, mode);
}

}  // namespace corvane::batch
