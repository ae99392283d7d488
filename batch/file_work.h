#pragma once
// What every batch operation shares for one file: opening it for update only after the access
// test, the tags it carries, and the outcome handed back to the run (the desktop run frame or
// corvane-tag), which turns it into a prompt or a line on stderr.

#include <string>

#include "tags/file.h"
#include "tags/tag_write.h"
#include "tags/tag_result.h"

namespace corvane::batch {

enum class FileStatus {
    Written,      // at least one tag was written or removed
    Skipped,      // nothing to do for this file (reason says why); the file is untouched
    NotWritable,  // the access test refused the file (missing or read-only); it was not opened
    Failed,       // the open, a read or a write failed; reason says why. A write that failed
                  // first left the file as it was; see each operation for what a later failure
                  // leaves.
};

enum class TagKind { Id3v1, Id3v2 };

struct FileOutcome {
    FileStatus status = FileStatus::Skipped;
    std::string reason;       // user-readable fragment for every status but Written
    std::string note;         // for Written: what the user should know besides (frames dropped)
    bool wroteId3v1 = false;  // the ID3v1 trailer was written (or removed)
    bool wroteId3v2 = false;  // the ID3v2 tag was written (or removed)

    [[nodiscard]] bool isWritten() const { return status == FileStatus::Written; }
    // NotWritable or Failed: the file was not handled as asked.
    [[nodiscard]] bool isFailed() const
    {
        return status == FileStatus::Failed || status == FileStatus::NotWritable;
    }
    [[nodiscard]] static FileOutcome skipped(std::string why);
    [[nodiscard]] static FileOutcome failed(std::string why);
    [[nodiscard]] static FileOutcome failed(const tags::WriteResult& result);

    // Takes the result of one write or removal of tag into the outcome: a success marks the tag
    // written and the file Written; a failure makes the outcome Failed with the result's reason
    // and keeps the marks of the writes before it. True on success, so that an operation stops
    // at its first failure: `if (!outcome.record(...)) return outcome;`.
    bool record(TagKind tag, const tags::WriteResult& result);
    // The same for one change to both tags at once (tags::writeTags), which touches the tags
    // the change names or, on a failure, neither.
    bool record(const tags::TagChanges& changes, const tags::WriteResult& result);
};

// Writes changes into the file as one change and records it: Skipped with skipReason when the
// changes name no tag.
[[nodiscard]] FileOutcome writeChanges(tags::FileIo& file, const tags::TagChanges& changes,
                                       std::string skipReason);

// The tag-presence bits the file list shows for a file: tags::kPresenceId3v1 when it ends with a
// trailer, tags::kPresenceId3v2 when it starts with a readable (version 2.2 or 2.3) ID3v2 tag.
[[nodiscard]] int tagPresence(tags::FileIo& file);

}  // namespace corvane::batch
