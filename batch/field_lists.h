#pragma once
// The tag editor's two write lists in a form without widgets: the texts of its controls go in,
// the ID3v1 and ID3v2 write lists come out, under a field selection. The editor's own save uses
// every flag; Update All uses the user's choice.

#include <array>
#include <cstdint>
#include <string>

#include "tags/slot_list.h"

namespace corvane::batch {

// 27 flags: 0..24 the text edits in control order (0..5 the ID3v1 Track No .. Comment, 6..24
// the ID3v2 Track No .. Conductor), 25 the ID3v1 genre, 26 the ID3v2 genre. Same layout as the
// main window's FieldSelection.
inline constexpr int kFieldFlagCount = 27;
using FieldFlags = std::array<bool, kFieldFlagCount>;
inline constexpr int kFlagV1Genre = 25;
inline constexpr int kFlagV2Genre = 26;
// While a tag's box is cleared, these flags stand for "remove that tag".
inline constexpr int kFlagRemoveV1 = 0;
inline constexpr int kFlagRemoveV2 = 6;

// Capacities of the combined list: they fix which ID3v2 text fields are taken (slots 6 to
// capacity − 4), i.e. "TRCK" .. "TPE3" expanded and "TRCK" .. "TENC" reduced.
inline constexpr int kExpandedCapacity = 28;
inline constexpr int kReducedCapacity = 20;

// The editor's texts. edits[p] is the edit of record slot p (0..5 the ID3v1 fields Track No ..
// Comment, 6..24 the ID3v2 fields "TRCK" .. "TPE3", 25 the play counter).
struct EditorTexts {
    std::array<std::string, 26> edits;
    std::string v1Genre;  // the ID3v1 genre box: a table name or ""
    std::string v2Genre;  // the ID3v2 genre box, typed or selected
    bool v1Checked = true;
    bool v2Checked = true;
};

enum class TagAction { Write, Remove };

// A collected write list. With Write and no entries, the tag is not touched.
struct CollectedList {
    TagAction action = TagAction::Write;
    tags::SlotList entries;
};

// ID3v1 entries (keys V1FieldNo) in the order genre, title .. comment, track, each only when its
// flag is set. A cleared ID3v1 box gives Remove when flag 0 is set, else nothing to write.
[[nodiscard]] CollectedList collectId3v1List(const EditorTexts& texts, const FieldFlags& flags);

// ID3v2 entries for the text fields of slots 6 .. capacity − 4 whose flags are set (empty texts
// too: they remove their frames), then "TCON" when flag 26 is set, then, in the expanded
// capacity, "PCNT" when the play counter text is not empty. A cleared ID3v2 box gives Remove when
// flag 6 is set, else nothing to write.
[[nodiscard]] CollectedList collectId3v2List(const EditorTexts& texts, const FieldFlags& flags,
                                             int capacity);

// The 8-byte big-endian counter a "PCNT" write entry holds, from the counter's text read the
// forgiving way (blanks and a sign accepted, reading stops at the first non-digit).
[[nodiscard]] std::string playCounterBytes(std::int64_t count);
[[nodiscard]] std::string playCounterBytes(std::string_view text);

}  // namespace corvane::batch
