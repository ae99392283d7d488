#include "editor/tag_editor_load.h"

#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/mpeg_info.h"

namespace corvane {

namespace {

std::string unreadTagNote(const tags::Id3v2ReadResult& read)
{
    if (read.status == tags::TagRead::Unsupported) {
        return "This file has an ID3v2." + std::to_string(read.header.major) +
               " tag, a version that cannot be rewritten: it is shown as absent and kept as it is.";
    }
    if (read.status == tags::TagRead::Failed)
        return "The ID3v2 tag of this file could not be read: it is shown as absent and kept as it is.";
    return {};
}

// The core ends lines with "\r\n"; a Qt text box wants "\n". The note goes right after the path
// line, before the blank line that separates the path from the audio properties.
std::string displaySpecifics(const std::string& text, const std::string& note)
{
    std::string out;
    out.reserve(text.size() + note.size() + 1);
    bool noteDone = note.empty();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
        if (text[i] == '\n' && !noteDone) {
            out += note + '\n';
            noteDone = true;
        }
    }
    if (!noteDone)
        out += '\n' + note;
    return out;
}

}  // namespace

LoadResult loadTagFile(const std::string& path, tags::TagRecord& record)
{
    LoadResult result;
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
    tags::Id3v2ReadResult v2;
    const auto header = tags::readId3v2Header(file);
    if (header && header->major == 2) {
        // A 2.2 tag can be read but not rewritten, so the editor treats it like a newer version:
        // shown as absent and left alone, instead of failing at every save.
        v2.status = tags::TagRead::Unsupported;
        v2.header = *header;
    } else {
        v2 = tags::readId3v2(file, record.slotList());
    }
    result.id3v2 = v2.status;
    record.setHasId3v2(v2.status == tags::TagRead::Present);
    const std::uint32_t tagSize = v2.status == tags::TagRead::Present ? v2.header.tagSize : 0;
    result.specifics = displaySpecifics(tags::buildMpegSpecifics(file, path, record, tagSize),
                                        unreadTagNote(v2));
    return result;
}

}  // namespace corvane
