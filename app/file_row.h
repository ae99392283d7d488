#pragma once
// One row of the file list: the file it stands for, the tags it has, the texts it shows and the
// key it sorts by. Reading a row and comparing two rows need no widgets.

#include "gui/column_layout.h"
#include "tags/list_row_reader.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The bits of a row's image: tags::kPresenceId3v1 when the file has an ID3v1 trailer,
// tags::kPresenceId3v2 when it has an ID3v2 tag. Each of the four combinations has a picture.
inline constexpr int kPresenceBits = tags::kPresenceId3v1 | tags::kPresenceId3v2;

struct FileRow {
    std::string name;  // the bare name as found in the folder (file-system bytes)
    int presence = 0;  // kPresenceBits
    // The sort key, computed when the row is read or the sort column changes, so that sorting
    // compares without converting anything.
    bool numeric = false;
    int numericKey = 0;
    std::string textKey;
    std::vector<QString> cells;  // display text of each layout column, in physical order
    // The row's place in the folder's listing: rows with equal keys keep this order after a
    // scan, however the threads that read them finished.
    std::size_t listingOrder = 0;
};

// The C atoi rule: leading blanks, an optional sign, decimal digits up to the first other
// character; 0 when there are none. Values beyond the int range are limited to it.
[[nodiscard]] int leadingInteger(std::string_view text);

// Whether a column sorts by number (Year, Track, and Cover by its width).
[[nodiscard]] bool isNumericColumn(tags::Column field);

// Sets the row's key from text: a number for a numeric column, the text itself otherwise.
void setSortKey(FileRow& row, tags::Column sortField, std::string_view text);

// The ascending order of two rows by their keys: negative, zero or positive. Text keys compare
// byte by byte as unsigned characters, so the order is ordinal and case-sensitive. The flag of
// `a` decides the kind of key, since all rows of a list carry the same one.
[[nodiscard]] int compareRows(const FileRow& a, const FileRow& b);

// What the Genre column shows for an ID3v2 genre text: the text after a leading "(n)" reference
// ("(17)Rock" shows "Rock", "((Live)" shows "(Live)"); a bare reference to a known genre shows
// that genre's name ("(17)" shows "Rock").
[[nodiscard]] QString genreDisplayText(std::string_view tcon);

// Reads the row of folder + name for a layout and tag view, with its key for the sort column
// (an index into layout, or out of range for none). A file that cannot be opened still gets a
// row: its name, empty tag cells and no tags.
[[nodiscard]] FileRow readFileRow(const std::string& folder, const std::string& name,
                                  const ColumnLayout& layout, TagView view, int sortColumn);

}  // namespace corvane
