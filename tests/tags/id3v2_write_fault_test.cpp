// Writes that fail part-way, damaged tags and tags of other versions: the file must come out
// exactly as it went in, and the failure must be reported.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <functional>
#include <string>

#include "tags/id3v2_write.h"
#include "tags/tag_write.h"
#include "tests/support/id3_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::frame;
using test::mp3;
using test::mpegAudio;
using test::readFile;
using test::tag;
using test::textFrame;
using test::trailer;

SlotList entries(std::initializer_list<std::pair<std::string_view, std::string>> items)
{
    SlotList list;
    for (const auto& [id, value] : items) list.push_back(FieldSlot::frame(id, value));
    return list;
}

using Job = std::function<WriteResult(FileIo&)>;

Job writing(SlotList list, bool compact)
{
    return
        [list = std::move(list), compact](FileIo& file) { return writeId3v2(file, list, compact); };
}

Job removing()
{
    return [](FileIo& file) { return removeId3v2(file); };
}

// Both tags in one change: the ID3v2 tag grows and a trailer is appended.
Job writingBoth()
{
    return [](FileIo& file) {
        TagChanges changes;
        changes.id3v2 = V2Change::Merge;
        changes.id3v2Entries = entries({{"TALB", std::string(2000, 'b')}});
        changes.id3v1 = V1Change::Write;
        changes.id3v1Entries.push_back(FieldSlot::v1(V1FieldNo::Album, "Album"));
        return writeTags(file, changes);
    };
}

struct FaultCase {
    const char* name;
    Bytes before;
    Job job;
};

std::vector<FaultCase> faultCases()
{
    const Bytes audio = mpegAudio(3 * CopyChunkSize + 123);
    const Bytes v1 = trailer("Trailer");
    const Bytes tagged =
        mp3(tag({textFrame("TIT2", "Old"), textFrame("TPE1", "A")}, 300), audio, v1);
    return {
        {"growth", tagged, writing(entries({{"TALB", std::string(2000, 'b')}}), false)},
        {"padding", tagged, writing(entries({{"TIT2", "Longer title"}}), false)},
        {"compaction", tagged, writing(entries({{"TIT2", "New"}}), true)},
        {"new tag", mp3({}, audio, v1), writing(entries({{"TIT2", "Created"}}), false)},
        {"removal", tagged, removing()},
        {"both tags", mp3(tag({textFrame("TIT2", "Old")}, 300), audio), writingBoth()},
    };
}

TEST(Id3v2WriteFaults, FailedReserveLeavesTheFileAsItWas)
{
    test::TempDir dir;
    const auto path = dir.file("full.mp3");
    for (const auto& c : faultCases()) {
        test::writeFile(path, c.before);
        File real = File::open(path, OpenMode::Update);
        FaultyFile file(real);
        file.failReserve = true;
        const auto result = c.job(file);
        real.close();
        const std::string name = c.name;
        if (name == "growth" || name == "new tag" || name == "both tags") {
            EXPECT_EQ(result.status, WriteStatus::IoError) << c.name;
            EXPECT_EQ(describe(result), errorString(ENOSPC)) << c.name;
            EXPECT_EQ(file.writes, 0) << c.name;
            EXPECT_EQ(readFile(path), c.before) << c.name;
        } else {
            EXPECT_TRUE(result.ok()) << c.name << " needs no more room";
        }
    }
}

TEST(Id3v2WriteFaults, WriteFailingAtAnyPointLeavesTheFileAsItWas)
{
    test::TempDir dir;
    const auto path = dir.file("flaky.mp3");
    for (const auto& c : faultCases()) {
        int failures = 0;
        for (int n = 1;; ++n) {
            test::writeFile(path, c.before);
            File real = File::open(path, OpenMode::Update);
            FaultyFile file(real);
            file.failingWrite = n;
            const auto result = c.job(file);
            real.close();
            if (file.writes < n) {  // the job finished before its nth write
                EXPECT_TRUE(result.ok()) << c.name;
                break;
            }
            ++failures;
            EXPECT_EQ(result.status, WriteStatus::IoError) << c.name << ", write " << n;
            ASSERT_EQ(readFile(path), c.before) << c.name << ", write " << n;
        }
        EXPECT_GT(failures, 0) << c.name;
    }
}

// Tags whose sizes cannot be trusted are refused whole rather than half rewritten.
TEST(Id3v2WriteFaults, DamagedTagsAreRefusedAndLeftUnchanged)
{
    const Bytes audio = mpegAudio(4000);
    Bytes hugeFrame = frame("TIT2", {0, 'a', 'b'});
    std::fill(hugeFrame.begin() + 4, hugeFrame.begin() + 8, 0xFF);
    Bytes sizePastEnd = mp3(tag({textFrame("TIT2", "x")}, 100), audio);
    sizePastEnd[6] = 0x7F;
    const Bytes cutHeader{'T', 'P', 'E', '1', 0, 0};
    const Bytes bodyPastTagEnd{'T', 'P', 'E', '1', 0, 0, 0, 200, 0, 0, 0, 'a'};
    const Bytes extendedPastTagEnd{0, 0, 1, 0, 0, 0};
    // 2.3 extended headers are 6 or 10 bytes long; a size of 0 or 2 leaves no frame start known.
    const Bytes extendedSize0{0, 0, 0, 0};
    const Bytes extendedSize2{0, 0, 0, 2, 0, 0};
    // A frame whose identifier is zero bytes, with real frames after it: other readers stop
    // there, some go on, and the frames after it must not be overwritten as padding.
    const Bytes zeroId = frame(std::string_view("\0\0\0\0", 4), {1, 2, 3});
    const std::vector<std::pair<const char*, Bytes>> damaged{
        {"extended header of size 0",
         mp3(tag({extendedSize0, textFrame("TIT2", "x")}, 20, 3, 0x40), audio)},
        {"extended header of size 2",
         mp3(tag({extendedSize2, textFrame("TIT2", "x")}, 20, 3, 0x40), audio)},
        {"frames after a zero identifier",
         mp3(tag({textFrame("TIT2", "x"), zeroId, frame("PRIV", test::bytesOf("o\0d")),
                  textFrame("TPE1", "Artist")}, 30),
             audio)},
        {"tag size past the end of the file", sizePastEnd},
        {"frame size 0xFFFFFFFF", mp3(tag({hugeFrame}, 50), audio)},
        {"frame header cut by the tag end", mp3(tag({textFrame("TIT2", "x"), cutHeader}), audio)},
        {"frame body past the tag end", mp3(tag({bodyPastTagEnd}), audio)},
        {"extended header past the tag end", mp3(tag({extendedPastTagEnd}, 0, 3, 0x40), audio)},
    };
    test::TempDir dir;
    const auto path = dir.file("damaged.mp3");
    for (const auto& [name, bytes] : damaged) {
        for (const bool compact : {false, true}) {
            test::writeFile(path, bytes);
            File file = File::open(path, OpenMode::Update);
            const auto result = writeId3v2(file, entries({{"TIT2", "New"}}), compact);
            EXPECT_EQ(result.status, WriteStatus::Malformed) << name;
            EXPECT_EQ(readFile(path), bytes) << name;
        }
    }
    test::writeFile(path, sizePastEnd);
    File file = File::open(path, OpenMode::Update);
    EXPECT_EQ(removeId3v2(file).status, WriteStatus::Malformed);
    EXPECT_EQ(readFile(path), sizePastEnd);
}

TEST(Id3v2WriteFaults, TagsOfOtherVersionsAreNotRewritten)
{
    const Bytes audio = mpegAudio(4000);
    const std::vector<std::pair<Bytes, WriteStatus>> others{
        {mp3(tag({test::frameV22("TT2", {0, 'O', 'l', 'd'})}, 40, 2), audio), WriteStatus::OldVersion},
        {mp3(tag({textFrame("TIT2", "Old")}, 40, 5), audio), WriteStatus::Unsupported},
        {mp3(tag({textFrame("TIT2", "Old")}, 40, 1), audio), WriteStatus::Unsupported},
    };
    test::TempDir dir;
    const auto path = dir.file("other.mp3");
    for (const auto& [bytes, status] : others) {
        test::writeFile(path, bytes);
        File file = File::open(path, OpenMode::Update);
        EXPECT_EQ(writeId3v2(file, entries({{"TIT2", "New"}}), false).status, status);
        EXPECT_EQ(readFile(path), bytes);
    }
}

// A real file system that runs out of room: a small tmpfs, where mounting is allowed.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::string& where) : m_where(where)
    {
        m_mounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted) ::umount2(m_where.c_str(), MNT_DETACH);
    }
    [[nodiscard]] bool isMounted() const { return m_mounted; }

private:
    std::string m_where;
    bool m_mounted = false;
};

TEST(Id3v2WriteFaults, FullDiskLeavesTheFileAsItWas)
{
    test::TempDir dir;
    const SmallFileSystem fs(dir.folder());
    if (!fs.isMounted()) GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
    const auto path = dir.file("full.mp3");
    const Bytes before =
        mp3(tag({textFrame("TIT2", "Old")}, 200), mpegAudio(40000), trailer("Stays"));
    test::writeFile(path, before);
    ASSERT_EQ(readFile(path), before);

    File file = File::open(path, OpenMode::Update);
    // The journal that would hold the new tag finds no room first.
    const auto grow = writeId3v2(file, entries({{"APIC", std::string(60000, 'p')}}), false);
    EXPECT_EQ(grow.status, WriteStatus::Refused);
    EXPECT_EQ(describe(grow), "the journal beside the file cannot be written: " + errorString(ENOSPC));
    EXPECT_EQ(readFile(path), before);
    // Without a journal the room for the move itself is what runs out.
    file.setWritePolicy({false, false, std::nullopt});
    const auto unsafe = writeId3v2(file, entries({{"APIC", std::string(60000, 'p')}}), false);
    EXPECT_EQ(unsafe.status, WriteStatus::IoError);
    EXPECT_EQ(describe(unsafe), errorString(ENOSPC));
    EXPECT_EQ(readFile(path), before);

    // A change that fits in the padding needs no room and still succeeds.
    EXPECT_TRUE(writeId3v2(file, entries({{"TIT2", "New"}}), false).ok());
    EXPECT_EQ(readFile(path),
              mp3(tag({textFrame("TIT2", "New")}, 200), mpegAudio(40000), trailer("Stays")));
}

}  // namespace
}  // namespace corvane::tags
