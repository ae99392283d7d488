#pragma once
// Conversions between the program's UTF-8 texts and the encodings of the tag formats.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::tags {

// ID3v2 text encoding bytes.
enum class TextEncoding : std::uint8_t { Latin1 = 0, Utf16Bom = 1, Utf16Be = 2, Utf8 = 3 };

[[nodiscard]] std::string latin1ToUtf8(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::string latin1ToUtf8(std::string_view bytes);

// True when every character of the UTF-8 text has an ISO-8859-1 form.
[[nodiscard]] bool isLatin1(std::string_view utf8);
// ISO-8859-1 bytes of a UTF-8 text; a character outside ISO-8859-1 becomes "?".
[[nodiscard]] std::string utf8ToLatin1(std::string_view utf8);
// UTF-16 little-endian with its byte-order mark FF FE, no terminator.
[[nodiscard]] std::string utf8ToUtf16Bom(std::string_view utf8);

// Decodes an ID3v2 string in the given encoding to UTF-8. The text ends at its terminator (one
// zero byte, or two zero bytes on an even offset for UTF-16) or at the end of bytes. An unknown
// encoding byte is read as ISO-8859-1. Malformed sequences become U+FFFD; never throws.
[[nodiscard]] std::string decodeId3Text(std::uint8_t encoding, std::span<const std::uint8_t> bytes);

// The text with every malformed UTF-8 sequence replaced by U+FFFD, so it can be stored as UTF-8.
[[nodiscard]] std::string sanitizeUtf8(std::string_view text);

// One character of a UTF-8 text: its code point and the length of its sequence.
struct Utf8Char {
    char32_t cp = 0xFFFD;
    std::size_t length = 0;  // 0: no well-formed sequence starts here
};
// The character whose UTF-8 sequence starts at text[at] (at < text.size()). Overlong forms,
// surrogates, code points past U+10FFFF and cut-off sequences are not well-formed.
[[nodiscard]] Utf8Char decodeUtf8At(std::string_view text, std::size_t at);
// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate).
void appendUtf8(std::string& out, char32_t cp);

// Length in bytes of the well-formed UTF-8 sequence that starts at text[at] (at < text.size()),
// or 0 when none does (a stray byte, an overlong form, a surrogate, a cut-off sequence).
[[nodiscard]] std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

// The longest prefix of a UTF-8 text with at most maxChars characters; never splits a character.
[[nodiscard]] std::string_view utf8Prefix(std::string_view utf8, std::size_t maxChars);
// Number of characters in a UTF-8 text.
[[nodiscard]] std::size_t utf8Length(std::string_view utf8);

}  // namespace corvane::tags
