#pragma once
// Auto Track Numbering: consecutive track numbers for the chosen files, optionally padded with
// leading zeros, written into "TRCK" and the ID3v1 track byte under a TagChoice.

#include <cstdint>
#include <string>
#include <string_view>

#include "batch/file_work.h"
#include "batch/tag_choice.h"
#include "tags/file.h"

namespace corvane::batch {

// Zero modes: kZerosNone, kZerosAutomatic, or n > 0 extra zeros (Custom).
inline constexpr int kZerosNone = 0;
inline constexpr int kZerosAutomatic = -1;
// Widths are limited so that a large custom zero count cannot ask for an absurd text.
inline constexpr int kMaxTrackWidth = 99;

// The width W of every track text of a run: Automatic gives the digit count of rowCount (all
// rows of the list, selected or not); Custom n gives n + the digit count of start; None gives 0
// (no padding). Never above kMaxTrackWidth.
[[nodiscard]] int trackWidth(int zeroMode, std::int64_t start, std::size_t rowCount);

// The decimal digits of number, with zeros in front up to width; a longer number is not cut.
[[nodiscard]] std::string trackText(std::int64_t number, int width);

// The dialog's readings of its two edits: the starting number (at most 19 characters read; 0 or
// less, or no digits, gives 1) and the custom zero count (at most 9 characters; negative gives 0).
[[nodiscard]] std::int64_t parseStartNumber(std::string_view text);
[[nodiscard]] int parseZeroCount(std::string_view text);

// Writes one track text into one open file whose row shows the presence bits: "TRCK" first when
// the choice writes the ID3v2 tag, then the ID3v1 track byte (which keeps the number without the
// zeros, 255 above 255). Outcome as setData.
[[nodiscard]] FileOutcome writeTrack(tags::FileIo& file, std::string_view trackText,
                                     TagChoice choice, int presence, bool compact,
                                     std::uint8_t newTagMajor = 3);

}  // namespace corvane::batch
