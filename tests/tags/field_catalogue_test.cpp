#include "tags/field_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace corvane::tags {
namespace {

TEST(ParseGenreRef, LeadingReference)
{
    const std::tuple<std::string_view, int, std::size_t> cases[] = {
        {"(17)Rock", 17, 4}, {"(17)", 17, 4},   {"Rock", -1, 0},  {"((17)Rock", -1, 1},
        {"", -1, 0},         {"(17", -1, 0},    {"()x", 0, 2},    {"(abc)Pop", 0, 5},
        {"(125)", 125, 5},   {"(200)Foo", 200, 5}, {"(-3)", -3, 4},  {"( 17)Rock", 17, 5},
    };
    for (const auto& [text, number, consumed] : cases) {
        const auto ref = parseGenreRef(text);
        EXPECT_EQ(ref.number, number) << text;
        EXPECT_EQ(ref.consumed, consumed) << text;
    }
}

TEST(FindGenre, IgnoresAsciiCaseAndTakesFirstMatch)
{
    EXPECT_EQ(findGenre("rock"), 17);
    EXPECT_EQ(findGenre("ROCK"), 17);
    EXPECT_EQ(findGenre("pop"), 13);
    EXPECT_EQ(findGenre("Blues"), 0);
    EXPECT_EQ(findGenre("dance hall"), 125);
    EXPECT_EQ(findGenre("R&B"), 14);
    EXPECT_FALSE(findGenre("Chillwave"));
    EXPECT_FALSE(findGenre(""));
    EXPECT_FALSE(findGenre("Rock "));
}

TEST(GenreTable, NamesAndPositions)
{
    ASSERT_EQ(GenreTable.size(), 126u);
    EXPECT_EQ(std::set<std::string_view>(GenreTable.begin(), GenreTable.end()).size(), 126u)
        << "no name twice";
    for (const auto name : GenreTable)
        EXPECT_LE(name.size(), 17u) << name;
    const std::pair<int, std::string_view> spots[] = {
        {0, "Blues"},         {7, "Hip-Hop"},     {24, "Soundtrack"},  {40, "AlternRock"},
        {46, "Instrumental Pop"}, {51, "Techno-Industrial"}, {60, "Top 40"},
        {67, "Psychadelic"},  {78, "Rock & Roll"}, {85, "Bebob"},      {93, "Psychedelic Rock"},
        {109, "Porn Groove"}, {122, "Drum Solo"},  {123, "A capella"}, {125, "Dance Hall"},
    };
    for (const auto& [index, name] : spots)
        EXPECT_EQ(GenreTable[static_cast<std::size_t>(index)], name) << index;
}

TEST(GenreTable, NamesOfBytesAndTconTexts)
{
    EXPECT_EQ(genreName(13), "Pop");
    EXPECT_EQ(genreName(126), "");
    EXPECT_EQ(genreName(255), "");
    EXPECT_EQ(genreNameOfTcon("(7)Hip-Hop"), "Hip-Hop");
    EXPECT_EQ(genreNameOfTcon("(17)"), "Rock");
    EXPECT_EQ(genreNameOfTcon("(200)rock"), "Rock") << "an out-of-range number falls back to the name";
    EXPECT_EQ(genreNameOfTcon("jazz"), "Jazz");
    EXPECT_EQ(genreNameOfTcon("Chill"), "");

    EXPECT_EQ(genreDisplayText("(17)Rock"), "Rock");
    EXPECT_EQ(genreDisplayText("(17)"), "Rock") << "a bare reference shows the genre's name";
    EXPECT_EQ(genreDisplayText("(200)"), "");
    EXPECT_EQ(genreDisplayText("((Live)"), "(Live)");
    EXPECT_EQ(genreDisplayText("Chill"), "Chill");
}

TEST(ColumnTable, NamesAndFrames)
{
    const std::pair<std::string_view, std::string_view> expected[] = {
        {"Filename", ""},        {"Title", "TIT2"},     {"Artist", "TPE1"},  {"Album", "TALB"},
        {"Year", "TYER"},        {"Comment", "COMM"},   {"Genre", "TCON"},   {"Track", "TRCK"},
        {"Composer", "TCOM"},    {"Orig. Artist", "TOPE"}, {"Copyright", "TCOP"},
        {"URL", "WXXX"},         {"Encoded By", "TENC"},
    };
    ASSERT_EQ(ColumnTable.size(), std::size(expected));
    for (std::size_t i = 0; i < ColumnTable.size(); ++i) {
        EXPECT_EQ(ColumnTable[i].name, expected[i].first) << i;
        EXPECT_EQ(ColumnTable[i].frameId, expected[i].second) << i;
    }
    EXPECT_EQ(columnOfFrame("TENC"), Column::EncodedBy);
    EXPECT_EQ(columnOfFrame("WXXX"), Column::Url);
    EXPECT_FALSE(columnOfFrame("TIT3"));
    EXPECT_FALSE(columnOfFrame(""));
}

TEST(FieldCatalogue, FrameKeysAndWidths)
{
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(FrameIdTable[i], "") << i;
    EXPECT_EQ(FrameIdTable[6], "TRCK");
    EXPECT_EQ(FrameIdTable[11], "COMM");
    EXPECT_EQ(FrameIdTable[15], "WXXX");
    EXPECT_EQ(FrameIdTable[25], "PCNT");
    EXPECT_EQ(FrameIdTable[26], "IDV1");
    EXPECT_EQ(FrameIdTable[27], "IDV2");
    EXPECT_EQ(FrameIdTable[28], "GEN1");
    EXPECT_EQ(FrameIdTable[29], "TCON");

    EXPECT_EQ(Id3v1FieldSizes, (std::array<int, 6>{30, 30, 30, 4, 29, 0}));
}

TEST(FieldCatalogue, BitRateTables)
{
    EXPECT_EQ(BitRatesV1Layer2, (std::array<int, 15>{0, 32, 48, 56, 64, 80, 96, 112, 128, 160,
                                                     192, 224, 256, 320, 384}));
    EXPECT_EQ(BitRatesV1Layer3, (std::array<int, 15>{0, 32, 40, 48, 56, 64, 80, 96, 112, 128,
                                                     160, 192, 224, 256, 320}));
    EXPECT_EQ(BitRatesV2Layer1, (std::array<int, 15>{0, 32, 48, 56, 64, 80, 96, 112, 128, 144,
                                                     160, 176, 192, 224, 256}));
}

}  // namespace
}  // namespace corvane::tags
