#pragma once
// The tag editor's two write lists in a form without widgets: the texts of its controls go in,
// the ID3v1 and ID3v2 write lists come out, under a field selection. The editor's own save takes
// every field; Update All takes the user's choice.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/field_selection.h"
#include "tags/editor_fields.h"
#include "tags/slot_list.h"

namespace corvane::batch {

// What the editor shows, as plain data: the text of every field (a genre box gives its text, a
// table name or typed) and which of its two tag boxes are checked. The editor, Update All and
// the field chooser all read it.
struct EditorTexts {
    std::array<std::string, tags::kEditorFieldCount> values;
    bool v1Checked = true;
    bool v2Checked = true;

    [[nodiscard]] std::string& operator[](tags::EditorField field)
    {
        return values[static_cast<std::size_t>(tags::indexOf(field))];
    }
    [[nodiscard]] const std::string& operator[](tags::EditorField field) const
    {
        return values[static_cast<std::size_t>(tags::indexOf(field))];
    }
};

// Which ID3v2 fields the editor's save and Update All take: the reduced layout leaves "Sub
// Title" to "Conductor" and the play counter out, so their frames stay in the file as they are.
enum class EditorLayout { Expanded, Reduced };

enum class TagAction { Write, Remove };

// A collected write list. With Write and no entries, the tag is not touched.
struct CollectedList {
    TagAction action = TagAction::Write;
    tags::SlotList entries;
};

// ID3v1 entries in the order genre, title .. comment, track, each only when it is chosen. A
// cleared ID3v1 box gives Remove when kRemoveId3v1Field is chosen, else nothing to write.
[[nodiscard]] CollectedList collectId3v1List(const EditorTexts& texts,
                                             const FieldSelection& selection);

// Whether a write list takes the play counter: the editor's own save of the file it shows does;
// Update All, whose chooser has no row for it, never copies one file's count into the others.
enum class PlayCounter { Write, Leave };

// ID3v2 entries for the chosen text fields of the layout (Track No .. Conductor expanded, Track
// No .. Encoded By reduced; empty texts too: they remove their frames), then "TCON" when the
// ID3v2 genre is chosen, then, in the expanded layout with PlayCounter::Write, "PCNT" when the
// play counter text is not empty. A cleared ID3v2 box gives Remove when kRemoveId3v2Field is
// chosen, else nothing to write.
[[nodiscard]] CollectedList collectId3v2List(const EditorTexts& texts,
                                             const FieldSelection& selection,
                                             EditorLayout layout, PlayCounter counter);

// A cleared box removes only a tag the editor loaded: one it could not read (another version, a
// damaged tag, an I/O error) is never removed by accident, from its file or, through Update All,
// from every file.
void keepUnloadedTag(CollectedList& list, bool loaded);

// The 8-byte big-endian counter a "PCNT" write entry holds, from the counter's text read the
// forgiving way (blanks and a sign accepted, reading stops at the first non-digit).
[[nodiscard]] std::string playCounterBytes(std::int64_t count);
[[nodiscard]] std::string playCounterBytes(std::string_view text);

}  // namespace corvane::batch
