#include "tags/slot_list.h"

namespace corvane::tags {

FieldSlot FieldSlot::frame(std::string_view id, std::optional<std::string> v)
{
    FieldSlot slot;
    slot.key = std::string(id);
    slot.value = std::move(v);
    return slot;
}

FieldSlot FieldSlot::v1(V1FieldNo no, std::optional<std::string> v)
{
    FieldSlot slot;
    slot.v1Field = no;
    slot.value = std::move(v);
    return slot;
}

const std::string& FieldSlot::text() const
{
    static const std::string empty;
    return value ? *value : empty;
}

TagRecord::TagRecord()
{
    m_slots.reserve(kTagRecordSize);
    for (const auto key : FrameIdTable)
        m_slots.push_back(FieldSlot::frame(key));
    clear();
}

void TagRecord::clear()
{
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (i < 6)
            m_slots[i].value = std::string();
        else
            m_slots[i].value.reset();
    }
}

bool TagRecord::hasId3v1() const
{
    return (*this)[RecordSlot::V1Present].text() == "1";
}

bool TagRecord::hasId3v2() const
{
    return (*this)[RecordSlot::V2Present].text() == "1";
}

void TagRecord::setHasId3v1(bool present)
{
    (*this)[RecordSlot::V1Present].value = present ? "1" : "";
}

void TagRecord::setHasId3v2(bool present)
{
    (*this)[RecordSlot::V2Present].value = present ? "1" : "";
}

}  // namespace corvane::tags
