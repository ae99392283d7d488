#include "tags/block_mover.h"

#include <algorithm>

namespace corvane::tags {

std::span<std::uint8_t> BlockMover::block(std::uint64_t size)
{
    // Only a write that moves audio needs the block; one that fits the tag never does.
    if (m_buffer.empty()) m_buffer.resize(CopyChunkSize);
    return std::span(m_buffer.data(), static_cast<std::size_t>(size));
}

bool BlockMover::move(std::uint64_t from, std::uint64_t end, std::uint64_t to)
{
    if (to > from) return moveUp(from, end, to - from, false);
    if (to < from) return moveDown(from, end, from - to, false);
    return true;
}

bool BlockMover::moveUp(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing)
{
    for (std::uint64_t pos = end; pos > from;) {
        const auto n = std::min<std::uint64_t>(CopyChunkSize, pos - from);
        pos -= n;
        const bool read = m_file.readExactAt(pos, block(n));
        if (read && m_file.writeAt(pos + delta, block(n))) continue;
        noteFailure();
        if (undoing) return false;
        // A failed write may have reached into this block's source when delta < n; the buffer
        // still holds it. Everything above it already sits delta higher.
        if (read) (void)m_file.writeAt(pos, block(n));
        (void)moveDown(pos + n + delta, end + delta, delta, true);
        return false;
    }
    return true;
}

bool BlockMover::moveDown(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing)
{
    for (std::uint64_t pos = from; pos < end;) {
        const auto n = std::min<std::uint64_t>(CopyChunkSize, end - pos);
        const bool read = m_file.readExactAt(pos, block(n));
        if (read && m_file.writeAt(pos - delta, block(n))) {
            pos += n;
            continue;
        }
        noteFailure();
        if (undoing) return false;
        if (read) (void)m_file.writeAt(pos, block(n));
        (void)moveUp(from - delta, pos - delta, delta, true);
        return false;
    }
    return true;
}

}  // namespace corvane::tags
