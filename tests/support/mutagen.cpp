#include "tests/support/mutagen.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane::test {

namespace {

// Reads both pipes until the child closes them, so a chatty child cannot block on a full pipe.
void drain(int outFd, int errFd, std::string& out, std::string& err)
{
    std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
    int open = 2;
    std::array<char, 4096> buf{};
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0)
            break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const auto n = ::read(fds[i].fd, buf.data(), buf.size());
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? out : err).append(buf.data(), static_cast<std::size_t>(n));
            }
        }
    }
}

}  // namespace

PythonRun runProgram(std::vector<std::string> argv)
{
    PythonRun run;
    int outPipe[2], errPipe[2];
    if (argv.empty() || ::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe failed";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);

    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        ADD_FAILURE() << "cannot start " << argv[0];
        return run;
    }
    drain(outPipe[0], errPipe[0], run.out, run.err);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

PythonRun runPython(std::string_view script, const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"/usr/bin/python3", "-c", std::string(script)};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(std::move(argv));
}

double mutagenLength(const std::string& path)
{
    const auto run =
        runPython("import mutagen.mp3, sys; print(mutagen.mp3.MP3(sys.argv[1]).info.length)", {path});
    double seconds = -1;
    if (run.exitCode != 0 || std::sscanf(run.out.c_str(), "%lf", &seconds) != 1)
        ADD_FAILURE() << "mutagen could not read " << path << ": " << run.err;
    return seconds;
}

std::map<std::string, std::string> mutagenFrames(const std::string& path)
{
    // One line per frame: id, a tab, the text with newlines escaped, so that the C++ side needs
    // no JSON parser.
    static constexpr std::string_view kScript = R"PY(
import sys
from mutagen.id3 import ID3, ID3NoHeaderError
try:
    tags = ID3(sys.argv[1])
except ID3NoHeaderError:
    sys.exit(0)
for frame in tags.values():
    fid = frame.FrameID
    if fid == 'WXXX':
        text = frame.url
    elif fid == 'PCNT':
        text = str(frame.count)
    elif fid == 'APIC':
        text = 'APIC'
    elif hasattr(frame, 'text'):
        text = '/'.join(str(t) for t in frame.text)
    else:
        text = ''
    text = text.replace('\\', '\\\\').replace('\n', '\\n')
    sys.stdout.write(fid + '\t' + text + '\n')
)PY";
    const auto run = runPython(kScript, {path});
    std::map<std::string, std::string> frames;
    if (run.exitCode != 0) {
        ADD_FAILURE() << "mutagen could not read " << path << ": " << run.err;
        return frames;
    }
    std::size_t pos = 0;
    while (pos < run.out.size()) {
        auto end = run.out.find('\n', pos);
        if (end == std::string::npos)
            end = run.out.size();
        const std::string line = run.out.substr(pos, end - pos);
        pos = end + 1;
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        std::string text;
        for (std::size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                text += line[i + 1] == 'n' ? '\n' : line[i + 1];
                ++i;
            } else {
                text += line[i];
            }
        }
        frames.emplace(line.substr(0, tab), text);
    }
    return frames;
}

}  // namespace corvane::test
