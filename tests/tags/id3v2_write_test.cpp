#include "tags/id3v2_write.h"

#include <gtest/gtest.h>

#include <string>

#include "tags/id3v2_read.h"
#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tests/support/temp_dir.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::bytesOf;
using test::frame;
using test::mp3;
using test::mpegAudio;
using test::readFile;
using test::tag;
using test::textFrame;
using test::trailer;

WriteResult writeTag(const std::string& path, const SlotList& list, bool compact)
{
    File file = File::open(path, OpenMode::Update);
    EXPECT_TRUE(file.isOpen()) << path;
    return writeId3v2(file, list, compact);
}

WriteResult removeTag(const std::string& path)
{
    File file = File::open(path, OpenMode::Update);
    EXPECT_TRUE(file.isOpen()) << path;
    return removeId3v2(file);
}

SlotList entries(std::initializer_list<std::pair<std::string_view, std::string>> items)
{
    SlotList list;
    for (const auto& [id, value] : items) list.push_back(FieldSlot::frame(id, value));
    return list;
}

class Id3v2Write : public ::testing::Test {
protected:
    // Writes bytes to a fresh file, applies the list and checks the result byte for byte.
    void expectWrite(const Bytes& before, const SlotList& list, bool compact, const Bytes& after)
    {
        const auto path = dir.file("song.mp3");
        test::writeFile(path, before);
        const auto result = writeTag(path, list, compact);
        ASSERT_TRUE(result.ok()) << describe(result);
        EXPECT_EQ(readFile(path), after);
        expectPeerReads(path, list);
    }

    // The peer reads the written file without error and finds every value written. It shows a
    // genre by its name and a counter as a number, so those are only looked for, and it names
    // the year by its later frame id.
    static void expectPeerReads(const std::string& path, const SlotList& list)
    {
        const auto seen = test::mutagenFrames(path);
        for (const auto& entry : list) {
            if (entry.text().empty()) continue;
            const auto it = seen.find(entry.key == "TYER" ? "TDRC" : entry.key);
            ASSERT_NE(it, seen.end()) << entry.key;
            if (entry.key != "TCON" && entry.key != "PCNT") {
                EXPECT_EQ(it->second, entry.text());
            }
        }
    }

    test::TempDir dir;
    Bytes audio = mpegAudio(5000);
    Bytes v1 = trailer("Old title", "Someone");
};

TEST_F(Id3v2Write, NewTagHoldsTheEntriesInListOrderBeforeTheAudio)
{
    const auto list = entries({{"TIT2", "Hello"}, {"TPE1", "Abc"}});
    const Bytes expected =
        mp3(tag({textFrame("TIT2", "Hello"), textFrame("TPE1", "Abc")}), audio, v1);
    expectWrite(mp3({}, audio, v1), list, false, expected);

    // 10 + (10 + 1 + 5) + (10 + 1 + 3): a 2.3 header with size 30.
    EXPECT_EQ(expected.size(), audio.size() + v1.size() + 40);
    EXPECT_EQ((Bytes{expected.begin(), expected.begin() + 10}),
              (Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 30}));
    const auto seen = test::mutagenFrames(dir.file("song.mp3"));
    EXPECT_EQ(seen.at("TIT2"), "Hello");
    EXPECT_EQ(seen.at("TPE1"), "Abc");
}

TEST_F(Id3v2Write, NewTagKeepsTheRoomOfRemovalEntriesAsPaddingUnlessCompact)
{
    const auto list = entries({{"TALB", ""}, {"TIT2", "Hi"}});
    expectWrite(mp3({}, audio), list, false, mp3(tag({textFrame("TIT2", "Hi")}, 11), audio));
    expectWrite(mp3({}, audio), list, true, mp3(tag({textFrame("TIT2", "Hi")}), audio));
}

TEST_F(Id3v2Write, LongerTitleMovesIntoThePadding)
{
    const Bytes before =
        mp3(tag({textFrame("TIT2", "Old"), textFrame("TPE1", "Artist")}, 1000), audio, v1);
    const auto list = entries({{"TIT2", "A much longer title"}});
    // The old frame is dropped, the artist slides down, the new title follows it; the 16 extra
    // bytes come out of the padding.
    const auto frames =
        std::vector{textFrame("TPE1", "Artist"), textFrame("TIT2", "A much longer title")};
    expectWrite(before, list, false, mp3(tag(frames, 1000 - 16), audio, v1));
    EXPECT_EQ(readFile(dir.file("song.mp3")).size(), before.size());
    expectWrite(before, list, true, mp3(tag(frames), audio, v1));
    EXPECT_EQ(test::mutagenFrames(dir.file("song.mp3")).at("TIT2"), "A much longer title");
}

TEST_F(Id3v2Write, SameOrShorterValueIsWrittenInPlace)
{
    const auto pic = frame("APIC", mpegAudio(300, 7));
    const Bytes before =
        mp3(tag({textFrame("TIT2", "Hello"), pic, textFrame("TPE1", "Artist")}, 200), audio);
    expectWrite(
        before, entries({{"TIT2", "World"}}), false,
        mp3(tag({textFrame("TIT2", "World"), pic, textFrame("TPE1", "Artist")}, 200), audio));
    expectWrite(before, entries({{"TIT2", "Hi"}}), false,
                mp3(tag({textFrame("TIT2", "Hi"), pic, textFrame("TPE1", "Artist")}, 203), audio));
    expectWrite(before, entries({{"TIT2", "Hi"}}), true,
                mp3(tag({textFrame("TIT2", "Hi"), pic, textFrame("TPE1", "Artist")}), audio));
}

TEST_F(Id3v2Write, EmptyValueRemovesOnlyTheFirstFrameOfItsId)
{
    const auto first = textFrame("TIT2", "First");
    const auto comm = frame("COMM", bytesOf(std::string("\0eng\0Nice", 9)));
    const auto second = textFrame("TIT2", "Second");
    const Bytes before = mp3(tag({first, comm, second}, 20), audio, v1);
    expectWrite(before, entries({{"TIT2", ""}}), false,
                mp3(tag({comm, second}, 20 + first.size()), audio, v1));
    SlotList absentValue{FieldSlot::frame("TIT2")};
    expectWrite(before, absentValue, true, mp3(tag({comm, second}), audio, v1));
}

TEST_F(Id3v2Write, RemovingAFrameTheTagLacksChangesNothing)
{
    const Bytes before = mp3(tag({textFrame("TIT2", "Title")}, 64), audio, v1);
    expectWrite(before, entries({{"TALB", ""}, {"COMM", ""}}), false, before);
}

TEST_F(Id3v2Write, TagWithoutPaddingGrowsByExactlyTheNewFrames)
{
    const auto unknown = frame("PRIV", bytesOf("owner\0data"));
    const Bytes before = mp3(tag({textFrame("TIT2", "T"), unknown}), audio, v1);
    const auto list = entries({{"TALB", "Album"}, {"TYER", "1999"}});
    const Bytes after = mp3(tag({textFrame("TIT2", "T"), unknown, textFrame("TALB", "Album"),
                                 textFrame("TYER", "1999")}),
                            audio, v1);
    expectWrite(before, list, false, after);
    EXPECT_EQ(after.size() - before.size(), 16u + 15u);
}

TEST_F(Id3v2Write, GenreNamesAreStoredWithTheirNumber)
{
    const Bytes before = mp3(tag({}, 100), audio);
    expectWrite(before, entries({{"TCON", "Hip-Hop"}}), true,
                mp3(tag({textFrame("TCON", "(7)Hip-Hop")}), audio));
    expectWrite(before, entries({{"TCON", "hip-hop"}}), true,
                mp3(tag({textFrame("TCON", "(7)hip-hop")}), audio));
    expectWrite(before, entries({{"TCON", "Chill"}}), true,
                mp3(tag({textFrame("TCON", "Chill")}), audio));
}

TEST_F(Id3v2Write, LargeFrameIsCarriedOverWhole)
{
    Bytes pictureBody = bytesOf(std::string("\0image/png\0\x03\0", 13));
    const Bytes pixels = mpegAudio(100000 - pictureBody.size(), 3);
    pictureBody.insert(pictureBody.end(), pixels.begin(), pixels.end());
    const auto picture = frame("APIC", pictureBody);
    ASSERT_EQ(picture.size(), 100010u);
    const Bytes before =
        mp3(tag({textFrame("TIT2", "Old"), picture, textFrame("TPE1", "Artist")}), audio, v1);
    const auto list = entries({{"TIT2", "A longer title than before"}});
    const auto frames = std::vector{picture, textFrame("TPE1", "Artist"),
                                    textFrame("TIT2", "A longer title than before")};
    expectWrite(before, list, false, mp3(tag(frames), audio, v1));
    const auto seen = test::mutagenFrames(dir.file("song.mp3"));
    EXPECT_EQ(seen.at("APIC"), "APIC");
    EXPECT_EQ(seen.at("TIT2"), "A longer title than before");
}

// Audio sizes around the move buffer: empty, one byte, one block less, exactly, more, several.
class Id3v2WriteMoves : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Id3v2WriteMoves, AudioAndTrailerSurviveGrowthCompactionAndRemoval)
{
    test::TempDir dir;
    const auto path = dir.file("moves.mp3");
    const Bytes audio = test::audioBytes(GetParam(), 11);
    const Bytes v1 = trailer("Kept");
    test::writeFile(path, mp3(tag({textFrame("TIT2", "x")}), audio, v1));

    ASSERT_TRUE(writeTag(path, entries({{"TALB", std::string(70000, 'a')}}), false).ok());
    const auto album = textFrame("TALB", std::string(70000, 'a'));
    EXPECT_EQ(readFile(path), mp3(tag({textFrame("TIT2", "x"), album}), audio, v1));

    ASSERT_TRUE(writeTag(path, entries({{"TALB", ""}}), true).ok());
    EXPECT_EQ(readFile(path), mp3(tag({textFrame("TIT2", "x")}), audio, v1));

    ASSERT_TRUE(removeTag(path).ok());
    EXPECT_EQ(readFile(path), mp3({}, audio, v1));
}

INSTANTIATE_TEST_SUITE_P(AroundTheBlockSize, Id3v2WriteMoves,
                         ::testing::Values(0, 1, CopyChunkSize - 1, CopyChunkSize,
                                           CopyChunkSize + 1, 3 * CopyChunkSize + 17));

TEST_F(Id3v2Write, TextOutsideLatin1IsStoredAsUtf16)
{
    const Bytes before = mp3(tag({}, 400), audio, v1);
    SlotList list = entries({{"TIT2", "Привет мир"},
                             {"TPE1", "Café Zoë"},
                             {"COMM", "日本語のコメント"},
                             {"TCOM", "Ünïcödé 𝄞"},
                             {"WXXX", "https://example.org/音楽?q=é"}});
    list.push_back(FieldSlot::frame("PCNT", std::string("\0\0\0\0\0\x01\x00\x2A", 8)));
    const auto path = dir.file("song.mp3");
    test::writeFile(path, before);
    ASSERT_TRUE(writeTag(path, list, false).ok());

    const auto seen = test::mutagenFrames(path);
    EXPECT_EQ(seen.at("TIT2"), "Привет мир");
    EXPECT_EQ(seen.at("TPE1"), "Café Zoë");
    EXPECT_EQ(seen.at("COMM"), "日本語のコメント");
    EXPECT_EQ(seen.at("TCOM"), "Ünïcödé 𝄞");
    EXPECT_EQ(seen.at("WXXX"), "https://example.org/%E9%9F%B3%E6%A5%BD?q=é");
    EXPECT_EQ(seen.at("PCNT"), "65578");

    // ISO-8859-1 wherever it is enough, so ASCII and Latin-1 texts stay one byte a character.
    const Bytes file = readFile(path);
    const Bytes artist = textFrame("TPE1", "Caf\xE9 Zo\xEB");
    EXPECT_NE(std::search(file.begin(), file.end(), artist.begin(), artist.end()), file.end());
    const Bytes utf16Title{'T', 'I', 'T', '2', 0, 0, 0, 23, 0, 0, 1, 0xFF, 0xFE, 0x1F, 0x04};
    EXPECT_NE(std::search(file.begin(), file.end(), utf16Title.begin(), utf16Title.end()),
              file.end());
    EXPECT_TRUE(std::equal(v1.begin(), v1.end(), file.end() - 128));
}

TEST_F(Id3v2Write, WrittenValuesReadBack)
{
    const auto path = dir.file("song.mp3");
    test::writeFile(path, mp3(tag({frame("PRIV", bytesOf("x"))}, 50), audio));
    const auto list =
        entries({{"TIT2", "Título"}, {"COMM", "Ωmega"}, {"WXXX", "http://a.b/"}, {"TCON", "Rock"}});
    ASSERT_TRUE(writeTag(path, list, false).ok());

    File file = File::open(path, OpenMode::Read);
    SlotList read = entries({{"TIT2", ""}, {"COMM", ""}, {"WXXX", ""}, {"TCON", ""}});
    ASSERT_EQ(readId3v2(file, read).status, TagRead::Present);
    EXPECT_EQ(read[0].text(), "Título");
    EXPECT_EQ(read[1].text(), "Ωmega");
    EXPECT_EQ(read[2].text(), "http://a.b/");
    EXPECT_EQ(read[3].text(), "(17)Rock");
}

TEST_F(Id3v2Write, ExtendedHeaderStaysInPlaceAndTellsTheRealPadding)
{
    const Bytes before =
        mp3(tag({{0, 0, 0, 6, 0, 0, 0, 0, 0, 30}, textFrame("TIT2", "Old")}, 30, 3, 0x40), audio);
    expectWrite(before, entries({{"TIT2", "Newer"}}), false,
                mp3(tag({{0, 0, 0, 6, 0, 0, 0, 0, 0, 28}, textFrame("TIT2", "Newer")}, 28, 3, 0x40),
                    audio));
    expectWrite(before, entries({{"TIT2", "Newer"}}), true,
                mp3(tag({{0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, textFrame("TIT2", "Newer")}, 0, 3, 0x40),
                    audio));
}

TEST(Id3v2Remove, TagOfAnyVersionIsRemovedAndTheAudioMovesToTheStart)
{
    test::TempDir dir;
    const auto path = dir.file("remove.mp3");
    const Bytes audio = mpegAudio(100000);
    const Bytes v1 = trailer("Stays");
    for (const std::uint8_t major : {2, 3, 4}) {
        // A header with tag size 4096 and frames that fill part of it.
        test::writeFile(path, mp3(tag({textFrame("TIT2", "Going")}, 4096 - 16, major), audio, v1));
        ASSERT_TRUE(removeTag(path).ok());
        EXPECT_EQ(readFile(path), mp3({}, audio, v1)) << int{major};
    }
    test::writeFile(path, tag({}, 64));
    ASSERT_TRUE(removeTag(path).ok());
    EXPECT_TRUE(readFile(path).empty());
}

TEST(Id3v2Remove, FileWithoutTagIsLeftUntouched)
{
    test::TempDir dir;
    const auto path = dir.file("plain.mp3");
    const Bytes before = mp3({}, mpegAudio(3000), trailer("x"));
    test::writeFile(path, before);
    ASSERT_TRUE(removeTag(path).ok());
    EXPECT_EQ(readFile(path), before);
}

TEST(Id3v2Remove, FooterOfAVersion4TagGoesWithIt)
{
    test::TempDir dir;
    const auto path = dir.file("footer.mp3");
    const Bytes audio = mpegAudio(2000);
    Bytes footer{'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 20};
    test::writeFile(path, mp3(tag({textFrame("TIT2", "Four")}, 5, 4, 0x10), footer));
    Bytes file = readFile(path);
    file.insert(file.end(), audio.begin(), audio.end());
    test::writeFile(path, file);
    ASSERT_TRUE(removeTag(path).ok());
    EXPECT_EQ(readFile(path), audio);
}

}  // namespace
}  // namespace corvane::tags
