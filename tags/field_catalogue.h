#pragma once
// The constant tables every layer shares: list columns, the keys of a TagRecord,
// genre names, ID3v1 widths and the MPEG bit-rate tables. Nothing here changes at run time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::tags {

// List columns, by their physical index in the file list.
enum class Column : int {
    Filename = 0, Title, Artist, Album, Year, Comment, Genre, Track,
    Composer, OrigArtist, Copyright, Url, EncodedBy,
};
inline constexpr int kColumnCount = 13;

struct ColumnDef {
    std::string_view name;     // header text, at most 12 characters
    std::string_view frameId;  // ID3v2 frame that fills the column; empty for Filename
};
extern const std::array<ColumnDef, kColumnCount> ColumnTable;

// The 30 keys of a TagRecord, slot by slot; the first six (the ID3v1 slots) are empty.
inline constexpr int kTagRecordSize = 30;
extern const std::array<std::string_view, kTagRecordSize> FrameIdTable;

// Genre names indexed by the ID3v1 genre byte; a byte of 126 or more names no genre.
inline constexpr int kGenreCount = 126;
inline constexpr std::uint8_t kNoGenre = 255;
extern const std::array<std::string_view, kGenreCount> GenreTable;

// Widths of the ID3v1 fields Title, Artist, Album, Year, Comment, Genre in trailer order; the
// genre is written separately as one byte.
inline constexpr std::array<int, 6> Id3v1FieldSizes{30, 30, 30, 4, 29, 0};

// Bit rates in kbit/s; index 0 is free format.
extern const std::array<int, 15> BitRatesV1Layer2;
extern const std::array<int, 15> BitRatesV1Layer3;
extern const std::array<int, 15> BitRatesV2Layer1;

// A leading "(n)" genre reference of an ID3v2 genre text. number is -1 when there is none;
// consumed is where the display text starts ((17)Rock gives 17 and 4; "((" gives -1 and 1).
// Callers treat a number outside 0..125 as no genre number.
struct GenreRef {
    int number = -1;
    std::size_t consumed = 0;
};
[[nodiscard]] GenreRef parseGenreRef(std::string_view text);

// The first GenreTable index whose name equals text without regard to ASCII case.
[[nodiscard]] std::optional<int> findGenre(std::string_view text);

// The name of an ID3v1 genre byte, or "" for 126 and above.
[[nodiscard]] std::string_view genreName(int genreByte);

// The genre name an ID3v2 "TCON" text stands for: the table name of a reference 0..125, else
// the table name equal to the text after the reference, else "".
[[nodiscard]] std::string_view genreNameOfTcon(std::string_view tcon);

// How the file list shows an ID3v2 genre text: without its leading "(n)" reference ("(17)Rock"
// shows "Rock", "((Live)" shows "(Live)"), except that a text which is nothing but a reference to
// a table genre shows that genre's name ("(17)" shows "Rock") rather than nothing.
[[nodiscard]] std::string_view genreDisplayText(std::string_view tcon);

// Column whose frame is frameId, if any (Filename has none).
[[nodiscard]] std::optional<Column> columnOfFrame(std::string_view frameId);

}  // namespace corvane::tags
