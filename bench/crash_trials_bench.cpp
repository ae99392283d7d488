// Crash trials: corvane-tag writing a large file is killed with SIGKILL at random moments, then
// the file is recovered (with the journal) or left as the kill left it (with --unsafe-in-place,
// the way writes were made before the journal). Every trial ends with the file's content compared
// with the old and the new content: with the journal it must be one of the two every time.
//
//   crash_trials_bench [FOLDER] [SIZE_MB] [TRIALS]      (defaults: temp folder, 300, 20)
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"

namespace {

namespace fs = std::filesystem;
using corvane::bench::BenchFolder;
using corvane::bench::median;
using corvane::bench::seconds;
using Bytes = std::vector<std::uint8_t>;

fs::path g_cli;
fs::path g_state;

void putBe32(Bytes& out, std::uint32_t v, bool syncsafe)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(syncsafe ? (v >> (7 * i)) & 0x7F : v >> (8 * i)));
}

Bytes textFrame(const char* id, const std::string& text)
{
    Bytes out(id, id + 4);
    putBe32(out, static_cast<std::uint32_t>(text.size() + 1), false);
    out.insert(out.end(), {0, 0, 0});
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// An ID3v2.3 tag with some padding, megabytes of audio-like bytes (not zeros, so that a misplaced
// block shows) and an ID3v1 trailer.
void makeStart(const std::string& path, std::uint64_t megabytes)
{
    Bytes frames;
    for (const auto& [id, text] : {std::pair{"TIT2", "Old title"}, {"TPE1", "Artist"}, {"TALB", "Album"}}) {
        const Bytes f = textFrame(id, text);
        frames.insert(frames.end(), f.begin(), f.end());
    }
    const std::uint32_t padding = 1000;
    Bytes tag{'I', 'D', '3', 3, 0, 0};
    putBe32(tag, static_cast<std::uint32_t>(frames.size()) + padding, true);
    tag.insert(tag.end(), frames.begin(), frames.end());
    tag.resize(tag.size() + padding, 0);

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::exit(2);
    std::fwrite(tag.data(), 1, tag.size(), out);
    Bytes block(1 << 20);
    std::uint32_t x = 12345;
    for (std::uint64_t m = 0; m < megabytes; ++m) {
        for (auto& b : block) b = static_cast<std::uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
        std::fwrite(block.data(), 1, block.size(), out);
    }
    Bytes trailer(128, 0);
    std::copy_n("TAGOld title", 12, trailer.begin());
    std::fwrite(trailer.data(), 1, trailer.size(), out);
    std::fclose(out);
}

std::uint32_t crcOf(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    Bytes buffer(4 << 20);
    uLong crc = crc32(0, nullptr, 0);
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
        crc = crc32(crc, buffer.data(), static_cast<uInt>(n));
    ::close(fd);
    return static_cast<std::uint32_t>(crc);
}

pid_t spawn(const std::vector<std::string>& args)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::setenv("XDG_STATE_HOME", g_state.c_str(), 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(g_cli.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

struct Kind {
    const char* name;
    std::vector<std::string> command;  // after "corvane-tag", before the file
};

struct Tally {
    int killed = 0;  // trials where the kill came before the child ended
    int oldContent = 0;
    int newContent = 0;
    int corrupted = 0;
    int journalsLeft = 0;
};

Tally trials(const Kind& kind, bool journal, const std::string& start, const std::string& target,
             std::uint32_t oldCrc, std::uint32_t newCrc, double took, int count, std::mt19937& random)
{
    Tally tally;
    std::uniform_real_distribution<double> moment(0.0, took);
    const std::string journalPath = (fs::path(target).parent_path() / ("." + fs::path(target).filename().string() +
                                                                       ".corvane-journal")).string();
    for (int t = 0; t < count; ++t) {
        fs::copy_file(start, target, fs::copy_options::overwrite_existing);
        std::vector<std::string> args{g_cli.string()};
        args.insert(args.end(), kind.command.begin(), kind.command.end());
        if (!journal) args.push_back("--unsafe-in-place");
        args.push_back(target);
        const pid_t child = spawn(args);
        std::this_thread::sleep_for(std::chrono::duration<double>(moment(random)));
        ::kill(child, SIGKILL);
        const int status = waitFor(child);
        if (WIFSIGNALED(status)) ++tally.killed;
        if (journal) (void)waitFor(spawn({g_cli.string(), "recover", target}));
        const std::uint32_t crc = crcOf(target);
        if (crc == oldCrc) ++tally.oldContent;
        else if (crc == newCrc) ++tally.newContent;
        else ++tally.corrupted;
        if (fs::exists(journalPath)) {
            ++tally.journalsLeft;
            fs::remove(journalPath);
        }
    }
    return tally;
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 300;
    const int count = argc > 3 ? std::atoi(argv[3]) : 20;
    g_cli = CORVANE_TAG_BINARY;
    if (!fs::exists(g_cli)) {
        std::fprintf(stderr, "crash trials: %s is not built\n", g_cli.c_str());
        return 2;
    }
    const BenchFolder folder(base / ("corvane-crash-" + std::to_string(::getpid())));
    g_state = folder.path() / "state";
    const std::string start = folder.file("start.mp3");
    const std::string target = folder.file("target.mp3");
    makeStart(start, megabytes);
    const std::uint32_t oldCrc = crcOf(start);

    const std::vector<Kind> kinds{
        {"growth by 10 KB", {"set", "comment=" + std::string(10 * 1024, 'c')}},
        {"compaction", {"set", "--compact", "title=New"}},
        {"removal of the ID3v2 tag", {"remove", "--v2"}},
        {"both tags, in the padding", {"set", "--v1", "--v2", "title=Padded"}},
    };
    std::mt19937 random(20261207);
    std::printf("%d SIGKILLs at random moments of each write of a %llu MB file, then recovery.\n",
                count, static_cast<unsigned long long>(megabytes));
    std::printf("%-28s %-16s %7s %5s %5s %10s %9s\n", "write", "mode", "killed", "old", "new",
                "corrupted", "journals");
    int failures = 0;
    for (const auto& kind : kinds) {
        // The new content, and how long the whole command takes, from uninterrupted runs.
        std::vector<double> times;
        std::uint32_t newCrc = 0;
        for (int run = 0; run < 3; ++run) {
            fs::copy_file(start, target, fs::copy_options::overwrite_existing);
            std::vector<std::string> args{g_cli.string()};
            args.insert(args.end(), kind.command.begin(), kind.command.end());
            args.push_back(target);
            times.push_back(seconds([&] { (void)waitFor(spawn(args)); }));
            newCrc = crcOf(target);
        }
        for (const bool journal : {true, false}) {
            const Tally t = trials(kind, journal, start, target, oldCrc, newCrc, median(times), count, random);
            std::printf("%-28s %-16s %7d %5d %5d %10d %9d\n", kind.name,
                        journal ? "journal" : "unsafe-in-place", t.killed, t.oldContent, t.newContent,
                        t.corrupted, t.journalsLeft);
            if (journal && (t.corrupted > 0 || t.journalsLeft > 0)) ++failures;
        }
    }
    std::printf("goal: with the journal, every file old or new and no journal left: %s\n",
                failures == 0 ? "met" : "MISSED");
    return 0;
}
