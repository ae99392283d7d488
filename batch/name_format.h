#pragma once
// File names built from a file's tags: a format string of literal text and placeholders named
// after the fields ("%artist% - %album%", "%track:2% %title%"), and the cleaning that makes the
// result a name every file system takes.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tags/slot_list.h"

namespace corvane::batch {

// A placeholder's value, by its name ("title", "track", "origartist", "filename"); nullopt for a
// name that is no placeholder.
using PlaceholderValue = std::function<std::optional<std::string>(std::string_view name)>;

// The format with every placeholder replaced by its value. "%track:2%" pads the number a value
// starts with to two digits ("3/12" gives "03"); "%%" is one "%". Text that is no known
// placeholder stays as written.
[[nodiscard]] std::string expandNameFormat(std::string_view format, const PlaceholderValue& valueOf);

// A file name without its ".mp3" (any case), when it has one.
[[nodiscard]] std::string withoutMp3Extension(std::string_view fileName);

// The placeholders of a file: each ID3v2 field of the editor by the lower-case letters of its
// label ("title", "origartist"; the track is "track", the genre its name), the ID3v1 value where
// the ID3v2 tag has none, and "filename", the file's name without ".mp3". record must outlive the
// function.
[[nodiscard]] PlaceholderValue tagPlaceholders(const tags::TagRecord& record, std::string fileName);

// A file name from a text: "/" and NUL always, and with portable the characters other systems
// refuse (\ : * ? " < > |) too, become "_"; spaces and dots at either end go. May be empty.
[[nodiscard]] std::string cleanFileName(std::string_view name, bool portable = true);

}  // namespace corvane::batch
