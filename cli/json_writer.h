#pragma once
// Just enough JSON for `show --json`: string literals with every escape a strict parser wants.

#include <string>
#include <string_view>

namespace corvane::cli {

// text as a JSON string literal, quotes included. Control characters are escaped; bytes that are
// not valid UTF-8 (a file name is any byte string) become U+FFFD so the output stays valid.
[[nodiscard]] std::string jsonString(std::string_view text);

}  // namespace corvane::cli
