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

}  // namespace
}  // namespace corvane::tags
