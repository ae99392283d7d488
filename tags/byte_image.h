#pragma once
// The bytes a region of a file is to hold, as a list of pieces: borrowed spans (frames already in
// memory), owned buffers (frames just built) and runs of zeros (padding, never materialised). A
// new tag is built as one and compared with the old one, so that a write touches only the bytes
// that change and memory follows the frames, not the padding.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "tags/file.h"

namespace corvane::tags {

class ByteImage {
public:
    ByteImage() = default;
    // Moving keeps the addresses of the owned buffers that pieces point into; copying would not.
    ByteImage(ByteImage&&) noexcept = default;
    ByteImage& operator=(ByteImage&&) noexcept = default;
    ByteImage(const ByteImage&) = delete;
    ByteImage& operator=(const ByteImage&) = delete;

    // bytes must outlive the image.
    void append(std::span<const std::uint8_t> bytes);
    void appendOwned(std::vector<std::uint8_t> bytes);
    void appendZeros(std::uint64_t count);

    [[nodiscard]] std::uint64_t size() const { return m_size; }
    [[nodiscard]] bool empty() const { return m_size == 0; }
    // Copies out.size() bytes starting at from (which must lie within the image).
    void copyTo(std::uint64_t from, std::span<std::uint8_t> out) const;
    // Writes bytes [from, to) of the image into the file, byte i at offset base + i. Goes out in
    // pieces of at most a few hundred kilobytes, so memory stays fixed whatever the range.
    [[nodiscard]] bool writeTo(FileIo& file, std::uint64_t from, std::uint64_t to,
                               std::uint64_t base = 0) const;

    // The first and one past the last offset at which a and b differ, compared over the length
    // of the shorter; nullopt when that common part is equal. Pieces that share memory or are
    // both zeros are skipped without being read.
    [[nodiscard]] static std::optional<std::pair<std::uint64_t, std::uint64_t>> differences(
        const ByteImage& a, const ByteImage& b);

private:
    struct Piece {
        const std::uint8_t* data = nullptr;  // nullptr: zeros
        std::uint64_t size = 0;
        std::uint64_t start = 0;  // offset of the piece in the image
    };
    [[nodiscard]] std::size_t pieceAt(std::uint64_t offset) const;

    std::vector<Piece> m_pieces;
    std::deque<std::vector<std::uint8_t>> m_owned;  // a deque keeps their addresses
    std::uint64_t m_size = 0;
};

}  // namespace corvane::tags
