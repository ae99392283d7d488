#include "tags/editor_fields.h"

namespace corvane::tags {

const std::array<EditorFieldDef, kEditorFieldCount> EditorFieldTable{{
    {"Track No", RecordSlot::V1Track, V1FieldNo::Track},
    {"Title", RecordSlot::V1Title, V1FieldNo::Title},
    {"Artist", RecordSlot::V1Artist, V1FieldNo::Artist},
    {"Album", RecordSlot::V1Album, V1FieldNo::Album},
    {"Year", RecordSlot::V1Year, V1FieldNo::Year},
    {"Comment", RecordSlot::V1Comment, V1FieldNo::Comment},
    {"Track No", RecordSlot::Track, std::nullopt},
    {"Title", RecordSlot::Title, std::nullopt},
    {"Artist", RecordSlot::Artist, std::nullopt},
    {"Album", RecordSlot::Album, std::nullopt},
    {"Year", RecordSlot::Year, std::nullopt},
    {"Comment", RecordSlot::Comment, std::nullopt},
    {"Composer", RecordSlot::Composer, std::nullopt},
    {"Lyricist", RecordSlot::Lyricist, std::nullopt},
    {"Copyright", RecordSlot::Copyright, std::nullopt},
    {"URL", RecordSlot::Url, std::nullopt},
    {"Encoded By", RecordSlot::EncodedBy, std::nullopt},
    {"Sub Title", RecordSlot::SubTitle, std::nullopt},
    {"Orig. Artist", RecordSlot::OrigArtist, std::nullopt},
    {"Orig. Album", RecordSlot::OrigAlbum, std::nullopt},
    {"Orig. Year", RecordSlot::OrigYear, std::nullopt},
    {"Orig. Lyricist", RecordSlot::OrigLyricist, std::nullopt},
    {"Publisher", RecordSlot::Publisher, std::nullopt},
    {"Band", RecordSlot::Band, std::nullopt},
    {"Conductor", RecordSlot::Conductor, std::nullopt},
    {"Genre", RecordSlot::V1GenreByte, V1FieldNo::Genre},
    {"Genre", RecordSlot::Genre, std::nullopt},
    {"Play Counter", RecordSlot::PlayCounter, std::nullopt},
}};

const EditorFieldDef& definitionOf(EditorField field)
{
    return EditorFieldTable[static_cast<std::size_t>(indexOf(field))];
}

std::string_view frameIdOf(EditorField field)
{
    const EditorFieldDef& def = definitionOf(field);
    // An ID3v2 field's record key is the frame it shows.
    return def.v1Field ? std::string_view() : FrameIdTable[static_cast<std::size_t>(def.slot)];
}

std::optional<EditorField> editorFieldOfFrame(std::string_view frameId)
{
    std::optional<EditorField> found;
    if (frameId.empty()) return found;
    forEachField([&](EditorField field) {
        if (!found && frameIdOf(field) == frameId) found = field;
    });
    return found;
}

}  // namespace corvane::tags
