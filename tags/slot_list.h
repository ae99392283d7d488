#pragma once
// The slot list through which every module passes tag values, and the 30-slot record of one file
// as the editor holds it.

#include "field_catalogue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::tags {

// Keys of an ID3v1 write list.
enum class V1FieldNo : int { Title = 1, Artist, Album, Year, Comment, Genre, Track };

// One value with its key. In ID3v2 lists and in a TagRecord the key is a frame identifier (empty
// for the six ID3v1 slots of a record); in ID3v1 write lists it is a V1FieldNo and `key` is empty.
//
// Values are UTF-8 text, except the raw bytes of the genre-byte slot and of a "PCNT" write entry
// (the 8-byte big-endian counter). An absent value means "no value". In a write list an entry
// whose value is absent or empty asks for the removal of the frame (ID3v2) or the clearing of
// the field (ID3v1).
struct FieldSlot {
    std::string key;
    V1FieldNo v1Field = V1FieldNo::Title;
    std::optional<std::string> value;

    [[nodiscard]] static FieldSlot frame(std::string_view id, std::optional<std::string> v = {});
    [[nodiscard]] static FieldSlot v1(V1FieldNo no, std::optional<std::string> v = {});
    [[nodiscard]] bool hasValue() const { return value.has_value(); }
    [[nodiscard]] const std::string& text() const;  // the value, or "" when absent
};

using SlotList = std::vector<FieldSlot>;

// Slot indexes of a TagRecord.
enum class RecordSlot : int {
    V1Track = 0, V1Title, V1Artist, V1Album, V1Year, V1Comment,
    Track, Title, Artist, Album, Year, Comment, Composer, Lyricist, Copyright, Url, EncodedBy,
    SubTitle, OrigArtist, OrigAlbum, OrigYear, OrigLyricist, Publisher, Band, Conductor,
    PlayCounter,
    V1Present,    // key "IDV1": "1" when the file has an ID3v1 trailer, "" when not
    V1GenreByte,  // key "IDV2": the raw ID3v1 genre byte, one byte
    V2Present,    // key "GEN1": "1" when the file has an ID3v2 tag, "" when not
    Genre,        // key "TCON"
};

// Largest number of characters each ID3v1 slot 0..5 holds (its buffer capacity less one).
// The comment's 30 shrink to 28 while there is a track (ID3v1.1; see id3v1.h).
inline constexpr std::array<int, 6> kV1SlotMaxChars{3, 30, 30, 30, 4, 30};

// All tag values of one file: exactly 30 slots keyed by FrameIdTable, in that order.
class TagRecord {
public:
    TagRecord();

    // Empties slots 0..5 and drops the values of slots 6..29; the keys never change.
    void clear();

    [[nodiscard]] SlotList& slotList() { return m_slots; }
    [[nodiscard]] const SlotList& slotList() const { return m_slots; }
    [[nodiscard]] FieldSlot& operator[](RecordSlot s) { return m_slots[static_cast<int>(s)]; }
    [[nodiscard]] const FieldSlot& operator[](RecordSlot s) const
    {
        return m_slots[static_cast<int>(s)];
    }
    [[nodiscard]] bool hasId3v1() const;
    [[nodiscard]] bool hasId3v2() const;
    void setHasId3v1(bool present);
    void setHasId3v2(bool present);

private:
    SlotList m_slots;
};

}  // namespace corvane::tags
