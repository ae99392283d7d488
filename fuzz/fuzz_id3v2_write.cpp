// The ID3v2 writer over a file built from the input. Input layout:
//   byte 0      bit 0: compact; bits 1..7: which write-list entries to send (see kEntries)
//   byte 1      a picture edit: bits 0..1 the action (0 none, 1 remove, 2 set, 3 add), bits 2..3
//               which pictures it matches (all, front covers, larger than 100 bytes, the first),
//               bit 4 required, bits 5..7 the written picture's type
//   byte 2      n, the length of the value
//   n bytes     the value (any bytes; the writer must cope with text that is not UTF-8); also the
//               written picture's description, and after a PNG signature its image
//   the rest    the file
// After a successful write the bytes after the tag (audio and trailer) must be exactly the bytes
// that followed the old tag, the tag keeps its version, every frame neither the write list nor
// the picture edit names keeps its bytes and its place among the others, a written picture is
// there and a removed one is not; after a refused or failed write the file must be unchanged.

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "harness.h"
#include "tags/file.h"
#include "tags/id3v2_fields.h"
#include "tags/id3v2_layout.h"
#include "tags/id3v2_pictures.h"
#include "tags/id3v2_read.h"
#include "tags/tag_write.h"

using namespace corvane;

namespace {

constexpr std::array<std::string_view, 7> kEntries{"TIT2", "TCON", "COMM", "WXXX",
                                                   "PCNT", "TPE1", "TYER"};

tags::SlotList writeList(std::uint8_t control, std::string_view value)
{
    tags::SlotList list;
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if ((control & (2u << i)) == 0) continue;
        std::string v(value);
        if (kEntries[i] == "PCNT")
            v.resize(8, '\0');  // the counter is always eight big-endian bytes
        // The year is a removal when the value is odd-sized, which also drops its fallback frame.
        if (kEntries[i] == "TYER" && value.size() % 2 == 1) v.clear();
        list.push_back(tags::FieldSlot::frame(kEntries[i], std::move(v)));
    }
    return list;
}

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::optional<tags::PictureEdit> pictureEdit(std::uint8_t control, std::string_view value)
{
    const int action = control & 3;
    if (action == 0) return std::nullopt;
    tags::PictureEdit edit;
    edit.action = action == 1 ? tags::PictureAction::Remove
                              : (action == 2 ? tags::PictureAction::Set : tags::PictureAction::Add);
    switch ((control >> 2) & 3) {
        case 1: edit.match.type = tags::kFrontCoverType; break;
        case 2: edit.match.largerThan = 100; break;
        case 3: edit.match.position = 0; break;
        default: break;
    }
    edit.required = (control & 0x10) != 0;
    if (edit.action != tags::PictureAction::Remove) {
        tags::PictureData picture;
        picture.type = static_cast<std::uint8_t>(control >> 5);
        picture.mime = "image/png";
        picture.description = std::string(value);
        picture.image.assign(kPngSignature.begin(), kPngSignature.end());
        picture.image.insert(picture.image.end(), value.begin(), value.end());
        edit.picture = std::make_shared<const tags::PictureData>(std::move(picture));
    }
    return edit;
}

tags::Id3v2Layout layoutOf(std::span<const std::uint8_t> bytes)
{
    fuzz::MemoryFile file(bytes);
    return tags::readId3v2Layout(file, tags::LayoutCheck::Everything);
}

// The frames of the old tag that no entry names and the picture edit does not match.
std::vector<const tags::RawFrame*> untouchedFrames(const tags::Id3v2Layout& old,
                                                   const tags::SlotList& list,
                                                   const std::optional<tags::PictureEdit>& edit)
{
    std::set<std::size_t> named;
    const auto major = old.header.major;
    for (const auto& entry : list) {
        if (const auto i = tags::fieldFrameIndex(old.frames, entry.key, major)) named.insert(*i);
        if (const auto i = tags::fallbackFrameIndex(old.frames, entry.key, major)) named.insert(*i);
    }
    const auto pictures = tags::picturesOf(old);
    for (std::size_t k = 0; edit && edit->action != tags::PictureAction::Add && k < pictures.size(); ++k) {
        if (edit->match.matches(k, pictures[k])) named.insert(pictures[k].frameIndex);
    }
    std::vector<const tags::RawFrame*> kept;
    for (std::size_t i = 0; i < old.frames.size(); ++i) {
        if (!named.contains(i)) kept.push_back(&old.frames[i]);
    }
    return kept;
}

void checkFramesKept(const tags::Id3v2Layout& old, const tags::Id3v2Layout& now,
                     const tags::SlotList& list, const std::optional<tags::PictureEdit>& edit)
{
    if (now.header.major != old.header.major) fuzz::fail("a write changed the tag's version");
    // Each untouched frame, in order, must be found among the new frames after the previous one.
    std::size_t next = 0;
    for (const tags::RawFrame* frame : untouchedFrames(old, list, edit)) {
        while (next < now.frames.size() && now.frames[next].bytes != frame->bytes) ++next;
        if (next == now.frames.size()) fuzz::fail("a frame the write did not name was lost");
        ++next;
    }
}

// A written picture is in the tag; no picture the old tag had and a removal matched is left.
void checkPictures(const tags::Id3v2Layout& old, const tags::Id3v2Layout& now,
                   const tags::PictureEdit& edit)
{
    const auto after = tags::picturesOf(now);
    if (edit.picture) {
        const auto& image = edit.picture->image;
        const bool found = std::any_of(after.begin(), after.end(), [&](const tags::PictureInfo& p) {
            const auto body = tags::decodeFrameBody(now.frames[p.frameIndex].body(), p.frame.flags,
                                                    now.header.major);
            return p.fields.type == edit.picture->type && body.isReadable() &&
                   std::equal(image.begin(), image.end(), body.data.begin() + static_cast<std::ptrdiff_t>(p.fields.imageOffset),
                              body.data.end());
        });
        if (!found) fuzz::fail("the picture written is not in the tag");
        return;
    }
    if (edit.match.position) return;  // places shift once a picture is gone
    const auto before = tags::picturesOf(old);
    for (std::size_t k = 0; k < after.size(); ++k) {
        const bool wasThere = std::any_of(before.begin(), before.end(), [&](const tags::PictureInfo& p) {
            return old.frames[p.frameIndex].bytes == now.frames[after[k].frameIndex].bytes;
        });
        if (wasThere && edit.match.matches(k, after[k])) fuzz::fail("a picture to remove is still there");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3 || size < 3u + data[2]) return 0;
    const std::uint8_t control = data[0];
    const std::string_view value(reinterpret_cast<const char*>(data + 3), data[2]);
    const std::span<const std::uint8_t> original(data + 3 + data[2], size - 3 - data[2]);

    static const fuzz::ScratchFile scratch;
    scratch.write(original);
    const tags::SlotList list = writeList(control, value);
    const auto picture = pictureEdit(data[1], value);
    tags::WriteResult result;
    {
        tags::File file = tags::File::open(scratch.path(), tags::OpenMode::Update);
        if (!file.isOpen()) fuzz::fail("cannot open the scratch file");
        tags::TagChanges changes;
        changes.id3v2 = tags::V2Change::Merge;
        changes.id3v2Entries = list;
        changes.compact = (control & 1) != 0;
        if (picture) changes.pictures.push_back(*picture);
        result = tags::writeTags(file, changes);
    }
    const fuzz::Bytes after = scratch.read();
    if (!result.ok()) {
        if (!std::equal(after.begin(), after.end(), original.begin(), original.end()))
            fuzz::fail("a refused write changed the file");
        return 0;
    }

    const auto old = layoutOf(original);
    if (old.isPresent() && old.endInFile() > original.size())
        fuzz::fail("rewrote a tag whose size runs past the end of the file");
    const auto now = layoutOf(after);
    if (now.isPresent() && now.endInFile() > after.size())
        fuzz::fail("the written tag runs past the end of the file");
    const auto oldAudio = original.subspan(static_cast<std::size_t>(old.endInFile()));
    const auto newAudio = std::span(after).subspan(static_cast<std::size_t>(now.endInFile()));
    if (!std::equal(oldAudio.begin(), oldAudio.end(), newAudio.begin(), newAudio.end()))
        fuzz::fail("the bytes after the tag changed");
    if (old.isPresent()) {
        if (!now.isIntact()) fuzz::fail("a successful write left a tag that is not intact");
        checkFramesKept(old, now, list, picture);
    }
    if (picture && now.isPresent()) checkPictures(old, now, *picture);

    fuzz::MemoryFile reread(after);
    tags::TagRecord record;
    const auto status = tags::readId3v2(reread, record.slotList()).status;
    if (now.isPresent() && status != tags::TagRead::Present)
        fuzz::fail("the written tag cannot be read back");
    return 0;
}
