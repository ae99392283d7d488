#pragma once
// The file work of the tag editor's "Update": the write lists built from a snapshot of its
// controls by the batch core's collection rules (the same ones Update All uses), written through
// the batch core's per-file writer. Nothing here touches a widget.

#include "batch/field_lists.h"
#include "batch/file_work.h"
#include "tags/file.h"

#include <string>

namespace corvane {

namespace batch {
class UndoRecorder;
}

// Which tags the editor loaded from the file. A cleared box removes only a tag that was loaded,
// so a tag the editor could not read (another version, an I/O error) is never removed by
// accident.
struct LoadedTags {
    bool id3v1 = false;
    bool id3v2 = false;
};

// What a save does with an ID3v2.2 tag, which is rewritten only by converting it: convert it to
// 2.3 first, or leave it as it is and save the ID3v1 tag only.
enum class OldTagSave { Convert, Keep };

// Writes both tags of the file at path from texts, every field of the layout taken: a checked
// box writes its whole tag, with the picture edits, a cleared one removes a loaded tag. compact
// gives free tag space back.
// A tag the writer refuses (damaged, or a version it cannot rewrite) fails the save before
// anything is written. The file goes through the batch core's run driver like any file of a
// run: NotWritable when the access test refuses it, Failed when the open or a write fails. The
// write takes policy's way with the journal, and undo (when given) notes what takes it back.
[[nodiscard]] batch::FileOutcome saveTagFile(const std::string& path,
                                             const batch::EditorTexts& texts,
                                             batch::EditorLayout layout, bool compact,
                                             LoadedTags loaded,
                                             OldTagSave oldTag = OldTagSave::Keep,
                                             tags::WritePolicy policy = {},
                                             batch::UndoRecorder* undo = nullptr,
                                             std::vector<tags::PictureEdit> pictures = {});

}  // namespace corvane
