#pragma once
// Which fields "Update All" writes: flags 0..24 are the 25 text edits of the tag editor in
// control order, 25 the ID3v1 genre box, 26 the ID3v2 genre box. When a tag's box is cleared,
// flag 0 (ID3v1) or flag 6 (ID3v2) stands for the removal of that tag. Owned by the main window
// and kept in the settings as "UpdateAll".

#include <array>

namespace corvane {

inline constexpr int kFieldSelectionSize = 27;
using FieldSelection = std::array<bool, kFieldSelectionSize>;

[[nodiscard]] inline FieldSelection allFieldsSelected()
{
    FieldSelection s{};
    s.fill(true);
    return s;
}

}  // namespace corvane
