#pragma once
// What every writing command of corvane-tag shares: the options for the journal, the parsing
// that stops at --help or a usage error, the tags a command writes, and the run over the files as
// one change that `corvane-tag undo` can take back.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/run_driver.h"
#include "batch/tag_choice.h"
#include "cli/arguments.h"

namespace corvane::cli {

// The options every writing command takes: how its writes treat the journal beside the file.
constexpr std::array<OptionSpec, 2> kWriteOptions{{{"--unsafe-in-place", false}, {"--durable", false}}};

// A writing command's own options with the common ones.
template <std::size_t N>
constexpr std::array<OptionSpec, N + kWriteOptions.size()> withWriteOptions(
    const std::array<OptionSpec, N>& own)
{
    std::array<OptionSpec, N + kWriteOptions.size()> all{};
    std::copy(own.begin(), own.end(), all.begin());
    std::copy(kWriteOptions.begin(), kWriteOptions.end(), all.begin() + N);
    return all;
}

// Runs work over the files as one change that `corvane-tag undo` can take back (when its old tags
// fit the undo record; otherwise the run says so and goes on without; a change that keeps no
// tags, a rename, always fits). kExitInterrupted when Ctrl+C ended the run, kExitFileFailed
// when a file failed, else kExitOk.
// A run that only reads (mode Read) opens the files for reading and records nothing to undo.
[[nodiscard]] int runOverFiles(const std::vector<std::string>& files, const batch::FileWork& work,
                               const ParsedArguments& parsed, const std::string& label,
                               bool keepsTags = true, tags::OpenMode mode = tags::OpenMode::Update);

// Parses the arguments of a command; prints its help (helpTopic's, when given) or a usage error.
// Returns nullopt with exitStatus set when the command is to stop.
[[nodiscard]] std::optional<ParsedArguments> parseOrStop(std::string_view command,
                                                         std::span<const std::string> args,
                                                         std::span<const OptionSpec> options,
                                                         int& exitStatus,
                                                         std::string_view helpTopic = {});

// The tags --v1 and --v2 choose: both when neither is given.
[[nodiscard]] batch::TagChoice choiceOf(const ParsedArguments& parsed);

// The --id3v2-version of a command that may create a tag: 3 (the default) or 4; nullopt, after a
// usage error, for anything else.
[[nodiscard]] std::optional<std::uint8_t> newTagVersion(std::string_view command,
                                                        const ParsedArguments& parsed);

// True for a non-empty run of decimal digits.
[[nodiscard]] bool isDecimal(std::string_view text);

}  // namespace corvane::cli
