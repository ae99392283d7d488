#pragma once
// One MPEG audio frame header: its fields, and what follows from them (frame length, samples).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace corvane::tags {

enum class MpegVersion { V1, V2, V25, Reserved };
enum class MpegLayer { I, II, III, Reserved };

class MpegHeader {
public:
    using Bytes = std::array<std::uint8_t, 4>;

    explicit MpegHeader(const Bytes& bytes) : m_bytes(bytes) {}

    // The header at pos of bytes when the four bytes are there and start with a frame sync.
    [[nodiscard]] static std::optional<MpegHeader> at(std::span<const std::uint8_t> bytes,
                                                      std::size_t pos);

    [[nodiscard]] const Bytes& bytes() const { return m_bytes; }
    [[nodiscard]] MpegVersion version() const;
    [[nodiscard]] MpegLayer layer() const;
    // kbit/s; nothing for the invalid index 15; 0 for free format.
    [[nodiscard]] std::optional<int> kbps() const;
    // Hz; nothing for the invalid index 3.
    [[nodiscard]] std::optional<int> sampleRate() const;
    [[nodiscard]] bool hasPadding() const { return (m_bytes[2] & 0x02) != 0; }
    [[nodiscard]] int channelMode() const { return m_bytes[3] >> 6; }  // 3: single channel
    [[nodiscard]] bool isCopyrighted() const { return (m_bytes[3] & 0x08) != 0; }
    [[nodiscard]] bool isOriginal() const { return (m_bytes[3] & 0x04) != 0; }
    [[nodiscard]] int emphasis() const { return m_bytes[3] & 0x3; }

    // True when every field is a known value and the bit rate is not free format, so that the
    // frame's length is known: only such headers are taken as frames of a stream.
    [[nodiscard]] bool isPlayable() const;
    // Bytes from this header to the next one; only for a playable header.
    [[nodiscard]] std::uint32_t frameLength() const;
    // The longest frame of this header's stream (the highest bit rate, padded); only for a
    // playable header.
    [[nodiscard]] std::uint32_t maxFrameLength() const;
    // Audio samples a frame holds; only for a playable header.
    [[nodiscard]] int samplesPerFrame() const;
    // Where a Xing or "Info" header starts, counted from the frame's first byte: after the
    // layer III side information, whose size depends on the version and the channel mode.
    [[nodiscard]] std::size_t xingOffset() const;
    // True when other can follow this header in one stream: same version, layer and sample rate.
    [[nodiscard]] bool isSameStream(const MpegHeader& other) const;

private:
    [[nodiscard]] int bitRateIndex() const { return m_bytes[2] >> 4; }
    [[nodiscard]] int sampleRateIndex() const { return (m_bytes[2] >> 2) & 0x3; }

    Bytes m_bytes;
};

// The longest frame of any playable header (MPEG-2 layer II at 160 kbit/s and 8000 Hz, padded).
inline constexpr std::uint32_t kMaxFrameLength = 2881;

}  // namespace corvane::tags
