#pragma once
// Synchronise Tags: make the seven fields both tag formats know (track, title, artist, album,
// year, comment, genre) agree, by copying them from one tag of a file to the other.

#include "batch/file_work.h"
#include "tags/file.h"
#include "tags/slot_list.h"

namespace corvane::batch {

enum class SyncDirection { V1ToV2, V2ToV1 };

struct SyncOptions {
    SyncDirection direction = SyncDirection::V1ToV2;
    bool keep = false;        // a destination field that already holds a value is left alone
    bool intelligent = true;  // a file with only one tag is copied from that tag whatever the
                              // direction
    bool compact = false;     // for the ID3v2 write
    std::uint8_t newTagMajor = 3;  // the version of an ID3v2 tag created from a trailer
};

// Number of fields the two lists carry, slot by slot: track, title, artist, album, year,
// comment, genre.
inline constexpr std::size_t kSyncSlots = 7;

// Both tags of one file as the copy sees them.
struct SyncValues {
    tags::SlotList v1;  // slots 0..5 texts, slot 6 the raw genre byte (absent without a trailer)
    tags::SlotList v2;  // keyed TRCK TIT2 TPE1 TALB TYER COMM TCON; absent = no such frame
    bool hasV1 = false;
    bool hasV2 = false;
};

// Reads both tags. ok is false, with a reason, when a read fails or the ID3v2 tag is of a version
// that cannot be read or rewritten (a copy in either direction would then lose or misread it).
struct SyncRead {
    SyncValues values;
    bool ok = false;
    std::string reason;
};
[[nodiscard]] SyncRead readSyncValues(tags::FileIo& file);

// Copies the ID3v1 fields into the ID3v2 tag (one write). With keep, frames the tag already has
// are not named in the write, so they stay byte for byte. An empty ID3v1 text removes its frame
// when overwriting. The genre becomes "(n)Name"; an ID3v1 genre of none leaves "TCON" alone.
[[nodiscard]] FileOutcome copyV1ToV2(tags::FileIo& file, const SyncValues& values, bool keep,
                                     bool compact, std::uint8_t newTagMajor = 3);

// Copies the ID3v2 fields into the ID3v1 trailer (one write; a trailer is appended when the file
// has none), cut to track 10, title 30, artist 30, album 30, year 4, comment 29 characters. The
// genre is looked up from "TCON" ((17)Rock, (17) and rock give 17; no match gives no genre).
// With keep, non-empty ID3v1 fields stay, and the genre stays when the file had a trailer whose
// genre byte names a genre.
[[nodiscard]] FileOutcome copyV2ToV1(tags::FileIo& file, const SyncValues& values, bool keep);

// The whole per-file step: read both tags, choose the copy by the options, write. Skipped when
// the file has neither tag or the options choose no copy for it.
[[nodiscard]] FileOutcome synchroniseTags(tags::FileIo& file, const SyncOptions& options);

}  // namespace corvane::batch
