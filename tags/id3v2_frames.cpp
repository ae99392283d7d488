#include "tags/id3v2_frames.h"

#include <algorithm>
#include <utility>
#include <zlib.h>

#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

// The 2.2 frames we show, with the 2.3 identifiers our slot keys and columns use, and the other
// 2.2 frames whose meaning carries over unchanged (kept when a 2.2 tag is converted).
constexpr std::array<std::pair<std::string_view, std::string_view>, 62> kV22Ids{{
    {"TT2", "TIT2"}, {"TP1", "TPE1"}, {"TAL", "TALB"}, {"TYE", "TYER"}, {"TRK", "TRCK"},
    {"TCO", "TCON"}, {"COM", "COMM"}, {"TCM", "TCOM"}, {"TXT", "TEXT"}, {"TCR", "TCOP"},
    {"WXX", "WXXX"}, {"TEN", "TENC"}, {"TT3", "TIT3"}, {"TOA", "TOPE"}, {"TOT", "TOAL"},
    {"TOR", "TORY"}, {"TOL", "TOLY"}, {"TPB", "TPUB"}, {"TP2", "TPE2"}, {"TP3", "TPE3"},
    {"CNT", "PCNT"}, {"TT1", "TIT1"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TBP", "TBPM"},
    {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"},
    {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOF", "TOFN"}, {"TRC", "TSRC"},
    {"TRD", "TRDA"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TXX", "TXXX"}, {"WAF", "WOAF"},
    {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"UFI", "UFID"}, {"ULT", "USLT"}, {"SLT", "SYLT"}, {"ETC", "ETCO"}, {"MLL", "MLLT"},
    {"STC", "SYTC"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"GEO", "GEOB"}, {"POP", "POPM"},
    {"BUF", "RBUF"}, {"RVA", "RVAD"}, {"EQU", "EQUA"}, {"REV", "RVRB"}, {"CRA", "AENC"},
    {"LNK", "LINK"}, {"PIC", "APIC"},
}};

// In a 2.2 tag, flag 0x40 marks the whole tag as compressed by a scheme that was never defined.
constexpr std::uint8_t kV22CompressionFlag = 0x40;

// Inflating stops here: no frame we show is anywhere near it, and a forged size must not make
// us allocate without bound.
constexpr std::size_t kMaxInflatedSize = std::size_t{64} << 20;

bool isWide(std::uint8_t encoding)
{
    return encoding == static_cast<std::uint8_t>(TextEncoding::Utf16Bom) ||
           encoding == static_cast<std::uint8_t>(TextEncoding::Utf16Be);
}

bool isFrameIdChar(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool allZero(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::optional<std::vector<std::uint8_t>> inflateBody(std::span<const std::uint8_t> data,
                                                     std::size_t expected)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.resize(std::clamp<std::size_t>(expected, 64, 1 << 20));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), 0xFFFFFFFFu));
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (stream.total_out == out.size()) {
            if (out.size() >= kMaxInflatedSize) break;
            out.resize(std::min(out.size() * 2, kMaxInflatedSize));
        }
        stream.next_out = out.data() + stream.total_out;
        stream.avail_out = static_cast<uInt>(out.size() - stream.total_out);
        rc = inflate(&stream, Z_NO_FLUSH);
        if (rc == Z_BUF_ERROR && stream.avail_in == 0) break;
        if (rc == Z_BUF_ERROR) rc = Z_OK;
    }
    const bool done = rc == Z_STREAM_END;
    out.resize(stream.total_out);
    inflateEnd(&stream);
    if (!done) return std::nullopt;
    return out;
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

std::optional<std::string_view> v22FrameId(std::string_view v23Id)
{
    for (const auto& [v22, v23] : kV22Ids) {
        if (v23 == v23Id) return v22;
    }
    return std::nullopt;
}

bool isValidFrameId(std::string_view id, std::uint8_t major)
{
    if (id.size() != (major == 2 ? 3u : 4u)) return false;
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return isFrameIdChar(static_cast<std::uint8_t>(c)); });
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
        ref.hasValidId = isValidFrameId(stored, 2);
        const std::string_view id = v23FrameId(stored).value_or(stored);
        std::copy(id.begin(), id.end(), ref.idChars.begin());
        ref.idLength = static_cast<std::uint8_t>(id.size());
        ref.size = decodeBigEndian(bytes.subspan(3, 3));
        return ref;
    }
    //  0..3 id   4..7 size (2.3: 32-bit big-endian; 2.4: sync-safe)   8..9 flags
    std::copy_n(bytes.begin(), 4, ref.idChars.begin());
    ref.idLength = 4;
    ref.hasValidId = isValidFrameId(ref.id(), major);
    ref.size = major == 4 ? decodeSyncsafe(bytes.subspan<4, 4>())
                          : decodeBigEndian(bytes.subspan(4, 4));
    ref.flags = static_cast<std::uint16_t>(decodeBigEndian(bytes.subspan(8, 2)));
    return ref;
}

bool looksLikeFrameHeader(std::span<const std::uint8_t> bytes, std::uint8_t major,
                          std::uint64_t room)
{
    const auto ref = parseFrameHeader(bytes, major, 0);
    if (!ref || !ref->hasValidId) return false;
    std::uint64_t size = ref->size;
    // A 2.4 writer may have stored a plain number; either reading makes a header.
    if (major == 4 && (size == 0 || size > room)) size = decodeBigEndian(bytes.subspan(4, 4));
    return size != 0 && size <= room;
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

bool FrameWalk::readExtendedHeader()
{
    const auto start = m_bytes.at(0, 4);
    if (!start) {
        m_end = WalkEnd::IoError;
        return false;
    }
    // Some taggers set the flag without writing the header: the frames start at once.
    const std::string_view first(reinterpret_cast<const char*>(start->data()), start->size());
    if (isValidFrameId(first, m_header.major)) return true;
    // A 2.4 size counts itself, a 2.3 size does not; either way 64 bytes hold every layout.
    const auto bytes = m_bytes.at(0, static_cast<std::size_t>(std::min<std::uint64_t>(m_limit, 64)));
    if (!bytes) {
        m_end = WalkEnd::IoError;
        return false;
    }
    const auto read = parseExtendedHeader(m_header.major, *bytes);
    if (read.check == ExtendedHeaderCheck::Valid) {
        m_ext = read.header;
        m_position = read.header.size();
        return true;
    }
    m_end = read.check == ExtendedHeaderCheck::Impossible ? WalkEnd::BadExtendedHeader
                                                          : WalkEnd::Truncated;
    return false;
}

bool FrameWalk::fitsAt(std::uint64_t offset, std::uint64_t size) const
{
    return offset <= m_limit && size <= m_limit - offset;
}

bool FrameWalk::isFrameStart(std::uint64_t offset)
{
    if (offset == m_header.tagSize) return true;
    const std::size_t headerSize = frameHeaderSize(m_header.major);
    const auto bytes = m_bytes.at(offset, headerSize);
    if (!bytes || bytes->empty()) return false;
    if (bytes->size() < headerSize) return allZero(*bytes);
    if (allZero(bytes->first(headerSize == kFrameHeaderSizeV22 ? 3 : 4))) return true;
    return offset + headerSize <= m_header.tagSize &&
           looksLikeFrameHeader(*bytes, m_header.major, m_header.tagSize - offset - headerSize);
}

void FrameWalk::chooseV24Size(FrameRef& ref, std::span<const std::uint8_t> header)
{
    // Some writers store 2.4 frame sizes as plain numbers. Take the reading under which the next
    // frame header (or the padding, or the tag end) follows, the sync-safe one when both do.
    const auto sizeBytes = header.subspan<4, 4>();
    const std::uint32_t plain = decodeBigEndian(sizeBytes);
    if (!isSyncsafe(sizeBytes)) {
        ref.size = plain;
        return;
    }
    if (plain == ref.size) return;
    const std::uint64_t body = ref.bodyOffset();
    if (fitsAt(body, ref.size) && isFrameStart(body + ref.size)) return;
    if (fitsAt(body, plain) && isFrameStart(body + plain)) ref.size = plain;
}

std::optional<FrameRef> FrameWalk::next()
{
    if (m_end != WalkEnd::Running) return std::nullopt;
    if (!m_started) {
        m_started = true;
        if (m_header.major == 2 && (m_header.flags & kV22CompressionFlag) != 0)
            return stop(WalkEnd::Ignored);
        if (m_header.hasExtendedHeader() && !readExtendedHeader()) return std::nullopt;
        m_framesStart = m_position;
    }
    if (m_position >= m_header.tagSize) return stop(WalkEnd::TagEnd);
    const std::size_t headerSize = frameHeaderSize(m_header.major);
    const std::size_t idSize = headerSize == kFrameHeaderSizeV22 ? 3 : 4;
    const auto bytes = m_bytes.at(m_position, headerSize);
    if (!bytes) return stop(WalkEnd::IoError);
    std::array<std::uint8_t, kFrameHeaderSizeV23> header{};
    std::copy(bytes->begin(), bytes->end(), header.begin());
    const auto have = std::span(header).first(bytes->size());
    if (have.size() < headerSize) {
        if (m_position + have.size() < m_header.tagSize && m_position + have.size() >= m_limit)
            return stop(WalkEnd::Truncated);
        // The tag ends less than a header after the last frame: zeros are padding, a frame
        // identifier is a frame cut off by the tag end, anything else is leftover bytes.
        if (allZero(have)) return stop(WalkEnd::Padding);
        const std::string_view id(reinterpret_cast<const char*>(have.data()),
                                  std::min(have.size(), idSize));
        return stop(isValidFrameId(id, m_header.major) ? WalkEnd::Truncated : WalkEnd::Leftover);
    }
    if (allZero(have.first(idSize))) return stop(WalkEnd::Padding);
    auto ref = parseFrameHeader(have, m_header.major, m_position);
    if (ref && m_header.major == 4) chooseV24Size(*ref, have);
    if (!ref) return stop(WalkEnd::Truncated);
    const bool fits = fitsAt(ref->bodyOffset(), ref->size);
    if (ref->hasValidId) {
        if (!fits) {
            // Past the end of the file, or past the tag's own end: either way the tag is damaged.
            return stop(WalkEnd::Truncated);
        }
    } else if (!fits || !isFrameStart(ref->endOffset())) {
        return stop(WalkEnd::Leftover);
    }
    m_position = ref->endOffset();
    return ref;
}

std::vector<std::uint8_t> removeUnsynchronisation(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
    }
    return out;
}

bool isEncryptedFrame(std::uint16_t flags, std::uint8_t major)
{
    if (major == 3) return (flags & kFrameV23Encrypted) != 0;
    if (major == 4) return (flags & kFrameV24Encrypted) != 0;
    return false;
}

bool needsDecoding(std::uint16_t flags, std::uint8_t major)
{
    if (major == 3) return (flags & (kFrameV23Compressed | kFrameV23Encrypted | kFrameV23Grouped)) != 0;
    if (major == 4)
        return (flags & (kFrameV24Grouped | kFrameV24Compressed | kFrameV24Encrypted |
                         kFrameV24Unsynchronised | kFrameV24DataLength)) != 0;
    return false;
}

DecodedBody decodeFrameBody(std::span<const std::uint8_t> stored, std::uint16_t flags,
                            std::uint8_t major)
{
    DecodedBody body;
    body.data = stored;
    if (!needsDecoding(flags, major)) return body;
    const auto damaged = [&body] {
        body.state = BodyState::Damaged;
        body.data = {};
        return std::move(body);
    };
    if (isEncryptedFrame(flags, major)) {
        body.state = BodyState::Encrypted;
        body.data = {};
        return body;
    }
    // The additions follow the header in the order of their flags:
    //   2.3: decompressed size (4), encryption method (1), group (1)
    //   2.4: group (1), encryption method (1), data length (4, sync-safe)
    std::span<const std::uint8_t> data = stored;
    std::size_t expected = 0;
    bool compressed = false;
    if (major == 3) {
        compressed = (flags & kFrameV23Compressed) != 0;
        if (compressed) {
            if (data.size() < 4) return damaged();
            expected = decodeBigEndian(data.first(4));
            data = data.subspan(4);
        }
        if ((flags & kFrameV23Grouped) != 0) {
            if (data.empty()) return damaged();
            data = data.subspan(1);
        }
    } else {
        if ((flags & kFrameV24Grouped) != 0) {
            if (data.empty()) return damaged();
            data = data.subspan(1);
        }
        if ((flags & kFrameV24DataLength) != 0) {
            if (data.size() < 4) return damaged();
            expected = decodeSyncsafe(data.first<4>());
            data = data.subspan(4);
        }
        if ((flags & kFrameV24Unsynchronised) != 0) {
            body.owned = removeUnsynchronisation(data);
            data = body.owned;
        }
        compressed = (flags & kFrameV24Compressed) != 0;
    }
    if (compressed) {
        auto inflated = inflateBody(data, expected);
        if (!inflated) return damaged();
        body.owned = std::move(*inflated);
        data = body.owned;
    }
    body.data = data;
    return body;
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

std::vector<std::string> textFrameValues(std::span<const std::uint8_t> body)
{
    if (body.empty()) return {std::string{}};
    const std::uint8_t encoding = body[0];
    std::vector<std::string> values;
    auto rest = body.subspan(1);
    // Values after the first are only taken while something follows: a trailing terminator
    // ends the text, it does not add an empty value.
    while (true) {
        auto part = splitTerminated(encoding, rest);
        values.push_back(std::move(part.text));
        if (!part.terminated || part.rest.empty() || allZero(part.rest)) break;
        rest = part.rest;
    }
    return values;
}

std::string textFrameValue(std::span<const std::uint8_t> body)
{
    const auto values = textFrameValues(body);
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) joined += kValueSeparator;
        joined += values[i];
    }
    return joined;
}

std::string commentFrameValue(std::span<const std::uint8_t> body)
{
    // encoding(1) language(3) description(terminated) text
    if (body.size() < 4) return {};
    const auto description = splitTerminated(body[0], body.subspan(4));
    if (!description.terminated) return {};
    return decodeId3Text(body[0], description.rest);
}

std::optional<std::string> frameDescription(std::string_view id, std::span<const std::uint8_t> body)
{
    const std::size_t prefix = id == "COMM" ? 4 : 1;
    if (body.size() < prefix) return std::nullopt;
    return splitTerminated(body[0], body.subspan(prefix)).text;
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
