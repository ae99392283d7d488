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
    EXPECT_EQ(test::readV2(path)["TCON"], "(17)Rock");

    // An ID3v1 genre of none leaves the ID3v2 genre alone.
    const auto none = makeFile(test::tag({test::textFrame("TCON", "Chillwave")}),
                               test::trailer("t", "", "", "", "", 0, 255));
    ASSERT_TRUE(sync(none, SyncDirection::V1ToV2).isWritten());
    EXPECT_EQ(test::readV2(none)["TCON"], "Chillwave");
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
