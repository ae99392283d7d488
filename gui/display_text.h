#pragma once
// The two ways a core text becomes a QString at the widget boundary: UTF-8 texts (tag values,
// reasons), and file-system names and paths, which are bytes in the system's encoding.

#include <QString>
#include <string_view>

namespace corvane {

[[nodiscard]] QString fromUtf8(std::string_view text);

// A file name or path (bytes as the file system holds them) as the user sees it.
[[nodiscard]] QString displayName(std::string_view bytes);

}  // namespace corvane
