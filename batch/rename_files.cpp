#include "batch/rename_files.h"

#include <algorithm>

#include "batch/file_names.h"
#include "batch/file_values.h"
#include "tags/list_row_reader.h"

namespace corvane::batch {

namespace {

std::string tagName(TagKind tag)
{
    return tag == TagKind::Id3v1 ? "ID3v1 tag" : "ID3v2 tag";
}

// The value of every field the format names, read once.
std::vector<std::pair<std::string_view, std::string>> fieldValues(const NameFormat& format,
                                                                  const FileValues& values,
                                                                  TagKind source)
{
    std::vector<std::pair<std::string_view, std::string>> read;
    for (const auto& part : format.parts) {
        if (part.kind != FormatPart::Kind::Field) continue;
        const std::string_view id = part.field.frameId;
        if (std::any_of(read.begin(), read.end(), [&](const auto& r) { return r.first == id; })) continue;
        read.emplace_back(id, values.value(source, part.field).value_or(""));
    }
    return read;
}

// The fields the format names that the tag lacks, as "Title, Artist".
std::string missingFields(const NameFormat& format,
                          const std::vector<std::pair<std::string_view, std::string>>& read)
{
    std::string missing;
    for (const auto& part : format.parts) {
        if (part.kind != FormatPart::Kind::Field) continue;
        const auto value = std::find_if(read.begin(), read.end(),
                                        [&](const auto& r) { return r.first == part.field.frameId; });
        if (!value->second.empty() || missing.find(part.field.name) != std::string::npos) continue;
        missing += (missing.empty() ? "" : ", ") + part.field.name;
    }
    return missing;
}

}  // namespace

std::string checkNamingFormat(const NameFormat& format)
{
    if (format.folderCount() != 0) return "a new name cannot hold a /";
    if (format.hasIgnore()) return "%ignore% only reads names";
    return {};
}

FilePlan planRename(tags::FileIo& file, const std::string& path, const RenameOptions& options)
{
    FilePlan plan = FilePlan::of(path);
    std::vector<FieldTarget> fields;
    for (const auto& part : options.format.parts) {
        if (part.kind == FormatPart::Kind::Field) fields.push_back(part.field);
    }
    const FileValues values = readFileValues(file, options.source == TagKind::Id3v1, fields);
    if (!values.ok) {
        plan.setProblem(PlanProblem::Unreadable, values.reason);
        return plan;
    }
    const bool hasTag = options.source == TagKind::Id3v1 ? values.v1.has_value()
                                                         : (values.presence & tags::kPresenceId3v2) != 0;
    if (!hasTag) {
        plan.setProblem(PlanProblem::MissingValue, "the file has no " + tagName(options.source));
        return plan;
    }
    const auto read = fieldValues(options.format, values, options.source);
    if (const auto missing = missingFields(options.format, read); !missing.empty()) {
        plan.setProblem(PlanProblem::MissingValue, "the " + tagName(options.source) + " has no " + missing);
        return plan;
    }
    const std::string stem = cleanNameStem(
        formatName(options.format,
                   [&](const FieldTarget& field) {
                       return std::find_if(read.begin(), read.end(),
                                           [&](const auto& r) { return r.first == field.frameId; })
                           ->second;
                   }),
        options.portable);
    if (stem.empty()) {
        plan.setProblem(PlanProblem::EmptyName, "the new name would be empty");
        return plan;
    }
    const std::string_view oldName = nameOf(path);
    const std::string newName = stem + std::string(mp3Ending(oldName));
    if (newName.size() > kMaxNameBytes) {
        plan.setProblem(PlanProblem::TooLong, "the new name would be " + std::to_string(newName.size()) +
                                                  " bytes long; a name can have " +
                                                  std::to_string(kMaxNameBytes));
        return plan;
    }
    plan.newPath = std::string(folderOf(path)) + newName;
    if (newName != oldName)
        plan.changes.push_back({ChangeTarget::FileName, "name", "Name", std::string(oldName), newName});
    return plan;
}

std::vector<FilePlan> previewRename(std::span<const std::string> paths, const RenameOptions& options)
{
    auto plans = buildPreview(paths, [&options](tags::FileIo& file, const std::string& path) {
        return planRename(file, path, options);
    });
    markCollisions(plans);
    return plans;
}

}  // namespace corvane::batch
