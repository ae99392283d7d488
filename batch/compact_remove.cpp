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
    FileOutcome outcome;
    outcome.record(TagKind::Id3v2, tags::writeId3v2(file, noChange, true));
    return outcome;
}

FileOutcome removeTags(tags::FileIo& file, bool id3v1, bool id3v2)
{
    FileOutcome outcome = FileOutcome::skipped("the file has no such tag");
    if (id3v2 && tags::readId3v2Header(file) &&
        !outcome.record(TagKind::Id3v2, tags::removeId3v2(file)))
        return outcome;
    if (id3v1 && tags::hasId3v1(file)) outcome.record(TagKind::Id3v1, tags::removeId3v1(file));
    return outcome;
}

}  // namespace corvane::batch
