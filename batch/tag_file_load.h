#pragma once
// Loading one file the way the tag editor shows it: both tags into a TagRecord and the text of
// the "MP3 Specifics" box. The editor and `corvane-tag show` both use it, so they agree on what
// a file holds.

#include "tags/id3v2_pictures.h"
#include "tags/id3v2_read.h"
#include "tags/slot_list.h"
#include "tags/tag_result.h"

#include <string>
#include <vector>

namespace corvane::batch {

struct TagFileLoad {
    bool opened = false;
    std::string reason;  // why the file did not open, or the I/O error of a failed read
    tags::TagRead id3v1 = tags::TagRead::Absent;
    // Versions 2.2, 2.3 and 2.4 are Present (header.major says which); others Unsupported with
    // their header kept.
    tags::TagRead id3v2 = tags::TagRead::Absent;
    tags::Id3v2Header header;
    // Keys of fields whose frame cannot be read (encrypted): not editable.
    std::vector<std::string> lockedKeys;
    std::vector<std::string> specifics;  // the lines of the box, without line ends
    tags::PictureListing pictures;       // without their image data
};

// Opens path for reading and fills record from its trailer and its tag; record is cleared first
// and its presence slots are set. When the file does not open, record is left as it was.
[[nodiscard]] TagFileLoad loadTagFile(const std::string& path, tags::TagRecord& record);

}  // namespace corvane::batch
