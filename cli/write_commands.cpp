// The commands that write: each runs one batch operation's per-file work over the files in the
// order given, one file open at a time.

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "batch/compact_remove.h"
#include "batch/convert_tags.h"
#include "batch/field_lists.h"
#include "batch/named_fields.h"
#include "batch/file_work.h"
#include "batch/run_driver.h"
#include "batch/set_data.h"
#include "batch/sync_tags.h"
#include "batch/track_numbering.h"
#include "batch/undo_store.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/progress.h"
#include "cli/terminal_text.h"
#include "cli/write_run.h"
#include "tags/journal.h"
#include "tags/text_rules.h"

namespace corvane::cli {

void reportFileError(std::string_view path, std::string_view reason)
{
    const std::string name = escapeControls(path);
    std::fprintf(stderr, "corvane-tag: %s: %.*s\n", name.c_str(), static_cast<int>(reason.size()),
                 reason.data());
}

namespace {

// The count and current file on a terminal, and one stderr line per failed file; every file is
// handled even after one failed.
class StderrObserver final : public batch::RunObserver {
public:
    StderrObserver(std::size_t count, tags::WritePolicy policy, batch::UndoRecorder* undo)
        : m_progress(count), m_policy(policy), m_undo(undo)
    {
    }

    [[nodiscard]] tags::WritePolicy writePolicy() const override { return m_policy; }
    [[nodiscard]] batch::UndoRecorder* undoRecorder() override { return m_undo; }
    void recovered(const batch::RunFile& file, const tags::Recovery& recovery) override
    {
        m_progress.clear();
        reportFileError(file.path, tags::describe(recovery));
    }

    bool startFile(const batch::RunFile& file) override
    {
        if (InterruptCatcher::interrupted()) return false;
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
    tags::WritePolicy m_policy;
    batch::UndoRecorder* m_undo;
};

tags::WritePolicy policyOf(const ParsedArguments& parsed)
{
    tags::WritePolicy policy;
    policy.journal = !parsed.has("--unsafe-in-place");
    policy.durable = parsed.has("--durable");
    return policy;
}

// A field by its name ("title", "orig-artist") or the frame id of an editor field ("TIT3").
std::optional<batch::FieldTarget> fieldByName(std::string_view name)
{
    if (auto field = batch::fieldNamed(name)) return field;
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

bool isDecimal(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int runOverFiles(const std::vector<std::string>& files, const batch::FileWork& work,
                 const ParsedArguments& parsed, const std::string& label, bool keepsTags,
                 tags::OpenMode mode)
{
    batch::UndoStore store(batch::UndoStore::defaultFolder());
    std::optional<batch::UndoRecorder> undo;
    std::uint64_t bytes = 0;
    // A run that only reads changes nothing there would be to undo.
    const bool writes = mode == tags::OpenMode::Update;
    if (writes && (!keepsTags || batch::fitsUndoRecord(files, &bytes))) {
        undo.emplace(store, label);
    } else if (writes) {
        reportFileError(label, "the change is too large to be undone (" +
                                   std::to_string(bytes >> 20) + " MB of tags); going on without undo");
    }
    const InterruptCatcher catcher;
    batch::RunReport report;
    {
        StderrObserver observer(files.size(), policyOf(parsed), undo ? &*undo : nullptr);
        report = batch::runFiles(files, work, observer, mode);
    }
    // The files written before a Ctrl+C are a change like any other.
    std::string why;
    if (undo && !undo->commit(&why)) reportFileError(label, "the change cannot be undone: " + why);
    if (report.outcomes.size() < files.size()) {
        std::fprintf(stderr,
                     "corvane-tag: stopped by Ctrl+C after %zu of %zu files; the others were not "
                     "touched\n",
                     report.outcomes.size(), files.size());
        return kExitInterrupted;
    }
    return report.anyFailed() ? kExitFileFailed : kExitOk;
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

batch::TagChoice choiceOf(const ParsedArguments& parsed)
{
    const bool v1 = parsed.has("--v1");
    const bool v2 = parsed.has("--v2");
    batch::TagChoice choice = 0;
    if (v1 || !v2) choice |= batch::kChoiceV1All;
    if (v2 || !v1) choice |= batch::kChoiceV2All;
    return choice;
}

std::optional<std::uint8_t> newTagVersion(std::string_view command, const ParsedArguments& parsed)
{
    const auto text = parsed.value("--id3v2-version");
    if (!text || *text == "2.3") return std::uint8_t{3};
    if (*text == "2.4") return std::uint8_t{4};
    (void)usageError(command, "--id3v2-version must be 2.3 or 2.4");
    return std::nullopt;
}

int runSet(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 4>{
        {{"--v1", false}, {"--v2", false}, {"--compact", false}, {"--id3v2-version", true}}});
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
    return runOverFiles(
        files,
        [&options](tags::FileIo& file, const batch::RunFile&) {
            return batch::setData(file, options, batch::tagPresence(file));
        },
        *parsed, "set");
}

int runRemove(std::span<const std::string> args)
{
    static constexpr auto kSpecs =
        withWriteOptions(std::array<OptionSpec, 2>{{{"--v1", false}, {"--v2", false}}});
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("remove", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    if (parsed->operands.empty()) return usageError("remove", "no file given");
    const bool both = !parsed->has("--v1") && !parsed->has("--v2");
    const bool v1 = both || parsed->has("--v1");
    const bool v2 = both || parsed->has("--v2");
    return runOverFiles(
        parsed->operands,
        [v1, v2](tags::FileIo& file, const batch::RunFile&) { return batch::removeTags(file, v1, v2); },
        *parsed, "remove");
}

int runCompact(std::span<const std::string> args)
{
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("compact", args, kWriteOptions, exitStatus);
    if (!parsed) return exitStatus;
    if (parsed->operands.empty()) return usageError("compact", "no file given");
    return runOverFiles(
        parsed->operands,
        [](tags::FileIo& file, const batch::RunFile&) { return batch::compactId3v2(file); },
        *parsed, "compact");
}

int runSync(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 6>{{{"--to-v2", false},
                                                                               {"--to-v1", false},
                                                                               {"--keep", false},
                                                                               {"--no-intelligent", false},
                                                                               {"--compact", false},
                                                                               {"--id3v2-version", true}}});
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
    return runOverFiles(
        parsed->operands,
        [&options](tags::FileIo& file, const batch::RunFile&) {
            return batch::synchroniseTags(file, options);
        },
        *parsed, "sync");
}

int runNumber(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 6>{{{"--start", true},
                                                                               {"--zeros", true},
                                                                               {"--v1", false},
                                                                               {"--v2", false},
                                                                               {"--compact", false},
                                                                               {"--id3v2-version", true}}});
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
    return runOverFiles(
        parsed->operands,
        [&](tags::FileIo& file, const batch::RunFile& run) {
            const auto text = batch::trackText(start + static_cast<std::int64_t>(run.index), width);
            return batch::writeTrack(file, text, choice, batch::tagPresence(file), compact, *version);
        },
        *parsed, "number");
}

int runConvert(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 1>{{{"--to", true}}});
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("convert", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    const auto to = parsed->value("--to");
    if (!to || (*to != "2.3" && *to != "2.4"))
        return usageError("convert", "give the version to convert to: --to 2.3 or --to 2.4");
    if (parsed->operands.empty()) return usageError("convert", "no file given");
    const std::uint8_t target = *to == "2.3" ? 3 : 4;
    return runOverFiles(
        parsed->operands,
        [target](tags::FileIo& file, const batch::RunFile&) { return batch::convertTags(file, target); },
        *parsed, "convert");
}

int runUndo(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 1>{{{"--list", false}}});
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("undo", args, kSpecs, exitStatus);
    if (!parsed) return exitStatus;
    if (!parsed->operands.empty()) return usageError("undo", "undo takes no files");
    batch::UndoStore store(batch::UndoStore::defaultFolder());
    if (parsed->has("--list")) {
        for (const auto& change : store.changes(false)) {
            const auto time = static_cast<std::time_t>(change.time);
            std::tm local{};
            char when[32] = "";
            if (::localtime_r(&time, &local)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
            std::cout << change.id << '\t' << when << '\t' << change.fileCount << '\t'
                      << change.label << '\n';
        }
        return kExitOk;
    }
    const auto change = store.last();
    if (!change) {
        reportFileError("undo", "there is no change to undo");
        return kExitFileFailed;
    }
    std::vector<std::string> files;
    for (const auto& entry : change->entries) files.push_back(entry.path);
    // The undo is a change of its own, so that it can be undone in turn.
    return runOverFiles(
        files,
        [&change](tags::FileIo& file, const batch::RunFile& run) {
            return batch::undoFile(file, change->entries[run.index], run.undo);
        },
        *parsed, batch::undoLabel(change->label));
}

int runRecover(std::span<const std::string> args)
{
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("recover", args, {}, exitStatus);
    if (!parsed) return exitStatus;
    if (parsed->operands.empty()) return usageError("recover", "no folder or file given");
    bool failed = false;
    const auto report = [&failed](const tags::Recovery& recovery) {
        reportFileError(recovery.file, tags::describe(recovery));
        failed = failed || recovery.status == tags::RecoveryStatus::Failed ||
                 recovery.status == tags::RecoveryStatus::Mismatched;
    };
    for (const auto& operand : parsed->operands) {
        std::error_code ec;
        if (std::filesystem::is_directory(operand, ec)) {
            for (const auto& recovery : tags::recoverJournalsIn(operand, true)) report(recovery);
        } else if (const auto recovery = tags::recoverFileJournal(operand)) {
            report(*recovery);
        }
    }
    return failed ? kExitFileFailed : kExitOk;
}

}  // namespace corvane::cli
