#include "batch/convert_tags.h"

#include "tags/id3v2_convert.h"
#include "tags/id3v2_header.h"

namespace corvane::batch {

FileOutcome convertTags(tags::FileIo& file, std::uint8_t targetMajor)
{
    const auto conversion = tags::convertId3v2(file, targetMajor);
    if (!conversion.result.ok()) return FileOutcome::failed(conversion.result);
    if (!conversion.changed) {
        if (!tags::readId3v2Header(file)) return FileOutcome::skipped("the file has no ID3v2 tag");
        return FileOutcome::skipped("the ID3v2 tag is version 2." + std::to_string(targetMajor) +
                                    " already");
    }
    FileOutcome outcome;
    outcome.status = FileStatus::Written;
    outcome.wroteId3v2 = true;
    if (!conversion.dropped.empty()) {
        outcome.note = "frames that ID3v2." + std::to_string(targetMajor) + " does not have were dropped:";
        for (const auto& id : conversion.dropped) outcome.note += " " + id;
    }
    return outcome;
}

}  // namespace corvane::batch
