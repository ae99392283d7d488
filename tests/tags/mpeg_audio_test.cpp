#include "tags/mpeg_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "tags/mpeg_info.h"
#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tests/support/temp_dir.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;

void putBe32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t be32At(const Bytes& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

// 16-bit stereo at 44100 Hz: a second of silence, a second of noise, and so on. A variable bit
// rate then swings between the lowest rate and high ones, so the first frame says nothing of
// the average.
void writeWav(const std::string& path, int seconds)
{
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(seconds) * 44100 * 4;
    Bytes wav = test::bytesOf("RIFF");
    auto putLe = [&wav](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    putLe(36 + dataBytes, 4);
    test::append(wav, "WAVEfmt ");
    // Format chunk: PCM, two channels, rate, bytes a second, bytes a sample frame, bits.
    for (const auto& [value, bytes] :
         {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {44100u, 4}, {44100u * 4, 4}, {4u, 2}, {16u, 2}})
        putLe(value, bytes);
    test::append(wav, "data");
    putLe(dataBytes, 4);
    std::mt19937 noise(7);
    for (int s = 0; s < seconds * 44100; ++s) {
        const bool loud = (s / 44100) % 2 == 1;
        putLe(loud ? noise() : 0, 4);
    }
    test::writeFile(path, wav);
}

class MpegAudioTest : public ::testing::Test {
protected:
    std::optional<MpegAudio> audioOf(const std::string& path)
    {
        auto file = File::open(path, OpenMode::Read);
        EXPECT_TRUE(file.isOpen());
        return readMpegAudio(file);
    }

    std::vector<std::string> describe(const std::string& path)
    {
        auto file = File::open(path, OpenMode::Read);
        const auto lines = buildMpegSpecifics(file, path);
        return lines.size() < 2 ? lines : std::vector<std::string>(lines.begin() + 2, lines.end());
    }

    // lame's output for ten seconds of the WAV above.
    std::string encode(const std::string& name, const std::vector<std::string>& options)
    {
        const auto wav = m_dir.file("in.wav");
        if (!std::filesystem::exists(wav)) writeWav(wav, 10);
        std::vector<std::string> argv{"lame", "--quiet"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(wav);
        argv.push_back(m_dir.file(name));
        const auto run = test::runProgram(argv);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return m_dir.file(name);
    }

    test::TempDir m_dir;
};

// ---- headers that count the frames ---------------------------------------------------------

// The first frame of a file: header, then marker and fields at `at`, then zeros up to 48004
// bytes, three seconds at the header's 128 kbit/s.
Bytes firstFrame(const Bytes& header, std::size_t at, std::string_view marker, const Bytes& fields)
{
    Bytes bytes = header;
    bytes.resize(at);
    test::append(bytes, marker);
    test::append(bytes, fields);
    bytes.resize(48004);
    return bytes;
}

Bytes be32s(std::initializer_list<std::uint32_t> values)
{
    Bytes out;
    for (const auto v : values) putBe32(out, v);
    return out;
}

TEST_F(MpegAudioTest, FrameCountHeaders)
{
    const Bytes stereo{0xFF, 0xFB, 0x90, 0x00};
    const Bytes mono{0xFF, 0xFB, 0x90, 0xC0};
    const Bytes mpeg2Mono{0xFF, 0xF3, 0x80, 0xC0};  // 64 kbit/s at 22050 Hz: 208-byte frames
    const Bytes counts = be32s({3, 1000, 600417});  // flags, frames, bytes
    const Bytes vbri = concat({{0, 1, 0, 0, 0, 50}, be32s({600000, 1000})});
    // 1000 frames of 1152 samples at 44100 Hz, or of 576 at 22050 Hz, last 26.1 seconds.
    const std::tuple<Bytes, const char*, int> cases[] = {
        {firstFrame(stereo, 36, "Xing", counts), "184kbps (VBR) 44100Hz Stereo", 26},
        {firstFrame(mono, 21, "Xing", counts), "184kbps (VBR) 44100Hz Single Channel", 26},
        // No byte count: the audio after the Xing frame.
        {firstFrame(mpeg2Mono, 13, "Xing", be32s({1, 1000})), "15kbps (VBR) 22050Hz Single Channel",
         26},
        {firstFrame(stereo, 36, "VBRI", vbri), "184kbps (VBR) 44100Hz Stereo", 26},
        {firstFrame(stereo, 36, "Info", be32s({3, 1000, 417417})), "128kbps 44100Hz Stereo", 26},
        // Ignored: no frame count, or not where a stereo frame has it.
        {firstFrame(stereo, 36, "Xing", be32s({2, 600417})), "128kbps 44100Hz Stereo", 3},
        {firstFrame(stereo, 21, "Xing", counts), "128kbps 44100Hz Stereo", 3},
    };
    for (const auto& [bytes, rates, seconds] : cases) {
        const auto path = m_dir.file("vbr.mp3");
        test::writeFile(path, bytes);
        const auto lines = describe(path);
        ASSERT_GE(lines.size(), 3u) << rates;
        EXPECT_EQ(lines[1], rates);
        EXPECT_EQ(lines[2], "Length: " + std::to_string(seconds) + " seconds") << rates;
    }
}

// ---- real files ----------------------------------------------------------------------------

TEST_F(MpegAudioTest, RealFileBehindTagsWithPictureBytes)
{
    const auto cbr = encode("cbr.mp3", {"-b", "128"});
    const auto plain = describe(cbr);
    ASSERT_GE(plain.size(), 3u);
    EXPECT_EQ(plain[0], "MPEG V1 layer III");
    EXPECT_EQ(plain[1], "128kbps 44100Hz Joint Stereo");
    EXPECT_NEAR(audioOf(cbr)->seconds, test::mutagenLength(cbr), 1.0);

    // A JPEG start, a header-like run and a UTF-16 byte-order mark in a picture frame.
    Bytes picture = test::bytesOf(std::string_view("\0image/jpeg\0\3\0", 14));
    test::append(picture, Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0xFF, 0xFB,
                                0x90, 0xC0, 0xFF, 0xFE, 0xFF, 0xE2});
    test::append(picture, test::audioBytes(3000));
    const Bytes footer{'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
    const std::tuple<const char*, Bytes> tags[] = {
        {"2.3", test::tag({test::frame("APIC", picture)}, 64, 3)},
        {"2.4 with footer",
         concat({test::tag({test::frame("APIC", picture)}, 0, 4, 0x10), footer})},
    };
    for (const auto& [name, tag] : tags) {
        const auto path = m_dir.file("tagged.mp3");
        test::writeFile(path, test::mp3(tag, test::readFile(cbr), test::trailer("t")));
        EXPECT_EQ(describe(path), plain) << name;
    }
}

TEST_F(MpegAudioTest, VbrLengthFromTheXingHeaderMatchesMutagen)
{
    const auto vbr = encode("vbr.mp3", {"-V", "2"});
    const auto audio = audioOf(vbr);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->length, MpegLength::XingHeader);
    EXPECT_NEAR(audio->seconds, test::mutagenLength(vbr), 1.0);
    const auto rates = describe(vbr).at(1);
    EXPECT_EQ(rates.substr(rates.find("kbps")), "kbps (VBR) 44100Hz Joint Stereo");
}

TEST_F(MpegAudioTest, VbrLengthWithoutXingFrameFromCountedFrames)
{
    const auto vbr = test::readFile(encode("vbr.mp3", {"-V", "2"}));
    const MpegHeader xingFrame({vbr[0], vbr[1], vbr[2], vbr[3]});
    ASSERT_EQ(Bytes(vbr.begin() + 36, vbr.begin() + 40), test::bytesOf("Xing"));
    const double trueSeconds = be32At(vbr, 44) * 1152.0 / 44100;
    const auto path = m_dir.file("cut.mp3");
    test::writeFile(path, Bytes(vbr.begin() + xingFrame.frameLength(), vbr.end()));

    const auto audio = audioOf(path);
    ASSERT_TRUE(audio);
    EXPECT_TRUE(audio->isVariable);
    EXPECT_NEAR(audio->seconds, trueSeconds, trueSeconds * 0.02);
    // The first frame's rate would be far off: silence is coded at the lowest one.
    const double firstFrameGuess =
        static_cast<double>(vbr.size()) * 8 / *audio->first.kbps() / 1000;
    EXPECT_GT(std::abs(firstFrameGuess - trueSeconds), trueSeconds * 0.1);
}

// ---- bounded reading -----------------------------------------------------------------------

TEST_F(MpegAudioTest, LargeVaryingStreamIsSampledWithinItsBounds)
{
    // 24 MiB of MPEG-1 layer III mono frames at 44100 Hz whose rate changes every 40 frames.
    Bytes bytes;
    bytes.reserve(25u << 20);
    const auto filler = test::audioBytes(1100);
    static constexpr int kKbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256};
    std::mt19937 noise(7);
    std::uint64_t frames = 0;
    for (int index = 9; bytes.size() < (24u << 20); ++frames) {
        if (frames % 40 == 0) index = 5 + static_cast<int>(noise() % 9);  // 64 to 256 kbit/s
        const std::size_t length = 144 * 1000 * kKbps[index] / 44100;
        test::append(bytes, Bytes{0xFF, 0xFB, static_cast<std::uint8_t>(index << 4), 0xC0});
        bytes.insert(bytes.end(), filler.begin(), filler.begin() + static_cast<long>(length - 4));
    }
    const auto path = m_dir.file("long.mp3");
    test::writeFile(path, bytes);
    auto real = File::open(path, OpenMode::Read);
    FaultyFile counted(real);
    const auto audio = readMpegAudio(counted);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->length, MpegLength::CountedFrames);
    const double trueSeconds = static_cast<double>(frames) * 1152 / 44100;
    EXPECT_NEAR(audio->seconds, trueSeconds, trueSeconds * 0.02);
    EXPECT_LT(counted.bytesAsked, 17u << 20) << counted.reads << " reads";
}

TEST_F(MpegAudioTest, SearchWithoutAStreamReadsABoundedAmount)
{
    // 300 MB of zeros (a sparse file), bare or behind a lone header that has no successor.
    for (const bool loneHeader : {false, true}) {
        const auto path = m_dir.file("zeros.mp3");
        test::writeFile(path, loneHeader ? Bytes{0xFF, 0xFB, 0x90, 0xC0} : Bytes{});
        std::filesystem::resize_file(path, 300'000'000);
        auto real = File::open(path, OpenMode::Read);
        FaultyFile counted(real);
        const auto audio = readMpegAudio(counted);
        EXPECT_EQ(audio.has_value(), loneHeader);
        EXPECT_LT(counted.bytesAsked, 2u << 20) << counted.reads << " reads";
        EXPECT_LT(counted.reads, 40);
    }
}

}  // namespace
}  // namespace corvane::tags
