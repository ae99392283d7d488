#pragma once
// Compacting the ID3v2 tag (its padding given back, frames unchanged) and removing whole tags.

#include "batch/file_work.h"
#include "tags/file.h"

namespace corvane::batch {

// Rewrites the ID3v2 tag of one open file without its padding: the audio moves down to the end
// of the last frame and the file is shortened. A file without a readable tag is Skipped and left
// byte for byte; an unsupported or damaged tag Fails with the file unchanged.
[[nodiscard]] FileOutcome compactId3v2(tags::FileIo& file);

// Removes the ID3v2 tag (when id3v2) and then the ID3v1 trailer (when id3v1). Skipped when the
// file has none of the tags asked for.
[[nodiscard]] FileOutcome removeTags(tags::FileIo& file, bool id3v1, bool id3v2);

}  // namespace corvane::batch
