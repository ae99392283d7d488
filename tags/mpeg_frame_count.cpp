#include "tags/mpeg_frame_count.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvane::tags {

namespace {

constexpr std::size_t kTileWindow = 64 * 1024;

bool isFrameOf(const std::optional<MpegHeader>& header, const MpegHeader& stream)
{
    return header && header->isPlayable() && stream.isSameStream(*header);
}

// A small xorshift generator: the same file gives the same windows, so the same length, on
// every opening.
class WindowJitter {
public:
    std::uint64_t next(std::uint64_t below)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return below == 0 ? 0 : m_state % below;
    }

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15u;
};

// Counts the frames starting in [0, window) of bytes, which begin at a window's start.
void tallyWindow(std::span<const std::uint8_t> bytes, std::size_t window, bool endsAudio,
                 const MpegHeader& first, FrameTally& tally)
{
    const auto start = findFrame(bytes, 0, window, &first, endsAudio);
    if (!start) return;
    // A frame begun before the window covers its first bytes; more than a frame's length before
    // the first frame is junk, which is not audio.
    const std::size_t from = *start > first.maxFrameLength() ? *start : 0;
    std::size_t pos = *start;
    std::uint64_t frames = 0;
    for (auto header = MpegHeader::at(bytes, pos); pos < window && isFrameOf(header, first);
         header = MpegHeader::at(bytes, pos)) {
        ++frames;
        tally.hasOtherRate = tally.hasOtherRate || header->kbps() != first.kbps();
        pos += header->frameLength();
    }
    tally.frames += frames;
    tally.bytes += std::min(pos, window) - from;
}

}  // namespace

std::optional<std::size_t> findFrame(std::span<const std::uint8_t> bytes, std::size_t from,
                                     std::size_t to, const MpegHeader* like, bool endsAudio)
{
    to = std::min(to, bytes.size());
    for (std::size_t pos = from; pos < to; ++pos) {
        const auto* hit =
            static_cast<const std::uint8_t*>(std::memchr(bytes.data() + pos, 0xFF, to - pos));
        if (hit == nullptr) return std::nullopt;
        pos = static_cast<std::size_t>(hit - bytes.data());
        const auto header = MpegHeader::at(bytes, pos);
        if (!header || !header->isPlayable() || (like != nullptr && !like->isSameStream(*header)))
            continue;
        const std::size_t next = pos + header->frameLength();
        if ((endsAudio && next == bytes.size()) || isFrameOf(MpegHeader::at(bytes, next), *header))
            return pos;
    }
    return std::nullopt;
}

double FrameTally::framesIn(std::uint64_t span) const
{
    if (bytes == 0) return 0;
    return static_cast<double>(span) * static_cast<double>(frames) / static_cast<double>(bytes);
}

std::optional<FrameTally> tallyFrames(FileIo& file, const MpegHeader& first, std::uint64_t begin,
                                      std::uint64_t end, WindowPlan plan)
{
    FrameTally tally;
    if (end <= begin || plan.windows == 0 || plan.window == 0) return tally;
    const std::uint64_t span = end - begin;
    const bool tiles = span <= std::uint64_t{plan.windows} * plan.window;
    const std::size_t window = tiles ? kTileWindow : plan.window;
    const std::uint64_t share = tiles ? window : span / plan.windows;
    const std::uint64_t count = tiles ? (span + window - 1) / window : plan.windows;
    // The whole of a frame starting at the window's last byte, and the header after it.
    const std::size_t margin = first.maxFrameLength() + 4;
    WindowJitter jitter;
    std::vector<std::uint8_t> bytes;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = begin + i * share + (tiles ? 0 : jitter.next(share - window));
        const auto inWindow = static_cast<std::size_t>(std::min<std::uint64_t>(window, end - at));
        bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(window + margin, end - at)));
        if (!file.readExactAt(at, bytes)) return std::nullopt;
        tallyWindow(bytes, inWindow, at + bytes.size() == end, first, tally);
    }
    return tally;
}

}  // namespace corvane::tags
