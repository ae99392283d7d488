// The commands that write: each runs one batch operation's per-file work over the files in the
// order given, one file open at a time.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <iostream>

#include "batch/compact_remove.h"
#include "batch/convert_tags.h"
#include "batch/field_lists.h"
#include "batch/file_work.h"
#include "batch/run_driver.h"
#include "batch/set_data.h"
#include "batch/sync_tags.h"
#include "batch/track_numbering.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/progress.h"
#include "cli/write_commands.h"
#include "tags/text_rules.h"

namespace corvane::cli {

void reportFileError(std::string_view path, std::string_view reason)
{
    std::fprintf(stderr, "corvane-tag: %.*s: %.*s\n", static_cast<int>(path.size()), path.data(),
                 static_cast<int>(reason.size()), reason.data());
}

namespace {

// The count and current file on a terminal, and one stderr line per failed file; every file is
// handled even after one failed.
class StderrObserver final : public batch::RunObserver {
public:
    explicit StderrObserver(std::size_t count) : m_progress(count) {}

    bool startFile(const batch::RunFile& file) override
    {
        m_progress.show(file.index, file.path);
        return true;
    }
    bool finishFile(const batch::RunFile& file, const batch::FileOutcome& outcome) override
    {
        if (outcome.isFailed()) {
            m_progress.clear();
            reportFileError(file.path, outcome.reason);
        } else if (!outcome.note.empty()) {
            m_progress.clear();
            reportFileError(file.path, outcome.note);
        }
        return true;
    }

private:
    Progress m_progress;
};

batch::TagChoice choiceOf(const ParsedArguments& parsed)
{
    const bool v1 = parsed.has("--v1");
    const bool v2 = parsed.has("--v2");
    batch::TagChoice choice = 0;
    if (v1 || !v2) choice |= batch::kChoiceV1All;
    if (v2 || !v1) choice |= batch::kChoiceV2All;
    return choice;
}

// The names `set` takes for the list columns.
constexpr std::array<std::pair<std::string_view, tags::Column>, 12> kFieldNames{{
    {"title", tags::Column::Title},
    {"artist", tags::Column::Artist},
    {"album", tags::Column::Album},
    {"year", tags::Column::Year},
    {"comment", tags::Column::Comment},
    {"genre", tags::Column::Genre},
    {"track", tags::Column::Track},
    {"composer", tags::Column::Composer},
    {"orig-artist", tags::Column::OrigArtist},
    {"copyright", tags::Column::Copyright},
    {"url", tags::Column::Url},
    {"encoded-by", tags::Column::EncodedBy},
}};

std::optional<batch::FieldTarget> fieldByName(std::string_view name)
{
    for (const auto& [fieldName, column] : kFieldNames) {
        if (fieldName == name) return batch::fieldOfColumn(column);
    }
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
    return batch::editorField(upper);
}

// An operand that reads NAME=VALUE with a NAME of letters, digits and dashes is an assignment;
// anything else (a path has "/" or "." before any "=") is a file.
bool looksLikeAssignment(std::string_view operand)
{
    const auto equals = operand.find('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    return std::all_of(operand.begin(), operand.begin() + static_cast<std::ptrdiff_t>(equals),
                       [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9') || c == '-';
                       });
}

}  // namespace

int runOverFiles(const std::vector<std::string>& files, const batch::FileWork& work,
                 tags::OpenMode mode)
{
    StderrObserver observer(files.size());
    return batch::runFiles(files, work, observer, mode).anyFailed() ? kExitFileFailed : kExitOk;
}

std::optional<ParsedArguments> parseOrStop(std::string_view command,
                                           std::span<const std::string> args,
                                           std::span<const OptionSpec> options, int& exitStatus,
                                           std::string_view helpTopic)
{
    std::string error;
    auto parsed = parseArguments(args, options, error);
    if (!parsed) {
        exitStatus = usageError(command, error);
        return std::nullopt;
    }
    if (parsed->help) {
        std::cout << commandUsage(helpTopic.empty() ? command : helpTopic);
        exitStatus = kExitOk;
        return std::nullopt;
    }
    return parsed;
}

std::optional<std::uint8_t> newTagVersion(std::string_view command, const ParsedArguments& parsed)
{
    const auto text = parsed.value("--id3v2-version");
    if (!text || *text == "2.3") return std::uint8_t{3};
    if (*text == "2.4") return std::uint8_t{4};
    (void)usageError(command, "--id3v2-version must be 2.3 or 2.4");
    return std::nullopt;
}

bool isDecimal(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int runSet(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 4> kSpecs{
        {{"--v1", false}, {"--v2", false}, {"--compact", false}, {"--id3v2-version", true}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("set", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    const auto version = newTagVersion("set", *parsed);
    if (!version) return kExitUsage;

    batch::SetDataOptions options;
    options.newTagMajor = *version;
    options.choice = choiceOf(*parsed);
    options.compact = parsed->has("--compact");
    const bool onlyV1 = options.choice == batch::kChoiceV1All;
    std::size_t first = 0;
    for (; first < parsed->operands.size() && looksLikeAssignment(parsed->operands[first]);
         ++first) {
        const std::string& operand = parsed->operands[first];
        const auto equals = operand.find('=');
        const std::string name = operand.substr(0, equals);
        std::string value = operand.substr(equals + 1);
        const auto field = fieldByName(name);
        if (!field) return usageError("set", "unknown field \"" + name + "\"");
        if (onlyV1 && !field->hasV1Form())
            return usageError("set", "the field " + name + " has no ID3v1 form; use --v2");
        if (field->frameId == "PCNT" && !value.empty()) {
            if (!isDecimal(value))
                return usageError("set", "the play counter must be a whole number");
            std::uint64_t count = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), count);
            if (ec != std::errc() || end != value.data() + value.size() ||
                count > static_cast<std::uint64_t>(INT64_MAX))
                return usageError("set", "the play counter is too large");
            value = batch::playCounterBytes(static_cast<std::int64_t>(count));
        }
        options.values.push_back({*field, std::move(value)});
    }
    if (options.values.empty()) return usageError("set", "no FIELD=VALUE given");
    const std::vector<std::string> files(
        parsed->operands.begin() + static_cast<std::ptrdiff_t>(first), parsed->operands.end());
    if (files.empty()) return usageError("set", "no file given");
    return runOverFiles(files, [&options](tags::FileIo& file, const batch::RunFile&) {
        return batch::setData(file, options, batch::tagPresence(file));
    });
}

int runRemove(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 2> kSpecs{{{"--v1", false}, {"--v2", false}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("remove", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    if (parsed->operands.empty()) return usageError("remove", "no file given");
    const bool both = !parsed->has("--v1") && !parsed->has("--v2");
    const bool v1 = both || parsed->has("--v1");
    const bool v2 = both || parsed->has("--v2");
    return runOverFiles(parsed->operands, [v1, v2](tags::FileIo& file, const batch::RunFile&) {
        return batch::removeTags(file, v1, v2);
    });
}

int runCompact(std::span<const std::string> args)
{
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("compact", args, {}, exitStatus);
    if (!parsed) return exitStatus;
    if (parsed->operands.empty()) return usageError("compact", "no file given");
    return runOverFiles(parsed->operands, [](tags::FileIo& file, const batch::RunFile&) {
        return batch::compactId3v2(file);
    });
}

int runSync(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 6> kSpecs{{{"--to-v2", false},
                                                       {"--to-v1", false},
                                                       {"--keep", false},
                                                       {"--no-intelligent", false},
                                                       {"--compact", false},
                                                       {"--id3v2-version", true}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("sync", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    const auto version = newTagVersion("sync", *parsed);
    if (!version) return kExitUsage;
    const bool toV2 = parsed->has("--to-v2");
    const bool toV1 = parsed->has("--to-v1");
    if (toV2 == toV1) return usageError("sync", "give one direction: --to-v2 or --to-v1");
    if (parsed->operands.empty()) return usageError("sync", "no file given");
    batch::SyncOptions options;
    options.direction = toV2 ? batch::SyncDirection::V1ToV2 : batch::SyncDirection::V2ToV1;
    options.keep = parsed->has("--keep");
    options.intelligent = !parsed->has("--no-intelligent");
    options.compact = parsed->has("--compact");
    options.newTagMajor = *version;
    return runOverFiles(parsed->operands, [&options](tags::FileIo& file, const batch::RunFile&) {
        return batch::synchroniseTags(file, options);
    });
}

int runNumber(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 6> kSpecs{{{"--start", true},
                                                       {"--zeros", true},
                                                       {"--v1", false},
                                                       {"--v2", false},
                                                       {"--compact", false},
                                                       {"--id3v2-version", true}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("number", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    const auto version = newTagVersion("number", *parsed);
    if (!version) return kExitUsage;
    std::int64_t start = 1;
    if (const auto text = parsed->value("--start")) {
        if (!isDecimal(*text) || text->size() > 9 || tags::leadingInteger(*text) < 1)
            return usageError("number", "--start must be a whole number from 1 to 999999999");
        start = tags::leadingInteger(*text);
    }
    int zeros = batch::kZerosNone;
    if (const auto text = parsed->value("--zeros")) {
        if (*text == "auto")
            zeros = batch::kZerosAutomatic;
        else if (*text == "none")
            zeros = batch::kZerosNone;
        else if (isDecimal(*text) && text->size() <= 2)
            zeros = static_cast<int>(tags::leadingInteger(*text));
        else
            return usageError("number", "--zeros must be none, auto or a count from 0 to 99");
    }
    if (parsed->operands.empty()) return usageError("number", "no file given");
    const batch::TagChoice choice = choiceOf(*parsed);
    const bool compact = parsed->has("--compact");
    const int width = batch::trackWidth(zeros, start, parsed->operands.size());
    // A file that fails still uses up its number, so the others keep their places.
    return runOverFiles(parsed->operands, [&](tags::FileIo& file, const batch::RunFile& run) {
        const auto text = batch::trackText(start + static_cast<std::int64_t>(run.index), width);
        return batch::writeTrack(file, text, choice, batch::tagPresence(file), compact, *version);
    });
}

int runConvert(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 1> kSpecs{{{"--to", true}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("convert", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    const auto to = parsed->value("--to");
    if (!to || (*to != "2.3" && *to != "2.4"))
        return usageError("convert", "give the version to convert to: --to 2.3 or --to 2.4");
    if (parsed->operands.empty()) return usageError("convert", "no file given");
    const std::uint8_t target = *to == "2.3" ? 3 : 4;
    return runOverFiles(parsed->operands, [target](tags::FileIo& file, const batch::RunFile&) {
        return batch::convertTags(file, target);
    });
}

}  // namespace corvane::cli
