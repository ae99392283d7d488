#pragma once
// Outcomes of the tag codecs. No exception crosses the core's interface: every reader and writer
// returns one of these and the caller must look at it.

#include <string>

namespace corvane::tags {

enum class TagRead {
    Absent,       // the file has no such tag
    Present,      // read
    Unsupported,  // an ID3v2 tag of major version 4 or above (or below 2): not read
    Failed,       // an I/O error stopped the read
};

enum class WriteStatus {
    Ok,
    IoError,      // a read, write, seek, truncation or extension failed (full disk, I/O error)
    Malformed,    // the existing tag's sizes run past its end or the end of the file
    Unsupported,  // the existing ID3v2 tag is of a version that is not read (not 2.2 to 2.4)
    OldVersion,   // an ID3v2.2 tag: it is rewritten only by converting it
    TooLarge,     // the new ID3v2 tag would not fit the 28 bits of its size
    Refused,      // the change cannot be made to this tag; the reason says why
    Changed,      // the tag is not the one the change was made for (it changed since it was read)
};

struct WriteResult {
    WriteStatus status = WriteStatus::Ok;
    std::string ioError;  // the system's reason for IoError, the reason for Refused

    [[nodiscard]] bool ok() const { return status == WriteStatus::Ok; }
    [[nodiscard]] static WriteResult success() { return {}; }
    [[nodiscard]] static WriteResult failure(WriteStatus s, std::string why = {})
    {
        return {s, std::move(why)};
    }
};

// A short English reason for a failed write, for messages ("No space left on device",
// "the ID3v2 tag is damaged", "the ID3v2 tag is of a version that cannot be rewritten").
[[nodiscard]] std::string describe(const WriteResult& result);

}  // namespace corvane::tags
