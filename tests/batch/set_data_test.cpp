#include "batch/set_data.h"

#include <gtest/gtest.h>

#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

using test::Bytes;

constexpr TagChoice kBoth = kChoiceV1All | kChoiceV2All;

SetDataOptions oneValue(tags::Column column, std::string value, TagChoice choice = kBoth)
{
    SetDataOptions options;
    options.values.push_back({fieldOfColumn(column), std::move(value)});
    options.choice = choice;
    return options;
}

class SetDataTest : public ::testing::Test {
protected:
    std::string makeFile(const Bytes& tagBytes, const Bytes& trailerBytes = {})
    {
        const auto path = m_dir.file("song" + std::to_string(m_count++) + ".mp3");
        test::writeFile(path, test::mp3(tagBytes, test::mpegAudio(5000), trailerBytes));
        return path;
    }

    FileOutcome run(const std::string& path, const SetDataOptions& options)
    {
        auto file = test::openUpdate(path);
        return setData(file, options, tagPresence(file));
    }

    test::TempDir m_dir;
    int m_count = 0;
};

TEST_F(SetDataTest, LongTitleIsCutInTheTrailerOnly)
{
    const auto path =
        makeFile(test::tag({test::textFrame("TIT2", "Old")}, 100), test::trailer("Old"));
    const std::string title(40, 'x');
    const auto outcome = run(path, oneValue(tags::Column::Title, title));
    EXPECT_TRUE(outcome.isWritten());
    EXPECT_TRUE(outcome.wroteId3v1 && outcome.wroteId3v2);
    EXPECT_EQ(test::readV1(path).title, std::string(30, 'x'));
    EXPECT_EQ(test::readV2(path)["TIT2"], title);
    EXPECT_EQ(v1DisplayText(tags::Column::Title, title), std::string(30, 'x'));
    EXPECT_EQ(v1DisplayText(tags::Column::Comment, title), std::string(30, 'x'));
    EXPECT_EQ(v1DisplayText(tags::Column::Year, "20245"), "2024");
    EXPECT_EQ(v1DisplayText(tags::Column::Genre, "Progressive Rock"), "Progressive Rock");
}

TEST_F(SetDataTest, ComposerGoesToTheId3v2TagAndLeavesTheTrailerAlone)
{
    const Bytes trailerBytes = test::trailer("Keep", "Me", "", "1999", "", 4, 17);
    const auto path = makeFile(test::tag({test::textFrame("TIT2", "T")}), trailerBytes);
    const auto outcome = run(path, oneValue(tags::Column::Composer, "Bach"));
    EXPECT_TRUE(outcome.wroteId3v2);
    EXPECT_FALSE(outcome.wroteId3v1);
    const Bytes after = test::readFile(path);
    EXPECT_TRUE(std::equal(trailerBytes.begin(), trailerBytes.end(), after.end() - 128));
    EXPECT_EQ(test::readV2(path)["TCOM"], "Bach");
}

TEST_F(SetDataTest, GenreNamesBecomeTheirIndexAndUnknownNamesNoGenre)
{
    const auto path = makeFile({}, test::trailer("T"));
    ASSERT_TRUE(run(path, oneValue(tags::Column::Genre, "rock")).isWritten());
    EXPECT_EQ(test::readV1(path).genre, 17);
    EXPECT_EQ(test::readV2(path)["TCON"], "(17)rock");

    ASSERT_TRUE(run(path, oneValue(tags::Column::Genre, "Chillwave")).isWritten());
    EXPECT_EQ(test::readV1(path).genre, 255);
    EXPECT_EQ(test::readV2(path)["TCON"], "Chillwave");
}

TEST_F(SetDataTest, EmptyValueClearsTheFieldInBothTags)
{
    const auto path = makeFile(
        test::tag({test::textFrame("TPE1", "Someone"), test::textFrame("TIT2", "Stays")}, 50),
        test::trailer("Title", "Someone"));
    ASSERT_TRUE(run(path, oneValue(tags::Column::Artist, "")).isWritten());
    const auto frames = test::readV2(path);
    EXPECT_EQ(frames.count("TPE1"), 0u);
    EXPECT_EQ(frames.at("TIT2"), "Stays");
    EXPECT_EQ(test::readV1(path).artist, "");
    EXPECT_EQ(test::readV1(path).title, "Title");
}

TEST_F(SetDataTest, FiveDigitYearKeepsFourInTheTrailer)
{
    const auto path = makeFile({}, test::trailer("T"));
    ASSERT_TRUE(run(path, oneValue(tags::Column::Year, "20245")).isWritten());
    EXPECT_EQ(test::readV1(path).year, "2024");
    EXPECT_EQ(test::readV2(path)["TYER"], "20245");
}

TEST_F(SetDataTest, PresentOnlyChoiceSkipsFilesWithoutThatTag)
{
    const auto path = makeFile({}, {});
    const Bytes before = test::readFile(path);
    const auto outcome =
        run(path, oneValue(tags::Column::Title, "x", kChoiceV1Present | kChoiceV2Present));
    EXPECT_EQ(outcome.status, FileStatus::Skipped);
    EXPECT_EQ(test::readFile(path), before);
}

TEST_F(SetDataTest, DamagedOrNewerTagFailsAndLeavesTheFileAsItWas)
{
    // The tag claims 5000 bytes, but the file ends long before.
    Bytes damaged = test::tag({test::textFrame("TIT2", "x")});
    damaged[8] = 0x27;
    const auto tooShort = m_dir.file("damaged.mp3");
    test::writeFile(tooShort, test::mp3(damaged, test::audioBytes(100), test::trailer("t")));
    const auto newer =
        makeFile(test::tag({test::textFrame("TIT2", "x")}, 0, 5), test::trailer("t"));

    for (const auto& path : {tooShort, newer}) {
        const Bytes before = test::readFile(path);
        const auto outcome = run(path, oneValue(tags::Column::Title, "New"));
        EXPECT_TRUE(outcome.isFailed()) << path;
        EXPECT_FALSE(outcome.reason.empty());
        EXPECT_FALSE(outcome.wroteId3v1);
        EXPECT_EQ(test::readFile(path), before) << path;
    }
}

TEST_F(SetDataTest, FullDiskIsReportedNotCountedAsWritten)
{
    const auto path = makeFile(test::tag({test::textFrame("TIT2", "Old")}), test::trailer("Old"));
    const Bytes before = test::readFile(path);
    auto file = test::openUpdate(path);
    test::FullDisk full(file);
    const auto outcome = setData(full, oneValue(tags::Column::Title, std::string(500, 'y')), 3);
    EXPECT_TRUE(outcome.isFailed());
    EXPECT_NE(outcome.reason.find("No space"), std::string::npos) << outcome.reason;
    EXPECT_EQ(test::readFile(path), before);
}

TEST(SetDataFields, EditorFramesMapToTheirFields)
{
    const auto band = editorField("TPE2");
    ASSERT_TRUE(band);
    EXPECT_EQ(band->name, "Band");
    EXPECT_FALSE(band->hasV1Form());
    const auto track = editorField("TRCK");
    ASSERT_TRUE(track && track->v1Field);
    EXPECT_EQ(*track->v1Field, tags::V1FieldNo::Track);
    EXPECT_FALSE(editorField("APIC"));
    EXPECT_FALSE(fieldOfColumn(tags::Column::Url).hasV1Form());
    EXPECT_EQ(fieldOfColumn(tags::Column::Url).frameId, "WXXX");
}

}  // namespace
}  // namespace corvane::batch
