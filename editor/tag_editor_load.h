#pragma once
// What the tag editor shows of a file the batch core loaded (batch::loadTagFile): the text of the
// "MP3 Specifics" box. No widgets here.

#include <string>

#include "batch/tag_file_load.h"

namespace corvane {

// The specifics text of a loaded file, lines ending in "\n". After the path line it says when
// an ID3v2 tag is there but was not read, so that a cleared "ID3v2 Tag" box does not look like a
// file without one.
[[nodiscard]] std::string editorSpecifics(const batch::TagFileLoad& loaded);

}  // namespace corvane
