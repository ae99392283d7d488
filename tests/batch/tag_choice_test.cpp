#include "batch/tag_choice.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::batch {
namespace {

TEST(TagChoice, SomeRowsWithTrailerGiveIndeterminateV1AndCheckedV2)
{
    const std::vector<int> rows{3, 2, 3, 2, 2};  // two of five have a trailer, all an ID3v2 tag
    const TagChoice choice = initialTagChoice(rows, true);
    const auto v1 = id3v1BoxSetup(choice);
    const auto v2 = id3v2BoxSetup(choice);
    EXPECT_EQ(v1.state, BoxState::Indeterminate);
    EXPECT_TRUE(v1.threeState);
    EXPECT_TRUE(v1.enabled);
    EXPECT_EQ(v2.state, BoxState::Checked);
    EXPECT_FALSE(v2.threeState);
}

TEST(TagChoice, NoRowWithTrailerGivesPlainUncheckedBox)
{
    const std::vector<int> rows{2, 0, 2};
    const TagChoice choice = initialTagChoice(rows, true);
    const auto v1 = id3v1BoxSetup(choice);
    EXPECT_EQ(v1.state, BoxState::Unchecked);
    EXPECT_FALSE(v1.threeState);
    // Only some rows have an ID3v2 tag: that box starts indeterminate.
    EXPECT_EQ(id3v2BoxSetup(choice).state, BoxState::Indeterminate);
}

TEST(TagChoice, FieldWithoutV1FormDisablesTheV1Box)
{
    const std::vector<int> rows{3};
    const TagChoice choice = initialTagChoice(rows, false);
    const auto v1 = id3v1BoxSetup(choice);
    EXPECT_FALSE(v1.enabled);
    EXPECT_EQ(v1.state, BoxState::Checked);
}

TEST(TagChoice, BoxesReadBackIntoTheFileDecision)
{
    const TagChoice some = readTagChoice(BoxState::Indeterminate, BoxState::Checked);
    EXPECT_TRUE(writesId3v1(some, 1));
    EXPECT_FALSE(writesId3v1(some, 2));  // the trailer only of files that show one
    EXPECT_TRUE(writesId3v2(some, 0));   // the ID3v2 tag of every file
    EXPECT_FALSE(choosesAnyTag(readTagChoice(BoxState::Unchecked, BoxState::Unchecked)));
    const TagChoice v2Present = readTagChoice(BoxState::Unchecked, BoxState::Indeterminate);
    EXPECT_TRUE(writesId3v2(v2Present, 3));
    EXPECT_FALSE(writesId3v2(v2Present, 1));
    EXPECT_FALSE(writesId3v1(v2Present, 3));
}

}  // namespace
}  // namespace corvane::batch
