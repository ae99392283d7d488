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
    Cover,  // the pixel size of the file's cover, from the picture's header bytes
};
inline constexpr int kColumnCount = 14;

struct ColumnDef {
    std::string_view name;     // header text, at most 12 characters
    std::string_view frameId;  // ID3v2 frame that fills the column; empty for Filename and Cover
};
extern const std::array<ColumnDef, kColumnCount> ColumnTable;

// The 30 keys of a TagRecord, slot by slot; the first six (the ID3v1 slots) are empty.
inline constexpr int kTagRecordSize = 30;
extern const std::array<std::string_view, kTagRecordSize> FrameIdTable;

// Genre names indexed by the ID3v1 genre byte: the original 126 and the 66 that every common
// reader adds after them; a byte of 192 or more names no genre.
inline constexpr int kGenreCount = 192;
inline constexpr std::uint8_t kNoGenre = 255;
extern const std::array<std::string_view, kGenreCount> GenreTable;

// The picture types of an attached picture, by the number its frame stores: the name the
// program shows and the keyword corvane-tag takes ("front"). A number past the table is shown by
// its digits.
struct PictureTypeDef {
    std::string_view name;
    std::string_view keyword;
};
inline constexpr int kPictureTypeCount = 21;
inline constexpr std::uint8_t kFrontCoverType = 3;
extern const std::array<PictureTypeDef, kPictureTypeCount> PictureTypeTable;

// "Front cover" for 3; "Type 42" for a number past the table.
[[nodiscard]] std::string pictureTypeName(std::uint8_t type);
// The type of a keyword ("front", "back-cover" is not one) or of its number ("3"); nullopt for
// anything else.
[[nodiscard]] std::optional<std::uint8_t> pictureTypeOfKeyword(std::string_view keyword);

// Bit rates in kbit/s; index 0 is free format.
extern const std::array<int, 15> BitRatesV1Layer2;
extern const std::array<int, 15> BitRatesV1Layer3;
extern const std::array<int, 15> BitRatesV2Layer1;

// How several values of one field (ID3v2.4 separates them by a zero byte, "(17)(13)" names two
// genres) are shown in one text, and split again when written to a 2.4 tag.
inline constexpr std::string_view kValueSeparator = " / ";

// A leading genre reference of an ID3v2 genre text: "(n)" with n in decimal digits, or "(RX)"
// (Remix) and "(CR)" (Cover), which name no ID3v1 genre. number is -1 when there is no numbered
// reference; consumed is where the rest starts ((17)Rock gives 17 and 4; "((" gives -1 and 1 and
// no name; "()" and "(abc)" are no reference). Callers treat a number of kGenreCount or more as
// no genre number.
struct GenreRef {
    int number = -1;
    std::size_t consumed = 0;
    std::string_view name;  // "Remix" or "Cover" for those references
};
[[nodiscard]] GenreRef parseGenreRef(std::string_view text);

// The first GenreTable index whose name equals text without regard to ASCII case.
[[nodiscard]] std::optional<int> findGenre(std::string_view text);

// The name of an ID3v1 genre byte, or "" for kGenreCount and above.
[[nodiscard]] std::string_view genreName(int genreByte);

// The ID3v1 genre an ID3v2 "TCON" text stands for: its first value's leading reference when that
// is a table genre, else the genre of the name (or bare number) it shows; nullopt for none.
[[nodiscard]] std::optional<int> genreNumberOfTcon(std::string_view tcon);
// The table name of genreNumberOfTcon, or "".
[[nodiscard]] std::string_view genreNameOfTcon(std::string_view tcon);

// How the list, the editor and corvane-tag show an ID3v2 genre text: references by their names
// ("(17)" shows "Rock", "(17)(13)" "Rock / Pop", "(RX)" "Remix"), a bare number as its genre
// ("17" shows "Rock"), a refinement after a reference in its place ("(17)Custom" shows "Custom"),
// "((" as "(", and several values joined with kValueSeparator.
[[nodiscard]] std::string genreDisplayText(std::string_view tcon);

// Column whose frame is frameId, if any (Filename has none).
[[nodiscard]] std::optional<Column> columnOfFrame(std::string_view frameId);

}  // namespace corvane::tags
