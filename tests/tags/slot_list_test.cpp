#include "tags/slot_list.h"

#include <gtest/gtest.h>

namespace corvane::tags {
namespace {

TEST(TagRecord, HasThirtySlotsKeyedByFrameIdTable)
{
    TagRecord record;
    ASSERT_EQ(record.slotList().size(), 30u);
    for (std::size_t i = 0; i < 30; ++i)
        EXPECT_EQ(record.slotList()[i].key, FrameIdTable[i]) << i;
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(record.slotList()[i].value, std::string()) << "ID3v1 slots hold empty texts";
    for (std::size_t i = 6; i < 30; ++i)
        EXPECT_FALSE(record.slotList()[i].hasValue()) << i;
    EXPECT_EQ(record[RecordSlot::Genre].key, "TCON");
    EXPECT_EQ(record[RecordSlot::PlayCounter].key, "PCNT");
}

TEST(TagRecord, ClearEmptiesValuesAndKeepsKeys)
{
    TagRecord record;
    for (auto& slot : record.slotList())
        slot.value = "value";
    record.setHasId3v1(true);
    record.setHasId3v2(true);
    EXPECT_TRUE(record.hasId3v1());
    EXPECT_TRUE(record.hasId3v2());

    record.clear();
    for (std::size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(record.slotList()[i].key, FrameIdTable[i]) << i;
        if (i < 6)
            EXPECT_EQ(record.slotList()[i].value, std::string()) << i;
        else
            EXPECT_FALSE(record.slotList()[i].hasValue()) << i;
    }
    EXPECT_FALSE(record.hasId3v1());
    EXPECT_FALSE(record.hasId3v2());
}

TEST(FindSlot, RecordIsSearchedFromSlot6)
{
    TagRecord record;
    EXPECT_EQ(findSlot("", record.slotList()), nullptr) << "the empty ID3v1 keys never match";
    EXPECT_EQ(findSlot("TIT2", record.slotList()), &record[RecordSlot::Title]);
    EXPECT_EQ(findSlot("TCON", record.slotList()), &record[RecordSlot::Genre]);
    EXPECT_EQ(findSlot("IDV2", record.slotList()), &record[RecordSlot::V1GenreByte]);
    EXPECT_EQ(findSlot("APIC", record.slotList()), nullptr);

    // A 30-slot list is a record even when it was not made as one.
    SlotList thirty(30);
    thirty[2].key = "TIT2";
    thirty[20].key = "TIT2";
    EXPECT_EQ(findSlot("TIT2", thirty), &thirty[20]);
}

TEST(FindSlot, OtherListsAreSearchedFromTheFirstSlotFirstMatchWins)
{
    for (const std::size_t size : {std::size_t{7}, std::size_t{29}, std::size_t{31}}) {
        SlotList list(size);
        list[0].key = "TIT2";
        list[1].key = "TIT2";
        EXPECT_EQ(findSlot("TIT2", list), &list[0]) << size;
        const SlotList& constList = list;
        EXPECT_EQ(findSlot("TIT2", constList), &list[0]) << size;
    }
    SlotList empty;
    EXPECT_EQ(findSlot("TIT2", empty), nullptr);
}

}  // namespace
}  // namespace corvane::tags
