#include "batch/name_format.h"

#include <gtest/gtest.h>

namespace corvane::batch {
namespace {

NameFormat formatOf(std::string_view text)
{
    std::string error;
    auto format = parseNameFormat(text, error);
    EXPECT_TRUE(format) << text << ": " << error;
    return format.value_or(NameFormat{});
}

// The captures as "frame=value" joined by "|", or "no match".
std::string read(std::string_view format, std::string_view path)
{
    const auto captures = matchName(formatOf(format), path);
    if (!captures) return "no match";
    std::string out;
    for (const auto& c : *captures) out += (out.empty() ? "" : "|") + c.field.frameId + "=" + c.value;
    return out;
}

TEST(NameFormat, ReadsNamesAsTheFormatSays)
{
    struct Case {
        std::string_view format, path, expected;
    };
    const Case cases[] = {
        {"%track% - %title%", "/m/03 - Intro.mp3", "TRCK=3|TIT2=Intro"},
        // The ending is dropped in any case; other endings are part of the name.
        {"%title%", "/m/Song.MP3", "TIT2=Song"},
        {"%title%", "/m/Song.ogg", "TIT2=Song.ogg"},
        // A padded or number placeholder takes digits only, so it may touch the next one.
        {"%track:2%%title%", "/m/07Seven.mp3", "TRCK=7|TIT2=Seven"},
        {"%year% %title%", "/m/1999 Party.mp3", "TYER=1999|TIT2=Party"},
        // The first placeholder takes as little as lets the rest match; spaces around go.
        {"%artist% - %title%", "/m/A - B - C.mp3", "TPE1=A|TIT2=B - C"},
        {"%artist%-%title%", "/m/ Ann - Song .mp3", "TPE1=Ann|TIT2=Song"},
        {"%ignore% - %title%", "/m/CD1 - 01 - Song.mp3", "TIT2=01 - Song"},
        {"%ignore%%track%. %title%", "/m/x12. Twelve.mp3", "TRCK=12|TIT2=Twelve"},
        {"%artist%/%album%/%track% - %title%", "/m/Ann/Live/01 - Go.mp3",
         "TPE1=Ann|TALB=Live|TRCK=1|TIT2=Go"},
        {"100%% %title%", "/m/100% Pure.mp3", "TIT2=Pure"},
        {"%artist% - %title% (%artist%)", "/m/Ann - Go (Ann).mp3", "TPE1=Ann|TIT2=Go"},
        {"%genre%_%comment%", "/m/Rock_live.mp3", "TCON=Rock|COMM=live"},
        // Names that do not match.
        {"%track% - %title%", "/m/Intro.mp3", "no match"},
        {"%track% - %title%", "/m/xx - Intro.mp3", "no match"},
        {"%artist% - %title%", "/m/ - Song.mp3", "no match"},
        {"%artist% - %title%", "/m/Ann - .mp3", "no match"},
        {"%artist%/%title%", "Song.mp3", "no match"},
        {"%artist% - %title% (%artist%)", "/m/Ann - Go (Bob).mp3", "no match"},
        // A placeholder never takes a folder separator.
        {"%title%", "/m/a/b.mp3", "TIT2=b"},
        {"%artist% %title%", "/m/a b/c.mp3", "no match"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.format, c.path), c.expected) << c.format << " on " << c.path;
}

TEST(NameFormat, NeverEndsAPlaceholderInsideACharacter)
{
    // "é" is two bytes; a title that took only the first of them would not be text.
    EXPECT_EQ(read("%title%%ignore%", "/m/\xC3\xA9.mp3"), "TIT2=\xC3\xA9");
}

TEST(NameFormat, RefusesWhatIsNoFormat)
{
    struct Case {
        std::string_view format, error;
    };
    const Case cases[] = {
        {"", "the format is empty"},
        {"%title", "a % is not closed (write %% for a percent sign)"},
        {"%tittle%", "unknown placeholder %tittle%"},
        {"%track:0%", "the width in %track:0% must be a number from 1 to 20"},
        {"%track:x%", "the width in %track:x% must be a number from 1 to 20"},
        {"%ignore:2%", "%ignore% takes no width"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseNameFormat(c.format, error)) << c.format;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.format;
    }
}

TEST(NameFormat, FormatsNamesWithPaddedNumbers)
{
    const auto format = formatOf("%TRACK:2% - %Orig-Artist% - %title%");
    const auto name = formatName(format, [](const FieldTarget& field) -> std::string {
        if (field.frameId == "TRCK") return "3/12";
        if (field.frameId == "TOPE") return "Ann";
        return "Go";
    });
    EXPECT_EQ(name, "03 - Ann - Go");
    EXPECT_EQ(padNumber("123", 2), "123");
    EXPECT_EQ(padNumber("Side A", 2), "Side A");
}

}  // namespace
}  // namespace corvane::batch
