#include "batch/from_name.h"

#include <filesystem>

#include "batch/file_values.h"
#include "batch/named_fields.h"
#include "tags/field_catalogue.h"
#include "tags/text_encoding.h"

namespace corvane::batch {

namespace {

bool isUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto length = tags::utf8SequenceLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// The path the format reads, with the folders above a relative one.
std::string fullPath(const std::string& path, const NameFormat& format)
{
    if (format.folderCount() == 0 || path.starts_with('/')) return path;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

// Whether the trailer has a track once the captures are written: the comment's width depends
// on it.
bool v1HasTrackAfter(const FileValues& values, const std::vector<FieldCapture>& captures)
{
    for (const auto& capture : captures) {
        if (capture.field.v1Field == tags::V1FieldNo::Track)
            return tags::id3v1TrackByte(capture.value) != 0;
    }
    return values.v1 && values.v1->track != 0;
}

}  // namespace

std::string checkReadingFormat(const NameFormat& format)
{
    if (!format.namesAnyField()) return "the format names no field, such as %title%";
    return {};
}

FilePlan planFromName(tags::FileIo& file, const std::string& path, const FromNameOptions& options)
{
    FilePlan plan = FilePlan::of(path);
    const auto captures = matchName(options.format, fullPath(path, options.format));
    if (!captures) {
        plan.setProblem(PlanProblem::NoMatch, "the name does not match the format");
        return plan;
    }
    for (const auto& capture : *captures) {
        if (!isUtf8(capture.value)) {
            plan.setProblem(PlanProblem::NotText, "the name's " + capture.field.name +
                                                      " is not UTF-8 text");
            return plan;
        }
    }
    std::vector<FieldTarget> fields;
    for (const auto& capture : *captures) fields.push_back(capture.field);
    const FileValues values = readFileValues(file, true, fields);
    if (!values.ok) {
        plan.setProblem(PlanProblem::Unreadable, values.reason);
        return plan;
    }
    const bool toV2 = writesId3v2(options.choice, values.presence);
    const bool toV1 = writesId3v1(options.choice, values.presence);
    if (toV2 && !values.v2Refusal.ok()) {
        plan.setProblem(PlanProblem::Unreadable, tags::describe(values.v2Refusal));
        return plan;
    }
    const bool withTrack = v1HasTrackAfter(values, *captures);
    auto& changes = plan.tagChanges;
    for (const auto& [field, value] : *captures) {
        const std::string name(nameOfField(field.frameId));
        if (toV2) {
            if (values.isLocked(field)) {
                plan.setProblem(PlanProblem::Unreadable,
                                "the " + field.name + " frame cannot be read (encrypted)");
                return plan;
            }
            const auto before = values.value(TagKind::Id3v2, field).value_or("");
            const auto after = field.frameId == "TCON" ? tags::genreDisplayText(value) : value;
            if (before != after) {
                plan.changes.push_back({ChangeTarget::Id3v2, name, field.name, before, after});
                changes.id3v2Entries.push_back(tags::FieldSlot::frame(field.frameId, value));
            }
        }
        if (toV1 && field.v1Field) {
            const auto before = values.value(TagKind::Id3v1, field).value_or("");
            const auto after = v1ShownValue(*field.v1Field, value, withTrack);
            if (before != after) {
                plan.changes.push_back({ChangeTarget::Id3v1, name, field.name, before, after});
                changes.id3v1Entries.push_back(tags::FieldSlot::v1(*field.v1Field, value));
            }
        }
    }
    if (!changes.id3v2Entries.empty()) changes.id3v2 = tags::V2Change::Merge;
    if (!changes.id3v1Entries.empty()) changes.id3v1 = tags::V1Change::Write;
    changes.compact = options.compact;
    changes.newTagMajor = options.newTagMajor;
    return plan;
}

}  // namespace corvane::batch
