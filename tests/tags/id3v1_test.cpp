#include "tags/id3v1.h"

#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tests/support/temp_dir.h"
#include "tests/tags/faulty_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace corvane::tags {
namespace {

using test::Bytes;

constexpr std::size_t kTitle = 3, kArtist = 33, kAlbum = 63, kYear = 93, kComment = 97;
constexpr std::size_t kTrack = 126, kGenre = 127;

class Id3v1Test : public ::testing::Test {
protected:
    std::string put(const Bytes& bytes)
    {
        const auto path = m_dir.file("song.mp3");
        test::writeFile(path, bytes);
        return path;
    }

    TagRecord read(const std::string& path, TagRead expected = TagRead::Present)
    {
        TagRecord record;
        auto file = File::open(path, OpenMode::Read);
        EXPECT_TRUE(file.isOpen());
        EXPECT_EQ(readId3v1(file, record.slotList(), false), expected);
        return record;
    }

    void write(const std::string& path, const SlotList& list)
    {
        auto file = File::open(path, OpenMode::Update);
        ASSERT_TRUE(file.isOpen());
        const auto result = writeId3v1(file, list);
        EXPECT_TRUE(result.ok()) << describe(result);
    }

    // The last 128 bytes of the file.
    static Bytes trailerOf(const std::string& path)
    {
        const auto bytes = test::readFile(path);
        return bytes.size() < 128 ? Bytes{} : Bytes(bytes.end() - 128, bytes.end());
    }

    test::TempDir m_dir;
};

// One fixture, three suites named for what they test.
using Id3v1Read = Id3v1Test;
using Id3v1Write = Id3v1Test;
using Id3v1Remove = Id3v1Test;

std::string text(const TagRecord& r, RecordSlot s)
{
    return r[s].text();
}

std::string v1(const TagRecord& r, int slot)
{
    return r.slotList()[static_cast<std::size_t>(slot)].text();
}

FieldSlot entry(V1FieldNo no, std::string value)
{
    return FieldSlot::v1(no, std::move(value));
}

// ---- reading -------------------------------------------------------------------------------

TEST_F(Id3v1Read, FillsEveryFieldAtFullWidth)
{
    const std::string title30(30, 'T'), artist30(30, 'A'), album30(30, 'L'), comment30(30, 'C');
    const auto path = put(test::mp3({}, test::mpegAudio(500),
                                    test::trailer(title30, artist30, album30, "1999", comment30,
                                                  7, 17)));
    const auto r = read(path);
    EXPECT_EQ(v1(r, 1), title30);
    EXPECT_EQ(v1(r, 2), artist30);
    EXPECT_EQ(v1(r, 3), album30);
    EXPECT_EQ(v1(r, 4), "1999");
    EXPECT_EQ(v1(r, 5), comment30.substr(0, 28)) << "a track leaves the comment 28 bytes";
    EXPECT_EQ(v1(r, 0), "7");
    EXPECT_EQ(text(r, RecordSlot::V1GenreByte), std::string(1, '\x11'));
    EXPECT_EQ(v1(read(put(test::trailer("t", {}, {}, {}, comment30))), 5), comment30);
}

TEST_F(Id3v1Read, WithoutTrailerEmptiesTextSlotsAndKeepsGenre)
{
    for (const auto size : {std::size_t{0}, std::size_t{3}, std::size_t{127}, std::size_t{4000}}) {
        auto bytes = test::mpegAudio(size);
        if (size == 3)
            bytes = test::bytesOf("TAG");  // the magic alone is no trailer
        const auto path = put(bytes);
        TagRecord record;
        for (int i = 0; i < 6; ++i)
            record.slotList()[static_cast<std::size_t>(i)].value = "stale";
        record[RecordSlot::V1GenreByte].value = std::string(1, '\x05');
        auto file = File::open(path, OpenMode::Read);
        EXPECT_EQ(readId3v1(file, record.slotList(), false), TagRead::Absent) << size;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(v1(record, i), "") << size;
        EXPECT_EQ(text(record, RecordSlot::V1GenreByte), std::string(1, '\x05'));
    }
}

TEST_F(Id3v1Read, NonZeroByte125MeansAThirtyCharacterCommentAndNoTrack)
{
    // Another tool wrote a 30-character comment: its last character is no track number.
    auto t = test::trailer("Song");
    std::memcpy(&t[kComment], "abcdefghijklmnopqrstuvwxyz0123", 30);
    const auto r = read(put(test::mp3({}, test::mpegAudio(100), t)));
    EXPECT_EQ(v1(r, 5), "abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(v1(r, 0), "");
}

TEST_F(Id3v1Read, TrackByteAsUnsignedOrEmptyForZero)
{
    EXPECT_EQ(v1(read(put(test::trailer("x", {}, {}, {}, {}, 200))), 0), "200");
    EXPECT_EQ(v1(read(put(test::trailer("x", {}, {}, {}, {}, 255))), 0), "255");
    EXPECT_EQ(v1(read(put(test::trailer("x", {}, {}, {}, {}, 0))), 0), "");
}

TEST_F(Id3v1Read, DecodesLatin1AndStopsAtZeroByte)
{
    auto t = test::trailer("Caf\xE9 M\xFCller", "AB");
    std::memcpy(&t[kArtist + 3], "CD", 2);  // after the zero that ends "AB"
    const auto r = read(put(t));
    EXPECT_EQ(v1(r, 1), "Caf\xC3\xA9 M\xC3\xBCller");
    EXPECT_EQ(v1(r, 2), "AB");
}

TEST_F(Id3v1Read, IntoShortListPutsGenreInSlot6)
{
    const auto path = put(test::trailer("Title", {}, {}, {}, {}, 3, 13));
    SlotList list(7);
    auto file = File::open(path, OpenMode::Read);
    EXPECT_EQ(readId3v1(file, list, true), TagRead::Present);
    EXPECT_EQ(list[1].text(), "Title");
    EXPECT_EQ(list[0].text(), "3");
    EXPECT_EQ(list[6].text(), std::string(1, '\x0D'));
}

TEST_F(Id3v1Read, FailureIsReportedNotTakenForNoTrailer)
{
    const auto path = put(test::trailer("Title"));
    File real = File::open(path, OpenMode::Read);
    FaultyFile file(real);
    file.failReads = true;
    TagRecord record;
    EXPECT_EQ(readId3v1(file, record.slotList(), false), TagRead::Failed);
    EXPECT_FALSE(hasId3v1(file));
}

// ---- writing -------------------------------------------------------------------------------

TEST_F(Id3v1Write, AppendsTrailerToFileWithoutOne)
{
    const auto audio = test::mpegAudio(5000);
    const auto path = put(audio);
    write(path, {entry(V1FieldNo::Title, "Abc")});

    const auto bytes = test::readFile(path);
    ASSERT_EQ(bytes.size(), audio.size() + 128);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), bytes.begin()));
    const auto t = trailerOf(path);
    EXPECT_EQ(std::string(t.begin(), t.begin() + 6), std::string("TAGAbc", 6));
    // Everything else is zero, except the genre: a new trailer names no genre.
    EXPECT_TRUE(std::all_of(t.begin() + 6, t.begin() + kGenre, [](auto b) { return b == 0; }));
    EXPECT_EQ(t[kGenre], 255);

    const auto r = read(path);
    EXPECT_EQ(v1(r, 1), "Abc");
    EXPECT_EQ(v1(r, 0), "");
}

TEST_F(Id3v1Write, AppendsTrailerToFileShorterThan128Bytes)
{
    const Bytes tiny = test::bytesOf("TAG-but-too-short");
    const auto path = put(tiny);
    write(path, {entry(V1FieldNo::Artist, "Band"), entry(V1FieldNo::Genre, "Rock")});
    const auto bytes = test::readFile(path);
    ASSERT_EQ(bytes.size(), tiny.size() + 128);
    EXPECT_TRUE(std::equal(tiny.begin(), tiny.end(), bytes.begin()));
    const auto r = read(path);
    EXPECT_EQ(v1(r, 2), "Band");
    EXPECT_EQ(text(r, RecordSlot::V1GenreByte), std::string(1, '\x11'));
}

TEST_F(Id3v1Write, OfYearAloneChangesOnlyItsFourBytes)
{
    const auto before = test::mp3(test::tag({test::textFrame("TIT2", "v2")}), test::mpegAudio(3000),
                                  test::trailer("Title", "Artist", "Album", "1980", "Note", 9, 4));
    const auto path = put(before);
    write(path, {entry(V1FieldNo::Year, "2024")});
    const auto after = test::readFile(path);
    ASSERT_EQ(after.size(), before.size());
    const std::size_t yearAt = before.size() - 128 + kYear;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i < yearAt || i >= yearAt + 4) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(std::string(after.begin() + static_cast<long>(yearAt),
                          after.begin() + static_cast<long>(yearAt) + 4),
              "2024");
}

TEST_F(Id3v1Write, CutsTextsToTheirWidthsAndZeroFills)
{
    const auto path = put(test::mp3({}, test::mpegAudio(100),
                                    test::trailer(std::string(30, 'x'), std::string(30, 'y'),
                                                  std::string(30, 'z'), "1999",
                                                  std::string(28, 'c'), 42, 8)));
    const std::string title35 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456";
    write(path, {entry(V1FieldNo::Title, title35), entry(V1FieldNo::Artist, "Abc"),
                 entry(V1FieldNo::Album, ""), entry(V1FieldNo::Year, "123456"),
                 entry(V1FieldNo::Comment, std::string(40, 'm'))});
    const auto t = trailerOf(path);
    EXPECT_EQ(std::string(t.begin() + kTitle, t.begin() + kTitle + 30), title35.substr(0, 30));
    EXPECT_EQ(std::string(t.begin() + kArtist, t.begin() + kArtist + 3), "Abc");
    EXPECT_TRUE(std::all_of(t.begin() + kArtist + 3, t.begin() + kAlbum + 30,
                            [](auto b) { return b == 0; }))
        << "artist padding and the cleared album are zero";
    EXPECT_EQ(std::string(t.begin() + kYear, t.begin() + kYear + 4), "1234");
    EXPECT_EQ(std::string(t.begin() + kComment, t.begin() + kComment + 28), std::string(28, 'm'));
    EXPECT_EQ(t[125], 0);
    EXPECT_EQ(t[kTrack], 42) << "a long comment must not spill into the track";
    write(path, {entry(V1FieldNo::Track, ""), entry(V1FieldNo::Comment, std::string(40, 'n'))});
    const auto cleared = trailerOf(path);
    EXPECT_EQ(std::string(cleared.begin() + kComment, cleared.begin() + kGenre), std::string(30, 'n'))
        << "without a track the comment takes 30 bytes";
    EXPECT_EQ(t[kGenre], 8);
}

TEST_F(Id3v1Write, ShortCommentLeavesByte125Zero)
{
    const auto path = put(test::trailer("t", {}, {}, {}, std::string(29, 'c'), 5));
    write(path, {entry(V1FieldNo::Comment, "short")});
    const auto r = read(path);
    EXPECT_EQ(v1(r, 5), "short");
    EXPECT_EQ(trailerOf(path)[125], 0);
    EXPECT_EQ(v1(r, 0), "5");
}

TEST_F(Id3v1Write, TrackByLeadingDigits)
{
    const std::pair<const char*, int> cases[] = {
        {"7", 7},    {"200", 200}, {"255", 255}, {"256", 255}, {"300", 255}, {"0", 0},
        {"", 0},     {" 12", 12},
        {"+4", 4},   {"5/12", 5},  {"abc", 0},   {"-1", 255},  {"-256", 0},
        {"99999999999999999999", 255},
    };
    const auto path = put(test::trailer("t", {}, {}, {}, {}, 9));
    for (const auto& [input, expected] : cases) {
        write(path, {entry(V1FieldNo::Track, input)});
        EXPECT_EQ(trailerOf(path)[kTrack], expected) << '"' << input << '"';
    }
    write(path, {entry(V1FieldNo::Track, "0")});
    EXPECT_EQ(v1(read(path), 0), "") << "track 0 reads back as no track";
}

TEST_F(Id3v1Write, GenreByNameWithoutRegardToCase)
{
    const auto path = put(test::trailer("t", {}, {}, {}, {}, 0, 4));
    const auto genreAfter = [&](std::optional<std::string> value) {
        write(path, {FieldSlot::v1(V1FieldNo::Genre, std::move(value))});
        return trailerOf(path)[kGenre];
    };
    EXPECT_EQ(genreAfter("pop"), 13);
    EXPECT_EQ(genreAfter("HIP-HOP"), 7);
    EXPECT_EQ(genreAfter("Dance Hall"), 125);
    EXPECT_EQ(genreAfter("Chillwave"), 255);
    EXPECT_EQ(genreAfter("blues"), 0);
    EXPECT_EQ(genreAfter(std::nullopt), 255);

    write(path, {entry(V1FieldNo::Genre, "Jazz")});
    write(path, {entry(V1FieldNo::Title, "No genre entry")});
    EXPECT_EQ(trailerOf(path)[kGenre], 8) << "a list without a genre keeps the byte";
}

TEST_F(Id3v1Write, StoresLatin1AndCountsTheWidthInItsBytes)
{
    const auto path = put(test::mpegAudio(64));
    // 31 "é": 62 bytes of UTF-8 but 31 on disk, so exactly the last one is cut.
    std::string thirtyE;
    for (int i = 0; i < 30; ++i)
        thirtyE += "\xC3\xA9";
    // "Café", then "Ωmega 日本" whose three non-Latin-1 characters become one "?" each.
    write(path, {entry(V1FieldNo::Title, "Caf\xC3\xA9"),
                 entry(V1FieldNo::Artist, "\xCE\xA9mega \xE6\x97\xA5\xE6\x9C\xAC"),
                 entry(V1FieldNo::Album, thirtyE + "\xC3\xA9")});
    const auto t = trailerOf(path);
    EXPECT_EQ(std::string(t.begin() + kTitle, t.begin() + kTitle + 5), std::string("Caf\xE9\0", 5));
    EXPECT_EQ(std::string(t.begin() + kArtist, t.begin() + kArtist + 9),
              std::string("?mega ??\0", 9));
    const auto r = read(path);
    EXPECT_EQ(v1(r, 1), "Caf\xC3\xA9");
    EXPECT_EQ(v1(r, 3), thirtyE);
}

TEST_F(Id3v1Write, TakesFirstEntryOfEachField)
{
    const auto path = put(test::mpegAudio(64));
    write(path, {entry(V1FieldNo::Album, "First"), entry(V1FieldNo::Album, "Second"),
                 FieldSlot::frame("TALB", "A frame entry is no ID3v1 field")});
    EXPECT_EQ(v1(read(path), 3), "First");
}

TEST_F(Id3v1Write, FailedAppendLeavesFileAsItWas)
{
    const auto before = test::mpegAudio(3000);
    const auto path = put(before);
    {
        File real = File::open(path, OpenMode::Update);
        FaultyFile file(real);
        file.failingWrite = 1;
        const auto result = writeId3v1(file, {entry(V1FieldNo::Title, "x")});
        EXPECT_EQ(result.status, WriteStatus::IoError);
        EXPECT_EQ(describe(result), "No space left on device");
    }
    EXPECT_EQ(test::readFile(path), before);
}

TEST_F(Id3v1Write, FailureOfWriteOrRemoveIsReported)
{
    const auto path = put(test::trailer("Title"));
    File real = File::open(path, OpenMode::Update);
    FaultyFile file(real);
    file.failWrites = true;
    EXPECT_EQ(writeId3v1(file, {entry(V1FieldNo::Title, "x")}).status, WriteStatus::IoError);
    EXPECT_EQ(removeId3v1(file).status, WriteStatus::IoError);
    file.failWrites = false;
    file.failReads = true;
    EXPECT_EQ(writeId3v1(file, {entry(V1FieldNo::Title, "x")}).status, WriteStatus::IoError);
    EXPECT_EQ(test::readFile(path), test::trailer("Title"));
}

// ---- removing ------------------------------------------------------------------------------

TEST_F(Id3v1Remove, CutsTheTrailerOnly)
{
    const auto audio = test::mp3(test::tag({test::textFrame("TIT2", "x")}), test::mpegAudio(2000));
    const auto path = put(test::mp3(audio, {}, test::trailer("Gone")));
    {
        auto file = File::open(path, OpenMode::Update);
        EXPECT_TRUE(hasId3v1(file));
        EXPECT_TRUE(removeId3v1(file).ok());
        EXPECT_FALSE(hasId3v1(file));
        EXPECT_TRUE(removeId3v1(file).ok()) << "a file without a trailer is left as it is";
    }
    EXPECT_EQ(test::readFile(path), audio);
}

// ---- the peer reader -----------------------------------------------------------------------

TEST_F(Id3v1Write, PeerReadsTheWrittenTrailerWithSameValues)
{
    const auto path = put(test::mpegAudio(4000));
    write(path, {entry(V1FieldNo::Title, "Caf\xC3\xA9 del Mar"), entry(V1FieldNo::Artist, "Artist"),
                 entry(V1FieldNo::Album, std::string(30, 'L')), entry(V1FieldNo::Year, "2001"),
                 entry(V1FieldNo::Comment, "Some comment"), entry(V1FieldNo::Track, "12"),
                 entry(V1FieldNo::Genre, "pop")});
    static constexpr std::string_view kScript = R"PY(
import sys
from mutagen.id3 import ParseID3v1
with open(sys.argv[1], 'rb') as f:
    data = f.read()[-128:]
frames = ParseID3v1(data, v2_version=3)
for key in ('TIT2', 'TPE1', 'TALB', 'TYER', 'COMM', 'TRCK'):
    sys.stdout.write(key + '=' + str(frames[key].text[0]) + '\n')
sys.stdout.write('TCON=' + frames['TCON'].genres[0] + '\n')
)PY";
    const auto run = test::runPython(kScript, {path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "TIT2=Caf\xC3\xA9 del Mar\n"
                       "TPE1=Artist\n"
                       "TALB=" + std::string(30, 'L') + "\n"
                       "TYER=2001\n"
                       "COMM=Some comment\n"
                       "TRCK=12\n"
                       "TCON=Pop\n");
}

}  // namespace
}  // namespace corvane::tags
