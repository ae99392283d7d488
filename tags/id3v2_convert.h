#pragma once
// Converting an ID3v2 tag to another version, the only way a tag's version ever changes.
//
// Frames are mapped both ways as the common readers map them: 2.2's three-letter identifiers and
// PIC become their 2.3 frames; TYER+TDAT+TIME become TDRC and back, TORY becomes TDOR and back,
// IPLS becomes TIPL (and TIPL/TMCL IPLS); 2.4 genres are names ("(17)(13)" becomes "Rock" and
// "Pop"); several 2.4 values become one 2.3 text joined with "/"; texts a version cannot hold are
// re-encoded (UTF-8 and UTF-16BE become UTF-16 with a byte-order mark in 2.3). Frames the target
// version does not have are dropped and named. A tag with an encrypted frame is refused.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tags/file.h"
#include "tags/id3v2_layout.h"
#include "tags/tag_result.h"

namespace corvane::tags {

// The frames of a tag in another version: header and body each, in tag order.
struct ConvertedFrames {
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::string> dropped;  // identifiers (as stored) of the frames left out
    std::optional<std::string> refusal;  // why the tag cannot be converted
};
// targetMajor is 3 or 4; layout holds every frame's bytes.
[[nodiscard]] ConvertedFrames convertFrames(const Id3v2Layout& layout, std::uint8_t targetMajor);

struct Conversion {
    WriteResult result;
    bool changed = false;              // false when there was no tag or it had the version already
    std::uint8_t fromMajor = 0;
    std::vector<std::string> dropped;  // see ConvertedFrames
};
// Rewrites the file's ID3v2 tag in version targetMajor (3 or 4), in the room of the old tag when
// the frames fit there. A refused conversion (encrypted frame, damaged tag) leaves the file as it
// was; result.ioError then says why.
[[nodiscard]] Conversion convertId3v2(FileIo& file, std::uint8_t targetMajor);

}  // namespace corvane::tags
