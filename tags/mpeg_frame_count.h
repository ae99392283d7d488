#pragma once
// Finding frames of an MPEG stream in file bytes, and counting them over the file when no
// header says how many there are.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "file.h"
#include "mpeg_header.h"

namespace corvane::tags {

// The first position in [from, to) of bytes holding a playable header (of like's stream when
// like is given) that is followed, where its frame length says, by a playable header of the
// same stream, or by the end of bytes when endsAudio. Bytes past `to` serve only that check.
[[nodiscard]] std::optional<std::size_t> findFrame(std::span<const std::uint8_t> bytes,
                                                   std::size_t from, std::size_t to,
                                                   const MpegHeader* like, bool endsAudio);

struct FrameTally {
    std::uint64_t frames = 0;   // frames whose header starts inside the windows searched
    std::uint64_t bytes = 0;    // the bytes of those windows
    bool hasOtherRate = false;  // one of the frames has another bit rate than the first

    // The frames of a stretch of `span` bytes at the density found in the windows.
    [[nodiscard]] double framesIn(std::uint64_t span) const;
};

// Where frames are counted: `windows` windows of `window` bytes spread over the stretch, or
// the whole stretch when they would cover it anyway.
struct WindowPlan {
    std::uint32_t windows = 0;
    std::size_t window = 0;
};

// Counts the frames of first's stream in [begin, end) as the plan says. Spread windows sit each
// at a fixed pseudo-random place inside its share of the stretch, so that a rhythm in the audio
// cannot line up with them. A whole stretch is read in 64 KiB blocks and its count is exact. A
// window starts at its first frame only when junk precedes that frame, and ends where the frames
// stop, so junk is left out. Every read holds a window and the longest frame of the stream after
// it; nothing when a read fails.
[[nodiscard]] std::optional<FrameTally> tallyFrames(FileIo& file, const MpegHeader& first,
                                                    std::uint64_t begin, std::uint64_t end,
                                                    WindowPlan plan);

}  // namespace corvane::tags
