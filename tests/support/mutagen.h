#pragma once
// The real peer reader as an oracle: Debian's python3-mutagen, run as /usr/bin/python3.

#include <cstdint>
#include <map>
#include <ostream>
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

// Every frame mutagen reads, in tag order, by its hash key ("TIT2", "COMM:desc:eng",
// "APIC:cover", ...) with its text as mutagenFrames gives it, and the tag's version as "2.3.0".
struct MutagenTag {
    std::string version;
    std::vector<std::pair<std::string, std::string>> frames;

    // The text of the frame with this hash key; fails the test when there is none.
    [[nodiscard]] std::string at(std::string_view key) const;
    [[nodiscard]] bool has(std::string_view key) const;
};
[[nodiscard]] MutagenTag mutagenTag(const std::string& path);

// An attached picture as mutagen reads or writes it.
struct MutagenPicture {
    int type = 3;
    std::string mime;
    std::string description;
    std::vector<std::uint8_t> data;
    friend bool operator==(const MutagenPicture&, const MutagenPicture&) = default;
    // For test failures: the fields and the data's size.
    friend void PrintTo(const MutagenPicture& p, std::ostream* out)
    {
        *out << "{" << p.type << ", " << p.mime << ", \"" << p.description << "\", " << p.data.size()
             << " bytes}";
    }
};
// The APIC frames of a file in tag order; fails the current test when mutagen raises.
[[nodiscard]] std::vector<MutagenPicture> mutagenPictures(const std::string& path);
// Adds the pictures (up to about 60 KB each: they go on the command line) to the file's tag,
// creating one, and saves it as 2.3 or 2.4 (version 3 or 4).
void mutagenAddPictures(const std::string& path, const std::vector<MutagenPicture>& pictures,
                        int version);

}  // namespace corvane::test
