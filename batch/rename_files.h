#pragma once
// Rename from Tags: each file's new name built from a format string and the values of the chosen
// tag, made safe for a folder entry, its ".mp3" ending kept. The collisions of a batch are found
// by markCollisions (file_names.h) before anything is renamed.

#include <string>

#include "batch/file_plan.h"
#include "batch/name_format.h"

namespace corvane::batch {

struct RenameOptions {
    NameFormat format;
    TagKind source = TagKind::Id3v2;  // the tag whose values make the names
    bool portable = true;  // also replace the characters other systems refuse (file_names.h)
};

// Why format cannot make names ("" when it can): it may name no folder and no %ignore%.
[[nodiscard]] std::string checkNamingFormat(const NameFormat& format);

// The plan of one file: its new path in the same folder. A field the format names that the tag
// lacks, a name that comes out empty or longer than kMaxNameBytes leave the file alone.
[[nodiscard]] FilePlan planRename(tags::FileIo& file, const std::string& path,
                                  const RenameOptions& options);

// Builds the preview of a rename of paths: every file's plan, then the collisions between them.
[[nodiscard]] std::vector<FilePlan> previewRename(std::span<const std::string> paths,
                                                  const RenameOptions& options);

}  // namespace corvane::batch
