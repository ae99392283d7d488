#pragma once
// Merging a write list into the ID3v2 tag in place, and removing the tag: the ID3v2 halves of
// writeTags (tag_write.h), which says how a change reaches the file.

#include "tags/block_mover.h"
#include "tags/file.h"
#include "tags/slot_list.h"
#include "tags/tag_result.h"

namespace corvane::tags {

// Merges the entries (field key + value; an empty or absent value removes the field's frame) into
// the tag (see id3v2_plan.h for where frames go), creating an ID3v2.3 tag when the file has none.
// With compact, free space in the tag is given back by moving the audio down; otherwise it stays
// as zero padding. Refuses (file unchanged) a damaged tag, a 2.2 tag and versions not read.
[[nodiscard]] WriteResult writeId3v2(FileIo& file, const SlotList& writeList, bool compact);

// Removes the whole tag (any version, a 2.4 footer included) by moving the audio to offset 0 and
// shortening the file. A file without a tag is left untouched; a tag whose size runs past the end
// of the file is refused.
[[nodiscard]] WriteResult removeId3v2(FileIo& file);

}  // namespace corvane::tags
