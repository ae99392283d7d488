#pragma once
// Moving a stretch of a file inside the file, in blocks, with constant memory.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tags/file.h"

namespace corvane::tags {

// Audio is moved inside the file through one buffer of this size.
inline constexpr std::size_t CopyChunkSize = 40960;

class BlockMover {
public:
    explicit BlockMover(FileIo& file) : m_file(file) {}

    // Moves [from, end) to start at to: toward the end back to front, toward the start front to
    // back, so that overlapping source and destination never clobber unread bytes. On failure
    // every byte already moved is put back (as far as the file lets us) and false is returned.
    [[nodiscard]] bool move(std::uint64_t from, std::uint64_t end, std::uint64_t to);

    // The reason of the first failure, kept across the undo steps that may fail after it.
    void noteFailure()
    {
        if (m_error.empty()) m_error = m_file.errorText();
    }
    [[nodiscard]] const std::string& error() const { return m_error; }

private:
    bool moveUp(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing);
    bool moveDown(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing);
    std::span<std::uint8_t> block(std::uint64_t size);

    FileIo& m_file;
    std::vector<std::uint8_t> m_buffer;
    std::string m_error;
};

}  // namespace corvane::tags
