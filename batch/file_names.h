#pragma once
// New file names made safe: characters a folder entry cannot hold replaced, spaces and dots
// trimmed, the ".mp3" ending kept, and the names of a batch checked against each other and
// against the files already there before anything is renamed.

#include <span>
#include <string>
#include <string_view>

#include "batch/file_plan.h"

namespace corvane::batch {

// The longest name a folder entry of a Linux file system can have, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// What a character a name cannot hold becomes.
inline constexpr char kNameReplacement = '_';

// The stem of a file name (the name before ".mp3") made from text: "/" and NUL become "_";
// with portable also the characters other systems refuse (\ : * ? " < > | and the control
// characters), so that the name survives a copy to a USB stick; then leading and trailing spaces
// and dots go (a leading dot would hide the file, a trailing one is dropped by other systems).
[[nodiscard]] std::string cleanNameStem(std::string_view text, bool portable);

// The ".mp3" ending of a name as it is spelled (".MP3"), or ".mp3" for a name without one.
[[nodiscard]] std::string_view mp3Ending(std::string_view name);

// The folder of a path, "/" included ("" for a bare name), and its name.
[[nodiscard]] std::string_view folderOf(std::string_view path);
[[nodiscard]] std::string_view nameOf(std::string_view path);

// Marks, before anything is renamed, the renames of a preview that cannot be made: two files to
// one name, and a name a file already has (in the folder as it is now; a rename never replaces a
// file). A new name that differs only in case from another name the folder would hold gets a note:
// the two are one file on a case-insensitive file system.
void markCollisions(std::span<FilePlan> plans);

}  // namespace corvane::batch
