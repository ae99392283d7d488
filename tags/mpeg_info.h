#pragma once
// The first MPEG audio frame header of a file and the "MP3 Specifics" text built from it.

#include "file.h"
#include "slot_list.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::tags {

// Finds the first frame header: right after an ID3v2 tag of version below 4, else by scanning
// from offset 4 in blocks of 4096 bytes for 0xFF followed by a byte with its top three bits set.
[[nodiscard]] std::optional<std::array<std::uint8_t, 4>> findFrameHeader(FileIo& file);

// The text of the "MP3 Specifics" box; lines end in "\r\n". record supplies the presence slots
// of the two tags; id3v2TagSize is the tag size from the ID3v2 header (without its 10 bytes).
[[nodiscard]] std::string buildMpegSpecifics(FileIo& file, std::string_view path,
                                             const TagRecord& record, std::uint32_t id3v2TagSize);

}  // namespace corvane::tags
