#pragma once
// Merging a write list into the ID3v2 tag in place, and removing the tag.

#include "file.h"
#include "slot_list.h"
#include "tag_result.h"

#include <cstddef>

namespace corvane::tags {

// Audio is moved inside the file through one buffer of this size.
inline constexpr std::size_t CopyChunkSize = 40960;

// Merges the entries (frame id + value; an empty or absent value removes the first frame of that
// id) into the tag, creating an ID3v2.3 tag when the file has none. Frames the list does not name
// are carried over byte for byte. With compact, free space in the tag is given back by moving the
// audio down; otherwise it stays as zero padding. A "TCON" value that is a genre name is stored
// as "(n)name". Texts are stored as ISO-8859-1 when they can be, else as UTF-16 with a BOM; a
// "PCNT" value is the 8-byte big-endian counter.
//
// Refuses (file unchanged) a tag that is not version 2.3 and a malformed tag. Before audio moves
// toward the end the file is extended and the extension checked, so a full disk leaves the file
// as it was.
[[nodiscard]] WriteResult writeId3v2(FileIo& file, const SlotList& writeList, bool compact);

// Removes the whole tag (any version) by moving the audio to offset 0 and shortening the file. A
// file without a tag is left untouched; a tag whose size runs past the end of the file is refused.
[[nodiscard]] WriteResult removeId3v2(FileIo& file);

}  // namespace corvane::tags
