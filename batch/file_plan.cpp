#include "batch/file_plan.h"

#include <cerrno>

#include "batch/file_names.h"
#include "batch/undo_store.h"

namespace corvane::batch {

namespace {

// Renames the open file under its write lock (the run driver's, kept until the file is closed),
// so that no write of another program is under way: its journal is named after the old name.
FileOutcome renameOpenFile(tags::FileIo& file, const RunFile& run, const std::string& to)
{
    switch (file.lockForWriting()) {
        case tags::LockResult::Locked: break;
        case tags::LockResult::InUse: return FileOutcome::failed("in use by another program");
        case tags::LockResult::Failed: return FileOutcome::failed(file.errorText());
    }
    const int error = tags::renameNoReplace(run.path, to);
    if (error == EEXIST) return FileOutcome::failed("a file named " + std::string(nameOf(to)) + " exists");
    if (error != 0) return FileOutcome::failed(tags::errorString(error));
    // The new name is in the folder's entries; a power cut must not take it back.
    if (file.writePolicy().durable) (void)tags::syncFolderOf(to);
    if (run.undo != nullptr) run.undo->renamed(file, run.path, to);
    FileOutcome outcome;
    outcome.status = FileStatus::Written;
    return outcome;
}

}  // namespace

FilePlan FilePlan::of(const std::string& path)
{
    FilePlan plan;
    plan.path = path;
    plan.newPath = path;
    return plan;
}

void FilePlan::setProblem(PlanProblem kind, std::string why)
{
    problem = kind;
    reason = std::move(why);
    newPath = path;  // the file is left alone
}

std::vector<FilePlan> buildPreview(std::span<const std::string> paths, const Planner& planner)
{
    std::vector<FilePlan> plans;
    plans.reserve(paths.size());
    for (const auto& path : paths) {
        tags::File file = tags::File::open(path, tags::OpenMode::Read);
        if (!file.isOpen()) {
            FilePlan plan = FilePlan::of(path);
            plan.setProblem(PlanProblem::Unreadable, tags::errorString(file.error()));
            plans.push_back(std::move(plan));
            continue;
        }
        plans.push_back(planner(file, path));
    }
    return plans;
}

std::vector<std::string> pathsToWrite(std::span<const FilePlan> preview)
{
    std::vector<std::string> paths;
    for (const auto& plan : preview) {
        if (plan.writes()) paths.push_back(plan.path);
    }
    return paths;
}

FileWork previewedWork(std::span<const FilePlan> preview, Planner planner)
{
    std::vector<FilePlan> writing;
    for (const auto& plan : preview) {
        if (plan.writes()) writing.push_back(plan);
    }
    return [writing = std::move(writing), planner = std::move(planner)](tags::FileIo& file,
                                                                         const RunFile& run) {
        if (run.index >= writing.size()) return FileOutcome::skipped("the file was not previewed");
        const FilePlan& previewed = writing[run.index];
        const FilePlan now = planner(file, run.path);
        if (now.hasProblem()) return FileOutcome::failed(now.reason);
        if (now.changes != previewed.changes || now.newPath != previewed.newPath)
            return FileOutcome::failed("the file changed since the preview, so it was left as it is");
        if (now.newPath != run.path) return renameOpenFile(file, run, now.newPath);
        return writeChanges(file, now.tagChanges, "nothing to change");
    };
}

}  // namespace corvane::batch
