#pragma once
// The audio properties of an MPEG file: where its audio lies, its first frame, and its playing
// time and bit rate, taken from a Xing, "Info" or VBRI header when the first frame holds one.

#include <cstdint>
#include <optional>

#include "file.h"
#include "mpeg_header.h"

namespace corvane::tags {

// Where the playing time comes from.
enum class MpegLength {
    None,           // free format or an invalid rate: unknown
    FrameBitRate,   // the audio bytes at the first frame's bit rate
    InfoHeader,     // the frame count of an "Info" header (constant bit rate)
    XingHeader,     // the frame count of a Xing header (variable bit rate)
    VbriHeader,     // the frame count of a VBRI header (variable bit rate)
    CountedFrames,  // frames counted, or sampled in stretches, because their bit rates vary
};

struct MpegAudio {
    MpegHeader first{{}};          // the first frame's header
    std::uint64_t firstFrame = 0;  // its offset in the file
    std::uint64_t audioEnd = 0;    // the file's end, or where an ID3v1 trailer starts
    MpegLength length = MpegLength::None;
    double seconds = 0;  // the playing time; 0 when length is None
    // The bit rate in kbit/s to show: the average over the file when isVariable, else the
    // first frame's (nothing for the invalid index 15).
    std::optional<int> kbps;
    bool isVariable = false;
};

// Finds the first frame after any ID3v2 tag (every version, a 2.4 footer included) and works
// out the playing time. The first frame is the first frame sync within 1 MiB of the tag's end
// whose header is followed, where its frame length says, by another of the same stream; when
// there is none, a frame sync right at the tag's end (a file too short for a second frame, a
// header with an invalid rate) is taken as it is. Without a Xing, "Info" or VBRI header, a few
// small windows are probed for frames of another bit rate; when there are some, the frames are
// counted (sampled in a file of more than 14 MiB). About 1 MiB is read to find the first frame
// and 17 MiB to count, whatever the file's size. Nothing when no frame is found or a read fails.
[[nodiscard]] std::optional<MpegAudio> readMpegAudio(FileIo& file);

}  // namespace corvane::tags
