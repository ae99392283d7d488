#include "batch/update_all.h"

#include "tags/id3v1.h"
#include "tags/id3v2_write.h"

namespace corvane::batch {

FileOutcome updateAllFile(tags::FileIo& file, const UpdateAllPlan& plan)
{
    FileOutcome outcome = FileOutcome::skipped("no field was chosen");
    if (plan.id3v2.action == TagAction::Remove) {
        if (!outcome.record(TagKind::Id3v2, tags::removeId3v2(file))) return outcome;
    } else if (!plan.id3v2.entries.empty()) {
        if (!outcome.record(TagKind::Id3v2,
                            tags::writeId3v2(file, plan.id3v2.entries, plan.compact)))
            return outcome;
    }
    if (plan.id3v1.action == TagAction::Remove)
        outcome.record(TagKind::Id3v1, tags::removeId3v1(file));
    else if (!plan.id3v1.entries.empty())
        outcome.record(TagKind::Id3v1, tags::writeId3v1(file, plan.id3v1.entries));
    return outcome;
}

}  // namespace corvane::batch
