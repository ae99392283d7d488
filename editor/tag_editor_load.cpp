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

std::string editorSpecifics(const batch::TagFileLoad& loaded)
{
    return displaySpecifics(loaded.specifics, unreadTagNote(loaded));
}

}  // namespace corvane
