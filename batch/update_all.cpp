#include "batch/update_all.h"

#include "tags/tag_write.h"

namespace corvane::batch {

FileOutcome updateAllFile(tags::FileIo& file, const UpdateAllPlan& plan)
{
    tags::TagChanges changes;
    changes.compact = plan.compact;
    if (plan.id3v2.action == TagAction::Remove) {
        changes.id3v2 = tags::V2Change::Remove;
    } else if (!plan.id3v2.entries.empty() || !plan.pictures.empty()) {
        changes.id3v2 = tags::V2Change::Merge;
        changes.id3v2Entries = plan.id3v2.entries;
        changes.pictures = plan.pictures;
    }
    if (plan.id3v1.action == TagAction::Remove) {
        changes.id3v1 = tags::V1Change::Remove;
    } else if (!plan.id3v1.entries.empty()) {
        changes.id3v1 = tags::V1Change::Write;
        changes.id3v1Entries = plan.id3v1.entries;
    }
    return writeChanges(file, changes, "no field was chosen");
}

}  // namespace corvane::batch
