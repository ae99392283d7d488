#include "batch/text_replace.h"

#include <gtest/gtest.h>

namespace corvane::batch {
namespace {

std::string replaced(ReplaceOptions options, std::string_view text)
{
    std::string error;
    const auto replacer = TextReplacer::make(options, error);
    if (!replacer) return "error: " + error;
    const auto result = replacer->apply(text);
    return result.error.empty() ? result.text : "error: " + result.error;
}

TEST(TextReplace, ReplacesEveryMatch)
{
    struct Case {
        ReplaceOptions options;
        std::string_view text, expected;
    };
    const Case cases[] = {
        {{"a", "o", false, false}, "banana", "bonono"},
        {{"A", "o", false, false}, "banana", "banana"},
        {{"\xC3\x89t\xC3\xA9", "summer", false, true}, "\xC3\xA9T\xC3\x89 time", "summer time"},
        {{"$1", "x", false, false}, "cost $1", "cost x"},
        {{"aa", "a", false, false}, "aaaaa", "aaa"},
        // Groups, the whole match and a dollar sign in the replacement.
        {{"(\\w+) - (\\w+)", "$2 - $1", true, false}, "Ann - Go", "Go - Ann"},
        {{"^(\\d+)\\.", "[$&] $$", true, false}, "07. Go", "[07.] $ Go"},
        {{"\xC3\xA9+", "e", true, true}, "caf\xC3\x89\xC3\xA9", "cafe"},
        {{"feat\\.?", "ft.", true, true}, "Go (FEAT Ann)", "Go (ft. Ann)"},
        // One character of the text is one character of the expression, whatever its bytes.
        {{"^.", "X", true, false}, "\xC3\xA9t\xC3\xA9", "Xt\xC3\xA9"},
        {{"(", "", true, false}, "x", "error: the regular expression is not valid"},
        {{"", "x", false, false}, "x", "error: there is nothing to find"},
    };
    for (const auto& c : cases) {
        const auto result = replaced(c.options, c.text);
        EXPECT_EQ(result.substr(0, c.expected.size()), c.expected) << c.options.find << " in " << c.text;
    }
}

TEST(TextReplace, ALongTextIsNotSearchedByAnExpression)
{
    std::string error;
    const auto replacer = TextReplacer::make({"(a|b)*c", "x", true, false}, error);
    ASSERT_TRUE(replacer);
    const std::string text(kMaxRegexChars + 1, 'a');
    const auto result = replacer->apply(text);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.text, text);
    EXPECT_EQ(replacer->apply(std::string(kMaxRegexChars - 1, 'a') + "c").text, "x");
}

}  // namespace
}  // namespace corvane::batch
