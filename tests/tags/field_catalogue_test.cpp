#include "tags/field_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace corvane::tags {
namespace {

TEST(ParseGenreRef, LeadingReference)
{
    const std::tuple<std::string_view, int, std::size_t> cases[] = {
        {"(17)Rock", 17, 4}, {"(17)", 17, 4},   {"Rock", -1, 0},  {"((17)Rock", -1, 1},
        {"", -1, 0},         {"(17", -1, 0},    {"()x", -1, 0},   {"(abc)Pop", -1, 0},
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
    ASSERT_EQ(GenreTable.size(), 192u);
    EXPECT_EQ(std::set<std::string_view>(GenreTable.begin(), GenreTable.end()).size(), 192u)
        << "no name twice";
    for (const auto name : GenreTable)
        EXPECT_LE(name.size(), 22u) << name;
    const std::pair<int, std::string_view> spots[] = {
        {0, "Blues"},         {7, "Hip-Hop"},     {24, "Soundtrack"},  {40, "AlternRock"},
        {46, "Instrumental Pop"}, {51, "Techno-Industrial"}, {60, "Top 40"},
        {67, "Psychadelic"},  {78, "Rock & Roll"}, {85, "Bebob"},      {93, "Psychedelic Rock"},
        {109, "Porn Groove"}, {122, "Drum Solo"},  {123, "A capella"}, {125, "Dance Hall"},
        {126, "Goa"},         {147, "Synthpop"},   {191, "Psybient"},
    };
    for (const auto& [index, name] : spots)
        EXPECT_EQ(GenreTable[static_cast<std::size_t>(index)], name) << index;
}

TEST(GenreTable, NamesOfBytesAndTconTexts)
{
    EXPECT_EQ(genreName(13), "Pop");
    EXPECT_EQ(genreName(191), "Psybient");
    EXPECT_EQ(genreName(192), "");
    EXPECT_EQ(genreName(255), "");
    const std::pair<std::string_view, std::string_view> names[] = {
        {"(7)Hip-Hop", "Hip-Hop"}, {"(17)", "Rock"},   {"(17)Custom", "Rock"}, {"jazz", "Jazz"},
        {"147", "Synthpop"},       {"(191)", "Psybient"}, {"Chill", ""},     {"(RX)", ""},
        // An out-of-range number falls back to the name after it.
        {"(192)rock", "Rock"},     {"Pop / Rock", "Pop"}, {"()", ""},
    };
    for (const auto& [tcon, name] : names) EXPECT_EQ(genreNameOfTcon(tcon), name) << tcon;
}

TEST(GenreTable, DisplayOfTconTexts)
{
    const std::pair<std::string_view, std::string_view> shown[] = {
        {"(17)Rock", "Rock"},       {"(17)", "Rock"},       {"(192)", ""},
        {"((Live)", "(Live)"},      {"Chill", "Chill"},     {"(RX)", "Remix"},
        {"(CR)", "Cover"},          {"()", "()"},           {"(abc)", "(abc)"},
        {"17", "Rock"},             {"147", "Synthpop"},    {"192", "192"},
        {"(17)(13)", "Rock / Pop"}, {"(17)Custom", "Custom"}, {"(126)Foo", "Foo"},
        {"(126)", "Goa"},           {"(191)", "Psybient"},  {"17 / (CR)", "Rock / Cover"},
        {"(13)(17)Punk", "Pop / Punk"},
    };
    for (const auto& [tcon, text] : shown) EXPECT_EQ(genreDisplayText(tcon), text) << tcon;

    EXPECT_EQ(parseGenreRef("()").consumed, 0u) << "no digits, no reference";
    EXPECT_EQ(parseGenreRef("(17)Rock").number, 17);
    EXPECT_EQ(parseGenreRef("(17)Rock").consumed, 4u);
}

TEST(ColumnTable, NamesAndFrames)
{
    const std::pair<std::string_view, std::string_view> expected[] = {
        {"Filename", ""},        {"Title", "TIT2"},     {"Artist", "TPE1"},  {"Album", "TALB"},
        {"Year", "TYER"},        {"Comment", "COMM"},   {"Genre", "TCON"},   {"Track", "TRCK"},
        {"Composer", "TCOM"},    {"Orig. Artist", "TOPE"}, {"Copyright", "TCOP"},
        {"URL", "WXXX"},         {"Encoded By", "TENC"},    {"Cover", ""},
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

TEST(PictureTypeTable, KeywordsAndNumbersNameTypes)
{
    EXPECT_EQ(pictureTypeOfKeyword("front"), kFrontCoverType);
    EXPECT_EQ(pictureTypeOfKeyword("Publisher-Logo"), 20);
    EXPECT_EQ(pictureTypeOfKeyword("255"), 255);
    for (const auto bad : {"", "256", "1000", "front cover", "-1"})
        EXPECT_FALSE(pictureTypeOfKeyword(bad)) << bad;
    EXPECT_EQ(pictureTypeName(4), "Back cover");
    EXPECT_EQ(pictureTypeName(42), "Type 42");
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
