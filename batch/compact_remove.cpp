#include "batch/compact_remove.h"

#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/id3v2_write.h"

namespace corvane::batch {

FileOutcome compactId3v2(tags::FileIo& file)
{
    const auto header = tags::readId3v2Header(file);
    if (!header) return FileOutcome::skipped("the file has no ID3v2 tag");
    // A write that names a frame no tag has changes no frame, and with compact on it gives the
    // free space back.
    const tags::SlotList noChange{tags::FieldSlot::frame("DUMM")};
    const auto result = tags::writeId3v2(file, noChange, true);
    if (!result.ok()) return FileOutcome::failed(result);
    FileOutcome outcome;
    outcome.status = FileStatus::Written;
    outcome.wroteId3v2 = true;
    return outcome;
}

FileOutcome removeTags(tags::FileIo& file, bool id3v1, bool id3v2)
{
    FileOutcome outcome;
    if (id3v2 && tags::readId3v2Header(file)) {
        const auto result = tags::removeId3v2(file);
        if (!result.ok()) return FileOutcome::failed(result);
        outcome.wroteId3v2 = true;
    }
    if (id3v1 && tags::hasId3v1(file)) {
        const auto result = tags::removeId3v1(file);
        if (!result.ok()) {
            auto failed = FileOutcome::failed(result);
            failed.wroteId3v2 = outcome.wroteId3v2;
            return failed;
        }
        outcome.wroteId3v1 = true;
    }
    if (!outcome.wroteId3v1 && !outcome.wroteId3v2)
        return FileOutcome::skipped("the file has no such tag");
    outcome.status = FileStatus::Written;
    return outcome;
}

}  // namespace corvane::batch
