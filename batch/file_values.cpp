#include "batch/file_values.h"

#include <algorithm>

#include "tags/field_catalogue.h"
#include "tags/id3v2_fields.h"
#include "tags/list_row_reader.h"

namespace corvane::batch {

namespace {

// Pictures and other binary frames are never a named field, so their bodies are not read.
bool holdsText(std::string_view id)
{
    return !id.empty() && (id[0] == 'T' || id[0] == 'W' || id == "COMM");
}

std::optional<std::string> v1Value(const tags::Id3v1Values& v1, tags::V1FieldNo field)
{
    switch (field) {
        case tags::V1FieldNo::Title: return v1.title;
        case tags::V1FieldNo::Artist: return v1.artist;
        case tags::V1FieldNo::Album: return v1.album;
        case tags::V1FieldNo::Year: return v1.year;
        case tags::V1FieldNo::Comment: return v1.comment;
        case tags::V1FieldNo::Track: return v1.track == 0 ? std::string() : std::to_string(v1.track);
        case tags::V1FieldNo::Genre: return std::string(tags::genreName(v1.genre));
    }
    return std::nullopt;
}

tags::WriteResult refusalOf(const tags::Id3v2Layout& layout)
{
    using tags::WriteResult;
    using tags::WriteStatus;
    switch (layout.status) {
        case tags::LayoutStatus::Absent: return WriteResult::success();
        case tags::LayoutStatus::Failed: return WriteResult::failure(WriteStatus::IoError);
        case tags::LayoutStatus::Unsupported: return WriteResult::failure(WriteStatus::Unsupported);
        case tags::LayoutStatus::Present: break;
    }
    if (layout.header.major == 2) return WriteResult::failure(WriteStatus::OldVersion);
    if (!layout.damage.empty()) return WriteResult::failure(WriteStatus::Malformed);
    return WriteResult::success();
}

}  // namespace

std::optional<std::string> FileValues::value(TagKind tag, const FieldTarget& field) const
{
    if (tag == TagKind::Id3v1) {
        if (!v1 || !field.v1Field) return std::nullopt;
        return v1Value(*v1, *field.v1Field);
    }
    if (!v2.isPresent()) return std::nullopt;
    auto read = tags::readFieldValue(v2, field.frameId);
    if (read.value && field.frameId == "TCON") return tags::genreDisplayText(*read.value);
    return read.value;
}

bool FileValues::isLocked(const FieldTarget& field) const
{
    return v2.isPresent() && tags::readFieldValue(v2, field.frameId).locked;
}

FileValues readFileValues(tags::FileIo& file, bool withTrailer, std::span<const FieldTarget> fields)
{
    FileValues values;
    // A frame read for nothing costs a copy of its body: keep only those of the fields asked for
    // (a 2.4 "TDRC" serves the Year as "TYER" does).
    const auto wanted = [fields](std::string_view id) {
        const auto key = tags::frameRole(id, 4).key;
        return std::any_of(fields.begin(), fields.end(),
                           [&](const FieldTarget& field) { return field.frameId == key || field.frameId == id; });
    };
    values.v2 = fields.empty() ? tags::readId3v2Layout(file, tags::LayoutCheck::Frames, holdsText)
                               : tags::readId3v2Layout(file, tags::LayoutCheck::Frames, wanted);
    values.v2Refusal = refusalOf(values.v2);
    if (values.v2.status == tags::LayoutStatus::Failed) {
        values.reason = file.errorText();
        return values;
    }
    if (values.v2.isPresent() && values.v2.header.isSupported()) values.presence |= tags::kPresenceId3v2;
    values.ok = true;
    if (!withTrailer) return values;
    const auto probe = tags::probeId3v1(file, values.v2.endInFile());
    if (!probe.ok) {
        values.ok = false;
        values.reason = file.errorText();
        return values;
    }
    if (probe.trailer) {
        values.v1 = tags::parseId3v1(*probe.trailer);
        values.presence |= tags::kPresenceId3v1;
    }
    return values;
}

std::string v1ShownValue(tags::V1FieldNo field, std::string_view value, bool withTrack)
{
    switch (field) {
        case tags::V1FieldNo::Track: {
            const auto track = tags::id3v1TrackByte(value);
            return track == 0 ? std::string() : std::to_string(track);
        }
        case tags::V1FieldNo::Genre: {
            const auto genre = tags::findGenre(value);
            return genre ? std::string(tags::genreName(*genre)) : std::string();
        }
        default: return tags::id3v1StoredText(value, tags::id3v1Width(field, withTrack));
    }
}

}  // namespace corvane::batch
