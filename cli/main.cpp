// corvane-tag: the command-line companion of the desktop editor, built from the same tag core
// and batch operations.

#include <array>
#include <cstdio>
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

constexpr std::array<CommandEntry, 9> kCommands{{
    {"show", corvane::cli::runShow},
    {"list", corvane::cli::runList},
    {"set", corvane::cli::runSet},
    {"remove", corvane::cli::runRemove},
    {"compact", corvane::cli::runCompact},
    {"sync", corvane::cli::runSync},
    {"number", corvane::cli::runNumber},
    {"convert", corvane::cli::runConvert},
    {"picture", corvane::cli::runPicture},
}};

}  // namespace

int main(int argc, char** argv)
{
    using namespace corvane::cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
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
