#pragma once
// Update All: the editor's collected lists written into every file it was opened on, or the
// removal of whole tags.

#include <string>
#include <vector>

#include "batch/field_lists.h"
#include "batch/file_work.h"
#include "tags/file.h"
#include "tags/id3v2_pictures.h"

namespace corvane::batch {

struct UpdateAllPlan {
    CollectedList id3v1;
    CollectedList id3v2;
    bool compact = false;  // the editor's "Compact ID3v2 Tag" box
    // The editor's picture changes to its own file, written with the ID3v2 list (never by
    // Update All, which carries no file's pictures into the others).
    std::vector<tags::PictureEdit> pictures;
};

// Applies the plan to one open file: the ID3v2 part first, then the ID3v1 part (the two touch
// different ends of the file, so the order changes no byte of the result, and a damaged or
// unsupported ID3v2 tag is refused before anything is written). A Write list without entries
// (or pictures) leaves its tag alone; Remove removes it (a file without it stays as it was).
// Skipped when the plan touches neither tag.
[[nodiscard]] FileOutcome updateAllFile(tags::FileIo& file, const UpdateAllPlan& plan);

// What the tag editor hands to Update All's run: the plan collected under the user's field
// selection and the files it was opened on.
struct UpdateAllJob {
    std::string folder;  // ends with "/"
    std::vector<std::string> names;
    UpdateAllPlan plan;  // plan.compact is the state of "Compact ID3v2 Tag"
};

}  // namespace corvane::batch
