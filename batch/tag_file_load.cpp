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
    const tags::Id3v2ReadResult v2 = tags::readId3v2(file, record.slotList());
    result.id3v2 = v2.status;
    result.header = v2.header;
    result.lockedKeys = v2.lockedKeys;
    if (result.id3v1 == tags::TagRead::Failed || result.id3v2 == tags::TagRead::Failed)
        result.reason = file.errorText();
    record.setHasId3v2(result.id3v2 == tags::TagRead::Present);
    if (result.id3v2 == tags::TagRead::Present) {
        result.pictures = tags::listPictures(file);
        if (result.pictures.status == tags::TagRead::Failed && result.reason.empty())
            result.reason = file.errorText();
    }
    result.specifics = tags::buildMpegSpecifics(file, path);
    return result;
}

}  // namespace corvane::batch
