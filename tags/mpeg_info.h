#pragma once
// The lines of the "MP3 Specifics" box: the file's path and its audio properties.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file.h"
#include "mpeg_audio.h"

namespace corvane::tags {

// The lines, without line ends: "File Path: " and path, an empty line, then the version and
// layer, the rates and channel mode, the length, copyright, original and emphasis. A variable
// bit rate shows as the average marked "(VBR)". Without audio only the first two lines.
[[nodiscard]] std::vector<std::string> mpegSpecificsLines(std::string_view path,
                                                          const std::optional<MpegAudio>& audio);

// The lines for the audio of an open file (readMpegAudio).
[[nodiscard]] std::vector<std::string> buildMpegSpecifics(FileIo& file, std::string_view path);

}  // namespace corvane::tags
