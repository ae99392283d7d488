#include "tags/id3v2_read.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tags/id3v2_frames.h"

namespace corvane::tags {

namespace {

// The tag size is four 7-bit groups, most significant first; the top bit of each byte is unused.
std::uint32_t syncsafeSize(std::span<const std::uint8_t, 4> b)
{
    return (std::uint32_t{b[0] & 0x7Fu} << 21) | (std::uint32_t{b[1] & 0x7Fu} << 14) |
           (std::uint32_t{b[2] & 0x7Fu} << 7) | std::uint32_t{b[3] & 0x7Fu};
}

void fillSlots(FrameWalk& walk, std::span<const std::uint8_t> body, SlotList& list)
{
    while (const auto frame = walk.next()) {
        FieldSlot* slot = findSlot(frame->id(), list);
        if (slot == nullptr) continue;
        const auto bytes = body.subspan(static_cast<std::size_t>(frame->bodyOffset()), frame->size);
        if (auto value = frameValue(frame->id(), bytes)) slot->value = std::move(*value);
    }
}

}  // namespace

std::optional<Id3v2Header> parseId3v2Header(std::span<const std::uint8_t> bytes)
{
    //  0..2 "ID3"   3 major   4 revision   5 flags   6..9 size in 7-bit groups
    if (bytes.size() < kId3v2HeaderSize || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3')
        return std::nullopt;
    Id3v2Header header;
    header.major = bytes[3];
    header.revision = bytes[4];
    header.flags = bytes[5];
    header.tagSize = syncsafeSize(bytes.subspan<6, 4>());
    return header;
}

std::optional<Id3v2Header> readId3v2Header(FileIo& file)
{
    std::array<std::uint8_t, kId3v2HeaderSize> bytes{};
    if (!file.readExactAt(0, bytes)) return std::nullopt;
    return parseId3v2Header(bytes);
}

Id3v2ReadResult readId3v2(FileIo& file, SlotList& list)
{
    Id3v2ReadResult result;
    std::array<std::uint8_t, kId3v2HeaderSize> headerBytes{};
    const auto got = file.readAt(0, headerBytes);
    if (!got) {
        result.status = TagRead::Failed;
        return result;
    }
    const auto header = parseId3v2Header(std::span(headerBytes).first(*got));
    if (!header) return result;
    result.header = *header;
    if (!header->isSupported()) {
        result.status = TagRead::Unsupported;
        return result;
    }
    const auto fileLength = file.length();
    if (!fileLength) {
        result.status = TagRead::Failed;
        return result;
    }
    // One read of the whole body, never more than the file holds whatever the size field says.
    const std::uint64_t afterHeader =
        *fileLength > kId3v2HeaderSize ? *fileLength - kId3v2HeaderSize : 0;
    const std::uint64_t available = std::min<std::uint64_t>(header->tagSize, afterHeader);
    std::vector<std::uint8_t> body(static_cast<std::size_t>(available));
    const auto bodyRead = file.readAt(kId3v2HeaderSize, body);
    if (!bodyRead) {
        result.status = TagRead::Failed;
        return result;
    }
    body.resize(*bodyRead);

    MemoryTagBytes bytes(body);
    FrameWalk walk(bytes, *header, body.size());
    fillSlots(walk, body, list);
    result.status = TagRead::Present;
    return result;
}

}  // namespace corvane::tags
