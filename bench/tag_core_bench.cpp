// Times the tag core's jobs against the bare system calls each one cannot avoid: a list scan of
// 10,000 tagged files in both views, and a title change on a 50 MB file that fits in the
// padding, that must grow the tag, and that compacts it, and the removal of the tag. Each job
// and its floor run several times in turn, so both meet the same warm page cache, and the
// medians are compared.
//
// Usage: tag_core_bench [folder [which]]
//   folder: where the files are made (default: a new folder in the system's temporary folder);
//   which: "scan", "padding", "move" or "journal" to run one group only.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_support.h"
#include "tags/file.h"
#include "tags/id3v2_write.h"
#include "tags/list_row_reader.h"
#include "tags/slot_list.h"

namespace {

namespace fs = std::filesystem;
using corvane::bench::BenchFolder;
using corvane::bench::median;
using corvane::bench::seconds;
using corvane::tags::Column;
using Bytes = std::vector<std::uint8_t>;

constexpr int kFileCount = 10000;
constexpr int kRuns = 7;
constexpr std::size_t kBigAudio = 50u * 1024 * 1024;
constexpr std::size_t kBlock = corvane::tags::CopyChunkSize;

// ---- Fixture bytes ---------------------------------------------------------------------------

// A small xorshift generator: fixtures are the same on every run.
class Filler {
public:
    explicit Filler(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    std::uint8_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<std::uint8_t>(m_state % 255);  // never 0xFF: no false frame sync
    }

private:
    std::uint32_t m_state;
};

Bytes audio(std::size_t size, std::uint32_t seed)
{
    Bytes out(size);
    Filler filler(seed);
    for (auto& b : out) b = filler.next();
    const std::array<std::uint8_t, 4> header{0xFF, 0xFB, 0x90, 0xC0};
    std::copy_n(header.begin(), std::min<std::size_t>(4, size), out.begin());
    return out;
}

void putBe32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes frame(std::string_view id, const Bytes& body)
{
    Bytes out(id.begin(), id.end());
    putBe32(out, static_cast<std::uint32_t>(body.size()));
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void appendText(Bytes& body, std::string_view text, bool wide)
{
    if (wide) {
        body.push_back(0xFF);
        body.push_back(0xFE);
    }
    for (const char c : text) {
        body.push_back(static_cast<std::uint8_t>(c));
        if (wide) body.push_back(0);
    }
}

// ASCII text as ISO-8859-1 or, for the wide files, as UTF-16 with a byte-order mark.
Bytes textBody(std::string_view text, bool wide)
{
    Bytes body{static_cast<std::uint8_t>(wide ? 1 : 0)};
    appendText(body, text, wide);
    return body;
}

// Encoding, language, an empty description and the comment.
Bytes commentBody(std::string_view text, bool wide)
{
    Bytes body{static_cast<std::uint8_t>(wide ? 1 : 0), 'e', 'n', 'g'};
    appendText(body, "", wide);
    body.insert(body.end(), wide ? 2 : 1, 0);
    appendText(body, text, wide);
    return body;
}

Bytes tag(const std::vector<Bytes>& frames, std::size_t padding)
{
    std::size_t size = padding;
    for (const auto& f : frames) size += f.size();
    Bytes out{'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
    for (const auto& f : frames) out.insert(out.end(), f.begin(), f.end());
    out.insert(out.end(), padding, 0);
    return out;
}

Bytes trailer(std::string_view title)
{
    Bytes out(128, 0);
    std::copy_n("TAG", 3, out.begin());
    std::copy_n(title.begin(), std::min<std::size_t>(30, title.size()), out.begin() + 3);
    out[126] = 7;
    out[127] = 17;
    return out;
}

// The ten text frames of a typical ripped track.
std::vector<Bytes> typicalFrames(int n, bool wide, std::string_view title)
{
    const auto num = std::to_string(n);
    std::vector<Bytes> frames{
        frame("TIT2", textBody(title, wide)),
        frame("TPE1", textBody("Artist " + std::to_string(n % 97), wide)),
        frame("TALB", textBody("Album " + std::to_string(n % 331), wide)),
        frame("TYER", textBody("2004", wide)),
        frame("TRCK", textBody(std::to_string(n % 14 + 1), wide)),
        frame("TCON", textBody("(17)Rock", wide)),
        frame("COMM", commentBody("A comment on track " + num, wide)),
        frame("TCOM", textBody("Composer " + num, wide)),
        frame("TENC", textBody("Encoder 1.0", wide)),
        frame("TCOP", textBody("(C) 2004 Label", wide)),
    };
    return frames;
}

bool writeWhole(const std::string& path, const std::vector<const Bytes*>& parts)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (const auto* part : parts)
        ok = ok && ::write(fd, part->data(), part->size()) == static_cast<ssize_t>(part->size());
    return ::close(fd) == 0 && ok;
}

// A realistic folder: every file has an ID3v2.3 tag of ten frames and some padding; four in five
// end in an ID3v1 trailer, one in ten stores UTF-16 texts, one in a hundred carries a 100 KB
// picture.
std::vector<std::string> makeFolder(const fs::path& folder)
{
    std::vector<std::string> names;
    const Bytes picture = frame("APIC", audio(100 * 1024, 99));
    const Bytes sound = audio(4096, 5);
    for (int n = 0; n < kFileCount; ++n) {
        auto frames = typicalFrames(n, n % 10 == 3, "Title of track " + std::to_string(n));
        if (n % 100 == 42) frames.push_back(picture);
        const Bytes head = tag(frames, 256 + static_cast<std::size_t>(n % 8) * 256);
        const Bytes tail = n % 5 == 0 ? Bytes{} : trailer("Title " + std::to_string(n));
        names.push_back("track" + std::to_string(n) + ".mp3");
        if (!writeWhole((folder / names.back()).string(), {&head, &sound, &tail})) return {};
    }
    return names;
}

// ---- Timing ----------------------------------------------------------------------------------

struct Figure {
    std::string name;
    double job = 0;
    double floor = 0;
    double goal = 0;
};

// Runs a job and its floor alternately, each after its own untimed set-up.
Figure measure(std::string name, double goal, const std::function<void()>& job,
               const std::function<void()>& floor, const std::function<void()>& afterJob = {},
               const std::function<void()>& afterFloor = {})
{
    std::vector<double> jobTimes, floorTimes;
    for (int run = 0; run < kRuns; ++run) {
        jobTimes.push_back(seconds(job));
        if (afterJob) afterJob();
        floorTimes.push_back(seconds(floor));
        if (afterFloor) afterFloor();
    }
    return {std::move(name), median(jobTimes), median(floorTimes), goal};
}

void print(const Figure& f)
{
    const double ratio = f.job / f.floor;
    std::printf("%-44s %10.4f ms %10.4f ms %7.2fx   goal %.1fx %s\n", f.name.c_str(), f.job * 1e3,
                f.floor * 1e3, ratio, f.goal, ratio <= f.goal ? "met" : "MISSED");
}

// ---- Floors: the bare system calls of each job -----------------------------------------------

int openFd(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    return fd;
}

std::uint32_t be32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// What any list reader must do: open, read the header, walk the frame headers, read the
// trailer, close.
int scanFloor(const std::string& path, bool walkFrames)
{
    const int fd = openFd(path, O_RDONLY);
    std::array<std::uint8_t, 128> buf{};
    int found = 0;
    if (::pread(fd, buf.data(), 10, 0) == 10 && buf[0] == 'I' && buf[3] < 4) {
        found += 2;
        const std::uint64_t end = 10 + ((buf[6] & 0x7Fu) << 21 | (buf[7] & 0x7Fu) << 14 |
                                        (buf[8] & 0x7Fu) << 7 | (buf[9] & 0x7Fu));
        for (std::uint64_t pos = 10; walkFrames && pos + 10 <= end;) {
            if (::pread(fd, buf.data(), 10, static_cast<off_t>(pos)) != 10 || buf[0] == 0) break;
            pos += 10 + be32(buf.data() + 4);
        }
    }
    struct stat st {};
    ::fstat(fd, &st);
    if (::pread(fd, buf.data(), 128, st.st_size - 128) == 128 && buf[0] == 'T') found += 1;
    ::close(fd);
    return found;
}

// A plain move of [from, end) by delta through one block buffer, back to front going up.
void moveBytes(int fd, std::uint64_t from, std::uint64_t end, std::int64_t delta)
{
    static Bytes block(kBlock);
    auto copy = [&](std::uint64_t pos, std::size_t n) {
        if (::pread(fd, block.data(), n, static_cast<off_t>(pos)) != static_cast<ssize_t>(n) ||
            ::pwrite(fd, block.data(), n, static_cast<off_t>(pos + delta)) !=
                static_cast<ssize_t>(n)) {
            std::perror("move");
            std::exit(2);
        }
    };
    if (delta > 0) {
        for (std::uint64_t pos = end; pos > from;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, pos - from));
            pos -= n;
            copy(pos, n);
        }
    } else {
        for (std::uint64_t pos = from; pos < end;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, end - pos));
            copy(pos, n);
            pos += n;
        }
    }
}

std::uint64_t fileSize(const std::string& path)
{
    return static_cast<std::uint64_t>(fs::file_size(path));
}

// ---- Jobs -----------------------------------------------------------------------------------

// withJournal false runs a write the old way, as --unsafe-in-place does.
void runTagJob(const std::string& path, const corvane::tags::SlotList& list, bool compact,
               bool withJournal = true)
{
    auto file = corvane::tags::File::open(path, corvane::tags::OpenMode::Update);
    file.setWritePolicy({withJournal, false, std::nullopt});
    const auto result = corvane::tags::writeId3v2(file, list, compact);
    if (!result.ok()) {
        std::fprintf(stderr, "write failed: %s\n", corvane::tags::describe(result).c_str());
        std::exit(2);
    }
}

corvane::tags::SlotList title(std::string_view text)
{
    return {corvane::tags::FieldSlot::frame("TIT2", std::string(text))};
}

std::vector<Figure> scanFigures(const fs::path& folder, const std::vector<std::string>& names)
{
    const std::vector<Column> defaults{Column::Filename, Column::Title, Column::Artist,
                                       Column::Album};
    const std::vector<Column> wide{Column::Filename,  Column::Title,    Column::Artist,
                                   Column::Album,     Column::Year,     Column::Comment,
                                   Column::Genre,     Column::Track,    Column::Composer,
                                   Column::Copyright, Column::EncodedBy};
    std::vector<std::string> paths;
    for (const auto& name : names) paths.push_back((folder / name).string());
    long sink = 0;
    auto scan = [&](bool v2, const std::vector<Column>& layout) {
        return [&, v2] {
            for (std::size_t i = 0; i < paths.size(); ++i) {
                const auto row = v2 ? corvane::tags::readListRowV2(paths[i], names[i], layout)
                                    : corvane::tags::readListRowV1(paths[i], names[i], layout);
                sink += row.presence + static_cast<long>(row.cells[1].size());
            }
        };
    };
    auto floor = [&](bool walk) {
        return [&, walk] {
            for (const auto& path : paths) sink += scanFloor(path, walk);
        };
    };
    std::vector<Figure> figures{
        measure("scan ID3v1 view, 4 columns", 1.5, scan(false, defaults), floor(false)),
        measure("scan ID3v1 view, 11 columns", 1.5, scan(false, wide), floor(false)),
        measure("scan ID3v2 view, 4 columns", 1.5, scan(true, defaults), floor(true)),
        measure("scan ID3v2 view, 11 columns", 1.5, scan(true, wide), floor(true)),
    };
    if (sink == 42) std::puts("");  // keeps the rows from being optimised away
    return figures;
}

// A title change that fits in the padding: the job alternates a short and a long title; the
// floor reads the tag (no write into the padding can know where it may write without it), takes
// the write lock every write must hold (so that a second writer cannot interleave) and writes the
// same tag bytes with one pwrite.
Figure paddingFigure(const fs::path& folder, std::size_t audioSize, const std::string& label)
{
    const auto path = (folder / ("padding-" + label + ".mp3")).string();
    const Bytes head = tag(typicalFrames(1, false, "Short"), 4096);
    const Bytes sound = audio(audioSize, 7);
    const Bytes tail = trailer("Big");
    writeWhole(path, {&head, &sound, &tail});
    // A single change takes microseconds, so a stray preemption would swamp one sample: take
    // many, job and floor in turn, and compare their medians.
    constexpr int kSamples = 2001;
    const auto shortTitle = title("Short");
    const auto longTitle = title("A considerably longer title than before");
    std::vector<double> jobTimes, floorTimes;
    Bytes tagBytes(head.size());
    for (int i = 0; i < kSamples; ++i) {
        jobTimes.push_back(
            seconds([&] { runTagJob(path, i % 2 ? shortTitle : longTitle, false); }));
        floorTimes.push_back(seconds([&] {
            const int fd = openFd(path, O_RDWR);
            struct flock lock{};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            if (::pread(fd, tagBytes.data(), tagBytes.size(), 0) != static_cast<ssize_t>(tagBytes.size()))
                std::exit(2);
            if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) std::exit(2);
            if (::pwrite(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
                std::exit(2);
            ::close(fd);
        }));
    }
    return {"title change in the padding, " + label, median(jobTimes), median(floorTimes), 2.0};
}

std::vector<Figure> moveFigures(const fs::path& folder)
{
    const auto path = (folder / "big.mp3").string();
    const Bytes head = tag(typicalFrames(2, false, "Short"), 0);
    const Bytes sound = audio(kBigAudio, 8);
    const Bytes tail = trailer("Big");
    writeWhole(path, {&head, &sound, &tail});
    const std::string longTitle(200, 'L');
    const std::uint64_t shortEnd = head.size();
    const std::int64_t delta = static_cast<std::int64_t>(longTitle.size()) - 5;

    // Growth and compaction undo each other, and so do their floors.
    std::vector<double> grow, compact, growFloor, compactFloor;
    for (int run = 0; run < kRuns; ++run) {
        grow.push_back(seconds([&] { runTagJob(path, title(longTitle), false); }));
        compact.push_back(seconds([&] { runTagJob(path, title("Short"), true); }));
        const std::uint64_t length = fileSize(path);
        growFloor.push_back(seconds([&] {
            const int fd = openFd(path, O_RDWR);
            moveBytes(fd, shortEnd, length, delta);
            ::close(fd);
        }));
        compactFloor.push_back(seconds([&] {
            const int fd = openFd(path, O_RDWR);
            moveBytes(fd, shortEnd + delta, length + delta, -delta);
            if (::ftruncate(fd, static_cast<off_t>(length)) != 0) std::exit(2);
            ::close(fd);
        }));
    }
    std::vector<Figure> figures{
        {"title change that grows the tag, 50 MB", median(grow), median(growFloor), 2.0},
        {"title change with compaction, 50 MB", median(compact), median(compactFloor), 2.0},
    };

    // Removal; the tag is put back untimed between runs with a plain move.
    const std::uint64_t tagEnd = shortEnd;
    auto putTagBack = [&] {
        const std::uint64_t length = fileSize(path);
        const int fd = openFd(path, O_RDWR);
        moveBytes(fd, 0, length, static_cast<std::int64_t>(tagEnd));
        if (::pwrite(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
            std::exit(2);
        ::close(fd);
    };
    runTagJob(path, title("Short"), true);
    figures.push_back(measure(
        "removal of the tag, 50 MB", 2.0,
        [&] {
            auto file = corvane::tags::File::open(path, corvane::tags::OpenMode::Update);
            if (!corvane::tags::removeId3v2(file).ok()) std::exit(2);
        },
        [&] {
            const std::uint64_t length = fileSize(path);
            const int fd = openFd(path, O_RDWR);
            moveBytes(fd, tagEnd, length, -static_cast<std::int64_t>(tagEnd));
            if (::ftruncate(fd, static_cast<off_t>(length - tagEnd)) != 0) std::exit(2);
            ::close(fd);
        },
        putTagBack, putTagBack));
    return figures;
}

// The cost of the journal: each write with it against the same write without it (the old way,
// --unsafe-in-place), the two taking turns so that they meet the same page cache.
struct JournalFigure {
    std::string name;
    double withJournal;
    double without;
    double goal;
};

void print(const JournalFigure& f)
{
    const double ratio = f.withJournal / f.without;
    std::printf("%-44s %10.4f ms %10.4f ms %7.2fx   goal %.1fx %s\n", f.name.c_str(),
                f.withJournal * 1e3, f.without * 1e3, ratio, f.goal, ratio <= f.goal ? "met" : "MISSED");
}

std::vector<JournalFigure> journalFigures(const fs::path& folder)
{
    const auto path = (folder / "journal.mp3").string();
    const Bytes head = tag(typicalFrames(2, false, "Short"), 0);
    const Bytes sound = audio(kBigAudio, 9);
    const Bytes tail = trailer("Big");
    writeWhole(path, {&head, &sound, &tail});
    const std::string longTitle(200, 'L');
    std::vector<double> grow[2], compact[2];
    for (int run = 0; run < kRuns; ++run) {
        for (const bool journal : {true, false}) {
            grow[journal].push_back(seconds([&] { runTagJob(path, title(longTitle), false, journal); }));
            compact[journal].push_back(seconds([&] { runTagJob(path, title("Short"), true, journal); }));
        }
    }
    // Removal, with the tag put back untimed between runs.
    std::vector<double> removal[2];
    for (int run = 0; run < kRuns; ++run) {
        for (const bool journal : {true, false}) {
            removal[journal].push_back(seconds([&] {
                auto file = corvane::tags::File::open(path, corvane::tags::OpenMode::Update);
                file.setWritePolicy({journal, false, std::nullopt});
                if (!corvane::tags::removeId3v2(file).ok()) std::exit(2);
            }));
            runTagJob(path, title("Short"), true, false);
        }
    }
    // A thousand writes that fit in the padding, one file after another.
    std::vector<std::string> padded;
    const Bytes paddedHead = tag(typicalFrames(1, false, "Short"), 4096);
    const Bytes small = audio(64 * 1024, 10);
    for (int i = 0; i < 1000; ++i) {
        padded.push_back((folder / ("padded-" + std::to_string(i) + ".mp3")).string());
        writeWhole(padded.back(), {&paddedHead, &small, &tail});
    }
    std::vector<double> batch[2];
    for (int run = 0; run < kRuns; ++run) {
        for (const bool journal : {true, false}) {
            batch[journal].push_back(seconds([&] {
                for (const auto& p : padded)
                    runTagJob(p, title(run % 2 ? "Short" : "A considerably longer title"), false, journal);
            }));
        }
    }
    return {
        {"growth, 50 MB: journal vs without", median(grow[1]), median(grow[0]), 1.3},
        {"compaction, 50 MB: journal vs without", median(compact[1]), median(compact[0]), 1.3},
        {"removal, 50 MB: journal vs without", median(removal[1]), median(removal[0]), 1.3},
        {"1,000 writes in the padding: journal vs w/o", median(batch[1]), median(batch[0]), 1.5},
    };
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::string which = argc > 2 ? argv[2] : "";
    auto wanted = [&](std::string_view group) { return which.empty() || which == group; };
    const BenchFolder folder(base / ("corvane-bench-" + std::to_string(::getpid())));
    std::vector<std::string> names;
    if (wanted("scan")) {
        std::printf("Building %d tagged files in %s ...\n", kFileCount, folder.path().c_str());
        names = makeFolder(folder.path());
        if (names.empty()) {
            std::fprintf(stderr, "cannot build the bench folder\n");
            return 2;
        }
    }
    std::printf("Median of %d runs; floor = the bare system calls of the same job.\n\n", kRuns);
    std::printf("%-44s %13s %13s %8s\n", "job", "time", "floor", "ratio");
    if (wanted("scan")) {
        for (const auto& f : scanFigures(folder.path(), names)) print(f);
    }
    if (wanted("padding")) {
        print(paddingFigure(folder.path(), 5u * 1024 * 1024, "5 MB"));
        print(paddingFigure(folder.path(), kBigAudio, "50 MB"));
    }
    if (wanted("move")) {
        for (const auto& f : moveFigures(folder.path())) print(f);
    }
    if (wanted("journal")) {
        std::printf("\n%-44s %13s %13s %8s\n", "job (journal: crash safety)", "with", "without", "ratio");
        for (const auto& f : journalFigures(folder.path())) print(f);
    }
    return 0;
}
