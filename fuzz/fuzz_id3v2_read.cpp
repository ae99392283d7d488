// Everything the tag editor reads from one file: the ID3v2 tag into a whole record and into a
// short list, the ID3v1 trailer, and the MPEG specifics. No input may crash, hang, read out of
// bounds, or produce a text that is not UTF-8.

#include "harness.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/mpeg_info.h"

using namespace corvane;

namespace {

void checkTexts(const tags::SlotList& list, std::size_t skip)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i == skip || !list[i].value) continue;
        if (!fuzz::isValidUtf8(*list[i].value)) fuzz::fail("a slot holds text that is not UTF-8");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::MemoryFile file({data, size});

    tags::TagRecord record;
    const auto result = tags::readId3v2(file, record.slotList());
    if (result.status == tags::TagRead::Failed) fuzz::fail("a read from memory cannot fail");
    const auto v1 = tags::readId3v1(file, record.slotList(), false);
    if (v1 == tags::TagRead::Failed) fuzz::fail("a trailer read from memory cannot fail");
    checkTexts(record.slotList(), static_cast<std::size_t>(tags::RecordSlot::V1GenreByte));

    tags::SlotList shortList{tags::FieldSlot::frame("TIT2"), tags::FieldSlot::frame("COMM"),
                             tags::FieldSlot::frame("WXXX"), tags::FieldSlot::frame("PCNT"),
                             tags::FieldSlot::frame("TCON"), tags::FieldSlot::frame("TXXX"),
                             tags::FieldSlot::frame("WOAR")};
    (void)tags::readId3v2(file, shortList);
    checkTexts(shortList, shortList.size());

    (void)tags::buildMpegSpecifics(file, "/fuzz/input.mp3");
    return 0;
}
