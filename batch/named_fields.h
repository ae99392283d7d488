#pragma once
// The fields by the names users type: one lower-case name per field of the tag editor, shared by
// `corvane-tag set`, the format strings of Tag from File Name and Rename from Tags (%title%,
// %orig-artist%, ...), and Case and Replace.

#include <array>
#include <optional>
#include <string_view>

#include "batch/set_data.h"

namespace corvane::batch {

struct NamedField {
    std::string_view name;     // "title", "orig-artist"
    std::string_view frameId;  // the ID3v2 frame the field is (its key)
};

// In the order of the tag editor's ID3v2 fields, the genre last.
inline constexpr std::array<NamedField, 20> kNamedFields{{
    {"track", "TRCK"},       {"title", "TIT2"},         {"artist", "TPE1"},
    {"album", "TALB"},       {"year", "TYER"},          {"comment", "COMM"},
    {"composer", "TCOM"},    {"lyricist", "TEXT"},      {"copyright", "TCOP"},
    {"url", "WXXX"},         {"encoded-by", "TENC"},    {"subtitle", "TIT3"},
    {"orig-artist", "TOPE"}, {"orig-album", "TOAL"},    {"orig-year", "TORY"},
    {"orig-lyricist", "TOLY"}, {"publisher", "TPUB"},   {"band", "TPE2"},
    {"conductor", "TPE3"},   {"genre", "TCON"},
}};

// The field of a name (any case), or nullopt for none.
[[nodiscard]] std::optional<FieldTarget> fieldNamed(std::string_view name);

// The name of the field whose frame is frameId; empty when no named field is.
[[nodiscard]] std::string_view nameOfField(std::string_view frameId);

// The fields whose values are numbers (track, year, orig-year): a format string reads only
// digits for them.
[[nodiscard]] bool isNumberField(std::string_view frameId);

}  // namespace corvane::batch
