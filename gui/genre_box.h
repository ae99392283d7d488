#pragma once
// The tag editor's two genre boxes. Both hold the same 127 items in the same sorted order (the
// empty item, value 255, first; then the GenreTable names, each with its index as value), so a
// position in one box names the same genre in the other.

#include <cstdint>
#include <optional>
#include <string>

class QComboBox;

namespace corvane {

// Replaces the items of box with the empty item and the sorted genre names.
void fillGenreBox(QComboBox& box);

// Selects the item whose value is index, or the empty item when index is absent or no item has
// that value.
void selectGenreIndex(QComboBox& box, std::optional<int> index);

// Shows an ID3v1 genre byte: its name, or the empty item for 255 and every byte past the table.
void showGenreByte(QComboBox& box, std::optional<std::uint8_t> genreByte);

// Shows an ID3v2 "TCON" text in the editable box as the list shows it (tags::genreDisplayText):
// a reference to a known genre, bare or with that genre's name, selects that item ("(17)" and
// "(17)Rock" select Rock); anything else is typed text ("(17)Custom" shows "Custom", "(17)(13)" "Rock / Pop"). No text selects the empty
// item.
void showGenreText(QComboBox& box, const std::optional<std::string>& tcon);

}  // namespace corvane
