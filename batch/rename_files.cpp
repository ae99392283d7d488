#include "batch/rename_files.h"

#include "batch/file_names.h"
#include "batch/file_values.h"
#include "tags/list_row_reader.h"

namespace corvane::batch {

namespace {

std::string tagName(TagKind tag)
{
    return tag == TagKind::Id3v1 ? "ID3v1 tag" : "ID3v2 tag";
}

// The fields the format names that the tag lacks, as "Title, Artist".
std::string missingFields(const NameFormat& format, const FileValues& values, TagKind source)
{
    std::string missing;
    for (const auto& part : format.parts) {
        if (part.kind != FormatPart::Kind::Field) continue;
        if (!values.value(source, part.field).value_or("").empty()) continue;
        if (missing.find(part.field.name) != std::string::npos) continue;
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
    const FileValues values = readFileValues(file);
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
    if (const auto missing = missingFields(options.format, values, options.source); !missing.empty()) {
        plan.setProblem(PlanProblem::MissingValue, "the " + tagName(options.source) + " has no " + missing);
        return plan;
    }
    const std::string stem = cleanNameStem(
        formatName(options.format,
                   [&](const FieldTarget& field) {
                       return values.value(options.source, field).value_or("");
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
