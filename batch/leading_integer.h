#pragma once
// The number a user typed, read the forgiving way the dialogs read it: leading blanks, an
// optional sign, then decimal digits up to the first other character; no digits gives 0.

#include <cstdint>
#include <string_view>

namespace corvane::batch {

// Reads at most maxChars characters of text. The result saturates at the int64 limits rather
// than overflowing.
[[nodiscard]] std::int64_t leadingInteger(std::string_view text,
                                          std::size_t maxChars = std::string_view::npos);

}  // namespace corvane::batch
