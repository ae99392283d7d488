#pragma once
// The ID3v2 frame layer shared by the reader, the writer and the list-row reader: frame headers of
// both layouts (2.2: three-character id and 24-bit size; 2.3: four-character id, 32-bit size and
// flags), the 2.2 -> 2.3 identifier map, a frame walk that never trusts a size, and the decoding
// of the frame bodies we show.
//
// Offsets in this unit count from the start of the tag body, i.e. the first byte after the
// 10-byte tag header.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tags/id3v2_read.h"

namespace corvane::tags {

inline constexpr std::size_t kFrameHeaderSizeV23 = 10;
inline constexpr std::size_t kFrameHeaderSizeV22 = 6;

// Frame header size of a tag of the given major version (6 for 2.2, else 10).
[[nodiscard]] std::size_t frameHeaderSize(std::uint8_t major);

// The 2.3 identifier of a 2.2 identifier we understand ("TT2" -> "TIT2"), or nullopt.
[[nodiscard]] std::optional<std::string_view> v23FrameId(std::string_view v22Id);

// One frame as found by the walk. For a 2.2 tag the id is the mapped 2.3 id when there is one,
// else the three stored characters (which then match no key of ours).
struct FrameRef {
    std::array<char, 4> idChars{};
    std::uint8_t idLength = 0;
    std::uint32_t size = 0;    // body size as stored
    std::uint16_t flags = 0;   // 2.3 frame flags; 0 for 2.2
    std::uint64_t offset = 0;  // of the frame header
    std::uint8_t headerSize = kFrameHeaderSizeV23;

    [[nodiscard]] std::string_view id() const { return {idChars.data(), idLength}; }
    [[nodiscard]] std::uint64_t bodyOffset() const { return offset + headerSize; }
    [[nodiscard]] std::uint64_t endOffset() const { return bodyOffset() + size; }
};

// Decodes a frame header of the given layout at the start of bytes (which must hold at least
// frameHeaderSize(major) bytes, else nullopt). offset is recorded in the result.
[[nodiscard]] std::optional<FrameRef> parseFrameHeader(std::span<const std::uint8_t> bytes,
                                                       std::uint8_t major, std::uint64_t offset);

// Random access to the bytes of a tag body, so one walk serves a tag held in memory and one read
// from the file piece by piece.
class TagBytes {
public:
    virtual ~TagBytes() = default;
    // Up to n bytes at offset; fewer only where the available bytes end. nullopt on an I/O
    // error. The span stays valid until the next call.
    [[nodiscard]] virtual std::optional<std::span<const std::uint8_t>> at(std::uint64_t offset,
                                                                          std::size_t n) = 0;
};

class MemoryTagBytes final : public TagBytes {
public:
    explicit MemoryTagBytes(std::span<const std::uint8_t> body) : m_body(body) {}
    [[nodiscard]] std::optional<std::span<const std::uint8_t>> at(std::uint64_t offset,
                                                                  std::size_t n) override;

private:
    std::span<const std::uint8_t> m_body;
};

// Why a walk stopped.
enum class WalkEnd {
    Running,    // next() has not returned nullopt yet
    TagEnd,     // the frames used up the tag size exactly
    Padding,    // a zero byte where a frame identifier should start: the rest is padding
    Truncated,  // a header or body ran past the tag end or the available bytes (damaged tag)
    Ignored,    // a 2.2 tag with its compression flag: no frames can be read
    IoError,
};

// Walks the frames of a tag body. available is how many body bytes exist (the tag size clamped
// to what the file holds); no frame is returned whose header or body lies past
// min(tagSize, available), so a damaged size can neither make us read nor allocate past the end.
// An extended header (flag 0x40 of a 2.3 tag) is skipped by its stored size.
class FrameWalk {
public:
    FrameWalk(TagBytes& bytes, const Id3v2Header& header, std::uint64_t available);

    // The next frame, or nullopt when the walk has ended (see end()).
    [[nodiscard]] std::optional<FrameRef> next();
    [[nodiscard]] WalkEnd end() const { return m_end; }
    // Where the frames end: just after the last frame returned (or after the extended header).
    // When end() is Padding or TagEnd this is where the padding starts.
    [[nodiscard]] std::uint64_t position() const { return m_position; }

private:
    [[nodiscard]] bool skipExtendedHeader();
    std::optional<FrameRef> stop(WalkEnd why);

    TagBytes& m_bytes;
    Id3v2Header m_header;
    std::uint64_t m_limit;
    std::uint64_t m_position = 0;
    bool m_started = false;
    WalkEnd m_end = WalkEnd::Running;
};

// A string that starts a frame body after its encoding byte: the decoded text, and the rest of
// the body after its terminator (empty when the string runs to the end).
struct TerminatedText {
    std::string text;
    std::span<const std::uint8_t> rest;
    bool terminated = false;
};
// Splits a string in the given encoding off the front of bytes (one zero byte ends ISO-8859-1
// and UTF-8; two zero bytes on an even offset end UTF-16).
[[nodiscard]] TerminatedText splitTerminated(std::uint8_t encoding,
                                             std::span<const std::uint8_t> bytes);

// Frame values as the editor reads them (UTF-8):
// a text frame's text (the first string after the encoding byte);
[[nodiscard]] std::string textFrameValue(std::span<const std::uint8_t> body);
// the comment text of "COMM" (encoding, language, description skipped); "" when the description
// runs to the end of the body;
[[nodiscard]] std::string commentFrameValue(std::span<const std::uint8_t> body);
// the URL of "WXXX" (ISO-8859-1 after the description in the frame's encoding);
[[nodiscard]] std::string userUrlFrameValue(std::span<const std::uint8_t> body);
// the decimal text of a "PCNT" counter; a counter longer than 8 bytes counts by its last 8.
[[nodiscard]] std::string counterFrameValue(std::span<const std::uint8_t> body);
// The value of a frame by its identifier, or nullopt for a kind of frame we do not show.
[[nodiscard]] std::optional<std::string> frameValue(std::string_view id,
                                                    std::span<const std::uint8_t> body);

}  // namespace corvane::tags
