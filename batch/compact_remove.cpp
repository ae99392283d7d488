#include "batch/compact_remove.h"

#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/tag_write.h"

namespace corvane::batch {

FileOutcome compactId3v2(tags::FileIo& file)
{
    const auto header = tags::readId3v2Header(file);
    if (!header) return FileOutcome::skipped("the file has no ID3v2 tag");
    // A merge of nothing with compact on changes no frame and gives the free space back.
    tags::TagChanges changes;
    changes.id3v2 = tags::V2Change::Merge;
    changes.compact = true;
    return writeChanges(file, changes, {});
}

FileOutcome removeTags(tags::FileIo& file, bool id3v1, bool id3v2)
{
    tags::TagChanges changes;
    if (id3v2 && tags::readId3v2Header(file)) changes.id3v2 = tags::V2Change::Remove;
    if (id3v1 && tags::hasId3v1(file)) changes.id3v1 = tags::V1Change::Remove;
    return writeChanges(file, changes, "the file has no such tag");
}

}  // namespace corvane::batch
