#include "batch/field_lists.h"

#include "tags/text_rules.h"
#include "tags/field_catalogue.h"

namespace corvane::batch {

namespace {

constexpr int kPlayCounterEdit = 25;

// ID3v1 record slots 1..5 are Title .. Comment, which are also V1FieldNo 1..5; slot 0 is Track.
tags::FieldSlot v1Entry(int slot, const std::string& text)
{
    const auto field = slot == 0 ? tags::V1FieldNo::Track : static_cast<tags::V1FieldNo>(slot);
    return tags::FieldSlot::v1(field, text);
}

}  // namespace

CollectedList collectId3v1List(const EditorTexts& texts, const FieldFlags& flags)
{
    CollectedList list;
    if (!texts.v1Checked) {
        list.action = flags[kFlagRemoveV1] ? TagAction::Remove : TagAction::Write;
        return list;
    }
    if (flags[kFlagV1Genre])
        list.entries.push_back(tags::FieldSlot::v1(tags::V1FieldNo::Genre, texts.v1Genre));
    for (int slot = 1; slot <= 5; ++slot) {
        if (flags[static_cast<std::size_t>(slot)])
            list.entries.push_back(v1Entry(slot, texts.edits[static_cast<std::size_t>(slot)]));
    }
    if (flags[0]) list.entries.push_back(v1Entry(0, texts.edits[0]));
    return list;
}

CollectedList collectId3v2List(const EditorTexts& texts, const FieldFlags& flags, int capacity)
{
    CollectedList list;
    if (!texts.v2Checked) {
        list.action = flags[kFlagRemoveV2] ? TagAction::Remove : TagAction::Write;
        return list;
    }
    const int lastSlot = std::min(capacity - 4, kPlayCounterEdit - 1);
    for (int slot = 6; slot <= lastSlot; ++slot) {
        const auto p = static_cast<std::size_t>(slot);
        if (flags[p])
            list.entries.push_back(tags::FieldSlot::frame(tags::FrameIdTable[p], texts.edits[p]));
    }
    if (flags[kFlagV2Genre]) list.entries.push_back(tags::FieldSlot::frame("TCON", texts.v2Genre));
    const std::string& counter = texts.edits[kPlayCounterEdit];
    if (capacity >= kExpandedCapacity && !counter.empty())
        list.entries.push_back(tags::FieldSlot::frame("PCNT", playCounterBytes(counter)));
    return list;
}

std::string playCounterBytes(std::int64_t count)
{
    auto value = static_cast<std::uint64_t>(count);
    std::string bytes(8, '\0');
    for (int i = 7; i >= 0; --i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
    return bytes;
}

std::string playCounterBytes(std::string_view text)
{
    return playCounterBytes(tags::leadingInteger(text));
}

}  // namespace corvane::batch
