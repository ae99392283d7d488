// corvane-tag: the command-line companion of the desktop editor, built from the same tag core
// and batch operations.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"

namespace {

using Command = int (*)(std::span<const std::string>);

struct CommandEntry {
    std::string_view name;
    Command run;
};

constexpr std::array<CommandEntry, 15> kCommands{{
    {"show", corvane::cli::runShow},
    {"list", corvane::cli::runList},
    {"set", corvane::cli::runSet},
    {"remove", corvane::cli::runRemove},
    {"compact", corvane::cli::runCompact},
    {"sync", corvane::cli::runSync},
    {"number", corvane::cli::runNumber},
    {"convert", corvane::cli::runConvert},
    {"recover", corvane::cli::runRecover},
    {"undo", corvane::cli::runUndo},
    {"from-name", corvane::cli::runFromName},
    {"rename", corvane::cli::runRename},
    {"case", corvane::cli::runCase},
    {"replace", corvane::cli::runReplace},
    {"picture", corvane::cli::runPicture},
}};

// The output of show, list and the help texts goes to stdout; a write that failed there (a full
// disk, a closed descriptor) must not pass for success.
int finishOutput(int status)
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && std::ferror(stdout) == 0) return status;
    const int err = errno;
    std::fprintf(stderr, "corvane-tag: the output could not be written%s%s\n", err != 0 ? ": " : "",
                 err != 0 ? std::strerror(err) : "");
    return corvane::cli::kExitOutputFailed;
}

int runCommand(const std::vector<std::string>& args)
{
    using namespace corvane::cli;
    if (args.empty()) {
        std::fputs(programUsage().data(), stderr);
        return kExitUsage;
    }
    const std::string& name = args.front();
    if (name == "--help" || name == "-h" || name == "help") {
        if (args.size() > 1 && !commandUsage(args[1]).empty())
            std::cout << commandUsage(args[1]);
        else
            std::cout << programUsage();
        return kExitOk;
    }
    if (name == "--version") {
        std::cout << "corvane-tag " << CORVANE_VERSION << "\n";
        return kExitOk;
    }
    for (const auto& command : kCommands) {
        if (command.name == name) return command.run(std::span<const std::string>(args).subspan(1));
    }
    return usageError("", "unknown command \"" + name + "\"");
}

}  // namespace

int main(int argc, char** argv)
{
    return finishOutput(runCommand(std::vector<std::string>(argv + 1, argv + argc)));
}
