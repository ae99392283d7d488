#pragma once
// The real peer reader as an oracle: Debian's python3-mutagen, run as /usr/bin/python3.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

struct PythonRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs argv[0] (searched on PATH) with argv, capturing standard output and error.
[[nodiscard]] PythonRun runProgram(std::vector<std::string> argv);

// Runs /usr/bin/python3 -c script args..., capturing standard output and error.
[[nodiscard]] PythonRun runPython(std::string_view script,
                                  const std::vector<std::string>& args = {});

// Mutagen's playing time of an MP3 file in seconds; fails the current test when mutagen raises.
[[nodiscard]] double mutagenLength(const std::string& path);

// Mutagen's view of a file's ID3v2 tag: frame id -> text (several texts joined with "/"; COMM
// and WXXX by their bare ids; PCNT the count; APIC "APIC"). Empty when mutagen finds no tag;
// fails the current test when mutagen raises.
[[nodiscard]] std::map<std::string, std::string> mutagenFrames(const std::string& path);

}  // namespace corvane::test
