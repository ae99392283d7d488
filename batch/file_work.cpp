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

UpdateFile openForUpdate(const std::string& path)
{
    UpdateFile result;
    switch (tags::testAccess(path)) {
        case tags::Access::Missing:
            result.status = OpenStatus::Missing;
            result.reason = "the file does not exist";
            return result;
        case tags::Access::ReadOnly:
            result.status = OpenStatus::ReadOnly;
            result.reason = "the file is read-only";
            return result;
        case tags::Access::ReadWrite:
            break;
    }
    result.file = tags::File::open(path, tags::OpenMode::Update);
    if (!result.file.isOpen()) {
        result.status = OpenStatus::Failed;
        result.reason = tags::errorString(result.file.error());
        return result;
    }
    result.status = OpenStatus::Open;
    return result;
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
