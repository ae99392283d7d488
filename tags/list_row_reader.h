#pragma once
// The fast readers that fill one file-list row: they open the file themselves, read only the
// trailer or the frame headers of the tag, and copy values straight into the cells of the columns
// that show them.

#include "field_catalogue.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::tags {

// Bits of a row's tag-presence value (0..3).
inline constexpr int kPresenceId3v1 = 1;
inline constexpr int kPresenceId3v2 = 2;

// Longest cell text, in characters.
inline constexpr std::size_t kMaxCellChars = 259;

// One row: presence bits and one cell text per layout entry (parallel to the layout).
struct ListRow {
    int presence = 0;
    std::vector<std::string> cells;
};

// Position of the first layout entry whose field shows frameId, or -1.
[[nodiscard]] int columnForFrame(std::string_view frameId, std::span<const Column> layout);

// Puts text (cut to kMaxCellChars characters) into the cell of the first layout entry showing
// field; nothing when no entry shows it.
void setCellText(ListRow& row, std::span<const Column> layout, Column field, std::string_view text);

// Reads a row from the ID3v1 trailer (readListRowV1) or the ID3v2 frames (readListRowV2).
// The Filename cell gets fileName; fields the file lacks stay empty; the genre cell of the
// ID3v2 reader holds the raw "TCON" text. A file that cannot be opened gives presence 0 and empty
// cells (besides the name): the list shows it without tags.
[[nodiscard]] ListRow readListRowV1(const std::string& path, std::string_view fileName,
                                    std::span<const Column> layout);
[[nodiscard]] ListRow readListRowV2(const std::string& path, std::string_view fileName,
                                    std::span<const Column> layout);

}  // namespace corvane::tags
