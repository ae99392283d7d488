// Times the "MP3 Specifics" text of large files, as the tag editor builds it on opening one,
// against the one read no reader can avoid: the first 64 KiB block of the file. Files of 300 MB:
// zeros without any frame sync (a sparse file), a constant bit rate stream without a header that
// gives its frame count, and two variable bit rate streams without one. Each job runs with the file
// in the page cache and after the file's pages were dropped from it; the number of reads and the
// bytes read are counted, and for the variable stream the length is compared with the true one.
//
// Usage: mpeg_info_bench [folder]

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tags/file.h"
#include "tags/mpeg_audio.h"
#include "tags/mpeg_info.h"

namespace {

namespace fs = std::filesystem;
using corvane::bench::BenchFolder;
using corvane::bench::median;
using corvane::bench::seconds;
using corvane::tags::FileIo;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kFileSize = 300'000'000;
constexpr int kRuns = 7;
constexpr std::size_t kFirstBlock = 64 * 1024;

// Passes reads on to a real file and counts them.
class CountingFile final : public FileIo {
public:
    explicit CountingFile(FileIo& real) : m_real(real) {}
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> data) override
    {
        ++reads;
        bytes += data.size();
        return m_real.readAt(offset, data);
    }
    bool writeAt(std::uint64_t, std::span<const std::uint8_t>) override { return false; }
    std::optional<std::uint64_t> length() override { return m_real.length(); }
    bool truncate(std::uint64_t) override { return false; }
    bool reserve(std::uint64_t) override { return false; }
    std::string errorText() const override { return m_real.errorText(); }

    int reads = 0;
    std::uint64_t bytes = 0;

private:
    FileIo& m_real;
};

// ---- Fixtures --------------------------------------------------------------------------------

// MPEG-1 layer III joint stereo frames at 44100 Hz up to kFileSize bytes, without a Xing
// header; the bit-rate index is `rate(frame)`. Returns the number of frames.
std::uint64_t writeStream(const std::string& path, const std::function<int(std::uint64_t)>& rate)
{
    static constexpr std::array<int, 15> kKbps{0,   32,  40,  48,  56,  64,  80, 96,
                                               112, 128, 160, 192, 224, 256, 320};
    Bytes out;
    out.reserve(kFileSize);
    Bytes payload(1100);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 % 255);  // never 0xFF: no false sync
    std::uint64_t frames = 0;
    for (; out.size() < kFileSize; ++frames) {
        const int index = rate(frames);
        const std::size_t length = 144u * 1000 * static_cast<std::size_t>(kKbps[index]) / 44100;
        const std::array<std::uint8_t, 4> header{0xFF, 0xFB, static_cast<std::uint8_t>(index << 4),
                                                 0x44};
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), payload.begin(), payload.begin() + static_cast<long>(length - 4));
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, out.data(), out.size()) != static_cast<ssize_t>(out.size()) ||
        ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    return frames;
}

void writeZeros(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(kFileSize)) != 0 || ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
}

// ---- Timing ----------------------------------------------------------------------------------

void dropFromCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// The median time of job, with the file cached or dropped from the cache before each run.
double timed(const std::string& path, bool cold, const std::function<void()>& job)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        if (cold) dropFromCache(path);
        times.push_back(seconds(job));
    }
    return median(times);
}

void firstBlock(const std::string& path)
{
    static Bytes block(kFirstBlock);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::pread(fd, block.data(), block.size(), 0) < 0) std::exit(2);
    ::close(fd);
}

void specifics(const std::string& path)
{
    auto file = corvane::tags::File::open(path, corvane::tags::OpenMode::Read);
    if (corvane::tags::buildMpegSpecifics(file, path).empty()) std::exit(2);
}

void report(const std::string& name, const std::string& path, std::uint64_t trueFrames)
{
    auto file = corvane::tags::File::open(path, corvane::tags::OpenMode::Read);
    CountingFile counted(file);
    const auto audio = corvane::tags::readMpegAudio(counted);
    for (const bool cold : {false, true}) {
        const double job = timed(path, cold, [&] { specifics(path); });
        const double floor = timed(path, cold, [&] { firstBlock(path); });
        std::printf("%-34s %-5s %9.3f ms %9.3f ms %8.1fx %6d reads %8.2f MB", name.c_str(),
                    cold ? "cold" : "warm", job * 1e3, floor * 1e3, job / floor, counted.reads,
                    static_cast<double>(counted.bytes) / 1e6);
        if (trueFrames != 0 && audio) {
            const double trueSeconds = static_cast<double>(trueFrames) * 1152 / 44100;
            std::printf("   length %+.2f%%", 100 * (audio->seconds - trueSeconds) / trueSeconds);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const BenchFolder folder(base / ("corvane-mpeg-bench-" + std::to_string(::getpid())));
    const auto zeros = folder.file("zeros.mp3");
    const auto constant = folder.file("cbr.mp3");
    const auto variable = folder.file("vbr.mp3");
    const auto harsh = folder.file("vbr-harsh.mp3");
    std::printf("Building four files of 300 MB ...\n");
    writeZeros(zeros);
    writeStream(constant, [](std::uint64_t) { return 9; });
    // Music: the rate wanders between 128 and 256 kbit/s from frame to frame.
    std::mt19937 noise(7);
    const auto frames =
        writeStream(variable, [&](std::uint64_t) { return 9 + static_cast<int>(noise() % 5); });
    // Speech with pauses, a hard case for sampling: the rate changes about every second,
    // anywhere from 32 to 320 kbit/s, so passages differ up to tenfold in frames per byte.
    int index = 9;
    const auto harshFrames = writeStream(harsh, [&](std::uint64_t frame) {
        if (frame % 38 == 0) index = 1 + static_cast<int>(noise() % 14);
        return index;
    });
    std::printf("Median of %d runs; floor = one read of the first %zu KiB.\n\n", kRuns,
                kFirstBlock / 1024);
    std::printf("%-34s %-5s %12s %12s %9s\n", "specifics of a 300 MB file", "cache", "time",
                "floor", "ratio");
    report("no frame sync (sparse zeros)", zeros, 0);
    report("constant rate, no Info header", constant, 0);
    report("variable rate, no Xing header", variable, frames);
    report("variable rate in passages, no Xing", harsh, harshFrames);
    return 0;
}
