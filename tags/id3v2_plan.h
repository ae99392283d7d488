#pragma once
// What a write list makes of an ID3v2 tag, worked out in memory before a byte of the file
// changes: the old tag and the new one as byte images.
//
// Every entry names one field and so exactly one frame (see id3v2_fields.h); every frame no entry
// names keeps its bytes and its order. An entry whose value is what the frame already shows
// leaves the frame as it is, and a frame that cannot be read (encrypted) is never replaced. A
// replaced frame keeps its place when its new form fits where the old one was (with the room of
// frames dropped before it); otherwise it is dropped there and, like a new frame, written into
// the free space after the kept frames, in list order. What still does not fit goes after all of
// them, and the tag grows.
//
// Picture edits (see id3v2_pictures.h) follow the same rules after the fields: a replaced
// picture is a replaced frame, a removed one a dropped frame, an added one a new frame; every
// picture no edit matches keeps its bytes and its place.

#include <cstdint>
#include <deque>
#include <span>

#include "tags/byte_image.h"
#include "tags/id3v2_layout.h"
#include "tags/id3v2_pictures.h"
#include "tags/slot_list.h"
#include "tags/tag_result.h"

namespace corvane::tags {

struct Id3v2Plan {
    WriteStatus status = WriteStatus::Ok;  // a refusal: the tag is left alone
    ByteImage oldTag;  // the tag as it is in the file, header to footer; empty without one
    ByteImage newTag;  // the tag to write; empty when there is to be none
    std::deque<std::vector<std::uint8_t>> frameStore;  // the new frames newTag borrows
};

// layout is the writer's read of the tag (LayoutCheck::Everything, every frame's bytes); the plan
// borrows the frames' bytes, so their buffers must outlive it (moving the layout keeps them);
// leftover holds the bytes between its last frame and its dirtyEnd. Entries are keyed by field
// (an empty or absent value removes the field's frame). compact gives the free space back;
// otherwise it stays as padding. A tag with a 2.4 footer never keeps padding, as the format asks.
// A file without a tag gets one of version newMajor, sized for every entry (a removal counts as
// the frame an empty value would make) and every new picture, unless compact. Picture edits come
// after the entries; a required one that matches no picture makes the plan Changed.
[[nodiscard]] Id3v2Plan planId3v2Merge(const Id3v2Layout& layout,
                                       std::span<const std::uint8_t> leftover,
                                       const SlotList& entries, bool compact,
                                       std::uint8_t newMajor = 3,
                                       std::span<const PictureEdit> pictures = {});

// The tag as the file holds it, header to footer, from the writer's read of it and the leftover
// bytes after its frames (see planId3v2Merge).
[[nodiscard]] ByteImage oldTagImage(const Id3v2Layout& layout, std::span<const std::uint8_t> leftover);

// Unsynchronisation: FF 00 is inserted after every FF that is followed by a byte of E0 or above or
// by 00, and after an FF at the end, so that no false MPEG sync is left.
[[nodiscard]] std::vector<std::uint8_t> applyUnsynchronisation(std::span<const std::uint8_t> bytes);

}  // namespace corvane::tags
