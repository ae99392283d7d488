#include "batch/tag_file_load.h"

#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/mpeg_info.h"

namespace corvane::batch {

TagFileLoad loadTagFile(const std::string& path, tags::TagRecord& record)
{
    TagFileLoad result;
    tags::File file = tags::File::open(path, tags::OpenMode::Read);
    if (!file.isOpen()) {
        result.reason = tags::errorString(file.error());
        return result;
    }
    result.opened = true;
    record.clear();
    // The genre byte goes to the record's own slot, not over the ID3v2 track slot.
    result.id3v1 = tags::readId3v1(file, record.slotList(), false);
    record.setHasId3v1(result.id3v1 == tags::TagRead::Present);
    const auto header = tags::readId3v2Header(file);
    if (header && header->major == 2) {
        // A 2.2 tag can be read but not rewritten, so it is treated like a newer version: shown
        // as absent and left alone, instead of failing at every save.
        result.id3v2 = tags::TagRead::Unsupported;
        result.header = *header;
    } else {
        const tags::Id3v2ReadResult v2 = tags::readId3v2(file, record.slotList());
        result.id3v2 = v2.status;
        result.header = v2.header;
    }
    if (result.id3v1 == tags::TagRead::Failed || result.id3v2 == tags::TagRead::Failed)
        result.reason = file.errorText();
    record.setHasId3v2(result.id3v2 == tags::TagRead::Present);
    result.specifics = tags::buildMpegSpecifics(file, path);
    return result;
}

}  // namespace corvane::batch
