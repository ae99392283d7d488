#include "tags/tag_result.h"

namespace corvane::tags {

std::string describe(const WriteResult& result)
{
    switch (result.status) {
    case WriteStatus::Ok:
        return {};
    case WriteStatus::IoError:
        return result.ioError.empty() ? "an input/output error occurred" : result.ioError;
    case WriteStatus::Malformed:
        return "the ID3v2 tag is damaged";
    case WriteStatus::Unsupported:
        return "the ID3v2 tag is of a version that cannot be rewritten";
    case WriteStatus::OldVersion:
        return "ID3v2.2 tag: convert it first";
    case WriteStatus::Refused:
        return result.ioError;
    case WriteStatus::Changed:
        return "the tag changed since it was read";
    case WriteStatus::TooLarge:
        return "the ID3v2 tag would be larger than 256 MB";
    }
    return {};
}

}  // namespace corvane::tags
