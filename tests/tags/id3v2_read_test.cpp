#include "tags/id3v2_read.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::bytesOf;

class Id3v2Read : public ::testing::Test {
protected:
    // Writes bytes as a file, reads it into record, and returns the result.
    Id3v2ReadResult read(const Bytes& bytes, std::size_t* largestRead = nullptr)
    {
        const auto path = m_dir.file("t.mp3");
        test::writeFile(path, bytes);
        File file = File::open(path, OpenMode::Read);
        EXPECT_TRUE(file.isOpen());
        FaultyFile io(file);
        const auto result = readId3v2(io, m_record.slotList());
        if (largestRead) *largestRead = io.largestRead();
        return result;
    }
    std::string value(RecordSlot s) const { return m_record[s].text(); }

    test::TempDir m_dir;
    TagRecord m_record;
    Bytes m_audio = test::mpegAudio(3000);
};

TEST_F(Id3v2Read, FrameKindsGiveTheirValues)
{
    const Bytes tagBytes = test::tag(
        {test::textFrame("TIT2", "Hello"),
         test::frame("COMM", concat({{0}, bytesOf("eng"), bytesOf("ab"), {0}, bytesOf("Nice")})),
         test::frame("WXXX", concat({{0}, {0}, bytesOf("http://a.example/")})),
         test::frame("PCNT", {0x00, 0x00, 0x01, 0x00}), test::textFrame("TCON", "(17)Rock"),
         test::frame("APIC", Bytes(5000, 0x55))},
        100);
    const auto result = read(test::mp3(tagBytes, m_audio));
    ASSERT_EQ(result.status, TagRead::Present);
    EXPECT_EQ(result.header.major, 3);
    EXPECT_EQ(result.header.tagSize, tagBytes.size() - 10);
    EXPECT_EQ(value(RecordSlot::Title), "Hello");
    EXPECT_EQ(value(RecordSlot::Comment), "Nice");
    EXPECT_EQ(value(RecordSlot::Url), "http://a.example/");
    EXPECT_EQ(value(RecordSlot::PlayCounter), "256");
    EXPECT_EQ(value(RecordSlot::Genre), "(17)Rock");
    EXPECT_FALSE(m_record[RecordSlot::Artist].hasValue());
    for (int s = 0; s < 6; ++s)
        EXPECT_EQ(m_record.slotList()[static_cast<std::size_t>(s)].text(), "") << "slot " << s;
}

TEST_F(Id3v2Read, DescriptionsAndCountersOfEveryLength)
{
    SlotList list{FieldSlot::frame("WXXX"), FieldSlot::frame("PCNT"), FieldSlot::frame("COMM")};
    const Bytes tagBytes = test::tag(
        {test::frame("WXXX", concat({{0}, bytesOf("home page"), {0}, bytesOf("http://b/")})),
         test::frame("PCNT", {0, 0, 0, 0, 0, 0, 0, 0x2A}),
         // Description without its terminator: there is no comment text.
         test::frame("COMM", concat({{0}, bytesOf("eng"), bytesOf("only a description")}))});
    const auto path = m_dir.file("d.mp3");
    test::writeFile(path, test::mp3(tagBytes, m_audio));
    File file = File::open(path, OpenMode::Read);
    ASSERT_EQ(readId3v2(file, list).status, TagRead::Present);
    EXPECT_EQ(list[0].text(), "http://b/");
    EXPECT_EQ(list[1].text(), "42");
    EXPECT_TRUE(list[2].hasValue());
    EXPECT_EQ(list[2].text(), "");

    // A counter longer than 8 bytes counts by its last 8 instead of overflowing.
    SlotList counter{FieldSlot::frame("PCNT")};
    test::writeFile(
        path,
        test::mp3(test::tag({test::frame("PCNT", {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x01, 0x00})}),
                  m_audio));
    File again = File::open(path, OpenMode::Read);
    ASSERT_EQ(readId3v2(again, counter).status, TagRead::Present);
    EXPECT_EQ(counter[0].text(), "256");
}

TEST_F(Id3v2Read, PaddingExtendedHeaderAndRepeatedFrames)
{
    const auto padded = read(test::mp3(test::tag({}, 500), m_audio));
    ASSERT_EQ(padded.status, TagRead::Present);
    EXPECT_EQ(padded.header.tagSize, 500u);
    for (int s = static_cast<int>(RecordSlot::Track);
         s <= static_cast<int>(RecordSlot::PlayCounter); ++s)
        EXPECT_FALSE(m_record.slotList()[static_cast<std::size_t>(s)].hasValue()) << s;
    EXPECT_FALSE(m_record[RecordSlot::Genre].hasValue());

    // Extended header of 6 bytes (its size does not count itself), then the frames.
    Bytes extended = concat({{0, 0, 0, 6}, Bytes(6, 0x7E)});
    Bytes body = concat({extended, test::textFrame("TIT2", "First"), test::textFrame("TPE1", "A"),
                         test::textFrame("TIT2", "Second")});
    Bytes withExtended = test::tag({body}, 20, 3, 0x40);
    const auto result = read(test::mp3(withExtended, m_audio));
    ASSERT_EQ(result.status, TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Title), "First") << "the field is the first frame of its kind";
    EXPECT_EQ(value(RecordSlot::Artist), "A");
}

TEST_F(Id3v2Read, OnlyAddsValues)
{
    m_record[RecordSlot::Album].value = "kept";
    ASSERT_EQ(read(test::mp3(test::tag({test::textFrame("TIT2", "T")}), m_audio)).status,
              TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Album), "kept");
}

TEST_F(Id3v2Read, VersionsOutsideTwoToFourAreNotRead)
{
    for (const std::uint8_t major : {std::uint8_t{5}, std::uint8_t{1}, std::uint8_t{0}}) {
        m_record.clear();
        const auto result =
            read(test::mp3(test::tag({test::textFrame("TIT2", "x")}, 0, major), m_audio));
        EXPECT_EQ(result.status, TagRead::Unsupported) << int(major);
        EXPECT_EQ(result.header.major, major);
        EXPECT_FALSE(m_record[RecordSlot::Title].hasValue()) << int(major);
    }
    EXPECT_EQ(read(m_audio).status, TagRead::Absent);
    EXPECT_EQ(read(bytesOf("ID")).status, TagRead::Absent);
    test::writeFile(m_dir.file("t.mp3"), test::mp3(test::tag({}), m_audio));
    File file = File::open(m_dir.file("t.mp3"), OpenMode::Read);
    FaultyFile failing(file);
    failing.failReads = true;
    EXPECT_EQ(readId3v2(failing, m_record.slotList()).status, TagRead::Failed);
}

TEST_F(Id3v2Read, Version22FramesMapToTheirLaterNames)
{
    const Bytes tagBytes = test::tag(
        {test::frameV22("TT2", concat({{0}, bytesOf("Old Title")})),
         test::frameV22("PIC", Bytes(300, 1)),  // not shown: skipped by its 24-bit size
         test::frameV22("TP1", concat({{0}, bytesOf("Old Artist")})),
         test::frameV22("COM", concat({{0}, bytesOf("eng"), {0}, bytesOf("Old comment")})),
         test::frameV22("CNT", {0, 0, 7})},
        30, 2);
    ASSERT_EQ(read(test::mp3(tagBytes, m_audio)).status, TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Title), "Old Title");
    EXPECT_EQ(value(RecordSlot::Artist), "Old Artist");
    EXPECT_EQ(value(RecordSlot::Comment), "Old comment");
    EXPECT_EQ(value(RecordSlot::PlayCounter), "7");
}

TEST_F(Id3v2Read, DecodesEveryTextEncoding)
{
    // "Grüße 日本" in each encoding.
    const Bytes utf16le{0xFF, 0xFE, 'G', 0,   'r', 0,    0xFC, 0,    0xDF,
                        0,    'e',  0,   ' ', 0,   0xE5, 0x65, 0x2C, 0x67};
    const Bytes utf16be{0xFE, 0xFF, 0,   'G', 0,   'r',  0,    0xFC, 0,
                        0xDF, 0,    'e', 0,   ' ', 0x65, 0xE5, 0x67, 0x2C};
    const Bytes bareBe{0, 'G', 0, 'r', 0, 0xFC, 0, 0xDF, 0, 'e', 0, ' ', 0x65, 0xE5, 0x67, 0x2C};
    const std::string expected = "Gr\u00FC\u00DFe \u65E5\u672C";
    const Bytes tagBytes = test::tag(
        {test::frame("TIT2", concat({{1}, utf16le, {0, 0}})),
         test::frame("TPE1", concat({{1}, utf16be})), test::frame("TALB", concat({{2}, bareBe})),
         test::frame("TCOM", concat({{3}, bytesOf(expected)})),
         test::frame("TYER", concat({{0}, {'1', '9', 0xE9}})),
         // UTF-16 description "d" ends with two zero bytes on an even offset; the comment text
         // has its own byte-order mark.
         test::frame("COMM", concat({{1}, bytesOf("eng"), {0xFF, 0xFE, 'd', 0, 0, 0}, utf16le})),
         test::frame("WXXX", concat({{1}, {0xFF, 0xFE, 0x00, 0x01, 0, 0}, bytesOf("http://c/")}))});
    ASSERT_EQ(read(test::mp3(tagBytes, m_audio)).status, TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Title), expected);
    EXPECT_EQ(value(RecordSlot::Artist), expected);
    EXPECT_EQ(value(RecordSlot::Album), expected);
    EXPECT_EQ(value(RecordSlot::Composer), expected);
    EXPECT_EQ(value(RecordSlot::Year), "19\u00E9");
    EXPECT_EQ(value(RecordSlot::Comment), expected);
    EXPECT_EQ(value(RecordSlot::Url), "http://c/");
}

TEST_F(Id3v2Read, AbsurdSizesEndTheWalkWithoutLargeReads)
{
    // A frame size of 0xFFFFFFFF: the frames before it count, it and everything after do not.
    Bytes huge = concat({bytesOf("TPE1"), {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, {0}, bytesOf("Nope")});
    Bytes file = test::mp3(
        test::tag({test::textFrame("TIT2", "Before"), huge, test::textFrame("TALB", "After")}),
        m_audio);
    std::size_t largest = 0;
    ASSERT_EQ(read(file, &largest).status, TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Title), "Before");
    EXPECT_FALSE(m_record[RecordSlot::Artist].hasValue());
    EXPECT_FALSE(m_record[RecordSlot::Album].hasValue());
    EXPECT_LE(largest, file.size());

    // A tag size of nearly 256 MB in a small file: the frames that are there are read, the one
    // cut off by the end of the file is not taken.
    m_record.clear();
    Bytes cut = concat({bytesOf("ID3"),
                        {3, 0, 0},
                        test::syncsafe(0x0FFFFFFF),
                        test::textFrame("TIT2", "In file"),
                        test::textFrame("TPE1", "Cut off")});
    cut.resize(cut.size() - 3);
    ASSERT_EQ(read(cut, &largest).status, TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Title), "In file");
    EXPECT_FALSE(m_record[RecordSlot::Artist].hasValue());
    EXPECT_LE(largest, cut.size());

    // A frame header cut short by the end of the file.
    m_record.clear();
    Bytes shortHeader = concat({test::tag({test::textFrame("TIT2", "Whole")}, 0), {'T', 'A'}});
    shortHeader[9] = static_cast<std::uint8_t>(shortHeader[9] + 2);
    ASSERT_EQ(read(shortHeader).status, TagRead::Present);
    EXPECT_EQ(value(RecordSlot::Title), "Whole");
}

// Frames stored compressed, grouped, unsynchronised, behind a data-length indicator or with a
// plain 2.4 size are read as their text; an encrypted one is reported and not read.
TEST_F(Id3v2Read, StoredFormsOfFramesAreUndone)
{
    using test::flaggedFrame;
    using test::frameV24;
    const Bytes text = concat({{0}, bytesOf("Stored title")});
    const Bytes compressed = test::zlibCompressed(text);
    const Bytes size23{0, 0, 0, static_cast<std::uint8_t>(text.size())};
    const Bytes length24 = test::syncsafe(static_cast<std::uint32_t>(text.size()));
    const Bytes longTitle = concat({{0}, Bytes(300, 'L')});
    // A plain 2.4 size of 256 whose bytes also read as the sync-safe 128: the next header decides.
    Bytes plainSize = frameV24("TIT2", concat({{0}, Bytes(255, 'P')}));
    plainSize[4] = 0; plainSize[5] = 0; plainSize[6] = 1; plainSize[7] = 0;
    struct Case {
        const char* name;
        std::uint8_t major;
        std::uint8_t flags;
        Bytes title;
        std::string expected;
    };
    const Case cases[] = {
        {"2.3 compressed", 3, 0, flaggedFrame("TIT2", concat({size23, compressed}), 0x0080), "Stored title"},
        {"2.3 grouped", 3, 0, flaggedFrame("TIT2", concat({{0x42}, text}), 0x0020), "Stored title"},
        {"2.3 compressed and grouped", 3, 0,
         flaggedFrame("TIT2", concat({size23, {0x42}, compressed}), 0x00A0), "Stored title"},
        {"2.3 unsynchronised tag", 3, 0x80,
         concat({bytesOf("TIT2"), {0, 0, 0, 4, 0, 0}, {0, 'a', 0xFF, 0x00, 'b'}}), "a\u00FFb"},
        {"2.4 unsynchronised frame", 4, 0, frameV24("TIT2", {0, 'a', 0xFF, 0x00, 'b'}, 0x0002),
         "a\u00FFb"},
        {"2.4 data length", 4, 0, frameV24("TIT2", concat({length24, text}), 0x0001), "Stored title"},
        {"2.4 compressed", 4, 0, frameV24("TIT2", concat({length24, compressed}), 0x0009),
         "Stored title"},
        {"2.4 grouped", 4, 0, frameV24("TIT2", concat({{0x42}, text}), 0x0040), "Stored title"},
        {"2.4 plain size past 127", 4, 0, test::frame("TIT2", longTitle), std::string(300, 'L')},
        {"2.4 plain size that also reads sync-safe", 4, 0, plainSize, std::string(255, 'P')},
        {"2.4 several values", 4, 0, frameV24("TIT2", concat({{3}, bytesOf(std::string_view("One\0Two\0", 8))})),
         "One / Two"},
    };
    for (const auto& c : cases) {
        m_record.clear();
        const auto artist =
            c.major == 4 ? test::frameV24("TPE1", {0, 'A'}) : test::textFrame("TPE1", "A");
        const auto result = read(test::mp3(test::tag({c.title, artist}, 20, c.major, c.flags), m_audio));
        ASSERT_EQ(result.status, TagRead::Present) << c.name;
        EXPECT_EQ(value(RecordSlot::Title), c.expected) << c.name;
        EXPECT_EQ(value(RecordSlot::Artist), "A") << c.name << ": the next frame is found";
    }

    m_record.clear();
    const auto encrypted = read(test::mp3(
        test::tag({flaggedFrame("TIT2", {0x80, 1, 2, 3}, 0x0040), test::textFrame("TPE1", "A")}),
        m_audio));
    EXPECT_EQ(encrypted.lockedKeys, std::vector<std::string>{"TIT2"});
    EXPECT_FALSE(m_record[RecordSlot::Title].hasValue());
    EXPECT_EQ(value(RecordSlot::Artist), "A");
}

// The field is one frame, the same one the writer replaces: the comment is the first without a
// description, the year falls back between TYER and TDRC, "TCON" keeps its text.
TEST_F(Id3v2Read, FieldsComeFromTheFramesTheWriterAddresses)
{
    const auto comm = [](std::string_view description, std::string_view text) {
        return test::frame("COMM", concat({{0}, bytesOf("eng"), bytesOf(description), {0},
                                           bytesOf(text)}));
    };
    read(test::mp3(test::tag({comm("iTunNORM", " 0000 1111"), comm("", "Real comment"),
                              test::textFrame("TDRC", "1999-05-04")}),
                   m_audio));
    EXPECT_EQ(value(RecordSlot::Comment), "Real comment");
    EXPECT_EQ(value(RecordSlot::Year), "1999-05-04") << "a 2.3 tag with only TDRC shows it";

    m_record.clear();
    read(test::mp3(test::tag({test::frameV24("TYER", {0, '1', '9', '8', '0'}),
                              test::frameV24("TDRC", {0, '2', '0', '0', '1'}),
                              test::frameV24("TDOR", {0, '1', '9', '7', '0'})},
                             0, 4),
                   m_audio));
    EXPECT_EQ(value(RecordSlot::Year), "2001") << "2.4 reads TDRC before a TYER left there";
    EXPECT_EQ(value(RecordSlot::OrigYear), "1970");
}

TEST_F(Id3v2Read, ReadsWhatMutagenWrote)
{
    const auto path = m_dir.file("peer.mp3");
    test::writeFile(path, m_audio);
    const std::string title = "Sch\u00F6ne \u82B1 \U0001F3B5";
    const auto run = test::runPython(R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, COMM, WXXX, PCNT, APIC, TCON
tag = ID3()
tag.add(TIT2(encoding=1, text=sys.argv[2]))
tag.add(TPE1(encoding=1, text='Plain Artist'))
tag.add(TALB(encoding=0, text='Caf\u00e9'))
tag.add(TCON(encoding=0, text='(13)'))
tag.add(APIC(encoding=0, mime='image/png', type=3, desc='cover', data=b'\x89PNG' + bytes(20000)))
tag.add(COMM(encoding=1, lang='eng', desc='note', text=sys.argv[2]))
tag.add(WXXX(encoding=1, desc='site', url='http://peer.example/'))
tag.add(PCNT(count=70000))
tag.save(sys.argv[1], v2_version=3, padding=lambda info: 1000)
)",
                                     {path, title});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    File file = File::open(path, OpenMode::Read);
    const auto result = readId3v2(file, m_record.slotList());
    ASSERT_EQ(result.status, TagRead::Present);
    EXPECT_EQ(result.header.major, 3);
    EXPECT_EQ(value(RecordSlot::Title), title);
    EXPECT_EQ(value(RecordSlot::Artist), "Plain Artist");
    EXPECT_EQ(value(RecordSlot::Album), "Caf\u00E9");
    EXPECT_EQ(value(RecordSlot::Genre), "(13)");
    EXPECT_EQ(value(RecordSlot::Comment), title);
    EXPECT_EQ(value(RecordSlot::Url), "http://peer.example/");
    EXPECT_EQ(value(RecordSlot::PlayCounter), "70000");
    // The audio starts right after the tag, where mutagen put it.
    const Bytes bytes = test::readFile(path);
    ASSERT_GE(bytes.size(), 10 + result.header.tagSize + m_audio.size());
    EXPECT_TRUE(
        std::equal(m_audio.begin(), m_audio.end(),
                   bytes.begin() + 10 + static_cast<std::ptrdiff_t>(result.header.tagSize)));
}

}  // namespace
}  // namespace corvane::tags
