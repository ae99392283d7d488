#include "tags/id3v2_read.h"

#include "tags/id3v2_fields.h"
#include "tags/id3v2_layout.h"

namespace corvane::tags {

namespace {

// Pictures and other binary frames are never shown, so their bodies are not read.
bool isShownKind(std::string_view id)
{
    return !id.empty() && (id[0] == 'T' || id[0] == 'W' || id == "COMM" || id == "PCNT");
}

}  // namespace

Id3v2ReadResult readId3v2(FileIo& file, SlotList& list)
{
    Id3v2ReadResult result;
    const auto layout = readId3v2Layout(file, LayoutCheck::Frames, isShownKind);
    result.header = layout.header;
    switch (layout.status) {
        case LayoutStatus::Absent: return result;
        case LayoutStatus::Failed: result.status = TagRead::Failed; return result;
        case LayoutStatus::Unsupported: result.status = TagRead::Unsupported; return result;
        case LayoutStatus::Present: break;
    }
    result.status = TagRead::Present;
    for (auto& slot : list) {
        if (!isWritableFieldKey(slot.key)) continue;
        const auto field = readFieldValue(layout, slot.key);
        if (field.locked) result.lockedKeys.push_back(slot.key);
        if (field.value) slot.value = *field.value;
    }
    return result;
}

}  // namespace corvane::tags
