#include "tests/support/mutagen.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace {

// The frame text lines of a mutagen script: key, a tab, the text with "\\" and "\n" escaped.
std::vector<std::pair<std::string, std::string>> parseLines(const std::string& out)
{
    std::vector<std::pair<std::string, std::string>> lines;
    std::size_t pos = 0;
    while (pos < out.size()) {
        auto end = out.find('\n', pos);
        if (end == std::string::npos) end = out.size();
        const std::string line = out.substr(pos, end - pos);
        pos = end + 1;
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string text;
        for (std::size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                text += line[i + 1] == 'n' ? '\n' : line[i + 1];
                ++i;
            } else {
                text += line[i];
            }
        }
        lines.emplace_back(line.substr(0, tab), text);
    }
    return lines;
}

// How a frame's text is printed by the scripts below.
constexpr std::string_view kFrameText = R"PY(
def frame_text(frame):
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
    return text.replace('\\', '\\\\').replace('\n', '\\n')
)PY";

}  // namespace

std::string MutagenTag::at(std::string_view key) const
{
    for (const auto& [k, text] : frames) {
        if (k == key) return text;
    }
    ADD_FAILURE() << "mutagen read no frame " << key;
    return {};
}

bool MutagenTag::has(std::string_view key) const
{
    return std::any_of(frames.begin(), frames.end(), [key](const auto& f) { return f.first == key; });
}

MutagenTag mutagenTag(const std::string& path)
{
    // translate=False: the frames as stored, not converted to another version's identifiers.
    const std::string script = std::string(kFrameText) + R"PY(
import sys
from mutagen.id3 import ID3, ID3NoHeaderError
try:
    tags = ID3(sys.argv[1], translate=False)
except ID3NoHeaderError:
    sys.exit(0)
sys.stdout.write('version\t%d.%d.%d\n' % tags.version)
for frame in tags.values():
    sys.stdout.write(frame.HashKey + '\t' + frame_text(frame) + '\n')
)PY";
    const auto run = runPython(script, {path});
    MutagenTag tag;
    if (run.exitCode != 0) {
        ADD_FAILURE() << "mutagen could not read " << path << ": " << run.err;
        return tag;
    }
    tag.frames = parseLines(run.out);
    if (!tag.frames.empty() && tag.frames.front().first == "version") {
        tag.version = tag.frames.front().second;
        tag.frames.erase(tag.frames.begin());
    }
    return tag;
}

std::map<std::string, std::string> mutagenFrames(const std::string& path)
{
    // One line per frame: id, a tab, the text with newlines escaped, so that the C++ side needs
    // no JSON parser.
    const std::string script = std::string(kFrameText) + R"PY(
import sys
from mutagen.id3 import ID3, ID3NoHeaderError
try:
    tags = ID3(sys.argv[1])
except ID3NoHeaderError:
    sys.exit(0)
for frame in tags.values():
    sys.stdout.write(frame.FrameID + '\t' + frame_text(frame) + '\n')
)PY";
    const auto run = runPython(script, {path});
    std::map<std::string, std::string> frames;
    if (run.exitCode != 0) {
        ADD_FAILURE() << "mutagen could not read " << path << ": " << run.err;
        return frames;
    }
    for (auto& [id, text] : parseLines(run.out)) frames.emplace(std::move(id), std::move(text));
    return frames;
}

namespace {

std::string hexOf(const std::vector<std::uint8_t>& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const auto b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

std::vector<std::uint8_t> bytesOfHex(std::string_view hex)
{
    std::vector<std::uint8_t> bytes;
    const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
    return bytes;
}

std::string textOfHex(std::string_view hex)
{
    const auto bytes = bytesOfHex(hex);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

std::vector<MutagenPicture> mutagenPictures(const std::string& path)
{
    // One line per picture: type, MIME type, description and data, the last two in hex.
    const std::string script = R"PY(
import sys
from mutagen.id3 import ID3, ID3NoHeaderError
try:
    tags = ID3(sys.argv[1])
except ID3NoHeaderError:
    sys.exit(0)
for frame in tags.getall('APIC'):
    sys.stdout.write('%d\t%s\t%s\t%s\n' % (frame.type, frame.mime,
                     frame.desc.encode('utf-8').hex(), frame.data.hex()))
)PY";
    const auto run = runPython(script, {path});
    std::vector<MutagenPicture> pictures;
    if (run.exitCode != 0) {
        ADD_FAILURE() << "mutagen could not read " << path << ": " << run.err;
        return pictures;
    }
    std::size_t pos = 0;
    while (pos < run.out.size()) {
        const auto end = run.out.find('\n', pos);
        const std::string_view line(run.out.data() + pos, (end == std::string::npos ? run.out.size() : end) - pos);
        pos = end == std::string::npos ? run.out.size() : end + 1;
        std::vector<std::string_view> parts;
        for (std::size_t at = 0;;) {
            const auto tab = line.find('\t', at);
            parts.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
            if (tab == std::string_view::npos) break;
            at = tab + 1;
        }
        if (parts.size() != 4) continue;
        pictures.push_back({std::stoi(std::string(parts[0])), std::string(parts[1]),
                            textOfHex(parts[2]), bytesOfHex(parts[3])});
    }
    return pictures;
}

void mutagenAddPictures(const std::string& path, const std::vector<MutagenPicture>& pictures,
                        int version)
{
    const std::string script = R"PY(
import sys
from mutagen.id3 import ID3, APIC, ID3NoHeaderError
path, version = sys.argv[1], int(sys.argv[2])
try:
    tags = ID3(path)
except ID3NoHeaderError:
    tags = ID3()
for item in sys.argv[3:]:
    kind, mime, desc, data = item.split(':')
    tags.add(APIC(encoding=3 if version == 4 else 1, mime=mime, type=int(kind),
                  desc=bytes.fromhex(desc).decode('utf-8'), data=bytes.fromhex(data)))
tags.save(path, v2_version=version)
)PY";
    std::vector<std::string> args{path, std::to_string(version)};
    for (const auto& picture : pictures) {
        args.push_back(std::to_string(picture.type) + ":" + picture.mime + ":" +
                       hexOf({picture.description.begin(), picture.description.end()}) + ":" +
                       hexOf(picture.data));
    }
    const auto run = runPython(script, args);
    if (run.exitCode != 0) ADD_FAILURE() << "mutagen could not write " << path << ": " << run.err;
}

}  // namespace corvane::test
