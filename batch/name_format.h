#pragma once
// Format strings, one syntax for reading tags from file names and for building file names from
// tags: literal text with placeholders named after the fields (%title%, %artist%, %track%, ...,
// see named_fields.h), %track:2% for a number padded to two digits, %ignore% for any text when
// reading a name, and %% for a percent sign. A "/" separates folder names when reading:
// "%artist%/%album%/%track% - %title%" reads the two folders above the file too.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/set_data.h"

namespace corvane::batch {

struct FormatPart {
    enum class Kind { Text, Field, Ignore };
    Kind kind = Kind::Text;
    std::string text;       // Text: the literal; Field: the field's name ("title")
    FieldTarget field;      // Field only
    int width = 0;          // %track:2%: the number padded to two digits; 0 for none
};

struct NameFormat {
    std::vector<FormatPart> parts;

    // The number of folder names the format reads above the file (the "/" in its text).
    [[nodiscard]] std::size_t folderCount() const;
    [[nodiscard]] bool hasIgnore() const;
    // Whether a field placeholder is in the format.
    [[nodiscard]] bool namesAnyField() const;
};

inline constexpr int kMaxFormatWidth = 20;

// Splits text into its parts; nullopt with error set ("unknown placeholder %foo%") when it is
// not a format string.
[[nodiscard]] std::optional<NameFormat> parseNameFormat(std::string_view text, std::string& error);

// One field's value read from a name.
struct FieldCapture {
    FieldTarget field;
    std::string value;
};

// What a file's path gives the format's fields, in the order they first appear: the file's name
// without a final ".mp3" (any case), with as many folder names in front as the format reads.
// Literal text matches exactly; a placeholder takes at least one character and never a "/"; the
// number fields (track, year, orig-year) and padded placeholders take digits only, as many as
// there are, leading zeros dropped; the other fields take as few characters as let the rest
// match, so that the last one takes what is left, and lose the spaces around them; %ignore%
// takes anything, nothing included. A field named twice must read the same both times. nullopt
// when the path does not match. The values are bytes of the path: they may not be UTF-8.
[[nodiscard]] std::optional<std::vector<FieldCapture>> matchName(const NameFormat& format,
                                                                 std::string_view path);

// The text of the format with each placeholder replaced by valueOf(field), padded as it asks
// (a format with %ignore% has no text to give: it stands for nothing).
[[nodiscard]] std::string formatName(const NameFormat& format,
                                     const std::function<std::string(const FieldTarget&)>& valueOf);

// A field's value as a padded placeholder shows it: the number it starts with, with zeros in
// front up to width digits ("3/12" with width 2 gives "03"); a value that does not start with a
// digit is shown as it is.
[[nodiscard]] std::string padNumber(std::string_view value, int width);

}  // namespace corvane::batch
