#include "tags/id3v2_header.h"

#include <algorithm>
#include <zlib.h>

namespace corvane::tags {

namespace {

constexpr std::size_t kV23PlainExtSize = 6;
constexpr std::size_t kV23CrcExtSize = 10;
constexpr std::uint16_t kV23ExtCrcFlag = 0x8000;
constexpr std::uint8_t kV24ExtUpdateFlag = 0x40;
constexpr std::uint8_t kV24ExtCrcFlag = 0x20;
constexpr std::uint8_t kV24ExtRestrictionsFlag = 0x10;
constexpr std::size_t kV24CrcSize = 5;

std::uint32_t crcOf(std::span<const std::span<const std::uint8_t>> parts, std::uint64_t zeros)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    for (const auto part : parts) {
        // zlib takes its length as uInt; a frame can exceed that only in theory, but feed it in
        // pieces all the same.
        for (std::size_t at = 0; at < part.size();) {
            const auto n = static_cast<uInt>(std::min<std::size_t>(part.size() - at, 1u << 30));
            crc = crc32(crc, part.data() + at, n);
            at += n;
        }
    }
    static const std::array<Bytef, 65536> zeroBlock{};
    for (std::uint64_t left = zeros; left > 0;) {
        const auto n = static_cast<uInt>(std::min<std::uint64_t>(left, zeroBlock.size()));
        crc = crc32(crc, zeroBlock.data(), n);
        left -= n;
    }
    return static_cast<std::uint32_t>(crc);
}

ExtendedHeaderRead parseV23(std::span<const std::uint8_t> bytes)
{
    ExtendedHeaderRead read;
    if (bytes.size() < 4) return read;
    const std::uint32_t size = decodeBigEndian(bytes.first(4));
    if (size != kV23PlainExtSize && size != kV23CrcExtSize) {
        read.check = ExtendedHeaderCheck::Impossible;
        return read;
    }
    if (bytes.size() < 4 + size) return read;
    read.header.bytes.assign(bytes.begin(), bytes.begin() + 4 + size);
    const auto flags = static_cast<std::uint16_t>(decodeBigEndian(bytes.subspan(4, 2)));
    read.header.hasCrc = (flags & kV23ExtCrcFlag) != 0;
    if (read.header.hasCrc && size != kV23CrcExtSize) {
        read.check = ExtendedHeaderCheck::Impossible;
        return read;
    }
    read.header.crcOffset = 10;
    read.check = ExtendedHeaderCheck::Valid;
    return read;
}

ExtendedHeaderRead parseV24(std::span<const std::uint8_t> bytes)
{
    ExtendedHeaderRead read;
    if (bytes.size() < 6) return read;
    if (!isSyncsafe(bytes.first<4>()) || bytes[4] != 1) {
        read.check = ExtendedHeaderCheck::Impossible;
        return read;
    }
    const std::uint32_t size = decodeSyncsafe(bytes.first<4>());
    if (size < 6) {
        read.check = ExtendedHeaderCheck::Impossible;
        return read;
    }
    if (bytes.size() < size) return read;
    const std::uint8_t flags = bytes[5];
    // Each flag that carries data adds a length byte and that many bytes, in flag order.
    std::size_t at = 6;
    for (const std::uint8_t flag :
         {kV24ExtUpdateFlag, kV24ExtCrcFlag, kV24ExtRestrictionsFlag}) {
        if ((flags & flag) == 0) continue;
        if (at >= size) {
            read.check = ExtendedHeaderCheck::Impossible;
            return read;
        }
        const std::size_t length = bytes[at];
        if (flag == kV24ExtCrcFlag) {
            if (length != kV24CrcSize) {
                read.check = ExtendedHeaderCheck::Impossible;
                return read;
            }
            read.header.hasCrc = true;
            read.header.crcOffset = at + 1;
        }
        at += 1 + length;
    }
    if (at > size) {
        read.check = ExtendedHeaderCheck::Impossible;
        return read;
    }
    read.header.bytes.assign(bytes.begin(), bytes.begin() + size);
    read.check = ExtendedHeaderCheck::Valid;
    return read;
}

}  // namespace

std::uint32_t decodeSyncsafe(std::span<const std::uint8_t, 4> b)
{
    return (std::uint32_t{b[0] & 0x7Fu} << 21) | (std::uint32_t{b[1] & 0x7Fu} << 14) |
           (std::uint32_t{b[2] & 0x7Fu} << 7) | std::uint32_t{b[3] & 0x7Fu};
}

std::array<std::uint8_t, 4> encodeSyncsafe(std::uint32_t value)
{
    return {static_cast<std::uint8_t>((value >> 21) & 0x7F),
            static_cast<std::uint8_t>((value >> 14) & 0x7F),
            static_cast<std::uint8_t>((value >> 7) & 0x7F), static_cast<std::uint8_t>(value & 0x7F)};
}

bool isSyncsafe(std::span<const std::uint8_t, 4> bytes)
{
    return std::none_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return (b & 0x80) != 0; });
}

std::uint32_t decodeBigEndian(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (const auto b : bytes) value = (value << 8) | b;
    return value;
}

void putBigEndian32(std::span<std::uint8_t, 4> to, std::uint32_t value)
{
    to[0] = static_cast<std::uint8_t>(value >> 24);
    to[1] = static_cast<std::uint8_t>(value >> 16);
    to[2] = static_cast<std::uint8_t>(value >> 8);
    to[3] = static_cast<std::uint8_t>(value);
}

std::optional<Id3v2Header> parseId3v2Header(std::span<const std::uint8_t> bytes)
{
    //  0..2 "ID3"   3 major   4 revision   5 flags   6..9 sync-safe size
    if (bytes.size() < kId3v2HeaderSize || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3')
        return std::nullopt;
    Id3v2Header header;
    header.major = bytes[3];
    header.revision = bytes[4];
    header.flags = bytes[5];
    header.tagSize = decodeSyncsafe(bytes.subspan<6, 4>());
    return header;
}

std::optional<Id3v2Header> readId3v2Header(FileIo& file)
{
    std::array<std::uint8_t, kId3v2HeaderSize> bytes{};
    if (!file.readExactAt(0, bytes)) return std::nullopt;
    return parseId3v2Header(bytes);
}

std::array<std::uint8_t, kId3v2HeaderSize> renderId3v2Header(const Id3v2Header& h, bool asFooter)
{
    const auto size = encodeSyncsafe(h.tagSize);
    if (asFooter)
        return {'3', 'D', 'I', h.major, h.revision, h.flags, size[0], size[1], size[2], size[3]};
    return {'I', 'D', '3', h.major, h.revision, h.flags, size[0], size[1], size[2], size[3]};
}

ExtendedHeaderRead parseExtendedHeader(std::uint8_t major, std::span<const std::uint8_t> bytes)
{
    if (major == 3) return parseV23(bytes);
    if (major == 4) return parseV24(bytes);
    return {ExtendedHeaderCheck::Impossible, {}};
}

std::vector<std::uint8_t> updatedExtendedHeader(
    const ExtendedHeader& ext, std::uint8_t major,
    std::span<const std::span<const std::uint8_t>> frames, std::uint64_t paddingSize)
{
    std::vector<std::uint8_t> bytes = ext.bytes;
    if (major == 3) {
        // A padding size past 32 bits cannot happen: the whole tag fits in 28.
        putBigEndian32(std::span(bytes).subspan<6, 4>(), static_cast<std::uint32_t>(paddingSize));
        if (ext.hasCrc) {
            putBigEndian32(std::span(bytes).subspan<10, 4>(), crcOf(frames, 0));
        }
        return bytes;
    }
    if (ext.hasCrc) {
        // 35 bits in five 7-bit groups; a 32-bit CRC leaves the first group's top three bits 0.
        const std::uint32_t crc = crcOf(frames, paddingSize);
        auto* at = bytes.data() + ext.crcOffset;
        at[0] = static_cast<std::uint8_t>((crc >> 28) & 0x0F);
        const auto rest = encodeSyncsafe(crc & kMaxSyncsafe);
        std::copy(rest.begin(), rest.end(), at + 1);
    }
    return bytes;
}

}  // namespace corvane::tags
