#pragma once
// The 128-byte ID3v1 trailer at the end of a file. Fields are ISO-8859-1 on disk and UTF-8 here.

#include "file.h"
#include "slot_list.h"
#include "tag_result.h"

namespace corvane::tags {

inline constexpr std::uint64_t kId3v1Size = 128;

// Reads the trailer into slots 0..5 of list (Track, Title, Artist, Album, Year, Comment; the list
// must have at least 6 slots, 7 when genreIntoSlot6). When genreIntoSlot6 is true slot 6 receives
// the raw genre byte; otherwise the list is a TagRecord and slot 27 receives it. Without a trailer
// slots 0..5 are emptied and the genre slot is left alone. A file shorter than 128 bytes has none.
[[nodiscard]] TagRead readId3v1(FileIo& file, SlotList& list, bool genreIntoSlot6);

// Writes the entries of an ID3v1 write list (keys V1FieldNo, any subset, any order) into the
// trailer, appending a zeroed trailer when there is none. Fields the list does not name keep their
// bytes; named fields are rewritten whole (an empty value clears). Text is stored as ISO-8859-1
// with "?" for characters outside it, cut to the field width.
[[nodiscard]] WriteResult writeId3v1(FileIo& file, const SlotList& writeList);

// Removes the trailer when there is one; a file without one is left untouched.
[[nodiscard]] WriteResult removeId3v1(FileIo& file);

// True when the file ends with a trailer.
[[nodiscard]] bool hasId3v1(FileIo& file);

}  // namespace corvane::tags
