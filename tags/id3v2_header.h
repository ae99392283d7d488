#pragma once
// The fixed parts of an ID3v2 tag around its frames: the 10-byte header, the extended header of
// versions 2.3 and 2.4, and the 2.4 footer, with the sync-safe numbers they are written in.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tags/file.h"

namespace corvane::tags {

inline constexpr std::uint64_t kId3v2HeaderSize = 10;
inline constexpr std::uint64_t kId3v2FooterSize = 10;
// A sync-safe number holds 28 bits; no tag can be larger than this after its header.
inline constexpr std::uint32_t kMaxSyncsafe = (std::uint32_t{1} << 28) - 1;

// Four 7-bit groups, most significant first; the top bit of each byte is unused:
//   0aaaaaaa 0bbbbbbb 0ccccccc 0ddddddd  ->  aaaaaaabbbbbbbcccccccddddddd
[[nodiscard]] std::uint32_t decodeSyncsafe(std::span<const std::uint8_t, 4> bytes);
[[nodiscard]] std::array<std::uint8_t, 4> encodeSyncsafe(std::uint32_t value);
// True when no byte has its top bit set, so the four bytes can be a sync-safe number.
[[nodiscard]] bool isSyncsafe(std::span<const std::uint8_t, 4> bytes);
[[nodiscard]] std::uint32_t decodeBigEndian(std::span<const std::uint8_t> bytes);
void putBigEndian32(std::span<std::uint8_t, 4> to, std::uint32_t value);

// Tag header flags.
inline constexpr std::uint8_t kTagUnsynchronised = 0x80;
inline constexpr std::uint8_t kTagExtendedHeader = 0x40;  // 2.3, 2.4 (compression in 2.2)
inline constexpr std::uint8_t kTagFooter = 0x10;          // 2.4

struct Id3v2Header {
    std::uint8_t major = 0;
    std::uint8_t revision = 0;
    std::uint8_t flags = 0;
    std::uint32_t tagSize = 0;  // bytes after the 10-byte header, footer excluded

    [[nodiscard]] bool isSupported() const { return major >= 2 && major <= 4; }
    [[nodiscard]] bool hasExtendedHeader() const
    {
        return major >= 3 && (flags & kTagExtendedHeader) != 0;
    }
    [[nodiscard]] bool isUnsynchronised() const { return (flags & kTagUnsynchronised) != 0; }
    [[nodiscard]] bool hasFooter() const { return major == 4 && (flags & kTagFooter) != 0; }
    // Where the frames and padding end, counted from the start of the file.
    [[nodiscard]] std::uint64_t bodyEnd() const { return kId3v2HeaderSize + tagSize; }
    // Where the audio starts: after the body and, in 2.4, the footer.
    [[nodiscard]] std::uint64_t totalSize() const
    {
        return bodyEnd() + (hasFooter() ? kId3v2FooterSize : 0);
    }
};

// Decodes a 10-byte header ("ID3", version, flags, sync-safe size), whatever its version; nullopt
// when bytes is shorter or does not start with "ID3".
[[nodiscard]] std::optional<Id3v2Header> parseId3v2Header(std::span<const std::uint8_t> bytes);
// Reads and decodes the header at offset 0; nullopt also on a read failure.
[[nodiscard]] std::optional<Id3v2Header> readId3v2Header(FileIo& file);
// The header bytes of h; with asFooter the "3DI" footer that mirrors it.
[[nodiscard]] std::array<std::uint8_t, kId3v2HeaderSize> renderId3v2Header(const Id3v2Header& h,
                                                                          bool asFooter = false);

// The extended header of a 2.3 or 2.4 tag, kept as stored so that it can be written back with
// only the fields that describe the rest of the tag brought up to date.
//   2.3: size(4, plain, 6 or 10, not counting itself) flags(2) padding size(4) [CRC-32(4)]
//   2.4: size(4, sync-safe, counting itself, >= 6) flag-byte count(1, = 1) flags(1), then for
//        each set flag in order b (update, no data), c (CRC: 5 sync-safe bytes), d (restrictions:
//        1 byte) a length byte and its data
struct ExtendedHeader {
    std::vector<std::uint8_t> bytes;  // as stored, size field included
    bool hasCrc = false;
    std::size_t crcOffset = 0;  // of the CRC data within bytes

    [[nodiscard]] std::size_t size() const { return bytes.size(); }
};

enum class ExtendedHeaderCheck { Valid, Impossible, Truncated };
struct ExtendedHeaderRead {
    ExtendedHeaderCheck check = ExtendedHeaderCheck::Truncated;
    ExtendedHeader header;
};
// Decodes the extended header at the start of a tag body of the given major version; bytes holds
// what the body offers there (at most the tag size). Impossible for a size or layout no writer can
// have meant (a 2.3 size other than 6 or 10); Truncated when bytes ends before it does.
[[nodiscard]] ExtendedHeaderRead parseExtendedHeader(std::uint8_t major,
                                                     std::span<const std::uint8_t> bytes);

// The extended header brought up to date for a tag whose frames are `frames` and whose padding is
// paddingSize zero bytes: the 2.3 padding-size field and, when the header carries one, the CRC
// (2.3: of the frames; 2.4: of the frames and the padding).
[[nodiscard]] std::vector<std::uint8_t> updatedExtendedHeader(
    const ExtendedHeader& ext, std::uint8_t major,
    std::span<const std::span<const std::uint8_t>> frames, std::uint64_t paddingSize);

}  // namespace corvane::tags
