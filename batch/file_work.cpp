#include "batch/file_work.h"

#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/list_row_reader.h"

namespace corvane::batch {

FileOutcome FileOutcome::skipped(std::string why)
{
    FileOutcome outcome;
    outcome.status = FileStatus::Skipped;
    outcome.reason = std::move(why);
    return outcome;
}

FileOutcome FileOutcome::failed(std::string why)
{
    FileOutcome outcome;
    outcome.status = FileStatus::Failed;
    outcome.reason = std::move(why);
    return outcome;
}

FileOutcome FileOutcome::failed(const tags::WriteResult& result)
{
    return failed(tags::describe(result));
}

bool FileOutcome::record(TagKind tag, const tags::WriteResult& result)
{
    if (!result.ok()) {
        status = FileStatus::Failed;
        reason = tags::describe(result);
        return false;
    }
    (tag == TagKind::Id3v1 ? wroteId3v1 : wroteId3v2) = true;
    status = FileStatus::Written;
    reason.clear();
    return true;
}

bool FileOutcome::record(const tags::TagChanges& changes, const tags::WriteResult& result)
{
    if (changes.id3v2 != tags::V2Change::None && !record(TagKind::Id3v2, result)) return false;
    if (changes.id3v1 != tags::V1Change::None && !record(TagKind::Id3v1, result)) return false;
    return true;
}

FileOutcome writeChanges(tags::FileIo& file, const tags::TagChanges& changes, std::string skipReason)
{
    if (changes.id3v2 == tags::V2Change::None && changes.id3v1 == tags::V1Change::None)
        return FileOutcome::skipped(std::move(skipReason));
    FileOutcome outcome;
    outcome.record(changes, tags::writeTags(file, changes));
    return outcome;
}

int tagPresence(tags::FileIo& file)
{
    int presence = 0;
    if (tags::hasId3v1(file)) presence |= tags::kPresenceId3v1;
    const auto header = tags::readId3v2Header(file);
    if (header && header->isSupported()) presence |= tags::kPresenceId3v2;
    return presence;
}

}  // namespace corvane::batch
