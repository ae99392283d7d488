#include "tags/id3v2_convert.h"

#include "tags/text_encoding.h"

#include <gtest/gtest.h>

#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tests/support/temp_dir.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::bytesOf;
using test::frame;
using test::frameV24;
using test::mp3;
using test::tag;
using test::textFrame;

// What mutagen reads from a file in its own terms (every version seen as 2.4), one frame a line,
// so that the values before and after a conversion can be compared whatever the version.
std::string mutagenValues(const std::string& path)
{
    const auto run = test::runPython(R"PY(
import sys, hashlib
from mutagen.id3 import ID3
tags = ID3(sys.argv[1])
lines = []
for key, frame in tags.items():
    if frame.FrameID == 'APIC':
        value = '%s|%d|%s|%s' % (frame.mime, frame.type, frame.desc, hashlib.md5(frame.data).hexdigest())
    elif frame.FrameID == 'WXXX':
        value = frame.desc + '|' + frame.url
    elif frame.FrameID == 'TIPL':
        value = repr(frame.people)
    elif hasattr(frame, 'text'):
        value = '/'.join(str(t) for t in frame.text)
    else:
        value = repr(frame)
    lines.append(key + '=' + value)
print('\n'.join(sorted(lines)))
)PY",
                                     {path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

std::string versionOf(const std::string& path)
{
    return test::mutagenTag(path).version;
}

Bytes utf16Text(std::string_view text)
{
    Bytes body{1};
    test::append(body, utf8ToUtf16Bom(text));
    return body;
}

class Id3v2Convert : public ::testing::Test {
protected:
    Conversion convert(std::uint8_t target)
    {
        File file = File::open(m_path, OpenMode::Update);
        return convertId3v2(file, target);
    }

    test::TempDir m_dir;
    std::string m_path = m_dir.file("song.mp3");
    Bytes m_audio = test::mpegAudio(5000);
    Bytes m_picture = concat({bytesOf("\xFF\xD8\xFF\xE0"), Bytes(3000, 0x5A)});
};

TEST_F(Id3v2Convert, Version22BecomesVersion23WithItsPicture)
{
    const Bytes pic = concat({{0}, bytesOf("JPG"), {3}, bytesOf("cover"), {0}, m_picture});
    const Bytes tag22 = tag({test::frameV22("TT2", {0, 'T', 'i', 't', 'l', 'e'}),
                             test::frameV22("TP1", utf16Text("K\u00FCnstler")),
                             test::frameV22("TYE", {0, '1', '9', '9', '9'}),
                             test::frameV22("TCO", {0, '(', '1', '7', ')'}),
                             test::frameV22("COM", concat({{0}, bytesOf("eng"), {0}, bytesOf("Note")})),
                             test::frameV22("PIC", pic), test::frameV22("XYZ", {1, 2, 3})},
                            64, 2);
    test::writeFile(m_path, mp3(tag22, m_audio, test::trailer("v1")));
    const std::string before = mutagenValues(m_path);
    const auto conversion = convert(3);
    ASSERT_TRUE(conversion.result.ok()) << describe(conversion.result);
    EXPECT_EQ(conversion.dropped, std::vector<std::string>{"XYZ"});
    EXPECT_EQ(versionOf(m_path), "2.3.0");
    EXPECT_EQ(mutagenValues(m_path), before);
    EXPECT_NE(before.find("image/jpeg|3|cover"), std::string::npos) << before;
}

TEST_F(Id3v2Convert, Version23AndVersion24BothWaysKeepEveryValue)
{
    const Bytes apic = concat({{0}, bytesOf("image/jpeg"), {0, 3}, bytesOf("front"), {0}, m_picture});
    const Bytes tag23 = tag({textFrame("TIT2", "Title"), frame("TPE1", utf16Text("\u65E5\u672C")),
                             textFrame("TYER", "1999"), textFrame("TDAT", "0405"),
                             textFrame("TORY", "1970"), textFrame("TCON", "(17)(13)"),
                             frame("COMM", concat({{0}, bytesOf("eng"), {0}, bytesOf("Note")})),
                             frame("APIC", apic), textFrame("TSIZ", "123")},
                            100);
    test::writeFile(m_path, mp3(tag23, m_audio));
    const std::string before = mutagenValues(m_path);

    auto conversion = convert(4);
    ASSERT_TRUE(conversion.result.ok()) << describe(conversion.result);
    EXPECT_EQ(conversion.dropped, std::vector<std::string>{"TSIZ"});
    EXPECT_EQ(versionOf(m_path), "2.4.0");
    EXPECT_EQ(mutagenValues(m_path), before);
    EXPECT_EQ(test::mutagenTag(m_path).at("TDRC"), "1999-05-04");

    conversion = convert(3);
    ASSERT_TRUE(conversion.result.ok()) << describe(conversion.result);
    EXPECT_EQ(versionOf(m_path), "2.3.0");
    EXPECT_EQ(mutagenValues(m_path), before) << "the round trip keeps every value";
    EXPECT_EQ(test::readFile(m_path).size(), mp3(tag23, m_audio).size())
        << "the converted tag took the old tag's room";
}

TEST_F(Id3v2Convert, Version24TextsAndFramesFitVersion23)
{
    const Bytes utf8Desc = concat({{3}, bytesOf("image/png"), {0, 3}, bytesOf("d\u00E9j\u00E0"), {0}, m_picture});
    const Bytes tag24 = tag({frameV24("TPE1", concat({{3}, bytesOf(std::string_view("A\0B", 3))})),
                             frameV24("TIT2", concat({{3}, bytesOf("\u00DCber \u2713")})),
                             frameV24("TDRC", concat({{0}, bytesOf("2001-02-03T04:05")})),
                             frameV24("TDOR", {0, '1', '9', '8', '0'}),
                             frameV24("TSOP", {0, 'S'}), frameV24("APIC", utf8Desc)},
                            0, 4);
    test::writeFile(m_path, mp3(tag24, m_audio));
    const auto conversion = convert(3);
    ASSERT_TRUE(conversion.result.ok()) << describe(conversion.result);
    EXPECT_EQ(conversion.dropped, std::vector<std::string>{"TSOP"});
    const auto peer = test::mutagenTag(m_path);
    EXPECT_EQ(peer.version, "2.3.0");
    EXPECT_EQ(peer.at("TPE1"), "A/B");
    EXPECT_EQ(peer.at("TIT2"), "\u00DCber \u2713");
    EXPECT_EQ(peer.at("TYER"), "2001");
    EXPECT_EQ(peer.at("TDAT"), "0302");
    EXPECT_EQ(peer.at("TIME"), "0405");
    EXPECT_EQ(peer.at("TORY"), "1980");
    EXPECT_NE(mutagenValues(m_path).find("image/png|3|d\u00E9j\u00E0|"), std::string::npos);
}

TEST_F(Id3v2Convert, EncryptedFrameRefusesTheFileUnchanged)
{
    const Bytes before =
        mp3(tag({textFrame("TIT2", "T"), test::flaggedFrame("TPE1", {0x80, 1, 2}, 0x0040)}, 20), m_audio);
    test::writeFile(m_path, before);
    const auto conversion = convert(4);
    EXPECT_EQ(conversion.result.status, WriteStatus::Refused);
    EXPECT_NE(describe(conversion.result).find("encrypted"), std::string::npos);
    EXPECT_EQ(test::readFile(m_path), before);
}

}  // namespace
}  // namespace corvane::tags
