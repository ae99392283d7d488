#pragma once
// Just enough JSON for `show --json`: string literals with every escape a strict parser wants.

#include <string>
#include <string_view>

namespace corvane::cli {

// text as a JSON string literal, quotes included. Control characters are escaped; a byte that is
// not part of valid UTF-8 (a file name is any byte string) becomes its surrogate escape
// \udcXX (XX the byte, 80 to ff), which Python's "surrogateescape" maps back to the byte.
[[nodiscard]] std::string jsonString(std::string_view text);

}  // namespace corvane::cli
