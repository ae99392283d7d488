#include "tags/mpeg_info.h"

#include <array>

namespace corvane::tags {

namespace {

std::string versionAndLayer(const MpegHeader& h)
{
    std::string text;
    switch (h.version()) {
        case MpegVersion::V1:
            text = "MPEG V1 ";
            break;
        case MpegVersion::V2:
            text = "MPEG V2 ";
            break;
        case MpegVersion::V25:
            text = "MPEG V2.5 ";
            break;
        default:
            text = "MPEG ";
            break;
    }
    switch (h.layer()) {
        case MpegLayer::I:
            return text + "layer I";
        case MpegLayer::II:
            return text + "layer II";
        case MpegLayer::III:
            return text + "layer III";
        default:
            return text;
    }
}

std::string ratesAndChannels(const MpegAudio& audio)
{
    static constexpr std::array<const char*, 4> kModes{"Stereo", "Joint Stereo", "Dual Channel",
                                                       "Single Channel"};
    std::string text;
    if (audio.kbps)
        text += std::to_string(*audio.kbps) + (audio.isVariable ? "kbps (VBR) " : "kbps ");
    if (const auto hz = audio.first.sampleRate()) text += std::to_string(*hz) + "Hz ";
    return text + kModes[static_cast<std::size_t>(audio.first.channelMode())];
}

std::string lengthText(double playing)
{
    const auto seconds = static_cast<long long>(playing);
    std::string text = "Length: ";
    const long long minutes = seconds / 60;
    if (minutes != 0) text += std::to_string(minutes) + (minutes == 1 ? " minute " : " minutes ");
    const long long rest = seconds - 60 * minutes;
    return text + std::to_string(rest) + (rest == 1 ? " second" : " seconds");
}

std::string emphasisText(int emphasis)
{
    if (emphasis == 1) return "Emphasis: 50/15ms";
    if (emphasis == 3) return "Emphasis: CCIT J.17";
    return "Emphasis: None";
}

}  // namespace

std::vector<std::string> mpegSpecificsLines(std::string_view path,
                                            const std::optional<MpegAudio>& audio)
{
    std::vector<std::string> lines{"File Path: " + std::string(path), ""};
    if (!audio) return lines;
    const auto& h = audio->first;
    lines.push_back(versionAndLayer(h));
    lines.push_back(ratesAndChannels(*audio));
    if (audio->length != MpegLength::None) lines.push_back(lengthText(audio->seconds));
    lines.push_back(h.isCopyrighted() ? "Material is Copyrighted" : "Material is not Copyrighted");
    lines.push_back(h.isOriginal() ? "Material is Original" : "Material is not Original");
    lines.push_back(emphasisText(h.emphasis()));
    return lines;
}

std::vector<std::string> buildMpegSpecifics(FileIo& file, std::string_view path)
{
    return mpegSpecificsLines(path, readMpegAudio(file));
}

}  // namespace corvane::tags
