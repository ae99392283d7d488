// Peak memory of a write and of a read against the size of the tag's frames: a tag with 250 MB
// of padding (the padding must never be held in memory) and one with a 10 MB picture (the frames
// are held once). Each job runs in a child process, whose peak resident size the kernel reports;
// the floor is a child that only opens the file.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tags/file.h"
#include "tags/id3v2_read.h"
#include "tags/id3v2_write.h"
#include "tags/slot_list.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace tags = corvane::tags;

Bytes frame(std::string_view id, const Bytes& body)
{
    Bytes out(id.begin(), id.end());
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(size >> shift));
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A file: header, frames, padding (a hole in the file, so the disk is not filled), audio.
void makeFile(const std::string& path, const std::vector<Bytes>& frames, std::uint64_t padding)
{
    Bytes tag{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    std::uint64_t size = padding;
    for (const auto& f : frames) {
        tag.insert(tag.end(), f.begin(), f.end());
        size += f.size();
    }
    for (int i = 0; i < 4; ++i) tag[6 + i] = static_cast<std::uint8_t>((size >> (21 - 7 * i)) & 0x7F);
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0 || ::write(fd, tag.data(), tag.size()) != static_cast<ssize_t>(tag.size())) return;
    Bytes audio(1 << 20, 0x55);
    audio[0] = 0xFF;
    audio[1] = 0xFB;
    if (::pwrite(fd, audio.data(), audio.size(), static_cast<off_t>(tag.size() + padding)) < 0)
        std::perror("pwrite");
    ::close(fd);
}

// Peak resident size of a child that runs job, in MB.
double childPeakMb(const std::function<void()>& job)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        job();
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void measure(const char* name, const std::string& path, double framesMb)
{
    const double floor = childPeakMb([&] { tags::File file = tags::File::open(path, tags::OpenMode::Read); });
    const double read = childPeakMb([&] {
        tags::File file = tags::File::open(path, tags::OpenMode::Read);
        tags::TagRecord record;
        (void)tags::readId3v2(file, record.slotList());
    });
    const double write = childPeakMb([&] {
        tags::File file = tags::File::open(path, tags::OpenMode::Update);
        tags::SlotList list{tags::FieldSlot::frame("TIT2", std::string(40, 'x'))};
        (void)tags::writeId3v2(file, list, false);
    });
    std::printf("%-32s frames %7.1f MB | floor %6.1f MB | read %6.1f MB (+%.1f) | "
                "write %6.1f MB (+%.1f)\n",
                name, framesMb, floor, read, read - floor, write, write - floor);
}

}  // namespace

int main()
{
    corvane::bench::BenchFolder folder(std::filesystem::temp_directory_path() / "corvane-memory-bench");
    const std::vector<Bytes> small{frame("TIT2", {0, 'O', 'l', 'd'}), frame("TPE1", {0, 'A'})};
    const std::string padded = folder.file("padded.mp3");
    makeFile(padded, small, 250ull << 20);
    measure("250 MB of padding", padded, 0.0);

    const std::string pictured = folder.file("picture.mp3");
    {
        // Built and freed before the children start, so that they do not inherit it.
        Bytes picture{0};
        const std::string mime = "image/jpeg";
        picture.insert(picture.end(), mime.begin(), mime.end());
        picture.insert(picture.end(), {0, 3, 0});
        picture.resize(10u << 20, 0x77);
        std::vector<Bytes> withPicture = small;
        withPicture.push_back(frame("APIC", picture));
        makeFile(pictured, withPicture, 4096);
    }
    measure("10 MB picture, 4 KB padding", pictured, 10.0);
    std::printf("goal: a write peaks under the frames plus a fixed few MB above the floor\n");
    return 0;
}
