#pragma once
// Splitting a subcommand's arguments into options and operands, and the usage texts.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutputFailed = 2;  // the output of show or list could not be written
inline constexpr int kExitInterrupted = 130;  // Ctrl+C ended a run between two files

struct OptionSpec {
    std::string_view name;  // "--v1"
    bool takesValue = false;
};

struct ParsedArguments {
    std::vector<std::pair<std::string, std::string>> options;  // name, value ("" for flags)
    std::vector<std::string> operands;
    bool help = false;

    [[nodiscard]] bool has(std::string_view name) const;
    // The value of the last occurrence of name.
    [[nodiscard]] std::optional<std::string> value(std::string_view name) const;
};

// Options may stand anywhere before "--"; "--name=value" and "--name value" are both accepted.
// Everything after "--" is an operand. On a usage error returns nullopt with error set.
[[nodiscard]] std::optional<ParsedArguments> parseArguments(std::span<const std::string> args,
                                                            std::span<const OptionSpec> options,
                                                            std::string& error);

// Prints "corvane-tag: message" and a hint to stderr; returns kExitUsage.
int usageError(std::string_view command, std::string_view message);

// Usage texts: the whole program, or one command (empty when the command is unknown).
[[nodiscard]] std::string_view programUsage();
[[nodiscard]] std::string_view commandUsage(std::string_view command);

}  // namespace corvane::cli
