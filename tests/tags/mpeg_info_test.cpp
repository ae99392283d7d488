#include "tags/mpeg_info.h"

#include "tests/support/id3_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/tags/faulty_file.h"

#include <gtest/gtest.h>

namespace corvane::tags {
namespace {

using test::Bytes;

// Frame-header fields as they sit in the bits; the defaults give FF FB 90 C0.
struct HeaderBits {
    int version = 3;  // 3 V1, 2 V2, 0 V2.5, 1 reserved
    int layer = 1;    // 3 I, 2 II, 1 III, 0 reserved
    int bitRate = 9;
    int sampleRate = 0;
    bool padding = false;
    int mode = 3;
    bool copyright = false;
    bool original = false;
    int emphasis = 0;
};

Bytes headerBytes(const HeaderBits& h)
{
    return {0xFF, static_cast<std::uint8_t>(0xE0 | h.version << 3 | h.layer << 1 | 1),
            static_cast<std::uint8_t>(h.bitRate << 4 | h.sampleRate << 2 | (h.padding ? 2 : 0)),
            static_cast<std::uint8_t>(h.mode << 6 | (h.copyright ? 8 : 0) | (h.original ? 4 : 0) |
                                      h.emphasis)};
}

// A header followed by `audioAfterHeader` bytes of filler.
Bytes frameAudio(const HeaderBits& h, std::size_t audioAfterHeader)
{
    auto bytes = headerBytes(h);
    test::append(bytes, test::audioBytes(audioAfterHeader));
    return bytes;
}

class MpegInfoTest : public ::testing::Test {
protected:
    // The specifics lines of a file holding bytes.
    std::vector<std::string> specifics(const Bytes& bytes)
    {
        const auto path = m_dir.file("song.mp3");
        test::writeFile(path, bytes);
        auto file = File::open(path, OpenMode::Read);
        EXPECT_TRUE(file.isOpen());
        return buildMpegSpecifics(file, path);
    }

    std::vector<std::string> pathOnly() const
    {
        return {"File Path: " + m_dir.file("song.mp3"), ""};
    }

    // The lines after the path and the empty line.
    std::vector<std::string> describe(const Bytes& bytes)
    {
        auto all = specifics(bytes);
        EXPECT_GE(all.size(), 2u);
        return all.size() < 2 ? all : std::vector<std::string>(all.begin() + 2, all.end());
    }
    std::vector<std::string> describe(const HeaderBits& h, std::size_t audioAfterHeader = 1000)
    {
        return describe(frameAudio(h, audioAfterHeader));
    }

    std::string rateLine(const HeaderBits& h) { return describe(h).at(1); }

    // The length line of a header followed by audioBytes of audio (the header's four bytes are
    // not counted as audio).
    std::string lengthLine(const HeaderBits& h, std::size_t audio)
    {
        return describe(h, audio).at(2);
    }

    test::TempDir m_dir;
};

// ---- the example file ----------------------------------------------------------------------

TEST_F(MpegInfoTest, FrameAfterTagOf2038Bytes)
{
    const auto tag = test::tag({}, 2038);
    ASSERT_EQ(tag.size(), 2048u);
    // 128 kbit/s layer III at 44100 Hz is 16000 bytes a second.
    const std::vector<std::string> expected{pathOnly()[0], "", "MPEG V1 layer III",
                                            "128kbps 44100Hz Single Channel", "Length: 3 seconds",
                                            "Material is not Copyrighted",
                                            "Material is not Original", "Emphasis: None"};
    EXPECT_EQ(specifics(test::mp3(tag, test::mpegAudio(4 + 3 * 16000))), expected);
}

// ---- finding the first frame ---------------------------------------------------------------

TEST_F(MpegInfoTest, NoHeaderGivesThePathLineAlone)
{
    EXPECT_EQ(specifics(Bytes(20000, 0)), pathOnly());
    EXPECT_EQ(specifics({}), pathOnly());
    EXPECT_EQ(specifics({0xFF, 0xFB}), pathOnly()) << "too short for a header";
    // A sync pair in the last two bytes cannot be a whole header.
    EXPECT_EQ(specifics(concat({test::audioBytes(5000), {0xFF, 0xE0}})), pathOnly());
    // A tag whose size runs past the end of the file.
    auto damaged = test::tag({test::textFrame("TIT2", "x")});
    const auto huge = test::syncsafe(0x0FFFFFFF);
    std::copy(huge.begin(), huge.end(), damaged.begin() + 6);
    EXPECT_EQ(specifics(test::mp3(damaged, test::mpegAudio(100))), pathOnly());
}

// Two frames of 417 bytes (128 kbit/s, 44100 Hz, no padding), so the first one's successor
// follows where its length says.
Bytes twoFrames(const HeaderBits& h)
{
    return concat({frameAudio(h, 413), frameAudio(h, 413)});
}

TEST_F(MpegInfoTest, SyncCountsOnlyWhenTheNextHeaderFollows)
{
    HeaderBits stereo;
    stereo.mode = 0;
    HeaderBits other;  // a lone header of another stream, which a bare sync scan would take
    other.version = 2;
    other.bitRate = 8;
    // Junk starts the audio with a header of its own and holds more false syncs (JPEG markers,
    // a UTF-16 byte-order mark); the real frames come after it, astride 64 KiB read blocks. A
    // header at the audio's start is taken as it is only when no stream follows.
    for (const std::size_t junk : {std::size_t{777}, std::size_t{65530}, std::size_t{131071}}) {
        auto bytes = concat({test::tag({test::textFrame("TIT2", "x")}, 100), frameAudio(other, 60),
                             {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFE}, test::audioBytes(junk)});
        test::append(bytes, twoFrames(stereo));
        EXPECT_EQ(describe(bytes).at(1), "128kbps 44100Hz Stereo") << junk;
    }
}

TEST_F(MpegInfoTest, EveryTagVersionIsSkipped)
{
    // A stream of its own inside the tag, which a scan through the tag would take.
    HeaderBits inside;
    inside.version = 2;
    inside.bitRate = 8;  // 64 kbit/s at 22050 Hz: frames of 208 bytes
    const auto tagBody = concat({frameAudio(inside, 204), frameAudio(inside, 204)});
    const Bytes footer{'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
    const auto v2 = test::frameV22("PIC", tagBody);
    const auto v3 = test::frame("PRIV", tagBody);
    const std::tuple<const char*, Bytes> cases[] = {
        {"2.2", test::tag({v2}, 0, 2)},
        {"2.3", test::tag({v3}, 0, 3)},
        {"2.4", test::tag({v3}, 0, 4)},
        {"2.4 with footer", concat({test::tag({v3}, 0, 4, 0x10), footer})},
        {"two tags", concat({test::tag({v3}, 0, 3), test::tag({v3}, 5, 4)})},
    };
    for (const auto& [name, tag] : cases) {
        const auto text = describe(test::mp3(tag, test::mpegAudio(4000)));
        ASSERT_GE(text.size(), 2u) << name;
        EXPECT_EQ(text[0], "MPEG V1 layer III") << name;
        EXPECT_EQ(text[1], "128kbps 44100Hz Single Channel") << name;
    }
}

TEST_F(MpegInfoTest, ReadMpegAudioGivesTheFirstFrameAndWhereTheAudioEnds)
{
    const auto path = m_dir.file("a.mp3");
    test::writeFile(path, test::mp3(test::tag({}, 10), test::mpegAudio(100), test::trailer("t")));
    auto file = File::open(path, OpenMode::Read);
    const auto audio = readMpegAudio(file);
    ASSERT_TRUE(audio);
    EXPECT_EQ(Bytes(audio->first.bytes().begin(), audio->first.bytes().end()),
              (Bytes{0xFF, 0xFB, 0x90, 0xC0}));
    EXPECT_EQ(audio->firstFrame, 20u);
    EXPECT_EQ(audio->audioEnd, 120u);
}

// ---- the header fields ---------------------------------------------------------------------

TEST_F(MpegInfoTest, VersionAndLayerLine)
{
    const std::tuple<int, int, const char*> cases[] = {
        {3, 3, "MPEG V1 layer I"},  {3, 2, "MPEG V1 layer II"},   {2, 1, "MPEG V2 layer III"},
        {0, 2, "MPEG V2.5 layer II"}, {1, 1, "MPEG layer III"}, {3, 0, "MPEG V1 "},
    };
    for (const auto& [version, layer, expected] : cases) {
        HeaderBits h;
        h.version = version;
        h.layer = layer;
        EXPECT_EQ(describe(h).at(0), expected);
    }
}

TEST_F(MpegInfoTest, BitRateTables)
{
    struct Case {
        int version, layer, index, kbps;
    };
    const Case cases[] = {
        {3, 3, 14, 448}, {3, 3, 1, 32},                     // V1 layer I: 32 per step
        {3, 2, 14, 384}, {3, 2, 2, 48},  {3, 2, 10, 192},   // V1 layer II
        {3, 1, 14, 320}, {3, 1, 2, 40},  {3, 1, 9, 128},    // V1 layer III
        {3, 0, 14, 320},                                    // reserved layer reads as III
        {1, 2, 14, 384}, {1, 1, 2, 40},                     // reserved version reads as V1
        {2, 3, 9, 144},  {0, 3, 14, 256}, {2, 3, 3, 56},    // V2/V2.5 layer I table
        {2, 1, 8, 64},   {2, 1, 9, 80},   {0, 2, 14, 160},  // V2/V2.5 layers II and III
        {2, 0, 1, 8},                                       // reserved layer as II/III
    };
    for (const auto& c : cases) {
        HeaderBits h;
        h.version = c.version;
        h.layer = c.layer;
        h.bitRate = c.index;
        const auto expected = std::to_string(c.kbps) + "kbps ";
        EXPECT_EQ(rateLine(h).substr(0, expected.size()), expected)
            << "version " << c.version << " layer " << c.layer << " index " << c.index;
    }
}

TEST_F(MpegInfoTest, SampleRates)
{
    const std::tuple<int, int, const char*> cases[] = {
        {3, 0, "44100Hz "}, {3, 1, "48000Hz "}, {3, 2, "32000Hz "}, {2, 0, "22050Hz "},
        {2, 1, "24000Hz "}, {2, 2, "16000Hz "}, {0, 0, "11025Hz "}, {0, 1, "12000Hz "},
        {0, 2, "8000Hz "},  {1, 1, "48000Hz "},
    };
    for (const auto& [version, index, expected] : cases) {
        HeaderBits h;
        h.version = version;
        h.sampleRate = index;
        EXPECT_NE(rateLine(h).find(expected), std::string::npos)
            << "version " << version << " index " << index << ": " << rateLine(h);
    }
}

TEST_F(MpegInfoTest, InvalidOrFreeRatesDropTheirItemsAndTheLength)
{
    HeaderBits badBitRate;
    badBitRate.bitRate = 15;
    auto text = describe(badBitRate);
    EXPECT_EQ(text.at(1), "44100Hz Single Channel");
    EXPECT_EQ(text.at(2), "Material is not Copyrighted");

    HeaderBits badSampleRate;
    badSampleRate.sampleRate = 3;
    text = describe(badSampleRate);
    EXPECT_EQ(text.at(1), "128kbps Single Channel");
    EXPECT_EQ(text.at(2), "Material is not Copyrighted");

    HeaderBits freeFormat;
    freeFormat.bitRate = 0;
    text = describe(freeFormat);
    EXPECT_EQ(text.at(1), "0kbps 44100Hz Single Channel");
    EXPECT_EQ(text.at(2), "Material is not Copyrighted");
}

TEST_F(MpegInfoTest, ChannelModesAndFlags)
{
    const char* modes[] = {"Stereo", "Joint Stereo", "Dual Channel", "Single Channel"};
    const char* emphases[] = {"Emphasis: None", "Emphasis: 50/15ms", "Emphasis: None",
                              "Emphasis: CCIT J.17"};
    for (int i = 0; i < 4; ++i) {
        HeaderBits h;
        h.mode = i;
        h.emphasis = i;
        h.copyright = i % 2 == 1;
        h.original = i >= 2;
        const auto text = describe(h);
        ASSERT_EQ(text.size(), 6u);
        EXPECT_EQ(text[1], std::string("128kbps 44100Hz ") + modes[i]);
        EXPECT_EQ(text[3], h.copyright ? "Material is Copyrighted" : "Material is not Copyrighted");
        EXPECT_EQ(text[4], h.original ? "Material is Original" : "Material is not Original");
        EXPECT_EQ(text[5], emphases[i]);
    }
}

// ---- the playing time ----------------------------------------------------------------------

TEST_F(MpegInfoTest, LengthWording)
{
    // MPEG-2 layer III at 8 kbit/s and 22050 Hz: 1000 audio bytes a second.
    HeaderBits slow;
    slow.version = 2;
    slow.bitRate = 1;
    EXPECT_EQ(lengthLine(slow, 61000), "Length: 1 minute 1 second");
    EXPECT_EQ(lengthLine(slow, 59000), "Length: 59 seconds");
    EXPECT_EQ(lengthLine(slow, 120000), "Length: 2 minutes 0 seconds");
    EXPECT_EQ(lengthLine(slow, 60999), "Length: 1 minute 0 seconds") << "truncated";
    EXPECT_EQ(lengthLine(slow, 999), "Length: 0 seconds");
    EXPECT_EQ(lengthLine(slow, 3600000), "Length: 60 minutes 0 seconds");
}

TEST_F(MpegInfoTest, LengthCountsThePaddingTerm)
{
    HeaderBits slow;
    slow.version = 2;
    slow.bitRate = 1;
    slow.padding = true;
    // 100000 · 1152 / (8 · 144000 + 22050) = 98.1
    EXPECT_EQ(lengthLine(slow, 100000), "Length: 1 minute 38 seconds");

    HeaderBits layer1;  // 32 kbit/s at 32000 Hz: 4000 bytes a second without padding
    layer1.layer = 3;
    layer1.bitRate = 1;
    layer1.sampleRate = 2;
    EXPECT_EQ(lengthLine(layer1, 400000), "Length: 1 minute 40 seconds");
    layer1.padding = true;
    // 400000 · 384 / (32 · 48000 + 4 · 32000) = 92.3
    EXPECT_EQ(lengthLine(layer1, 400000), "Length: 1 minute 32 seconds");
}

TEST_F(MpegInfoTest, LengthCountsOnlyTheAudioBetweenTheTags)
{
    HeaderBits slow;
    slow.version = 2;
    slow.bitRate = 1;
    const Bytes footer{'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
    for (const auto& tag : {test::tag({}, 2038), concat({test::tag({}, 2038, 4, 0x10), footer})}) {
        const auto bytes = test::mp3(tag, frameAudio(slow, 60000), test::trailer("t"));
        EXPECT_EQ(describe(bytes).at(2), "Length: 1 minute 0 seconds");
    }
}

}  // namespace
}  // namespace corvane::tags
