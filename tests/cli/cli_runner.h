#pragma once
// Runs the real corvane-tag binary with its output captured in files of the test's folder. A run
// that does not end within its time limit is killed and fails the test, so that a command that
// hangs cannot stop the suite.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/mutagen.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane::test {

struct CliRun {
    int exitCode = -1;  // -1 when the program did not end by itself
    std::string out;
    std::string err;
};

inline std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Where a run's output goes: files of the test's folder unless the test names others (a stdout
// of "/dev/full", a stderr on a terminal).
struct CliOutputs {
    std::string out;
    std::string err;
};

// A program (corvane-tag unless named) started in the test's folder and not yet waited for. Its
// undo record lives in the test's folder too.
class CliProcess {
public:
    CliProcess(const TempDir& dir, std::vector<std::string> args, CliOutputs outputs = {},
               std::string program = CORVANE_TAG_BINARY)
        : m_outPath(outputs.out.empty() ? dir.file(".cli-out") : outputs.out),
          m_errPath(outputs.err.empty() ? dir.file(".cli-err") : outputs.err)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, m_outPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            if (!std::string_view(*e).starts_with("XDG_STATE_HOME=")) env.emplace_back(*e);
        }
        env.push_back("XDG_STATE_HOME=" + dir.file(".state"));
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            ADD_FAILURE() << "could not start " << program;
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    ~CliProcess()
    {
        if (m_pid > 0) (void)wait();
    }

    [[nodiscard]] pid_t pid() const { return m_pid; }

    // Waits for the end, at most `limit`; a program still running then is killed.
    CliRun wait(std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        CliRun run;
        if (m_pid <= 0) return run;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the program did not end within its time limit";
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_pid = -1;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (m_outPath.rfind("/dev/", 0) != 0) run.out = textOf(readFile(m_outPath));
        if (m_errPath.rfind("/dev/", 0) != 0) run.err = textOf(readFile(m_errPath));
        return run;
    }

private:
    std::string m_outPath;
    std::string m_errPath;
    pid_t m_pid = -1;
};

inline CliRun runCli(const TempDir& dir, std::vector<std::string> args, CliOutputs outputs = {})
{
    return CliProcess(dir, std::move(args), std::move(outputs)).wait();
}

// Runs another program (a wrapper of corvane-tag) the same way.
inline CliRun runProgramIn(const TempDir& dir, const std::string& program, std::vector<std::string> args)
{
    return CliProcess(dir, std::move(args), {}, program).wait();
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
