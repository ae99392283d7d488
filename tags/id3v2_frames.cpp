#include "tags/id3v2_frames.h"

#include <algorithm>
#include <utility>

#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

// The 2.2 frames we show, with the 2.3 identifiers our slot keys and columns use.
constexpr std::array<std::pair<std::string_view, std::string_view>, 21> kV22Ids{{
    {"TT2", "TIT2"}, {"TP1", "TPE1"}, {"TAL", "TALB"}, {"TYE", "TYER"}, {"TRK", "TRCK"},
    {"TCO", "TCON"}, {"COM", "COMM"}, {"TCM", "TCOM"}, {"TXT", "TEXT"}, {"TCR", "TCOP"},
    {"WXX", "WXXX"}, {"TEN", "TENC"}, {"TT3", "TIT3"}, {"TOA", "TOPE"}, {"TOT", "TOAL"},
    {"TOR", "TORY"}, {"TOL", "TOLY"}, {"TPB", "TPUB"}, {"TP2", "TPE2"}, {"TP3", "TPE3"},
    {"CNT", "PCNT"},
}};

// In a 2.2 tag, flag 0x40 marks the whole tag as compressed by a scheme that was never defined.
constexpr std::uint8_t kV22CompressionFlag = 0x40;

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (const auto b : bytes) value = (value << 8) | b;
    return value;
}

bool isWide(std::uint8_t encoding)
{
    return encoding == static_cast<std::uint8_t>(TextEncoding::Utf16Bom) ||
           encoding == static_cast<std::uint8_t>(TextEncoding::Utf16Be);
}

}  // namespace

std::size_t frameHeaderSize(std::uint8_t major)
{
    return major == 2 ? kFrameHeaderSizeV22 : kFrameHeaderSizeV23;
}

std::optional<std::string_view> v23FrameId(std::string_view v22Id)
{
    for (const auto& [v22, v23] : kV22Ids) {
        if (v22 == v22Id) return v23;
    }
    return std::nullopt;
}

std::optional<FrameRef> parseFrameHeader(std::span<const std::uint8_t> bytes, std::uint8_t major,
                                         std::uint64_t offset)
{
    const std::size_t headerSize = frameHeaderSize(major);
    if (bytes.size() < headerSize) return std::nullopt;
    FrameRef ref;
    ref.offset = offset;
    ref.headerSize = static_cast<std::uint8_t>(headerSize);
    if (major == 2) {
        //  0..2 id   3..5 size (24-bit big-endian)
        const std::string_view stored(reinterpret_cast<const char*>(bytes.data()), 3);
        const std::string_view id = v23FrameId(stored).value_or(stored);
        std::copy(id.begin(), id.end(), ref.idChars.begin());
        ref.idLength = static_cast<std::uint8_t>(id.size());
        ref.size = bigEndian(bytes.subspan(3, 3));
    } else {
        //  0..3 id   4..7 size (32-bit big-endian)   8..9 flags
        std::copy_n(bytes.begin(), 4, ref.idChars.begin());
        ref.idLength = 4;
        ref.size = bigEndian(bytes.subspan(4, 4));
        ref.flags = static_cast<std::uint16_t>(bigEndian(bytes.subspan(8, 2)));
    }
    return ref;
}

std::optional<std::span<const std::uint8_t>> MemoryTagBytes::at(std::uint64_t offset, std::size_t n)
{
    if (offset >= m_body.size()) return std::span<const std::uint8_t>{};
    const auto start = static_cast<std::size_t>(offset);
    return m_body.subspan(start, std::min(n, m_body.size() - start));
}

FrameWalk::FrameWalk(TagBytes& bytes, const Id3v2Header& header, std::uint64_t available)
    : m_bytes(bytes), m_header(header), m_limit(std::min<std::uint64_t>(header.tagSize, available))
{
}

std::optional<FrameRef> FrameWalk::stop(WalkEnd why)
{
    m_end = why;
    return std::nullopt;
}

bool FrameWalk::skipExtendedHeader()
{
    // A 32-bit plain size that does not count its own four bytes.
    const auto sizeBytes = m_bytes.at(0, 4);
    if (!sizeBytes) {
        m_end = WalkEnd::IoError;
        return false;
    }
    if (sizeBytes->size() < 4 || 4 + std::uint64_t{bigEndian(*sizeBytes)} > m_limit) {
        m_end = WalkEnd::Truncated;
        return false;
    }
    m_position = 4 + std::uint64_t{bigEndian(*sizeBytes)};
    return true;
}

std::optional<FrameRef> FrameWalk::next()
{
    if (m_end != WalkEnd::Running) return std::nullopt;
    if (!m_started) {
        m_started = true;
        if (m_header.major == 2 && (m_header.flags & kV22CompressionFlag) != 0)
            return stop(WalkEnd::Ignored);
        if (m_header.major != 2 && m_header.hasExtendedHeader() && !skipExtendedHeader())
            return std::nullopt;
    }
    if (m_position >= m_header.tagSize) return stop(WalkEnd::TagEnd);
    const std::size_t headerSize = frameHeaderSize(m_header.major);
    const auto bytes = m_bytes.at(m_position, headerSize);
    if (!bytes) return stop(WalkEnd::IoError);
    // Padding need not fill whole frame headers, so look at the first byte before the rest.
    if (!bytes->empty() && (*bytes)[0] == 0) return stop(WalkEnd::Padding);
    if (m_position + headerSize > m_limit || bytes->size() < headerSize)
        return stop(WalkEnd::Truncated);
    const auto ref = parseFrameHeader(*bytes, m_header.major, m_position);
    if (!ref || ref->endOffset() > m_limit) return stop(WalkEnd::Truncated);
    m_position = ref->endOffset();
    return ref;
}

TerminatedText splitTerminated(std::uint8_t encoding, std::span<const std::uint8_t> bytes)
{
    const std::size_t step = isWide(encoding) ? 2 : 1;
    for (std::size_t k = 0; k + step <= bytes.size(); k += step) {
        const bool zero = bytes[k] == 0 && (step == 1 || bytes[k + 1] == 0);
        if (zero) return {decodeId3Text(encoding, bytes.first(k)), bytes.subspan(k + step), true};
    }
    return {decodeId3Text(encoding, bytes), {}, false};
}

std::string textFrameValue(std::span<const std::uint8_t> body)
{
    if (body.empty()) return {};
    return decodeId3Text(body[0], body.subspan(1));
}

std::string commentFrameValue(std::span<const std::uint8_t> body)
{
    // encoding(1) language(3) description(terminated) text
    if (body.size() < 4) return {};
    const auto description = splitTerminated(body[0], body.subspan(4));
    if (!description.terminated) return {};
    return decodeId3Text(body[0], description.rest);
}

std::string userUrlFrameValue(std::span<const std::uint8_t> body)
{
    // encoding(1) description(terminated) URL (always ISO-8859-1)
    if (body.empty()) return {};
    const auto description = splitTerminated(body[0], body.subspan(1));
    if (!description.terminated) return {};
    return latin1ToUtf8(description.rest);
}

std::string counterFrameValue(std::span<const std::uint8_t> body)
{
    // Only the low 64 bits fit; a longer counter is taken by its last eight bytes.
    const auto digits = body.size() > 8 ? body.last(8) : body;
    std::uint64_t count = 0;
    for (const auto b : digits) count = (count << 8) | b;
    return std::to_string(count);
}

std::optional<std::string> frameValue(std::string_view id, std::span<const std::uint8_t> body)
{
    if (id.empty()) return std::nullopt;
    if (id == "COMM") return commentFrameValue(body);
    if (id == "WXXX") return userUrlFrameValue(body);
    if (id == "PCNT") return counterFrameValue(body);
    if (id == "TXXX") {
        if (body.empty()) return std::string{};
        return decodeId3Text(body[0], splitTerminated(body[0], body.subspan(1)).rest);
    }
    if (id[0] == 'T') return textFrameValue(body);
    // The other URL frames hold nothing but an ISO-8859-1 URL.
    if (id[0] == 'W') return latin1ToUtf8(body);
    return std::nullopt;
}

}  // namespace corvane::tags
