#pragma once
// The subcommands of corvane-tag. Each takes the arguments after its name and returns the exit
// status (kExitOk, kExitFileFailed, kExitUsage).

#include <span>
#include <string>

namespace corvane::cli {

int runShow(std::span<const std::string> args);
int runList(std::span<const std::string> args);
int runSet(std::span<const std::string> args);
int runRemove(std::span<const std::string> args);
int runCompact(std::span<const std::string> args);
int runSync(std::span<const std::string> args);
int runNumber(std::span<const std::string> args);
int runConvert(std::span<const std::string> args);
int runRecover(std::span<const std::string> args);
int runUndo(std::span<const std::string> args);
int runFromName(std::span<const std::string> args);
int runRename(std::span<const std::string> args);
int runCase(std::span<const std::string> args);
int runReplace(std::span<const std::string> args);

// "corvane-tag: path: reason" on stderr.
void reportFileError(std::string_view path, std::string_view reason);

}  // namespace corvane::cli
