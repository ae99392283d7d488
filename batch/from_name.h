#pragma once
// Tag from File Name: each file's name (and the folder names above it the format reads) parsed
// with a format string, and the fields it names written into the chosen tags. A name that does
// not match is left alone, never half filled.

#include <cstdint>
#include <string>

#include "batch/file_plan.h"
#include "batch/name_format.h"
#include "batch/tag_choice.h"

namespace corvane::batch {

struct FromNameOptions {
    NameFormat format;
    TagChoice choice = kChoiceV1All | kChoiceV2All;
    bool compact = false;
    std::uint8_t newTagMajor = 3;  // the version of an ID3v2 tag created in a file without one
};

// Why format cannot read names ("" when it can): it must name a field.
[[nodiscard]] std::string checkReadingFormat(const NameFormat& format);

// The plan of one file: the fields of the chosen tags whose values the name changes. A relative
// path is read from the current folder, so that the format can read the folder names above it.
[[nodiscard]] FilePlan planFromName(tags::FileIo& file, const std::string& path,
                                    const FromNameOptions& options);

}  // namespace corvane::batch
