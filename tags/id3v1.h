#pragma once
// The 128-byte ID3v1 trailer at the end of a file. Fields are ISO-8859-1 on disk and UTF-8 here.
//
//   0 "TAG" | 3 title 30 | 33 artist 30 | 63 album 30 | 93 year 4 | 97 comment 30 | 127 genre
//
// A track number (ID3v1.1) takes the last two comment bytes: byte 125 zero, byte 126 the track.
// So a comment written together with a track keeps 28 characters, one without 30; and a
// non-zero byte 125 means a 30-character comment and no track, as every other reader takes it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "file.h"
#include "slot_list.h"
#include "tag_result.h"

namespace corvane::tags {

inline constexpr std::uint64_t kId3v1Size = 128;
using Id3v1Trailer = std::array<std::uint8_t, kId3v1Size>;

// Where each field lies in the trailer, and how wide it is.
struct Id3v1Field {
    std::size_t offset;
    std::size_t width;
};
inline constexpr Id3v1Field kId3v1Title{3, 30};
inline constexpr Id3v1Field kId3v1Artist{33, 30};
inline constexpr Id3v1Field kId3v1Album{63, 30};
inline constexpr Id3v1Field kId3v1Year{93, 4};
inline constexpr Id3v1Field kId3v1Comment{97, 30};
inline constexpr std::size_t kId3v1CommentWithTrackWidth = 28;
inline constexpr std::size_t kId3v1TrackMarker = 125;  // zero when byte 126 is a track
inline constexpr std::size_t kId3v1TrackOffset = 126;
inline constexpr std::size_t kId3v1GenreOffset = 127;

// The width a field of the write list is stored with (the comment's depends on the track).
[[nodiscard]] std::size_t id3v1Width(V1FieldNo field, bool withTrack = false);

// The values of a trailer, decoded.
struct Id3v1Values {
    std::string title, artist, album, year, comment;
    int track = 0;              // 0: no track
    std::uint8_t genre = 255;   // the raw genre byte
};
[[nodiscard]] Id3v1Values parseId3v1(const Id3v1Trailer& trailer);

// What a text shows once stored in a field of the given width: ISO-8859-1 with "?" for other
// characters, cut to the width in bytes. Reading a trailer written with text gives exactly this.
[[nodiscard]] std::string id3v1StoredText(std::string_view text, std::size_t width);
// The track byte a text is stored as: its leading number, 255 above that, a negative number by
// its low eight bits.
[[nodiscard]] std::uint8_t id3v1TrackByte(std::string_view text);
// The genre byte a genre name is stored as (the genre list, any case), 255 for none.
[[nodiscard]] std::uint8_t id3v1GenreByte(std::string_view name);

// The trailer after the entries of an ID3v1 write list (keys V1FieldNo, any subset, any order;
// the first entry of each field counts). Fields the list does not name keep their bytes, except
// that a comment too long to share the trailer with a track is cut to make room for it.
[[nodiscard]] Id3v1Trailer applyId3v1Entries(const Id3v1Trailer& trailer, const SlotList& entries);
// A trailer with "TAG", empty fields and no genre.
[[nodiscard]] Id3v1Trailer emptyId3v1Trailer();

// The file's trailer: the last 128 bytes when they start with "TAG" and start no earlier than
// id3v2End (bytes inside an ID3v2 tag are never a trailer). A file shorter has none.
struct TrailerProbe {
    bool ok = false;  // false: an I/O error (the file's errorText says why)
    std::uint64_t length = 0;
    std::optional<Id3v1Trailer> trailer;
};
[[nodiscard]] TrailerProbe probeId3v1(FileIo& file, std::uint64_t id3v2End);
// The same, where the end of the ID3v2 tag is read from the file's header.
[[nodiscard]] TrailerProbe probeId3v1(FileIo& file);

// Reads the trailer into slots 0..5 of list (Track, Title, Artist, Album, Year, Comment; the list
// must have at least 6 slots, 7 when genreIntoSlot6). When genreIntoSlot6 is true slot 6 receives
// the raw genre byte; otherwise the list is a TagRecord and its genre-byte slot receives it.
// Without a trailer slots 0..5 are emptied and the genre slot is left alone.
[[nodiscard]] TagRead readId3v1(FileIo& file, SlotList& list, bool genreIntoSlot6);

// Writes the entries of an ID3v1 write list into the trailer, appending one when there is none.
[[nodiscard]] WriteResult writeId3v1(FileIo& file, const SlotList& writeList);

// Removes the trailer when there is one; a file without one is left untouched.
[[nodiscard]] WriteResult removeId3v1(FileIo& file);

// True when the file ends with a trailer.
[[nodiscard]] bool hasId3v1(FileIo& file);

}  // namespace corvane::tags
