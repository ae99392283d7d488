#pragma once
// The values of the named fields in both tags of one file, read once for a preview or a write:
// the ID3v1 trailer as the list's ID3v1 view shows it, the ID3v2 frames as the editor shows them.

#include <optional>
#include <span>
#include <string>

#include "batch/file_work.h"
#include "batch/set_data.h"
#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/id3v2_layout.h"
#include "tags/tag_result.h"

namespace corvane::batch {

struct FileValues {
    bool ok = false;     // false: a read failed (reason says why)
    std::string reason;
    int presence = 0;    // tags::kPresenceId3v1 | tags::kPresenceId3v2, as the list shows them
    std::optional<tags::Id3v1Values> v1;  // nullopt without a trailer
    tags::Id3v2Layout v2;
    // Why the ID3v2 tag cannot be rewritten as read (another version, 2.2, damage); ok() when it
    // can or there is none.
    tags::WriteResult v2Refusal;

    // A field's value in one tag, or nullopt when the tag lacks the field (or the tag itself).
    // ID3v1: the text of the trailer, the track as its number, the genre as its name; ID3v2: the
    // frame's value, a genre as the list shows it ("Rock" for "(17)").
    [[nodiscard]] std::optional<std::string> value(TagKind tag, const FieldTarget& field) const;
    // The ID3v2 frame of the field is there but cannot be read (encrypted).
    [[nodiscard]] bool isLocked(const FieldTarget& field) const;
};

// Reads both tags of the open file, or with withTrailer false only the ID3v2 tag (v1 is then
// nullopt and presence lacks its bit). Only the frames of fields are kept, and of those only the
// fields given when there are any: value() knows no other field then.
[[nodiscard]] FileValues readFileValues(tags::FileIo& file, bool withTrailer = true,
                                        std::span<const FieldTarget> fields = {});

// The text an ID3v1 field shows once value is written into it: cut to the field's width (the
// comment's 28 characters beside a track, withTrack), "?" for characters outside ISO-8859-1, the
// track as its number ("" for none), the genre as its name in the list ("" for none).
[[nodiscard]] std::string v1ShownValue(tags::V1FieldNo field, std::string_view value,
                                       bool withTrack);

}  // namespace corvane::batch
