#include "editor/tag_editor_load.h"

namespace corvane {

namespace {

std::string unreadTagNote(const batch::TagFileLoad& read)
{
    if (read.id3v2 == tags::TagRead::Unsupported) {
        return "This file has an ID3v2." + std::to_string(read.header.major) +
               " tag, a version that cannot be rewritten: it is shown as absent and kept as it is.";
    }
    if (read.id3v2 == tags::TagRead::Failed)
        return "The ID3v2 tag of this file could not be read: it is shown as absent and kept as it is.";
    return {};
}

// The note goes right after the path line, before the blank line that separates the path from
// the audio properties.
std::string displaySpecifics(const std::vector<std::string>& lines, const std::string& note)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines[i] + '\n';
        if (i == 0 && !note.empty())
            out += note + '\n';
    }
    return out;
}

}  // namespace

std::string editorSpecifics(const batch::TagFileLoad& loaded)
{
    return displaySpecifics(loaded.specifics, unreadTagNote(loaded));
}

}  // namespace corvane
