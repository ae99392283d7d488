#include "tags/byte_image.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace corvane::tags {

namespace {

// Writes go out through a buffer of this size: one system call for a typical tag, fixed memory
// for a large one.
constexpr std::size_t kWriteBuffer = 256 * 1024;

}  // namespace

void ByteImage::append(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) return;
    m_pieces.push_back({bytes.data(), bytes.size(), m_size});
    m_size += bytes.size();
}

void ByteImage::appendOwned(std::vector<std::uint8_t> bytes)
{
    if (bytes.empty()) return;
    m_owned.push_back(std::move(bytes));
    append(m_owned.back());
}

void ByteImage::appendZeros(std::uint64_t count)
{
    if (count == 0) return;
    if (!m_pieces.empty() && m_pieces.back().data == nullptr) {
        m_pieces.back().size += count;
    } else {
        m_pieces.push_back({nullptr, count, m_size});
    }
    m_size += count;
}

std::size_t ByteImage::pieceAt(std::uint64_t offset) const
{
    const auto it = std::upper_bound(m_pieces.begin(), m_pieces.end(), offset,
                                     [](std::uint64_t at, const Piece& p) { return at < p.start; });
    return static_cast<std::size_t>(it - m_pieces.begin()) - 1;
}

void ByteImage::copyTo(std::uint64_t from, std::span<std::uint8_t> out) const
{
    std::size_t done = 0;
    for (std::size_t i = out.empty() ? 0 : pieceAt(from); done < out.size(); ++i) {
        const Piece& piece = m_pieces[i];
        const std::uint64_t at = from + done - piece.start;
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size - at, out.size() - done));
        if (piece.data == nullptr)
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(done), n, std::uint8_t{0});
        else
            std::memcpy(out.data() + done, piece.data + at, n);
        done += n;
    }
}

bool ByteImage::writeTo(FileIo& file, std::uint64_t from, std::uint64_t to, std::uint64_t base) const
{
    // Small pieces and zeros are gathered in the buffer; a large piece in memory (a picture's
    // frame) goes out from where it is, without a copy.
    std::vector<std::uint8_t> buffer;
    buffer.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(kWriteBuffer, to > from ? to - from : 0)));
    std::uint64_t bufferAt = from;
    const auto flush = [&] {
        const bool ok = buffer.empty() || file.writeAt(base + bufferAt, buffer);
        bufferAt += buffer.size();
        buffer.clear();
        return ok;
    };
    for (std::size_t i = to > from ? pieceAt(from) : m_pieces.size(); i < m_pieces.size(); ++i) {
        const Piece& piece = m_pieces[i];
        const std::uint64_t start = std::max(from, piece.start);
        const std::uint64_t end = std::min(to, piece.start + piece.size);
        if (start >= end) break;
        if (piece.data != nullptr && end - start >= kWriteBuffer / 2) {
            if (!flush()) return false;
            const auto bytes = std::span(piece.data + (start - piece.start), static_cast<std::size_t>(end - start));
            if (!file.writeAt(base + start, bytes)) return false;
            bufferAt = end;
            continue;
        }
        for (std::uint64_t at = start; at < end;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kWriteBuffer - buffer.size(), end - at));
            if (piece.data == nullptr)
                buffer.insert(buffer.end(), n, std::uint8_t{0});
            else
                buffer.insert(buffer.end(), piece.data + (at - piece.start), piece.data + (at - piece.start) + n);
            at += n;
            if (buffer.size() == kWriteBuffer && !flush()) return false;
        }
    }
    return flush();
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> ByteImage::differences(const ByteImage& a,
                                                                              const ByteImage& b)
{
    const std::uint64_t common = std::min(a.size(), b.size());
    std::optional<std::uint64_t> first;
    std::uint64_t last = 0;
    std::size_t i = 0;
    std::size_t j = 0;
    for (std::uint64_t at = 0; at < common;) {
        while (a.m_pieces[i].start + a.m_pieces[i].size <= at) ++i;
        while (b.m_pieces[j].start + b.m_pieces[j].size <= at) ++j;
        const Piece& pa = a.m_pieces[i];
        const Piece& pb = b.m_pieces[j];
        const std::uint64_t offA = at - pa.start;
        const std::uint64_t offB = at - pb.start;
        const auto n = std::min({pa.size - offA, pb.size - offB, common - at});
        const std::uint8_t* da = pa.data ? pa.data + offA : nullptr;
        const std::uint8_t* db = pb.data ? pb.data + offB : nullptr;
        if (da != db) {
            static const std::array<std::uint8_t, 4096> zeros{};
            // Compared in slices so that a zero run on one side needs no buffer of its size.
            for (std::uint64_t k = 0; k < n;) {
                const auto m = static_cast<std::size_t>(std::min<std::uint64_t>(n - k, zeros.size()));
                const std::uint8_t* sa = da ? da + k : zeros.data();
                const std::uint8_t* sb = db ? db + k : zeros.data();
                if (std::memcmp(sa, sb, m) != 0) {
                    std::size_t lo = 0;
                    while (sa[lo] == sb[lo]) ++lo;
                    std::size_t hi = m;
                    while (sa[hi - 1] == sb[hi - 1]) --hi;
                    if (!first) first = at + k + lo;
                    last = at + k + hi;
                }
                k += m;
            }
        }
        at += n;
    }
    if (!first) return std::nullopt;
    return std::pair{*first, last};
}

}  // namespace corvane::tags
