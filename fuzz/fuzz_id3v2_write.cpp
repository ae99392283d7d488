// The ID3v2 writer over a file built from the input. Input layout:
//   byte 0      bit 0: compact; bits 1..7: which write-list entries to send (see kEntries)
//   byte 1      n, the length of the value
//   n bytes     the value (any bytes; the writer must cope with text that is not UTF-8)
//   the rest    the file
// After a successful write the bytes after the tag (audio and trailer) must be exactly the bytes
// that followed the old tag; after a refused or failed write the file must be unchanged.

#include <algorithm>
#include <array>
#include <string_view>

#include "harness.h"
#include "tags/file.h"
#include "tags/id3v2_read.h"
#include "tags/id3v2_write.h"

using namespace corvane;

namespace {

constexpr std::array<std::string_view, 7> kEntries{"TIT2", "TCON", "COMM", "WXXX",
                                                   "PCNT", "TPE1", "TIT2"};

// Where the audio starts: after the tag the file starts with, or at 0.
std::uint64_t audioStart(std::span<const std::uint8_t> file)
{
    const auto header = tags::parseId3v2Header(file);
    return header ? tags::kId3v2HeaderSize + header->tagSize : 0;
}

tags::SlotList writeList(std::uint8_t control, std::string_view value)
{
    tags::SlotList list;
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if ((control & (2u << i)) == 0) continue;
        std::string v(value);
        if (kEntries[i] == "PCNT")
            v.resize(8, '\0');  // the counter is always eight big-endian bytes
        // The last entry names TIT2 again, as a removal, when the value is odd-sized.
        if (i == kEntries.size() - 1 && value.size() % 2 == 1) v.clear();
        list.push_back(tags::FieldSlot::frame(kEntries[i], std::move(v)));
    }
    return list;
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
    tags::WriteResult result;
    {
        tags::File file = tags::File::open(scratch.path(), tags::OpenMode::Update);
        if (!file.isOpen()) fuzz::fail("cannot open the scratch file");
        result = tags::writeId3v2(file, writeList(control, value), (control & 1) != 0);
    }
    const fuzz::Bytes after = scratch.read();
    if (!result.ok()) {
        if (!std::equal(after.begin(), after.end(), original.begin(), original.end()))
            fuzz::fail("a refused write changed the file");
        return 0;
    }

    const std::uint64_t oldStart = audioStart(original);
    if (oldStart > original.size())
        fuzz::fail("rewrote a tag whose size runs past the end of the file");
    const auto header = tags::parseId3v2Header(after);
    if (!header || header->major != 3) fuzz::fail("a successful write left no ID3v2.3 tag");
    const std::uint64_t newStart = audioStart(after);
    if (newStart > after.size()) fuzz::fail("the written tag runs past the end of the file");
    const auto oldAudio = original.subspan(static_cast<std::size_t>(oldStart));
    const auto newAudio = std::span(after).subspan(static_cast<std::size_t>(newStart));
    if (!std::equal(oldAudio.begin(), oldAudio.end(), newAudio.begin(), newAudio.end()))
        fuzz::fail("the bytes after the tag changed");

    fuzz::MemoryFile reread(after);
    tags::TagRecord record;
    if (tags::readId3v2(reread, record.slotList()).status != tags::TagRead::Present)
        fuzz::fail("the written tag cannot be read back");
    return 0;
}
