#include "tags/mpeg_info.h"

#include "tags/field_catalogue.h"

#include <algorithm>
#include <vector>

namespace corvane::tags {

namespace {

using Header = std::array<std::uint8_t, 4>;

constexpr std::size_t kScanBlock = 4096;
constexpr std::uint64_t kTagHeaderSize = 10;
constexpr std::uint64_t kTrailerSize = 128;
constexpr const char* kLineEnd = "\r\n";

bool isSyncPair(std::uint8_t first, std::uint8_t second)
{
    return first == 0xFF && (second & 0xE0) == 0xE0;
}

bool hasSync(const Header& h)
{
    return isSyncPair(h[0], h[1]);
}

// Four bytes at offset, or nothing when the file ends (or fails) before them.
std::optional<Header> readHeaderAt(FileIo& file, std::uint64_t offset)
{
    Header h{};
    if (!file.readExactAt(offset, h))
        return std::nullopt;
    return h;
}

// The tag header's size: four 7-bit groups, most significant first.
std::uint64_t tagSizeOf(std::span<const std::uint8_t> sizeBytes)
{
    std::uint64_t size = 0;
    for (const auto b : sizeBytes)
        size = (size << 7) | (b & 0x7Fu);
    return size;
}

// Where the audio of a file starts when it opens with an ID3v2 tag we can skip, else nothing.
// A tag of version 4 or above is not skipped: the scan then runs through it from offset 4.
std::optional<std::uint64_t> audioStartAfterTag(FileIo& file, const Header& first)
{
    if (first[0] != 'I' || first[1] != 'D' || first[2] != '3' || first[3] >= 4)
        return std::nullopt;
    std::array<std::uint8_t, 6> rest{};
    if (!file.readExactAt(4, rest))
        return std::nullopt;
    return kTagHeaderSize + tagSizeOf(std::span(rest).subspan(2));
}

// The offset of the first 0xFF followed by a byte with its top three bits set, from `from` on.
// Blocks overlap by one byte so that a pair split across two blocks is still found.
std::optional<std::uint64_t> scanForSync(FileIo& file, std::uint64_t from)
{
    std::vector<std::uint8_t> block(kScanBlock);
    for (std::uint64_t pos = from;;) {
        const auto got = file.readAt(pos, block);
        if (!got || *got < 2)
            return std::nullopt;
        for (std::size_t i = 0; i + 1 < *got; ++i) {
            if (isSyncPair(block[i], block[i + 1]))
                return pos + i;
        }
        if (*got < block.size())
            return std::nullopt;
        pos += *got - 1;
    }
}

// ---- decoding the header, one field at a time -------------------------------------------
//
//   b1: 111V VLLP   V version, L layer, P protection
//   b2: BBBB SSPx   B bit-rate index, S sample-rate index, P padding
//   b3: CCxx COEE   C channel mode, C copyright, O original, E emphasis

enum class MpegVersion { V1, V2, V25, Reserved };
enum class Layer { I, II, III, Reserved };

MpegVersion versionOf(const Header& h)
{
    switch ((h[1] >> 3) & 0x3) {
    case 3: return MpegVersion::V1;
    case 2: return MpegVersion::V2;
    case 0: return MpegVersion::V25;
    default: return MpegVersion::Reserved;
    }
}

Layer layerOf(const Header& h)
{
    switch ((h[1] >> 1) & 0x3) {
    case 3: return Layer::I;
    case 2: return Layer::II;
    case 1: return Layer::III;
    default: return Layer::Reserved;
    }
}

int bitRateIndexOf(const Header& h) { return h[2] >> 4; }
int sampleRateIndexOf(const Header& h) { return (h[2] >> 2) & 0x3; }
bool hasPadding(const Header& h) { return (h[2] & 0x02) != 0; }
int channelModeOf(const Header& h) { return h[3] >> 6; }
bool isCopyrighted(const Header& h) { return (h[3] & 0x08) != 0; }
bool isOriginal(const Header& h) { return (h[3] & 0x04) != 0; }
int emphasisOf(const Header& h) { return h[3] & 0x3; }

bool isVersion1(MpegVersion v)
{
    return v == MpegVersion::V1 || v == MpegVersion::Reserved;
}

// kbit/s for a valid index 0..14 (0 is free format).
int bitRateKbps(MpegVersion version, Layer layer, int index)
{
    const auto i = static_cast<std::size_t>(index);
    if (isVersion1(version)) {
        switch (layer) {
        case Layer::I: return 32 * index;
        case Layer::II: return BitRatesV1Layer2[i];
        default: return BitRatesV1Layer3[i];
        }
    }
    if (layer == Layer::I)
        return BitRatesV2Layer1[i];
    return index <= 8 ? 8 * index : 16 * (index - 4);
}

// Hz for a valid index 0..2.
int sampleRateHz(MpegVersion version, int index)
{
    static constexpr std::array<int, 3> kVersion1Rates{44100, 48000, 32000};
    const int rate = kVersion1Rates[static_cast<std::size_t>(index)];
    switch (version) {
    case MpegVersion::V2: return rate / 2;
    case MpegVersion::V25: return rate / 4;
    default: return rate;
    }
}

// ---- the text -----------------------------------------------------------------------------

std::string versionText(MpegVersion v)
{
    switch (v) {
    case MpegVersion::V1: return "MPEG V1 ";
    case MpegVersion::V2: return "MPEG V2 ";
    case MpegVersion::V25: return "MPEG V2.5 ";
    default: return "MPEG ";
    }
}

std::string layerText(Layer l)
{
    switch (l) {
    case Layer::I: return "layer I";
    case Layer::II: return "layer II";
    case Layer::III: return "layer III";
    default: return {};
    }
}

std::string channelModeText(int mode)
{
    static constexpr std::array<const char*, 4> kModes{"Stereo", "Joint Stereo", "Dual Channel",
                                                       "Single Channel"};
    return std::string(kModes[static_cast<std::size_t>(mode)]) + kLineEnd;
}

std::string emphasisText(int emphasis)
{
    if (emphasis == 1)
        return "Emphasis: 50/15ms\r\n";
    if (emphasis == 3)
        return "Emphasis: CCIT J.17\r\n";
    return "Emphasis: None\r\n";
}

// The audio bytes: everything but the tags and the first header's four bytes. A damaged tag
// size can make the sum of the tags exceed the file; the length is then zero, not negative.
std::uint64_t audioBytes(FileIo& file, const TagRecord& record, std::uint32_t id3v2TagSize)
{
    const auto length = file.length();
    if (!length)
        return 0;
    std::uint64_t taken = 4;
    if (record.hasId3v1())
        taken += kTrailerSize;
    if (record.hasId3v2())
        taken += kTagHeaderSize + id3v2TagSize;
    return *length > taken ? *length - taken : 0;
}

// Playing time from the first frame's bit rate: frames of (K + N) / sample-rate bytes, each
// `samples` long. Variable bit rate files are not detected.
long long playingSeconds(std::uint64_t audio, Layer layer, int kbps, int hz, bool padding)
{
    const bool layer1 = layer == Layer::I;
    const double samples = layer1 ? 384.0 : 1152.0;
    const double k = static_cast<double>(kbps) * (layer1 ? 48000.0 : 144000.0);
    const double n = padding ? static_cast<double>(hz) * (layer1 ? 4.0 : 1.0) : 0.0;
    return static_cast<long long>(static_cast<double>(audio) / (k + n) * samples);
}

std::string lengthText(long long seconds)
{
    std::string text = "Length: ";
    const long long minutes = seconds / 60;
    if (minutes != 0)
        text += std::to_string(minutes) + (minutes == 1 ? " minute " : " minutes ");
    const long long rest = seconds - 60 * minutes;
    text += std::to_string(rest) + (rest == 1 ? " second" : " seconds") + kLineEnd;
    return text;
}

std::string describeHeader(const Header& h, std::uint64_t audio)
{
    const auto version = versionOf(h);
    const auto layer = layerOf(h);
    std::string text = versionText(version) + layerText(layer) + kLineEnd;

    const int bitRateIndex = bitRateIndexOf(h);
    const int kbps = bitRateIndex == 15 ? 0 : bitRateKbps(version, layer, bitRateIndex);
    if (bitRateIndex != 15)
        text += std::to_string(kbps) + "kbps ";
    const int sampleRateIndex = sampleRateIndexOf(h);
    const int hz = sampleRateIndex == 3 ? 0 : sampleRateHz(version, sampleRateIndex);
    if (sampleRateIndex != 3)
        text += std::to_string(hz) + "Hz ";
    text += channelModeText(channelModeOf(h));

    if (kbps != 0 && hz != 0)
        text += lengthText(playingSeconds(audio, layer, kbps, hz, hasPadding(h)));
    text += isCopyrighted(h) ? "Material is Copyrighted\r\n" : "Material is not Copyrighted\r\n";
    text += isOriginal(h) ? "Material is Original\r\n" : "Material is not Original\r\n";
    text += emphasisText(emphasisOf(h));
    return text;
}

}  // namespace

std::optional<Header> findFrameHeader(FileIo& file)
{
    // A read failure anywhere means no header: the box then shows the path alone.
    auto candidate = readHeaderAt(file, 0);
    if (!candidate)
        return std::nullopt;
    std::uint64_t after = 4;
    if (const auto audioStart = audioStartAfterTag(file, *candidate)) {
        candidate = readHeaderAt(file, *audioStart);
        if (candidate && hasSync(*candidate))
            return candidate;
        after = *audioStart + 4;
    } else if (hasSync(*candidate)) {
        return candidate;
    }
    const auto sync = scanForSync(file, after);
    if (!sync)
        return std::nullopt;
    candidate = readHeaderAt(file, *sync);
    if (candidate && hasSync(*candidate))
        return candidate;
    return std::nullopt;
}

std::string buildMpegSpecifics(FileIo& file, std::string_view path, const TagRecord& record,
                               std::uint32_t id3v2TagSize)
{
    std::string text = "File Path: ";
    text += path;
    text += "\r\n\r\n";
    const auto header = findFrameHeader(file);
    if (!header)
        return text;
    return text + describeHeader(*header, audioBytes(file, record, id3v2TagSize));
}

}  // namespace corvane::tags
