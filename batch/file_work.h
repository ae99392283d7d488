#pragma once
// What every batch operation shares for one file: opening it for update only after the access
// test, the tags it carries, and the outcome handed back to the run (the desktop run frame or
// corvane-tag), which turns it into a prompt or a line on stderr.

#include <string>

#include "tags/file.h"
#include "tags/tag_result.h"

namespace corvane::batch {

enum class FileStatus {
    Written,  // at least one tag was written or removed
    Skipped,  // nothing to do for this file (reason says why); the file is untouched
    Failed,   // a read or write failed; reason says why. A write that failed first left the
              // file as it was; see each operation for what a later failure leaves.
};

struct FileOutcome {
    FileStatus status = FileStatus::Skipped;
    std::string reason;       // user-readable fragment for Skipped and Failed
    bool wroteId3v1 = false;  // the ID3v1 trailer was written (or removed)
    bool wroteId3v2 = false;  // the ID3v2 tag was written (or removed)

    [[nodiscard]] bool isWritten() const { return status == FileStatus::Written; }
    [[nodiscard]] bool isFailed() const { return status == FileStatus::Failed; }
    [[nodiscard]] static FileOutcome skipped(std::string why);
    [[nodiscard]] static FileOutcome failed(std::string why);
    [[nodiscard]] static FileOutcome failed(const tags::WriteResult& result);
};

enum class OpenStatus {
    Open,      // file is open for update
    ReadOnly,  // exists but may not be written (no write bit, or the read/write open fails)
    Missing,   // does not exist
    Failed,    // passed the access test but could not be opened (reason says why)
};

struct UpdateFile {
    tags::File file;
    OpenStatus status = OpenStatus::Failed;
    std::string reason;  // for every status but Open

    [[nodiscard]] bool isOpen() const { return status == OpenStatus::Open; }
};

// Tests the path for read and write access and, only when it passes, opens it for update. The
// returned object owns the open file and closes it when it goes out of scope.
[[nodiscard]] UpdateFile openForUpdate(const std::string& path);

// The tag-presence bits the file list shows for a file: tags::kPresenceId3v1 when it ends with a
// trailer, tags::kPresenceId3v2 when it starts with a readable (version 2.2 or 2.3) ID3v2 tag.
[[nodiscard]] int tagPresence(tags::FileIo& file);

}  // namespace corvane::batch
