#pragma once
// The subcommands of corvane-tag. Each takes the arguments after its name and returns the exit
// status (kExitOk, kExitFileFailed, kExitUsage).

#include <span>
#include <string>
#include <vector>

#include "tags/id3v2_pictures.h"

namespace corvane::cli {

int runShow(std::span<const std::string> args);
int runList(std::span<const std::string> args);
int runSet(std::span<const std::string> args);
int runRemove(std::span<const std::string> args);
int runCompact(std::span<const std::string> args);
int runSync(std::span<const std::string> args);
int runNumber(std::span<const std::string> args);
int runConvert(std::span<const std::string> args);
int runRecover(std::span<const std::string> args);
int runUndo(std::span<const std::string> args);
int runFromName(std::span<const std::string> args);
int runRename(std::span<const std::string> args);
int runCase(std::span<const std::string> args);
int runReplace(std::span<const std::string> args);
int runPicture(std::span<const std::string> args);

// One picture as `show` and `picture list` print it: type, description, MIME type, byte size and
// pixel size; and the pictures as a JSON array of objects without their data.
[[nodiscard]] std::string pictureLine(const tags::PictureInfo& picture);
[[nodiscard]] std::string picturesJson(const std::vector<tags::PictureInfo>& pictures);

// "corvane-tag: path: reason" on stderr.
void reportFileError(std::string_view path, std::string_view reason);

}  // namespace corvane::cli
