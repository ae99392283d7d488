#pragma once
// Set Data: one value (or, from corvane-tag, several) written into the same field of every chosen
// file, under a TagChoice.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/file_work.h"
#include "batch/tag_choice.h"
#include "tags/field_catalogue.h"
#include "tags/file.h"
#include "tags/slot_list.h"

namespace corvane::batch {

// A field that can be set: its ID3v2 frame, its ID3v1 field when it has one, and its name.
struct FieldTarget {
    std::string frameId;
    std::optional<tags::V1FieldNo> v1Field;
    std::string name;

    [[nodiscard]] bool hasV1Form() const { return v1Field.has_value(); }
};

// The field of a list column (Title .. Encoded By; not Filename). Columns up to Track have an
// ID3v1 form.
[[nodiscard]] FieldTarget fieldOfColumn(tags::Column column);

// The field the tag editor shows for a frame id ("TIT3", "TPE2", "PCNT", ...), or nullopt when
// the editor has no such field. Frames that have a list column up to Track get its ID3v1 form.
[[nodiscard]] std::optional<FieldTarget> editorField(std::string_view frameId);

struct FieldValue {
    FieldTarget field;
    std::string value;  // UTF-8; empty clears the field (removes the frame); a "PCNT" value is
                        // the 8-byte counter (see playCounterBytes)
};

struct SetDataOptions {
    std::vector<FieldValue> values;  // the dialog sets one; corvane-tag may set several at once
    TagChoice choice = 0;
    bool compact = false;  // give the ID3v2 tag's free space back
    std::uint8_t newTagMajor = 3;  // the version of an ID3v2 tag created in a file without one
};

// Writes the values into one open file whose list row shows the tag-presence bits presence: the
// ID3v2 tag first (one write of all values), then the ID3v1 trailer (the values with an ID3v1
// form), each as the choice decides. Skipped when the choice writes neither tag of this file.
// A failing ID3v2 write leaves the file untouched and stops there.
[[nodiscard]] FileOutcome setData(tags::FileIo& file, const SetDataOptions& options, int presence);

// The text an ID3v1 value shows in the list's ID3v1 view after a write: cut to the width the
// trailer keeps (Title, Artist, Album 30, Year 4, Comment 29 characters); Genre and Track as
// given.
[[nodiscard]] std::string v1DisplayText(tags::Column column, std::string_view value);

}  // namespace corvane::batch
