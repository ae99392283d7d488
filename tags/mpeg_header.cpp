#include "tags/mpeg_header.h"

#include "tags/field_catalogue.h"

namespace corvane::tags {

//   b0: 1111 1111
//   b1: 111V VLLP   V version, L layer, P protection
//   b2: BBBB SSPx   B bit-rate index, S sample-rate index, P padding
//   b3: CCxx COEE   C channel mode, C copyright, O original, E emphasis

std::optional<MpegHeader> MpegHeader::at(std::span<const std::uint8_t> bytes, std::size_t pos)
{
    if (pos > bytes.size() || bytes.size() - pos < 4 || bytes[pos] != 0xFF ||
        (bytes[pos + 1] & 0xE0) != 0xE0)
        return std::nullopt;
    return MpegHeader({bytes[pos], bytes[pos + 1], bytes[pos + 2], bytes[pos + 3]});
}

MpegVersion MpegHeader::version() const
{
    switch ((m_bytes[1] >> 3) & 0x3) {
        case 3:
            return MpegVersion::V1;
        case 2:
            return MpegVersion::V2;
        case 0:
            return MpegVersion::V25;
        default:
            return MpegVersion::Reserved;
    }
}

MpegLayer MpegHeader::layer() const
{
    switch ((m_bytes[1] >> 1) & 0x3) {
        case 3:
            return MpegLayer::I;
        case 2:
            return MpegLayer::II;
        case 1:
            return MpegLayer::III;
        default:
            return MpegLayer::Reserved;
    }
}

// The reserved version reads as version 1 and the reserved layer as layer III.
std::optional<int> MpegHeader::kbps() const
{
    const int index = bitRateIndex();
    if (index == 15) return std::nullopt;
    const auto i = static_cast<std::size_t>(index);
    const auto v = version();
    const auto l = layer();
    if (v == MpegVersion::V1 || v == MpegVersion::Reserved) {
        switch (l) {
            case MpegLayer::I:
                return 32 * index;
            case MpegLayer::II:
                return BitRatesV1Layer2[i];
            default:
                return BitRatesV1Layer3[i];
        }
    }
    if (l == MpegLayer::I) return BitRatesV2Layer1[i];
    return index <= 8 ? 8 * index : 16 * (index - 4);
}

std::optional<int> MpegHeader::sampleRate() const
{
    static constexpr std::array<int, 3> kVersion1Rates{44100, 48000, 32000};
    const int index = sampleRateIndex();
    if (index == 3) return std::nullopt;
    const int rate = kVersion1Rates[static_cast<std::size_t>(index)];
    switch (version()) {
        case MpegVersion::V2:
            return rate / 2;
        case MpegVersion::V25:
            return rate / 4;
        default:
            return rate;
    }
}

bool MpegHeader::isPlayable() const
{
    const int index = bitRateIndex();
    return version() != MpegVersion::Reserved && layer() != MpegLayer::Reserved && index != 0 &&
           index != 15 && sampleRateIndex() != 3;
}

std::uint32_t MpegHeader::frameLength() const
{
    const auto bitsPerSecond = static_cast<std::uint32_t>(kbps().value_or(0)) * 1000;
    const auto hz = static_cast<std::uint32_t>(sampleRate().value_or(1));
    const std::uint32_t padding = hasPadding() ? 1 : 0;
    // Layer I counts in four-byte slots; the others in bytes, of samples / 8 per bit and second.
    if (layer() == MpegLayer::I) return (12 * bitsPerSecond / hz + padding) * 4;
    const std::uint32_t bytesPerBit = static_cast<std::uint32_t>(samplesPerFrame()) / 8;
    return bytesPerBit * bitsPerSecond / hz + padding;
}

std::uint32_t MpegHeader::maxFrameLength() const
{
    Bytes fastest = m_bytes;
    fastest[2] = static_cast<std::uint8_t>(0xE0 | (m_bytes[2] & 0x0F) | 0x02);
    return MpegHeader(fastest).frameLength();
}

int MpegHeader::samplesPerFrame() const
{
    if (layer() == MpegLayer::I) return 384;
    if (layer() == MpegLayer::III && version() != MpegVersion::V1) return 576;
    return 1152;
}

std::size_t MpegHeader::xingOffset() const
{
    const bool mono = channelMode() == 3;
    if (version() == MpegVersion::V1) return mono ? 4 + 17 : 4 + 32;
    return mono ? 4 + 9 : 4 + 17;
}

bool MpegHeader::isSameStream(const MpegHeader& other) const
{
    return version() == other.version() && layer() == other.layer() &&
           sampleRateIndex() == other.sampleRateIndex();
}

}  // namespace corvane::tags
