#include "batch/track_numbering.h"

#include <gtest/gtest.h>

#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

std::string text(int zeroMode, std::int64_t start, std::size_t rows, std::int64_t number)
{
    return trackText(number, trackWidth(zeroMode, start, rows));
}

TEST(TrackNumbering, WidthsOfTheThreeZeroModes)
{
    EXPECT_EQ(text(kZerosNone, 1, 5, 5), "5");
    EXPECT_EQ(text(kZerosAutomatic, 1, 120, 1), "001");
    EXPECT_EQ(text(kZerosAutomatic, 1, 9, 1), "1");
    EXPECT_EQ(text(kZerosAutomatic, 1, 10, 1), "01");
    EXPECT_EQ(text(2, 9, 3, 9), "009");
    EXPECT_EQ(text(2, 9, 3, 10), "010");
    EXPECT_EQ(text(2, 10, 3, 10), "0010");
    EXPECT_EQ(text(2, 10, 3, 11), "0011");
    EXPECT_EQ(text(0, 7, 3, 7), "7");  // Custom with no zeros is None
    // A number longer than the width is never cut.
    EXPECT_EQ(trackText(12345, 3), "12345");
    EXPECT_EQ(trackWidth(99, 999999, 1), kMaxTrackWidth);
}

TEST(TrackNumbering, DialogTextsAreReadForgivingly)
{
    EXPECT_EQ(parseStartNumber("abc"), 1);
    EXPECT_EQ(parseStartNumber("-3"), 1);
    EXPECT_EQ(parseStartNumber(" 12x"), 12);
    EXPECT_EQ(parseZeroCount("-4"), 0);
    EXPECT_EQ(parseZeroCount("3"), 3);
}

TEST(TrackNumbering, NumberAbove255KeepsFullTextInId3v2Only)
{
    test::TempDir dir;
    const auto path = dir.file("t.mp3");
    test::writeFile(path, test::mp3({}, test::mpegAudio(3000), test::trailer("T")));
    auto file = test::openUpdate(path);
    const auto outcome = writeTrack(file, "300", kChoiceV1All | kChoiceV2All, 1, false);
    file.close();
    ASSERT_TRUE(outcome.isWritten());
    EXPECT_EQ(test::readV1(path).track, "255");
    EXPECT_EQ(test::readV2(path)["TRCK"], "300");
}

TEST(TrackNumbering, PaddedTextLosesItsZerosInTheTrailer)
{
    test::TempDir dir;
    const auto path = dir.file("t.mp3");
    test::writeFile(path, test::mp3(test::tag({}, 64), test::mpegAudio(3000), test::trailer("T")));
    auto file = test::openUpdate(path);
    ASSERT_TRUE(writeTrack(file, "007", kChoiceV1Present | kChoiceV2Present, 3, false).isWritten());
    file.close();
    EXPECT_EQ(test::readV1(path).track, "7");
    EXPECT_EQ(test::readV2(path)["TRCK"], "007");
}

}  // namespace
}  // namespace corvane::batch
