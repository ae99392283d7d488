#pragma once
// Writing both tags of a file as one change: the ID3v2 tag at the start and the ID3v1 trailer at
// the end are worked out first, the space the file needs is claimed, and only then does a byte
// change; a failure at any step puts the file back as it was, both tags included.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "tags/file.h"
#include "tags/id3v2_layout.h"
#include "tags/id3v2_pictures.h"
#include "tags/slot_list.h"
#include "tags/tag_result.h"

namespace corvane::tags {

enum class V2Change {
    None,
    Merge,   // merge id3v2Entries and the picture edits into the tag (creating one when there is
             // none and they ask)
    Remove,  // remove the whole tag, whatever its version
};
enum class V1Change {
    None,
    Write,   // write id3v1Entries into the trailer (appending one when there is none)
    Remove,
};

struct TagChanges {
    V2Change id3v2 = V2Change::None;
    SlotList id3v2Entries;  // keyed by field (frame id); an empty or absent value clears it
    bool compact = false;   // give the ID3v2 tag's free space back (also with no entries)
    std::uint8_t newTagMajor = 3;  // the version of a tag a merge creates: 3 or 4
    std::vector<PictureEdit> pictures;  // a merge's picture edits, after the entries
    V1Change id3v1 = V1Change::None;
    SlotList id3v1Entries;  // keyed by V1FieldNo
};

// Applies the changes to the open file. Refuses, with the file unchanged, an ID3v2 tag that is
// damaged, of a version that is not read, or 2.2 (which only a conversion rewrites). A tag that
// grows moves the audio toward the end of the file, one that shrinks toward its start, in blocks;
// a trailer is looked for only at or after the end of the ID3v2 tag.
[[nodiscard]] WriteResult writeTags(FileIo& file, const TagChanges& changes);

struct Id3v2Plan;

// Puts plan.newTag in place of plan.oldTag, which must be the file's tag as it is (header to
// footer): the audio moves as needed, with the same claim of space first and the same undo of
// every step on a failure as writeTags.
[[nodiscard]] WriteResult replaceId3v2(FileIo& file, Id3v2Plan& plan);

// Puts tags back as a snapshot recorded them: the ID3v2 tag becomes tagBytes (header to the last
// frame, empty for none) followed by padding zeros, whatever the tag is now; the trailer becomes
// trailer, or goes when there is none. The undo of a change; the same safety as writeTags.
[[nodiscard]] WriteResult restoreTags(FileIo& file, std::span<const std::uint8_t> tagBytes,
                                      std::uint64_t padding,
                                      const std::optional<std::array<std::uint8_t, 128>>& trailer);

// Reads the tag for a writer: the layout of its frames and the leftover bytes after them, which
// the old image needs. A refusal (damaged, unsupported, 2.2 unless allowOldVersion, I/O) is
// reported with the file untouched.
struct WriterRead {
    WriteResult refusal;
    Id3v2Layout layout;
    std::vector<std::uint8_t> leftover;
};
[[nodiscard]] WriterRead readForWriting(FileIo& file, bool allowOldVersion = false);

}  // namespace corvane::tags
