#pragma once
// Runs the real corvane-tag binary with its output captured in files of the test's folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "tests/support/mutagen.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

inline CliRun runCli(const TempDir& dir, std::vector<std::string> args)
{
    const std::string outPath = dir.file(".cli-out");
    const std::string errPath = dir.file(".cli-err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
    args.insert(args.begin(), CORVANE_TAG_BINARY);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    CliRun run;
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "could not start " << CORVANE_TAG_BINARY;
        return run;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = textOf(readFile(outPath));
    run.err = textOf(readFile(errPath));
    return run;
}

// Parses the JSON with Python's strict parser and prints the values the test asks for, one per
// line, as Python's repr, so that a malformed document fails the test.
inline std::string queryJson(const TempDir& dir, const std::string& json, const std::string& expression)
{
    const auto path = dir.file("out.json");
    writeFile(path, bytesOf(json));
    const auto run = runPython(
        "import json, sys\n"
        "d = json.load(open(sys.argv[1], encoding='utf-8'))\n"
        "for v in eval(sys.argv[2]): print(ascii(v))\n",
        {path, expression});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

}  // namespace corvane::test
