#pragma once
// The preview that --dry-run prints: one line per file, or one JSON array.

#include <span>
#include <string>

#include "batch/file_plan.h"

namespace corvane::cli {

// One line per file, TAB-separated: the file as given, then for every value that would change
// its field ("name" for the file name, "v1.title" and "v2.title" for the title of each tag), the
// old and the new value; "problem" and the reason when the file is left alone; "note" and a text
// the user should know. TABs and line breaks inside a value are shown as spaces, other control
// characters escaped (see terminal_text.h).
[[nodiscard]] std::string previewText(std::span<const batch::FilePlan> plans);

// [{"file", "new_file", "changes": [{"field", "old", "new"}], "problem": null | "...",
//   "note": null | "..."}], one object per file.
[[nodiscard]] std::string previewJson(std::span<const batch::FilePlan> plans);

}  // namespace corvane::cli
