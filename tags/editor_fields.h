#pragma once
// The fields of the tag editor, named once: the record slot each control shows, the label the
// Update All field chooser gives it, and the ID3v2 frame it writes. The editor, Update All, the
// field chooser and corvane-tag's `set` all go through this one table.

#include <array>
#include <optional>
#include <string_view>

#include "tags/slot_list.h"

namespace corvane::tags {

// In the order of the editor's controls: the six ID3v1 text edits, the nineteen ID3v2 text
// edits, the two genre boxes, then the play counter. The values up to V2Genre are also the
// positions of the Update All field selection, as the settings store it.
enum class EditorField : int {
    V1Track, V1Title, V1Artist, V1Album, V1Year, V1Comment,
    Track, Title, Artist, Album, Year, Comment, Composer, Lyricist, Copyright, Url, EncodedBy,
    SubTitle, OrigArtist, OrigAlbum, OrigYear, OrigLyricist, Publisher, Band, Conductor,
    V1Genre, V2Genre,
    PlayCounter,
};
inline constexpr int kEditorFieldCount = 28;
// Every field but the play counter can be chosen for Update All; the counter has no row there.
inline constexpr int kSelectableFieldCount = 27;

// The text edits of each tag, first to last in control order.
inline constexpr EditorField kFirstV1Text = EditorField::V1Track;
inline constexpr EditorField kLastV1Text = EditorField::V1Comment;
inline constexpr EditorField kFirstV2Text = EditorField::Track;
inline constexpr EditorField kLastV2Text = EditorField::Conductor;

struct EditorFieldDef {
    std::string_view label;  // as the field chooser names it ("Track No", "Orig. Artist")
    RecordSlot slot;         // the TagRecord slot the field shows and is loaded from
    // The key an ID3v1 field writes under; nullopt for the fields of the ID3v2 tag.
    std::optional<V1FieldNo> v1Field;
};
extern const std::array<EditorFieldDef, kEditorFieldCount> EditorFieldTable;

// The field's position in EditorField order (and in EditorFieldTable).
[[nodiscard]] constexpr int indexOf(EditorField field)
{
    return static_cast<int>(field);
}

// The field's row of EditorFieldTable.
[[nodiscard]] const EditorFieldDef& definitionOf(EditorField field);

// Calls visit with every field from first to last (both included), in control order.
template <typename Visit>
constexpr void forEachField(EditorField first, EditorField last, Visit visit)
{
    for (int i = indexOf(first); i <= indexOf(last); ++i)
        visit(static_cast<EditorField>(i));
}

// Calls visit with every field of the editor, in control order.
template <typename Visit>
constexpr void forEachField(Visit visit)
{
    forEachField(EditorField::V1Track, EditorField::PlayCounter, visit);
}

// The ID3v2 frame an ID3v2 field writes ("TIT2", "TCON", "PCNT"); empty for an ID3v1 field.
[[nodiscard]] std::string_view frameIdOf(EditorField field);

// The ID3v2 field that writes frameId, or nullopt when the editor shows no such frame.
[[nodiscard]] std::optional<EditorField> editorFieldOfFrame(std::string_view frameId);

}  // namespace corvane::tags
