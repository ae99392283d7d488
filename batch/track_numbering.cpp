#include "batch/track_numbering.h"

#include <algorithm>
#include <limits>

#include "tags/text_rules.h"
#include "batch/set_data.h"

namespace corvane::batch {

namespace {

int digitCount(std::uint64_t number)
{
    int digits = 1;
    while (number >= 10) {
        number /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

int trackWidth(int zeroMode, std::int64_t start, std::size_t rowCount)
{
    int width = 0;
    if (zeroMode == kZerosAutomatic)
        width = digitCount(rowCount);
    else if (zeroMode > 0)
        width = zeroMode + digitCount(static_cast<std::uint64_t>(std::max<std::int64_t>(start, 0)));
    return std::min(width, kMaxTrackWidth);
}

std::string trackText(std::int64_t number, int width)
{
    std::string digits = std::to_string(number);
    if (width > static_cast<int>(digits.size()))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

std::int64_t parseStartNumber(std::string_view text)
{
    const std::int64_t start = tags::leadingInteger(text, 19);
    return start <= 0 ? 1 : start;
}

int parseZeroCount(std::string_view text)
{
    const std::int64_t zeros = tags::leadingInteger(text, 9);
    if (zeros < 0) return 0;
    return static_cast<int>(std::min<std::int64_t>(zeros, std::numeric_limits<int>::max()));
}

FileOutcome writeTrack(tags::FileIo& file, std::string_view trackText, TagChoice choice,
                       int presence, bool compact, std::uint8_t newTagMajor)
{
    SetDataOptions options;
    options.values.push_back({fieldOfColumn(tags::Column::Track), std::string(trackText)});
    options.choice = choice;
    options.compact = compact;
    options.newTagMajor = newTagMajor;
    return setData(file, options, presence);
}

}  // namespace corvane::batch
