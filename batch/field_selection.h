#pragma once
// Which of the tag editor's fields Update All writes into every file. The main window keeps one
// selection for the whole run of the program and the settings store it as "UpdateAll"; the field
// chooser shows and changes it.

#include <bitset>
#include <cstdint>

#include "tags/editor_fields.h"

namespace corvane::batch {

// While a tag's box is cleared in the editor, the chooser offers the removal of that tag
// instead of its fields, and these fields' flags stand for "remove that tag".
inline constexpr tags::EditorField kRemoveId3v1Field = tags::EditorField::V1Track;
inline constexpr tags::EditorField kRemoveId3v2Field = tags::EditorField::Track;

class FieldSelection {
public:
    // Nothing chosen.
    FieldSelection() = default;
    [[nodiscard]] static FieldSelection all();

    // Whether field is chosen. The play counter is never chosen: it has no row in the chooser
    // and is written whenever the expanded editor shows a count.
    [[nodiscard]] bool operator[](tags::EditorField field) const;
    // Chooses or drops field; the play counter is left out (see above).
    void set(tags::EditorField field, bool chosen);

    // The stored form: bit n set when the field of value n is chosen.
    [[nodiscard]] std::uint32_t bits() const;
    // Reads the stored form; bits past the choosable fields are ignored.
    [[nodiscard]] static FieldSelection fromBits(std::uint32_t bits);

    friend bool operator==(const FieldSelection&, const FieldSelection&) = default;

private:
    std::bitset<tags::kSelectableFieldCount> m_chosen;
};

}  // namespace corvane::batch
