#include "batch/sync_tags.h"

#include <gtest/gtest.h>

#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

using test::Bytes;

class SyncTagsTest : public ::testing::Test {
protected:
    std::string makeFile(const Bytes& tagBytes, const Bytes& trailerBytes)
    {
        const auto path = m_dir.file("s" + std::to_string(m_count++) + ".mp3");
        test::writeFile(path, test::mp3(tagBytes, test::mpegAudio(4000), trailerBytes));
        return path;
    }

    static FileOutcome sync(const std::string& path, SyncDirection direction, bool keep = false,
                            bool intelligent = true)
    {
        auto file = test::openUpdate(path);
        return synchroniseTags(file, SyncOptions{direction, keep, intelligent, false});
    }

    test::TempDir m_dir;
    int m_count = 0;
};

Bytes fullTag()
{
    return test::tag(
        {test::textFrame("TRCK", "3/12"), test::textFrame("TIT2", std::string(40, 't')),
         test::textFrame("TPE1", "Artist"), test::textFrame("TYER", "2001"),
         test::frame("COMM", test::bytesOf(std::string("\0engdesc\0Comment", 16))),
         test::textFrame("TCON", "(17)Rock")},
        200);
}

TEST_F(SyncTagsTest, IntelligentRuleGivesAnId3v2OnlyFileATrailer)
{
    const auto path = makeFile(fullTag(), {});
    const auto outcome = sync(path, SyncDirection::V1ToV2);
    ASSERT_TRUE(outcome.isWritten());
    EXPECT_TRUE(outcome.wroteId3v1);
    const auto v1 = test::readV1(path);
    EXPECT_TRUE(v1.present);
    EXPECT_EQ(v1.title, std::string(30, 't'));
    EXPECT_EQ(v1.track, "3");
    EXPECT_EQ(v1.comment, "Comment");
    EXPECT_EQ(v1.genre, 17);
}

TEST_F(SyncTagsTest, WithoutIntelligentRuleTheWrongDirectionWritesNothing)
{
    const auto path = makeFile(fullTag(), {});
    const Bytes before = test::readFile(path);
    EXPECT_EQ(sync(path, SyncDirection::V1ToV2, false, false).status, FileStatus::Skipped);
    EXPECT_EQ(test::readFile(path), before);
}

TEST_F(SyncTagsTest, OverwriteToV1EmptiesFieldsTheTagLacks)
{
    const auto path =
        makeFile(fullTag(), test::trailer("Old", "Old", "Old Album", "1990", "c", 9, 0));
    ASSERT_TRUE(sync(path, SyncDirection::V2ToV1).isWritten());
    const auto v1 = test::readV1(path);
    EXPECT_EQ(v1.album, "");  // no TALB frame
    EXPECT_EQ(v1.artist, "Artist");
    EXPECT_EQ(v1.year, "2001");
    EXPECT_EQ(v1.track, "3");
    EXPECT_EQ(v1.genre, 17);
}

TEST_F(SyncTagsTest, KeepToV2AddsOnlyMissingFramesAndStaysByteExact)
{
    const auto path =
        makeFile(test::tag({test::textFrame("TIT2", "Tag Title"),
                            test::frame("COMM", test::bytesOf(std::string("\0engd\0x", 7)))},
                           300),
                 test::trailer("Trailer Title", "Trailer Artist", "", "", "c", 5, 17));
    ASSERT_TRUE(sync(path, SyncDirection::V1ToV2, true).isWritten());
    const Bytes once = test::readFile(path);
    const auto frames = test::readV2(path);
    EXPECT_EQ(frames.at("TIT2"), "Tag Title");
    EXPECT_EQ(frames.at("COMM"), "x");
    EXPECT_EQ(frames.at("TPE1"), "Trailer Artist");
    EXPECT_EQ(frames.at("TRCK"), "5");
    EXPECT_EQ(frames.at("TCON"), "(17)Rock");
    // The kept frames still hold their bytes, the description of the comment included.
    const std::string raw(once.begin(), once.end());
    EXPECT_NE(raw.find(std::string("COMM\0\0\0\x07\0\0\0engd\0x", 17)), std::string::npos);

    ASSERT_EQ(sync(path, SyncDirection::V1ToV2, true).status, FileStatus::Written);
    EXPECT_EQ(test::readFile(path), once);
}

TEST_F(SyncTagsTest, GenreTextsFindTheirByteAndUnknownTextsGiveNone)
{
    const std::vector<std::pair<std::string, int>> cases{
        {"(17)Rock", 17}, {"(17)", 17}, {"rock", 17}, {"Chillwave", 255}};
    for (const auto& [tcon, byte] : cases) {
        const auto path = makeFile(test::tag({test::textFrame("TCON", tcon)}),
                                   test::trailer("t", "", "", "", "", 0, 3));
        ASSERT_TRUE(sync(path, SyncDirection::V2ToV1).isWritten()) << tcon;
        EXPECT_EQ(test::readV1(path).genre, byte) << tcon;
    }
}

TEST_F(SyncTagsTest, Id3v1GenreBecomesAReferencedName)
{
    const auto path = makeFile(test::tag({test::textFrame("TCON", "Other")}),
                               test::trailer("t", "", "", "", "", 0, 17));
    ASSERT_TRUE(sync(path, SyncDirection::V1ToV2).isWritten());
    EXPECT_EQ(test::readV2(path)["TCON"], "(17)Rock") << "a 2.3 tag gets the name with its number";

    // An ID3v1 genre of none leaves the ID3v2 genre alone.
    const auto none = makeFile(test::tag({test::textFrame("TCON", "Chillwave")}),
                               test::trailer("t", "", "", "", "", 0, 255));
    ASSERT_TRUE(sync(none, SyncDirection::V1ToV2).isWritten());
    EXPECT_EQ(test::readV2(none)["TCON"], "Chillwave");
}

// Overwriting from ID3v1: a value that is only what the ID3v2 value becomes in the trailer
// (cut, "?" for other characters, the track's number, the genre's number) leaves the ID3v2 value
// as it is; a value that really differs replaces it; a genre byte that names no genre is nothing.
TEST_F(SyncTagsTest, OverwriteToV2NeverShortensTheRicherTag)
{
    const std::string longTitle(40, 't');
    const std::string cyrillic = "\u041F\u0440\u0438\u0432\u0435\u0442";
    // The Cyrillic title lives in a 2.4 tag as UTF-8; the others in 2.3 tags.
    const auto utf8Tag = [](std::string_view text) {
        Bytes body{3};
        test::append(body, text);
        return test::tag({test::frameV24("TIT2", body)}, 100, 4);
    };
    const auto latin1Tag = [](std::string_view id, std::string_view text) {
        return test::tag({test::textFrame(id, text)}, 100);
    };
    struct Case {
        std::string frameId, expected;
        Bytes tagBytes, trailerBytes;
    };
    const Case cases[] = {
        {"TIT2", longTitle, latin1Tag("TIT2", longTitle), test::trailer(std::string(30, 't'))},
        {"TIT2", cyrillic, utf8Tag(cyrillic), test::trailer("??????")},
        {"TIT2", "New title", latin1Tag("TIT2", "Old title"), test::trailer("New title")},
        {"TRCK", "3/12", latin1Tag("TRCK", "3/12"), test::trailer("t", "", "", "", "", 3)},
        {"TRCK", "4", latin1Tag("TRCK", "3/12"), test::trailer("t", "", "", "", "", 4)},
        {"TCON", "(17)Rock", latin1Tag("TCON", "(17)Rock"), test::trailer("t", "", "", "", "", 0, 17)},
        {"TCON", "Rock", latin1Tag("TCON", "Rock"), test::trailer("t", "", "", "", "", 0, 17)},
        {"TCON", "(13)Pop", latin1Tag("TCON", "Rock"), test::trailer("t", "", "", "", "", 0, 13)},
        {"TCON", "Custom", latin1Tag("TCON", "Custom"), test::trailer("t", "", "", "", "", 0, 200)},
        {"TCON", "(147)Synthpop", latin1Tag("TCON", "Custom"),
         test::trailer("t", "", "", "", "", 0, 147)},
    };
    for (const auto& c : cases) {
        const auto path = makeFile(c.tagBytes, c.trailerBytes);
        const auto outcome = sync(path, SyncDirection::V1ToV2);
        ASSERT_FALSE(outcome.isFailed()) << outcome.reason;
        EXPECT_EQ(test::readV2(path)[c.frameId], c.expected) << c.frameId << " " << c.expected;
    }
}

TEST_F(SyncTagsTest, KeepToV1LeavesAnExistingGenreAndFillsEmptyFields)
{
    const auto path = makeFile(fullTag(), test::trailer("Mine", "", "", "", "", 0, 0));
    ASSERT_TRUE(sync(path, SyncDirection::V2ToV1, true).isWritten());
    const auto v1 = test::readV1(path);
    EXPECT_EQ(v1.title, "Mine");
    EXPECT_EQ(v1.artist, "Artist");
    EXPECT_EQ(v1.genre, 0);  // Blues is a genre the trailer already had
}

TEST_F(SyncTagsTest, NeitherTagOrAnUnreadableTagChangesNothing)
{
    const auto bare = makeFile({}, {});
    const Bytes bareBefore = test::readFile(bare);
    EXPECT_EQ(sync(bare, SyncDirection::V2ToV1).status, FileStatus::Skipped);
    EXPECT_EQ(test::readFile(bare), bareBefore);

    const auto newer =
        makeFile(test::tag({test::textFrame("TIT2", "x")}, 0, 5), test::trailer("t"));
    const Bytes newerBefore = test::readFile(newer);
    const auto outcome = sync(newer, SyncDirection::V1ToV2);
    EXPECT_TRUE(outcome.isFailed());
    EXPECT_FALSE(outcome.reason.empty());
    EXPECT_EQ(test::readFile(newer), newerBefore);
}

}  // namespace
}  // namespace corvane::batch
