#pragma once
// Reading the ID3v2 tag at the start of a file into a slot list. Versions 2.2 (six-byte frame
// headers, mapped to the 2.3 identifiers) and 2.3 are read; 2.4 and above are reported as
// Unsupported. All texts are decoded to UTF-8.

#include "file.h"
#include "slot_list.h"
#include "tag_result.h"

#include <cstdint>
#include <optional>

namespace corvane::tags {

inline constexpr std::uint64_t kId3v2HeaderSize = 10;

struct Id3v2Header {
    std::uint8_t major = 0;
    std::uint8_t revision = 0;
    std::uint8_t flags = 0;
    std::uint32_t tagSize = 0;  // bytes after the 10-byte header

    [[nodiscard]] bool hasExtendedHeader() const { return (flags & 0x40) != 0; }
    [[nodiscard]] bool isSupported() const { return major >= 2 && major < 4; }
};

// Decodes a 10-byte header ("ID3", version, flags, 7-bit-group size), whatever its version.
[[nodiscard]] std::optional<Id3v2Header> parseId3v2Header(std::span<const std::uint8_t> bytes);
// Reads and decodes the header at offset 0.
[[nodiscard]] std::optional<Id3v2Header> readId3v2Header(FileIo& file);

struct Id3v2ReadResult {
    TagRead status = TagRead::Absent;
    Id3v2Header header;  // valid for Present and Unsupported
};

// Fills the slots whose keys name frames of the tag (findSlot rules: a 30-slot list is a
// TagRecord searched from slot 6). Only adds values: slots whose frame is missing keep theirs.
// Text frames give their decoded text, "COMM" its comment text (description skipped), "WXXX"
// its URL, "PCNT" the decimal counter. A frame that occurs twice fills its slot twice; the later
// one wins. Sizes are never trusted past the tag end or the file end.
[[nodiscard]] Id3v2ReadResult readId3v2(FileIo& file, SlotList& list);

}  // namespace corvane::tags
