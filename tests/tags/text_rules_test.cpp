#include "tags/text_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvane::tags {
namespace {

TEST(LeadingInteger, ReadsAsAtoiDoesAndSaturates)
{
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    const std::tuple<std::string_view, std::size_t, std::int64_t> cases[] = {
        {"42", std::string_view::npos, 42},   {"  \t7/12", std::string_view::npos, 7},
        {"+4x", std::string_view::npos, 4},   {"-15", std::string_view::npos, -15},
        {"", std::string_view::npos, 0},      {"abc", std::string_view::npos, 0},
        {"- 3", std::string_view::npos, 0},   {"1234", 2, 12},
        {"99999999999999999999", std::string_view::npos, kMax},
        {"-99999999999999999999", std::string_view::npos, -kMax},
    };
    for (const auto& [text, maxChars, expected] : cases)
        EXPECT_EQ(leadingInteger(text, maxChars), expected) << '"' << text << '"';
}

TEST(EqualsIgnoringAsciiCase, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(equalsIgnoringAsciiCase("Hip-Hop", "hIP-hOP"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("Rock", "Rock "));
    EXPECT_FALSE(equalsIgnoringAsciiCase("\xC3\xA9", "\xC3\x89")) << "é and É are not ASCII";
    EXPECT_FALSE(equalsIgnoringAsciiCase("[", "{")) << "only letters fold";
}

TEST(IsMp3FileName, SuffixInAnyCase)
{
    for (const char* name : {"a.mp3", "B.MP3", ".Mp3", "x.y.mP3"})
        EXPECT_TRUE(isMp3FileName(name)) << name;
    for (const char* name : {"mp3", "a.mp3 ", "a.mp4", "a_mp3", "a.mp3.bak", ""})
        EXPECT_FALSE(isMp3FileName(name)) << name;
}

}  // namespace
}  // namespace corvane::tags
