// The ID3v2 writer over a file built from the input. Input layout:
//   byte 0      bit 0: compact; bits 1..7: which write-list entries to send (see kEntries)
//   byte 1      n, the length of the value
//   n bytes     the value (any bytes; the writer must cope with text that is not UTF-8)
//   the rest    the file
// After a successful write the bytes after the tag (audio and trailer) must be exactly the bytes
// that followed the old tag, the tag keeps its version, and every frame the write list does not
// name keeps its bytes and its place among the others; after a refused or failed write the file
// must be unchanged.

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "harness.h"
#include "tags/file.h"
#include "tags/id3v2_fields.h"
#include "tags/id3v2_layout.h"
#include "tags/id3v2_read.h"
#include "tags/id3v2_write.h"

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

tags::Id3v2Layout layoutOf(std::span<const std::uint8_t> bytes)
{
    fuzz::MemoryFile file(bytes);
    return tags::readId3v2Layout(file, tags::LayoutCheck::Everything);
}

// The frames of the old tag that no entry names.
std::vector<const tags::RawFrame*> untouchedFrames(const tags::Id3v2Layout& old,
                                                   const tags::SlotList& list)
{
    std::set<std::size_t> named;
    const auto major = old.header.major;
    for (const auto& entry : list) {
        if (const auto i = tags::fieldFrameIndex(old.frames, entry.key, major)) named.insert(*i);
        if (const auto i = tags::fallbackFrameIndex(old.frames, entry.key, major)) named.insert(*i);
    }
    std::vector<const tags::RawFrame*> kept;
    for (std::size_t i = 0; i < old.frames.size(); ++i) {
        if (!named.contains(i)) kept.push_back(&old.frames[i]);
    }
    return kept;
}

void checkFramesKept(const tags::Id3v2Layout& old, const tags::Id3v2Layout& now,
                     const tags::SlotList& list)
{
    if (now.header.major != old.header.major) fuzz::fail("a write changed the tag's version");
    // Each untouched frame, in order, must be found among the new frames after the previous one.
    std::size_t next = 0;
    for (const tags::RawFrame* frame : untouchedFrames(old, list)) {
        while (next < now.frames.size() && now.frames[next].bytes != frame->bytes) ++next;
        if (next == now.frames.size()) fuzz::fail("a frame the write did not name was lost");
        ++next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size < 2u + data[1]) return 0;
    const std::uint8_t control = data[0];
    const std::string_view value(reinterpret_cast<const char*>(data + 2), data[1]);
    const std::span<const std::uint8_t> original(data + 2 + data[1], size - 2 - data[1]);

    static const fuzz::ScratchFile scratch;
    scratch.write(original);
    const tags::SlotList list = writeList(control, value);
    tags::WriteResult result;
    {
        tags::File file = tags::File::open(scratch.path(), tags::OpenMode::Update);
        if (!file.isOpen()) fuzz::fail("cannot open the scratch file");
        result = tags::writeId3v2(file, list, (control & 1) != 0);
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
        checkFramesKept(old, now, list);
    }

    fuzz::MemoryFile reread(after);
    tags::TagRecord record;
    const auto status = tags::readId3v2(reread, record.slotList()).status;
    if (now.isPresent() && status != tags::TagRead::Present)
        fuzz::fail("the written tag cannot be read back");
    return 0;
}
