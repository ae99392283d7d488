#pragma once
// The forgiving ways in which typed texts and texts written by other tools are read: the number
// a text starts with, and names compared without regard to ASCII case.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corvane::tags {

// The number at the start of text, read as C's atoi reads it: leading blanks, an optional sign,
// then decimal digits up to the first other character; no digits gives 0. Only the first
// maxChars characters are looked at. The result saturates at the int64 limits rather than
// overflowing, so callers need only range-check it.
[[nodiscard]] std::int64_t leadingInteger(std::string_view text,
                                          std::size_t maxChars = std::string_view::npos);

// True when a and b are equal once ASCII letters are folded to lower case; other bytes (and so
// every non-ASCII character) must match exactly.
[[nodiscard]] bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when a file name ends in ".mp3", the letters in any case: the entries of a folder that the
// file list and `corvane-tag list` show.
[[nodiscard]] bool isMp3FileName(std::string_view name);

}  // namespace corvane::tags
