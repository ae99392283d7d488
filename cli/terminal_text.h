#pragma once
// Text from files (names, tag values) on its way to a terminal or a line-based reader: nothing in
// it may move the cursor, change the terminal or split a line.

#include <string>
#include <string_view>

namespace corvane::cli {

// text with every control character escaped: C0 controls and DEL as \xHH, C1 controls (U+0080 to
// U+009F) as \u00HH, a byte that is not part of valid UTF-8 as \xHH, and a backslash as \\, so
// that the original bytes can always be told back.
[[nodiscard]] std::string escapeControls(std::string_view text);

}  // namespace corvane::cli
