#include "batch/set_data.h"

#include "tags/editor_fields.h"
#include "tags/id3v1.h"
#include "tags/tag_write.h"
#include "tags/text_encoding.h"

namespace corvane::batch {

namespace {

constexpr int kLastV1Column = static_cast<int>(tags::Column::Track);

std::optional<tags::V1FieldNo> v1FieldOfColumn(tags::Column column)
{
    const int index = static_cast<int>(column);
    if (index < 1 || index > kLastV1Column) return std::nullopt;
    // The ID3v1 field numbers follow the list columns Title .. Track one for one.
    return static_cast<tags::V1FieldNo>(index);
}

}  // namespace

FieldTarget fieldOfColumn(tags::Column column)
{
    const auto& def = tags::ColumnTable[static_cast<std::size_t>(column)];
    return FieldTarget{std::string(def.frameId), v1FieldOfColumn(column), std::string(def.name)};
}

std::optional<FieldTarget> editorField(std::string_view frameId)
{
    const auto field = tags::editorFieldOfFrame(frameId);
    if (!field) return std::nullopt;
    FieldTarget target{std::string(frameId), std::nullopt,
                       std::string(tags::definitionOf(*field).label)};
    if (const auto column = tags::columnOfFrame(frameId)) target.v1Field = v1FieldOfColumn(*column);
    return target;
}

FileOutcome setData(tags::FileIo& file, const SetDataOptions& options, int presence)
{
    const bool toV2 = writesId3v2(options.choice, presence);
    const bool toV1 = writesId3v1(options.choice, presence);
    tags::TagChanges changes;
    changes.compact = options.compact;
    changes.newTagMajor = options.newTagMajor;
    for (const auto& [field, value] : options.values) {
        if (toV2) changes.id3v2Entries.push_back(tags::FieldSlot::frame(field.frameId, value));
        if (toV1 && field.v1Field)
            changes.id3v1Entries.push_back(tags::FieldSlot::v1(*field.v1Field, value));
    }
    // Both tags go in one change: when one of them cannot be written, neither is.
    if (!changes.id3v2Entries.empty()) changes.id3v2 = tags::V2Change::Merge;
    if (!changes.id3v1Entries.empty()) changes.id3v1 = tags::V1Change::Write;
    return writeChanges(file, changes, "no chosen tag to write in this file");
}

std::string v1DisplayText(tags::Column column, std::string_view value)
{
    const int index = static_cast<int>(column);
    // The ID3v1 field numbers follow the columns Title .. Comment; Genre and Track show as given.
    if (index >= 1 && index <= static_cast<int>(tags::Column::Comment))
        return tags::id3v1StoredText(value, tags::id3v1Width(static_cast<tags::V1FieldNo>(index)));
    return std::string(value);
}

}  // namespace corvane::batch
