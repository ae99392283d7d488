#include "tags/text_encoding.h"

#include "tags/id3v2_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::tags {
namespace {

using Bytes = std::vector<std::uint8_t>;

// "Tü" followed by U+1F3B5, the surrogate pair D83C DFB5.
const std::string kMixed = "T\xC3\xBC\xF0\x9F\x8E\xB5";
const std::string kReplacement = "\xEF\xBF\xBD";

std::string decode(std::uint8_t encoding, const Bytes& bytes)
{
    return decodeId3Text(encoding, bytes);
}

TEST(DecodeId3Text, Utf16InBothByteOrdersAndWithoutBom)
{
    const Bytes le{0xFF, 0xFE, 'T', 0, 0xFC, 0, 0x3C, 0xD8, 0xB5, 0xDF};
    const Bytes be{0xFE, 0xFF, 0, 'T', 0, 0xFC, 0xD8, 0x3C, 0xDF, 0xB5};
    EXPECT_EQ(decode(1, le), kMixed);
    EXPECT_EQ(decode(1, be), kMixed);
    EXPECT_EQ(decode(2, Bytes(be.begin() + 2, be.end())), kMixed) << "UTF-16BE has no BOM";
    EXPECT_EQ(decode(1, Bytes(le.begin() + 2, le.end())), kMixed) << "no BOM reads as LE";
}

TEST(DecodeId3Text, Utf16EndsAtTerminatorAndDropsAnOddByte)
{
    EXPECT_EQ(decode(1, {0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0}), "a");
    EXPECT_EQ(decode(1, {0xFF, 0xFE, 'a', 0, 'b'}), "a");
    EXPECT_EQ(decode(2, {0, 'a', 0}), "a");
    EXPECT_EQ(decode(1, {0xFF, 0xFE}), "");
    EXPECT_EQ(decode(1, {}), "");
    EXPECT_EQ(decode(1, {0xFF}), "");
}

TEST(DecodeId3Text, UnpairedSurrogatesBecomeReplacementCharacters)
{
    EXPECT_EQ(decode(2, {0xD8, 0x3C, 0, 'x'}), kReplacement + "x") << "high without low";
    EXPECT_EQ(decode(2, {0xDF, 0xB5, 0, 'x'}), kReplacement + "x") << "low alone";
    EXPECT_EQ(decode(2, {0, 'x', 0xD8, 0x3C}), "x" + kReplacement) << "high at the end";
}

TEST(DecodeId3Text, Utf8AndLatin1)
{
    EXPECT_EQ(decode(3, {'T', 0xC3, 0xBC, 0, 'x'}), "T\xC3\xBC");
    EXPECT_EQ(decode(3, {'a', 0xC3, 'b', 0xFF}), "a" + kReplacement + "b" + kReplacement);
    EXPECT_EQ(decode(3, {0xED, 0xA0, 0x80}).substr(0, 3), kReplacement) << "encoded surrogate";
    EXPECT_EQ(decode(3, {0xC0, 0x80}).substr(0, 3), kReplacement) << "overlong form";
    EXPECT_EQ(decode(0, {'C', 'a', 'f', 0xE9, 0, 'x'}), "Caf\xC3\xA9");
    EXPECT_EQ(decode(9, {0xE9}), "\xC3\xA9") << "an unknown encoding reads as ISO-8859-1";
}

TEST(SplitTerminated, FindsTheTerminatorOnItsOwnBoundary)
{
    const auto split = [](std::uint8_t encoding, const Bytes& bytes) {
        const auto part = splitTerminated(encoding, bytes);
        return std::pair{part.terminated, part.rest.size()};
    };
    EXPECT_EQ(split(0, Bytes{'a', 'b', 0, 'c'}), std::pair(true, std::size_t{1}));
    EXPECT_EQ(split(3, Bytes{0}), std::pair(true, std::size_t{0}));
    EXPECT_EQ(split(0, Bytes{'a', 'b'}), std::pair(false, std::size_t{0}));
    // The zero pair at offsets 1..2 straddles two characters and is no terminator.
    EXPECT_EQ(split(1, Bytes{'a', 0, 0, 'b', 0, 0}), std::pair(true, std::size_t{0}));
    EXPECT_EQ(split(2, Bytes{0, 0, 'x'}), std::pair(true, std::size_t{1}));
    EXPECT_EQ(split(1, Bytes{'a', 0, 0}), std::pair(false, std::size_t{0}));
}

TEST(Latin1, ConversionBothWays)
{
    EXPECT_TRUE(isLatin1("Caf\xC3\xA9 \xC3\xBF"));
    EXPECT_FALSE(isLatin1("\xCE\xA9"));
    EXPECT_FALSE(isLatin1(kMixed));
    EXPECT_EQ(utf8ToLatin1("Caf\xC3\xA9"), "Caf\xE9");
    EXPECT_EQ(utf8ToLatin1(kMixed), "T\xFC?") << "one ? per character, not per byte";
    EXPECT_EQ(latin1ToUtf8(std::string_view("\xA9 x")), "\xC2\xA9 x");
    EXPECT_EQ(latin1ToUtf8(utf8ToLatin1("\xC3\xA0\xC3\xBF")), "\xC3\xA0\xC3\xBF");
}

TEST(Utf16Bom, EncodesAndDecodesBack)
{
    const auto encoded = utf8ToUtf16Bom(kMixed);
    EXPECT_EQ(encoded, std::string("\xFF\xFE" "T\0\xFC\0\x3C\xD8\xB5\xDF", 10));
    const Bytes bytes(encoded.begin(), encoded.end());
    EXPECT_EQ(decodeId3Text(1, bytes), kMixed);
    EXPECT_EQ(utf8ToUtf16Bom(""), "\xFF\xFE");
}

TEST(Utf8Prefix, NeverSplitsACharacter)
{
    const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8E\xB5";  // 1, 2, 3 and 4 bytes
    EXPECT_EQ(utf8Length(text), 4u);
    EXPECT_EQ(utf8Prefix(text, 0), "");
    EXPECT_EQ(utf8Prefix(text, 1), "a");
    EXPECT_EQ(utf8Prefix(text, 2), "a\xC3\xA9");
    EXPECT_EQ(utf8Prefix(text, 3), "a\xC3\xA9\xE6\x97\xA5");
    EXPECT_EQ(utf8Prefix(text, 4), text);
    EXPECT_EQ(utf8Prefix(text, 259), text);
    EXPECT_EQ(utf8Prefix(std::string(300, 'x'), 259).size(), 259u);
}

}  // namespace
}  // namespace corvane::tags
