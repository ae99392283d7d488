#include "batch/update_all.h"

#include "tags/id3v1.h"
#include "tags/id3v2_write.h"

namespace corvane::batch {

FileOutcome updateAllFile(tags::FileIo& file, const UpdateAllPlan& plan)
{
    FileOutcome outcome;
    const auto fail = [&outcome](const tags::WriteResult& result) {
        auto failed = FileOutcome::failed(result);
        failed.wroteId3v2 = outcome.wroteId3v2;
        return failed;
    };
    if (plan.id3v2.action == TagAction::Remove || !plan.id3v2.entries.empty()) {
        const auto result = plan.id3v2.action == TagAction::Remove
                                ? tags::removeId3v2(file)
                                : tags::writeId3v2(file, plan.id3v2.entries, plan.compact);
        if (!result.ok()) return fail(result);
        outcome.wroteId3v2 = true;
    }
    if (plan.id3v1.action == TagAction::Remove || !plan.id3v1.entries.empty()) {
        const auto result = plan.id3v1.action == TagAction::Remove
                                ? tags::removeId3v1(file)
                                : tags::writeId3v1(file, plan.id3v1.entries);
        if (!result.ok()) return fail(result);
        outcome.wroteId3v1 = true;
    }
    if (!outcome.wroteId3v1 && !outcome.wroteId3v2)
        return FileOutcome::skipped("no field was chosen");
    outcome.status = FileStatus::Written;
    return outcome;
}

}  // namespace corvane::batch
