#pragma once
// The file work of loading one file into the tag editor: both tags into its record and the text
// of the "MP3 Specifics" box. No widgets here.

#include "tags/slot_list.h"
#include "tags/tag_result.h"

#include <cstdint>
#include <string>

namespace corvane {

struct LoadResult {
    bool opened = false;
    std::string reason;  // why the file did not open
    tags::TagRead id3v1 = tags::TagRead::Absent;
    tags::TagRead id3v2 = tags::TagRead::Absent;
    // The specifics text, lines ending in "\n". After the path line it says when an ID3v2 tag is
    // there but was not read, so that a cleared "ID3v2 Tag" box does not look like a file
    // without one.
    std::string specifics;
};

// Opens path for reading and fills record from its trailer and its tag; record is cleared first
// and its presence slots are set. When the file does not open, record is left as it was.
[[nodiscard]] LoadResult loadTagFile(const std::string& path, tags::TagRecord& record);

}  // namespace corvane
