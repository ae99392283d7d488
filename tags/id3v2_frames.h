#pragma once
// The ID3v2 frame layer shared by the reader, the writer and the list-row reader: frame headers of
// every layout (2.2: three-character id and 24-bit size; 2.3: four-character id, 32-bit size and
// flags; 2.4: the same with a sync-safe size and other flags), a frame walk that never trusts a
// size, the frame flags that change how a body is stored (unsynchronisation, data-length
// indicator, grouping, compression, encryption), and the decoding of the frame bodies we show.
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

#include "tags/field_catalogue.h"
#include "tags/id3v2_header.h"

namespace corvane::tags {

inline constexpr std::size_t kFrameHeaderSizeV23 = 10;
inline constexpr std::size_t kFrameHeaderSizeV22 = 6;

// Frame header size of a tag of the given major version (6 for 2.2, else 10).
[[nodiscard]] std::size_t frameHeaderSize(std::uint8_t major);

// Frame format flags, by version. Status flags (preservation, read-only) need no handling here.
inline constexpr std::uint16_t kFrameV23Compressed = 0x0080;
inline constexpr std::uint16_t kFrameV23Encrypted = 0x0040;
inline constexpr std::uint16_t kFrameV23Grouped = 0x0020;
inline constexpr std::uint16_t kFrameV24Grouped = 0x0040;
inline constexpr std::uint16_t kFrameV24Compressed = 0x0008;
inline constexpr std::uint16_t kFrameV24Encrypted = 0x0004;
inline constexpr std::uint16_t kFrameV24Unsynchronised = 0x0002;
inline constexpr std::uint16_t kFrameV24DataLength = 0x0001;

// The 2.3 identifier of a 2.2 identifier we understand ("TT2" -> "TIT2"), or nullopt; and back.
[[nodiscard]] std::optional<std::string_view> v23FrameId(std::string_view v22Id);
[[nodiscard]] std::optional<std::string_view> v22FrameId(std::string_view v23Id);

// True when id is made of capital letters and digits and has the length of the version's ids.
[[nodiscard]] bool isValidFrameId(std::string_view id, std::uint8_t major);

// One frame as found by the walk. For a 2.2 tag the id is the mapped 2.3 id when there is one,
// else the three stored characters (which then match no key of ours).
struct FrameRef {
    std::array<char, 4> idChars{};
    std::uint8_t idLength = 0;
    std::uint32_t size = 0;    // body size as stored
    std::uint16_t flags = 0;   // 2.3/2.4 frame flags; 0 for 2.2
    std::uint64_t offset = 0;  // of the frame header
    std::uint8_t headerSize = kFrameHeaderSizeV23;
    bool hasValidId = true;  // false for a frame the walk stepped over as other readers do

    [[nodiscard]] std::string_view id() const { return {idChars.data(), idLength}; }
    [[nodiscard]] std::uint64_t bodyOffset() const { return offset + headerSize; }
    [[nodiscard]] std::uint64_t endOffset() const { return bodyOffset() + size; }
};

// Decodes a frame header of the given layout at the start of bytes (which must hold at least
// frameHeaderSize(major) bytes, else nullopt). The size of a 2.4 header is read as sync-safe;
// the walk decides when a writer stored it as a plain number. offset is recorded in the result.
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
    Padding,    // a frame identifier of zero bytes: what follows is padding (or leftovers; the
                // writer looks at it before it trusts it)
    Leftover,   // bytes that are no frame header (text some taggers leave after the last frame)
    Truncated,  // a frame header or body runs past the tag end or the available bytes
    BadExtendedHeader,  // an extended header of a size no writer can have meant
    Ignored,    // a 2.2 tag with its compression flag: no frames can be read
    IoError,
};

// Walks the frames of a tag body. available is how many body bytes exist (the tag size clamped
// to what the file holds); no frame is returned whose header or body lies past
// min(tagSize, available), so a damaged size can neither make us read nor allocate past the end.
class FrameWalk {
public:
    FrameWalk(TagBytes& bytes, const Id3v2Header& header, std::uint64_t available);

    // The next frame, or nullopt when the walk has ended (see end()). A frame whose identifier is
    // not valid but whose size fits is stepped over as other readers do (hasValidId false).
    [[nodiscard]] std::optional<FrameRef> next();
    [[nodiscard]] WalkEnd end() const { return m_end; }
    // Where the frames end: just after the last frame returned (or after the extended header).
    [[nodiscard]] std::uint64_t position() const { return m_position; }
    // The extended header, once the first next() has run past it.
    [[nodiscard]] const std::optional<ExtendedHeader>& extendedHeader() const { return m_ext; }
    // Where the first frame starts (after the extended header).
    [[nodiscard]] std::uint64_t framesStart() const { return m_framesStart; }

private:
    [[nodiscard]] bool readExtendedHeader();
    [[nodiscard]] bool fitsAt(std::uint64_t offset, std::uint64_t size) const;
    [[nodiscard]] bool isFrameStart(std::uint64_t offset);
    void chooseV24Size(FrameRef& ref, std::span<const std::uint8_t> header);
    std::optional<FrameRef> stop(WalkEnd why);

    TagBytes& m_bytes;
    Id3v2Header m_header;
    std::uint64_t m_limit;
    std::uint64_t m_position = 0;
    std::uint64_t m_framesStart = 0;
    std::optional<ExtendedHeader> m_ext;
    bool m_started = false;
    WalkEnd m_end = WalkEnd::Running;
};

// True when bytes (at least a header's worth) start with what can only be a frame header: a
// valid identifier and a size that is not zero and fits in room bytes after the header.
[[nodiscard]] bool looksLikeFrameHeader(std::span<const std::uint8_t> bytes, std::uint8_t major,
                                        std::uint64_t room);

// Undoes unsynchronisation: every FF 00 becomes FF.
[[nodiscard]] std::vector<std::uint8_t> removeUnsynchronisation(std::span<const std::uint8_t> bytes);

// A frame body as its fields are read: with per-frame unsynchronisation undone, the
// data-length indicator and group byte taken off and compressed data inflated.
enum class BodyState { Plain, Encrypted, Damaged };
struct DecodedBody {
    BodyState state = BodyState::Plain;
    std::vector<std::uint8_t> owned;       // holds the body when it had to be transformed
    std::span<const std::uint8_t> data;    // the body: owned, or the stored bytes themselves

    [[nodiscard]] bool isReadable() const { return state == BodyState::Plain; }
};
// stored is the body as it lies in the tag (after a whole-tag unsynchronisation was undone).
[[nodiscard]] DecodedBody decodeFrameBody(std::span<const std::uint8_t> stored, std::uint16_t flags,
                                          std::uint8_t major);
// True when the frame's flags mean its body cannot be read at all (encryption).
[[nodiscard]] bool isEncryptedFrame(std::uint16_t flags, std::uint8_t major);
// True when the body is stored in a form the fields cannot be read from directly.
[[nodiscard]] bool needsDecoding(std::uint16_t flags, std::uint8_t major);

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

// The values of a text frame body, in UTF-8 (2.4 separates several by a terminator; a trailing
// terminator adds no empty value).
[[nodiscard]] std::vector<std::string> textFrameValues(std::span<const std::uint8_t> body);

// Frame values as the editor reads them (UTF-8):
// a text frame's values, joined with kValueSeparator;
[[nodiscard]] std::string textFrameValue(std::span<const std::uint8_t> body);
// the comment text of "COMM" (encoding, language, description skipped); "" when the description
// runs to the end of the body;
[[nodiscard]] std::string commentFrameValue(std::span<const std::uint8_t> body);
// the description of a "COMM" or "WXXX" body (prefix 4 or 1 bytes), nullopt when unreadable;
[[nodiscard]] std::optional<std::string> frameDescription(std::string_view id,
                                                          std::span<const std::uint8_t> body);
// the URL of "WXXX" (ISO-8859-1 after the description in the frame's encoding);
[[nodiscard]] std::string userUrlFrameValue(std::span<const std::uint8_t> body);
// the decimal text of a "PCNT" counter; a counter longer than 8 bytes counts by its last 8.
[[nodiscard]] std::string counterFrameValue(std::span<const std::uint8_t> body);
// The value of a frame by its identifier, or nullopt for a kind of frame we do not show.
[[nodiscard]] std::optional<std::string> frameValue(std::string_view id,
                                                    std::span<const std::uint8_t> body);

}  // namespace corvane::tags
