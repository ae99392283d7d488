#pragma once
// Reading the ID3v2 tag at the start of a file into a slot list. Versions 2.2 (frames mapped to
// their 2.3 identifiers), 2.3 and 2.4 are read; others are reported as Unsupported. All texts are
// decoded to UTF-8.

#include "file.h"
#include "id3v2_header.h"
#include "slot_list.h"
#include "tag_result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::tags {

struct Id3v2ReadResult {
    TagRead status = TagRead::Absent;
    Id3v2Header header;  // valid for Present and Unsupported
    // Keys of fields whose frame is there but cannot be read (encrypted, or compressed data that
    // does not inflate): not editable, and a write never replaces them.
    std::vector<std::string> lockedKeys;
};

// Fills the slots whose keys name fields (frame identifiers; the empty and in-memory keys of a
// TagRecord name none) with the values the editor shows (see id3v2_fields.h for which frame a
// field is read from). Only adds values: slots whose field the tag lacks keep theirs. Sizes are
// never trusted past the tag end or the file end.
[[nodiscard]] Id3v2ReadResult readId3v2(FileIo& file, SlotList& list);

}  // namespace corvane::tags
