#include "batch/field_lists.h"

#include "tags/text_rules.h"

namespace corvane::batch {

namespace {

using tags::EditorField;

tags::FieldSlot v1Entry(const EditorTexts& texts, EditorField field)
{
    return tags::FieldSlot::v1(*tags::definitionOf(field).v1Field, texts[field]);
}

tags::FieldSlot v2Entry(const EditorTexts& texts, EditorField field)
{
    return tags::FieldSlot::frame(tags::frameIdOf(field), texts[field]);
}

}  // namespace

CollectedList collectId3v1List(const EditorTexts& texts, const FieldSelection& selection)
{
    CollectedList list;
    if (!texts.v1Checked) {
        list.action = selection[kRemoveId3v1Field] ? TagAction::Remove : TagAction::Write;
        return list;
    }
    if (selection[EditorField::V1Genre])
        list.entries.push_back(v1Entry(texts, EditorField::V1Genre));
    tags::forEachField(EditorField::V1Title, tags::kLastV1Text, [&](EditorField field) {
        if (selection[field]) list.entries.push_back(v1Entry(texts, field));
    });
    if (selection[EditorField::V1Track])
        list.entries.push_back(v1Entry(texts, EditorField::V1Track));
    return list;
}

CollectedList collectId3v2List(const EditorTexts& texts, const FieldSelection& selection,
                               EditorLayout layout, PlayCounter counter)
{
    CollectedList list;
    if (!texts.v2Checked) {
        list.action = selection[kRemoveId3v2Field] ? TagAction::Remove : TagAction::Write;
        return list;
    }
    const bool expanded = layout == EditorLayout::Expanded;
    const EditorField last = expanded ? tags::kLastV2Text : EditorField::EncodedBy;
    tags::forEachField(tags::kFirstV2Text, last, [&](EditorField field) {
        if (selection[field]) list.entries.push_back(v2Entry(texts, field));
    });
    if (selection[EditorField::V2Genre])
        list.entries.push_back(v2Entry(texts, EditorField::V2Genre));
    const std::string& count = texts[EditorField::PlayCounter];
    if (expanded && counter == PlayCounter::Write && !count.empty()) {
        list.entries.push_back(tags::FieldSlot::frame(tags::frameIdOf(EditorField::PlayCounter),
                                                      playCounterBytes(count)));
    }
    return list;
}

void keepUnloadedTag(CollectedList& list, bool loaded)
{
    if (list.action == TagAction::Remove && !loaded) list = CollectedList{};
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
