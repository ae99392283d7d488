#pragma once
// Convert ID3v2 Version: the ID3v2 tag of a file rewritten in version 2.3 or 2.4, the one way a
// tag's version changes.

#include <cstdint>

#include "batch/file_work.h"
#include "tags/file.h"

namespace corvane::batch {

// Converts the file's ID3v2 tag to targetMajor (3 or 4). Skipped when the file has no ID3v2 tag
// or it has that version already; Failed, with the file unchanged, for an encrypted frame or a
// damaged tag. A Written outcome's note names the frames the target version does not have, which
// were dropped.
[[nodiscard]] FileOutcome convertTags(tags::FileIo& file, std::uint8_t targetMajor);

}  // namespace corvane::batch
