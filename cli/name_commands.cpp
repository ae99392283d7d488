// The commands with a preview: from-name, rename, case and replace. Each works out what it would
// do to every file first; --dry-run prints that, otherwise the files with a problem are named on
// stderr and the others are written as one change that `corvane-tag undo` takes back.

#include <iostream>

#include "batch/file_plan.h"
#include "batch/from_name.h"
#include "batch/named_fields.h"
#include "batch/rename_files.h"
#include "batch/text_edit.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/preview_output.h"
#include "cli/write_run.h"

namespace corvane::cli {

namespace {

// The options every command with a preview takes besides its own.
template <std::size_t N>
constexpr auto withPreviewOptions(const std::array<OptionSpec, N>& own)
{
    std::array<OptionSpec, N + 2> all{};
    std::copy(own.begin(), own.end(), all.begin());
    all[N] = {"--dry-run", false};
    all[N + 1] = {"--json", false};
    return withWriteOptions(all);
}

// Parses the arguments; nullopt with exitStatus set when the command is to stop.
std::optional<ParsedArguments> parseCommand(std::string_view command, std::span<const std::string> args,
                                            std::span<const OptionSpec> options, int& exitStatus)
{
    auto parsed = parseOrStop(command, args, options, exitStatus);
    if (!parsed) return std::nullopt;
    if (parsed->has("--json") && !parsed->has("--dry-run")) {
        exitStatus = usageError(command, "--json goes with --dry-run");
        return std::nullopt;
    }
    if (parsed->operands.empty()) {
        exitStatus = usageError(command, "no file given");
        return std::nullopt;
    }
    return parsed;
}

// The --format of a command, checked for its use by check ("" when fine); nullopt after a usage
// error.
std::optional<batch::NameFormat> formatOption(std::string_view command, const ParsedArguments& parsed,
                                              std::string (*check)(const batch::NameFormat&))
{
    const auto text = parsed.value("--format");
    if (!text) {
        (void)usageError(command, "give the format: --format FORMAT");
        return std::nullopt;
    }
    std::string error;
    auto format = batch::parseNameFormat(*text, error);
    if (format) error = check(*format);
    if (!error.empty()) {
        (void)usageError(command, error);
        return std::nullopt;
    }
    return format;
}

// The fields of every --field (names separated by commas); nullopt after a usage error.
std::optional<std::vector<batch::FieldTarget>> fieldsOption(std::string_view command,
                                                            const ParsedArguments& parsed)
{
    std::vector<batch::FieldTarget> fields;
    for (const auto& [name, value] : parsed.options) {
        if (name != "--field") continue;
        for (std::size_t start = 0; start <= value.size();) {
            const auto comma = std::min(value.find(',', start), value.size());
            const auto fieldName = value.substr(start, comma - start);
            const auto field = batch::fieldNamed(fieldName);
            if (!field) {
                (void)usageError(command, "unknown field \"" + fieldName + "\"");
                return std::nullopt;
            }
            fields.push_back(*field);
            start = comma + 1;
        }
    }
    if (fields.empty()) {
        (void)usageError(command, "give the fields: --field NAME[,NAME...]");
        return std::nullopt;
    }
    return fields;
}

// Prints the preview (--dry-run), or names the files with a problem and writes the others.
// kExitFileFailed when a file has a problem or fails.
int previewOrRun(const std::vector<batch::FilePlan>& preview, const batch::Planner& planner,
                 const ParsedArguments& parsed, const std::string& label, bool keepsTags = true)
{
    const bool problems = std::any_of(preview.begin(), preview.end(),
                                      [](const batch::FilePlan& plan) { return plan.hasProblem(); });
    if (parsed.has("--dry-run")) {
        std::cout << (parsed.has("--json") ? previewJson(preview) : previewText(preview));
        return problems ? kExitFileFailed : kExitOk;
    }
    for (const auto& plan : preview) {
        if (plan.hasProblem()) reportFileError(plan.path, plan.reason);
        if (!plan.note.empty()) reportFileError(plan.path, plan.note);
    }
    const auto files = batch::pathsToWrite(preview);
    const int status =
        files.empty() ? kExitOk
                      : runOverFiles(files, batch::previewedWork(preview, planner), parsed, label, keepsTags);
    return problems && status == kExitOk ? kExitFileFailed : status;
}

int runTextEdit(std::string_view command, const ParsedArguments& parsed, batch::TextEditOptions options)
{
    const auto fields = fieldsOption(command, parsed);
    if (!fields) return kExitUsage;
    options.fields = *fields;
    options.id3v1 = parsed.has("--v1") || !parsed.has("--v2");
    options.id3v2 = parsed.has("--v2") || !parsed.has("--v1");
    options.compact = parsed.has("--compact");
    std::string error;
    const auto edit = batch::TextEdit::make(std::move(options), error);
    if (!edit) return usageError(command, error);
    const batch::Planner planner = [&edit](tags::FileIo& file, const std::string& path) {
        return edit->plan(file, path);
    };
    return previewOrRun(batch::buildPreview(parsed.operands, planner), planner, parsed, std::string(command));
}

}  // namespace

int runFromName(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withPreviewOptions(std::array<OptionSpec, 5>{
        {{"--format", true}, {"--v1", false}, {"--v2", false}, {"--compact", false}, {"--id3v2-version", true}}});
    int exitStatus = kExitOk;
    const auto parsed = parseCommand("from-name", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    batch::FromNameOptions options;
    const auto format = formatOption("from-name", *parsed, batch::checkReadingFormat);
    const auto version = newTagVersion("from-name", *parsed);
    if (!format || !version) return kExitUsage;
    options.format = *format;
    options.newTagMajor = *version;
    options.choice = choiceOf(*parsed);
    options.compact = parsed->has("--compact");
    const batch::Planner planner = [&options](tags::FileIo& file, const std::string& path) {
        return batch::planFromName(file, path, options);
    };
    return previewOrRun(batch::buildPreview(parsed->operands, planner), planner, *parsed, "from-name");
}

int runRename(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withPreviewOptions(std::array<OptionSpec, 5>{
        {{"--format", true}, {"--portable", false}, {"--no-portable", false}, {"--v1", false}, {"--v2", false}}});
    int exitStatus = kExitOk;
    const auto parsed = parseCommand("rename", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    if (parsed->has("--v1") && parsed->has("--v2"))
        return usageError("rename", "give one tag to take the names from: --v1 or --v2");
    batch::RenameOptions options;
    const auto format = formatOption("rename", *parsed, batch::checkNamingFormat);
    if (!format) return kExitUsage;
    options.format = *format;
    options.source = parsed->has("--v1") ? batch::TagKind::Id3v1 : batch::TagKind::Id3v2;
    // The last of --portable and --no-portable counts.
    for (const auto& option : parsed->options) {
        if (option.first == "--portable") options.portable = true;
        if (option.first == "--no-portable") options.portable = false;
    }
    const batch::Planner planner = [&options](tags::FileIo& file, const std::string& path) {
        return batch::planRename(file, path, options);
    };
    return previewOrRun(batch::previewRename(parsed->operands, options), planner, *parsed, "rename",
                        false);
}

int runCase(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withPreviewOptions(std::array<OptionSpec, 5>{
        {{"--field", true}, {"--mode", true}, {"--v1", false}, {"--v2", false}, {"--compact", false}}});
    int exitStatus = kExitOk;
    const auto parsed = parseCommand("case", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    batch::TextEditOptions options;
    batch::CaseMode mode = batch::CaseMode::Title;
    const auto modeName = parsed->value("--mode");
    if (!modeName || !batch::parseCaseMode(*modeName, mode))
        return usageError("case", "give the case: --mode title|sentence|upper|lower");
    options.caseMode = mode;
    return runTextEdit("case", *parsed, std::move(options));
}

int runReplace(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withPreviewOptions(std::array<OptionSpec, 8>{
        {{"--field", true}, {"--find", true}, {"--replace", true}, {"--regex", false},
         {"--ignore-case", false}, {"--v1", false}, {"--v2", false}, {"--compact", false}}});
    int exitStatus = kExitOk;
    const auto parsed = parseCommand("replace", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    const auto find = parsed->value("--find");
    const auto replacement = parsed->value("--replace");
    if (!find || !replacement) return usageError("replace", "give --find TEXT and --replace TEXT");
    batch::TextEditOptions options;
    options.replace = batch::ReplaceOptions{*find, *replacement, parsed->has("--regex"),
                                            parsed->has("--ignore-case")};
    return runTextEdit("replace", *parsed, std::move(options));
}

}  // namespace corvane::cli
