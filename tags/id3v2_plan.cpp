#include "tags/id3v2_plan.h"

#include <algorithm>
#include <deque>
#include <set>
#include <string>

#include "tags/id3v2_fields.h"
#include "tags/id3v2_pictures.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Edit {
    std::string key;
    std::string value;
    bool removal = false;
    std::optional<std::size_t> target;   // the frame the field has now
    std::optional<std::size_t> alsoDrop; // a removal also drops the frame the field falls back to
    std::span<const std::uint8_t> frame;  // the new frame, for a replacement (kept by the plan)
    std::size_t removalSize = 0;          // what a removal counts when a new tag is sized
    bool done = false;
};

// The zero prefix a frame of this kind starts with when its text is ISO-8859-1: the encoding
// byte, for "C" three language bytes, for "W" and "C" an empty description's terminator.
std::size_t emptyBodySize(std::string_view id)
{
    switch (id[0]) {
        case 'T': return 1;
        case 'W': return 2;
        case 'C': return 5;
        default: return 0;
    }
}

bool isReadable(const RawFrame& frame, std::uint8_t major)
{
    return !isEncryptedFrame(frame.ref.flags, major) &&
           decodeFrameBody(frame.body(), frame.ref.flags, major).isReadable();
}

// True when the frame already shows value, so writing it would change nothing the user sees.
bool alreadyShows(const RawFrame& frame, std::uint8_t major, std::string_view key,
                  std::string_view value)
{
    const auto body = decodeFrameBody(frame.body(), frame.ref.flags, major);
    if (!body.isReadable()) return false;
    const auto shown = frameValue(frame.id(), body.data);
    if (!shown) return false;
    if (key == "PCNT") {
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size());
        return *shown == counterFrameValue(bytes);
    }
    // A genre is shown by its names: "(17)" and "Rock" show the same, and the editor, which
    // writes back what it shows, must not rewrite a reference it did not change.
    if (key == "TCON") return genreDisplayText(*shown) == genreDisplayText(value);
    return *shown == value;
}

// With the whole-tag unsynchronisation flag of 2.4 set, readers undo the scheme on every frame;
// a frame written into such a tag carries it too.
Bytes unsynchronisedFrame(const Bytes& frame, std::string_view id)
{
    const auto body = applyUnsynchronisation(std::span(frame).subspan(kFrameHeaderSizeV23));
    Bytes out = frameHeaderBytes(id, body.size(), 4, kFrameV24Unsynchronised);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// Puts the new frame of an edit into the plan's store, which keeps every new frame at a fixed
// address for the images that borrow it. A frame just like the one it replaces leaves that one be.
void keepFrame(const Id3v2Layout& layout, Edit& edit, Bytes frame, std::string_view id,
               std::deque<Bytes>& store)
{
    if (edit.target && frame == layout.frames[*edit.target].bytes) edit.done = true;
    if (layout.header.major == 4 && layout.header.isUnsynchronised())
        frame = unsynchronisedFrame(frame, id);
    store.push_back(std::move(frame));
    edit.frame = store.back();
}

std::vector<Edit> collectEdits(const Id3v2Layout& layout, const SlotList& entries,
                               std::uint8_t major, std::deque<Bytes>& store)
{
    const bool hasTag = layout.isPresent();
    const auto& frames = layout.frames;
    std::vector<Edit> edits;
    std::set<std::string, std::less<>> seen;
    for (const auto& slot : entries) {
        if (!isWritableFieldKey(slot.key) || !seen.insert(slot.key).second) continue;
        Edit edit;
        edit.key = slot.key;
        edit.value = slot.text();
        edit.removal = edit.value.empty();
        edit.removalSize = kFrameHeaderSizeV23 + emptyBodySize(writtenFrameId(edit.key, major));
        if (hasTag) edit.target = fieldFrameIndex(frames, edit.key, major);
        if (edit.target) {
            const RawFrame& old = frames[*edit.target];
            // A frame we cannot read is never rewritten: its value is unknown to us.
            edit.done = !isReadable(old, major) ||
                        (!edit.removal && alreadyShows(old, major, edit.key, edit.value));
        }
        if (hasTag && edit.removal && !edit.done) {
            const auto fallback = fallbackFrameIndex(frames, edit.key, major);
            if (fallback && fallback != edit.target && isReadable(frames[*fallback], major))
                edit.alsoDrop = fallback;
        }
        if (!edit.removal && !edit.done) {
            Bytes frame = encodeFieldFrame(edit.key, edit.value, major,
                                           edit.target ? &frames[*edit.target] : nullptr);
            keepFrame(layout, edit, std::move(frame), writtenFrameId(edit.key, major), store);
        }
        edits.push_back(std::move(edit));
    }
    return edits;
}

// The pictures' frame edits, after the fields': a frame a field's edit names is not a picture's
// to touch. False when the pictures are not the ones the edits were made for.
bool addPictureEdits(const Id3v2Layout& layout, std::span<const PictureEdit> pictures,
                     std::uint8_t major, std::vector<Edit>& edits, std::deque<Bytes>& store)
{
    if (pictures.empty()) return true;
    std::vector<bool> taken(layout.frames.size(), false);
    for (const auto& edit : edits) {
        if (edit.target) taken[*edit.target] = true;
        if (edit.alsoDrop) taken[*edit.alsoDrop] = true;
    }
    auto resolved = resolvePictureEdits(layout, pictures, major, taken);
    if (resolved.stale) return false;
    for (auto& change : resolved.changes) {
        Edit edit;
        edit.key = std::string(kPictureFrameId);
        edit.target = change.target;
        edit.removal = change.removal;
        if (!edit.removal) keepFrame(layout, edit, std::move(change.frame), kPictureFrameId, store);
        edits.push_back(std::move(edit));
    }
    return true;
}

struct Placement {
    std::vector<std::span<const std::uint8_t>> frames;
    std::uint64_t end = 0;   // body offset after the last frame
    bool grew = false;       // frames were left that did not fit the old tag
};

// Lays the frames out as the write list asks, in body coordinates.
Placement place(const Id3v2Layout& layout, std::vector<Edit>& edits, std::uint64_t tagEnd)
{
    const auto& frames = layout.frames;
    std::vector<Edit*> editOf(frames.size(), nullptr);
    std::vector<bool> dropped(frames.size(), false);
    for (auto& edit : edits) {
        if (edit.done) continue;
        if (edit.target) {
            editOf[*edit.target] = &edit;
            if (edit.removal) dropped[*edit.target] = true;
        }
        if (edit.alsoDrop) dropped[*edit.alsoDrop] = true;
    }
    Placement placement;
    std::uint64_t w = layout.framesStart;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (dropped[i]) continue;
        if (Edit* edit = editOf[i]) {
            // A replacement that fits where the old frame ended keeps its place.
            if (w + edit->frame.size() <= frames[i].ref.endOffset()) {
                placement.frames.push_back(edit->frame);
                w += edit->frame.size();
                edit->done = true;
            }
            continue;
        }
        placement.frames.push_back(frames[i].bytes);
        w += frames[i].bytes.size();
    }
    // The free space after the kept frames is offered once to every waiting entry, in order.
    for (auto& edit : edits) {
        if (edit.done || edit.removal) continue;
        if (w + edit.frame.size() <= tagEnd) {
            placement.frames.push_back(edit.frame);
            w += edit.frame.size();
            edit.done = true;
        }
    }
    for (auto& edit : edits) {
        if (edit.done || edit.removal) continue;
        placement.frames.push_back(edit.frame);
        w += edit.frame.size();
        placement.grew = true;
    }
    placement.end = w;
    return placement;
}

}  // namespace

ByteImage oldTagImage(const Id3v2Layout& layout, std::span<const std::uint8_t> leftover)
{
    ByteImage image;
    if (!layout.isPresent()) return image;
    // The header and footer live inside the layout object, which may move; copy them.
    image.appendOwned({layout.headerBytes.begin(), layout.headerBytes.end()});
    if (layout.unsynchronised) {
        image.append(layout.storedBody);
        image.appendZeros(layout.header.tagSize - layout.storedBody.size());
        return image;
    }
    if (layout.ext) image.append(layout.ext->bytes);
    for (const auto& frame : layout.frames) image.append(frame.bytes);
    image.append(leftover);
    image.appendZeros(layout.header.tagSize - layout.framesEnd - leftover.size());
    if (layout.footerBytes) image.appendOwned({layout.footerBytes->begin(), layout.footerBytes->end()});
    return image;
}

std::vector<std::uint8_t> applyUnsynchronisation(std::span<const std::uint8_t> bytes)
{
    Bytes out;
    out.reserve(bytes.size() + bytes.size() / 64);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] != 0xFF) continue;
        if (i + 1 == bytes.size() || bytes[i + 1] >= 0xE0 || bytes[i + 1] == 0x00) out.push_back(0);
    }
    return out;
}

Id3v2Plan planId3v2Merge(const Id3v2Layout& layout, std::span<const std::uint8_t> leftover,
                         const SlotList& entries, bool compact, std::uint8_t newMajor,
                         std::span<const PictureEdit> pictures)
{
    Id3v2Plan plan;
    plan.oldTag = oldTagImage(layout, leftover);
    const bool hasTag = layout.isPresent();
    const std::uint8_t major = hasTag ? layout.header.major : newMajor;
    auto edits = collectEdits(layout, entries, major, plan.frameStore);
    if (!addPictureEdits(layout, pictures, major, edits, plan.frameStore)) {
        plan.status = WriteStatus::Changed;
        return plan;
    }

    std::uint64_t tagEnd = layout.header.tagSize;
    if (!hasTag) {
        tagEnd = 0;
        for (const auto& edit : edits) tagEnd += edit.removal ? edit.removalSize : edit.frame.size();
    }
    const Placement placement = place(layout, edits, tagEnd);
    // A 2.4 tag with a footer may have no padding.
    const bool keepsPadding = !placement.grew && !compact && !(hasTag && layout.header.hasFooter());
    const std::uint64_t bodySize = keepsPadding ? tagEnd : placement.end;
    if (bodySize > kMaxSyncsafe) {
        plan.status = WriteStatus::TooLarge;
        return plan;
    }
    if (!hasTag && placement.frames.empty() && bodySize == 0) return plan;

    Id3v2Header header = hasTag ? layout.header : Id3v2Header{major, 0, 0, 0};
    header.tagSize = static_cast<std::uint32_t>(bodySize);
    // Frames are written plain: a 2.3 tag that was unsynchronised as a whole no longer is.
    if (major < 4) header.flags &= static_cast<std::uint8_t>(~kTagUnsynchronised);
    // Some taggers set the extended-header flag without writing one; readers cope only while
    // the first frame happens to start the body, which a write may change.
    if (hasTag && !layout.ext) header.flags &= static_cast<std::uint8_t>(~kTagExtendedHeader);
    const bool sameHeader = hasTag && header.tagSize == layout.header.tagSize &&
                            header.flags == layout.header.flags;
    const auto headerBytes = renderId3v2Header(header);
    if (sameHeader)
        plan.newTag.appendOwned({layout.headerBytes.begin(), layout.headerBytes.end()});
    else
        plan.newTag.appendOwned({headerBytes.begin(), headerBytes.end()});
    const std::uint64_t padding = bodySize - placement.end;
    if (hasTag && layout.ext)
        plan.newTag.appendOwned(updatedExtendedHeader(*layout.ext, major, placement.frames, padding));
    for (const auto frame : placement.frames) plan.newTag.append(frame);
    plan.newTag.appendZeros(padding);
    if (header.hasFooter()) {
        const auto footerBytes = renderId3v2Header(header, true);
        if (sameHeader && layout.footerBytes)
            plan.newTag.appendOwned({layout.footerBytes->begin(), layout.footerBytes->end()});
        else
            plan.newTag.appendOwned({footerBytes.begin(), footerBytes.end()});
    }
    return plan;
}

}  // namespace corvane::tags
