// Writes into tags as real taggers leave them: duplicate frames, stored forms, leftovers, the
// 2.4 layout. Each checks that the frames the write does not name, the audio and the trailer keep
// their bytes, and that mutagen reads what was written.
#include "tags/tag_write.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "tags/id3v1.h"
#include "tags/id3v2_layout.h"
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
using test::readFile;
using test::tag;
using test::textFrame;

Bytes comm(std::string_view description, std::string_view text, std::string_view language = "eng")
{
    return frame("COMM", concat({{0}, bytesOf(language), bytesOf(description), {0}, bytesOf(text)}));
}

SlotList fields(std::initializer_list<std::pair<std::string_view, std::string>> items)
{
    SlotList list;
    for (const auto& [id, value] : items) list.push_back(FieldSlot::frame(id, value));
    return list;
}

TagChanges merge(SlotList entries)
{
    TagChanges changes;
    changes.id3v2 = V2Change::Merge;
    changes.id3v2Entries = std::move(entries);
    return changes;
}

class TagWrite : public ::testing::Test {
protected:
    std::string put(const Bytes& bytes)
    {
        test::writeFile(m_path, bytes);
        return m_path;
    }
    WriteResult write(const TagChanges& changes)
    {
        File file = File::open(m_path, OpenMode::Update);
        EXPECT_TRUE(file.isOpen());
        return writeTags(file, changes);
    }
    Id3v2Layout layout() const
    {
        File file = File::open(m_path, OpenMode::Read);
        return readId3v2Layout(file, LayoutCheck::Everything);
    }
    // The frames of before that are not listed in changed must all be in the file now, byte for
    // byte and in their order; and what follows the tag must be what followed it before.
    void expectKept(const Bytes& before, std::initializer_list<Bytes> changed) const
    {
        const std::string beforePath = m_dir.file("before.mp3");
        test::writeFile(beforePath, before);
        File file = File::open(beforePath, OpenMode::Read);
        const auto old = readId3v2Layout(file, LayoutCheck::Everything);
        const auto now = layout();
        ASSERT_TRUE(now.isIntact()) << now.damage;
        std::size_t next = 0;
        for (const auto& f : old.frames) {
            if (std::find(changed.begin(), changed.end(), f.bytes) != changed.end()) continue;
            while (next < now.frames.size() && now.frames[next].bytes != f.bytes) ++next;
            ASSERT_LT(next, now.frames.size()) << "lost frame " << f.id();
            ++next;
        }
        const Bytes after = readFile(m_path);
        EXPECT_TRUE(std::equal(before.begin() + static_cast<std::ptrdiff_t>(old.endInFile()),
                               before.end(), after.begin() + static_cast<std::ptrdiff_t>(now.endInFile()),
                               after.end()))
            << "the audio and the trailer keep their bytes";
    }

    test::TempDir m_dir;
    std::string m_path = m_dir.file("song.mp3");
    Bytes m_audio = test::mpegAudio(6000);
    Bytes m_trailer = test::trailer("V1 title");
};

TEST_F(TagWrite, DuplicateCommentsOnlyTheFieldsFrameChanges)
{
    const Bytes nice = comm("", "Nice"), norm = comm("iTunNORM", " 0000 1111"),
                smpb = comm("iTunSMPB", " 0 840 2000"), real = comm("", "Real comment");
    struct Case {
        std::vector<Bytes> frames;
        Bytes replaced;
        std::vector<std::string> keptKeys;
    };
    const Case cases[] = {
        {{nice, norm, smpb}, nice, {"COMM:iTunNORM:eng", "COMM:iTunSMPB:eng"}},
        {{norm, real}, real, {"COMM:iTunNORM:eng"}},
        {{norm, smpb}, norm, {"COMM:iTunSMPB:eng"}},  // no plain comment: the first one is it
    };
    for (const auto& c : cases) {
        const Bytes before = mp3(tag(c.frames, 40), m_audio, m_trailer);
        put(before);
        ASSERT_TRUE(write(merge(fields({{"COMM", "A somewhat longer comment"}}))).ok());
        expectKept(before, {c.replaced});
        const auto peer = test::mutagenTag(m_path);
        for (const auto& key : c.keptKeys) EXPECT_TRUE(peer.has(key)) << key;
        EXPECT_EQ(std::count_if(peer.frames.begin(), peer.frames.end(),
                                [](const auto& f) { return f.second == "A somewhat longer comment"; }),
                  1);

        put(before);
        ASSERT_TRUE(write(merge(fields({{"COMM", ""}}))).ok());
        expectKept(before, {c.replaced});
        EXPECT_EQ(layout().frames.size(), c.frames.size() - 1) << "a removal drops one frame";
    }
}

TEST_F(TagWrite, ReplacedCommentKeepsItsLanguageANewOneIsEnglish)
{
    put(mp3(tag({comm("", "Alt", "deu")}, 30), m_audio));
    ASSERT_TRUE(write(merge(fields({{"COMM", "Neu"}}))).ok());
    EXPECT_EQ(test::mutagenTag(m_path).at("COMM::deu"), "Neu");
    put(mp3(tag({textFrame("TIT2", "T")}, 30), m_audio));
    ASSERT_TRUE(write(merge(fields({{"COMM", "New"}}))).ok());
    EXPECT_EQ(test::mutagenTag(m_path).at("COMM::eng"), "New");
}

TEST_F(TagWrite, FramesInStoredFormsAreKeptOrNeverRewritten)
{
    const Bytes text = concat({{0}, bytesOf("Packed")});
    const Bytes compressed = test::flaggedFrame(
        "TIT2", concat({{0, 0, 0, static_cast<std::uint8_t>(text.size())}, test::zlibCompressed(text)}),
        0x0080);
    const Bytes encrypted = test::flaggedFrame("TCOM", {0x80, 9, 9, 9}, 0x0040);
    const Bytes before = mp3(tag({compressed, encrypted, textFrame("TPE1", "A")}, 50), m_audio);
    put(before);
    ASSERT_TRUE(write(merge(fields({{"TPE1", "Another artist"}, {"TCOM", "Guess"}}))).ok());
    expectKept(before, {textFrame("TPE1", "A")});
    const auto frames = layout().frames;
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [&](const RawFrame& f) { return f.bytes == encrypted; }),
              1)
        << "an encrypted frame is never replaced";
}

TEST_F(TagWrite, UnsynchronisedTagIsRewrittenPlain)
{
    // a FF 00 b: the 00 was inserted by unsynchronisation; the frame says 4 bytes.
    const Bytes title = concat({bytesOf("TIT2"), {0, 0, 0, 4, 0, 0}, {0, 'a', 0xFF, 0x00, 'b'}});
    put(mp3(tag({title, textFrame("TPE1", "Artist")}, 40, 3, 0x80), m_audio, m_trailer));
    ASSERT_TRUE(write(merge(fields({{"TALB", "Album"}}))).ok());
    EXPECT_EQ(readFile(m_path)[5] & 0x80, 0) << "the flag goes with the scheme";
    const auto peer = test::mutagenTag(m_path);
    EXPECT_EQ(peer.at("TIT2"), "a\u00FFb");
    EXPECT_EQ(peer.at("TPE1"), "Artist");
    EXPECT_EQ(peer.at("TALB"), "Album");
}

TEST_F(TagWrite, ExtendedHeaderCrcIsRecomputed)
{
    const Bytes extended{0, 0, 0, 10, 0x80, 0, 0, 0, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF};
    put(mp3(tag({extended, textFrame("TIT2", "Old")}, 100, 3, 0x40), m_audio));
    ASSERT_TRUE(write(merge(fields({{"TIT2", "Newer title"}}))).ok());
    const auto now = layout();
    ASSERT_TRUE(now.ext);
    Bytes frames;
    for (const auto& f : now.frames) frames.insert(frames.end(), f.bytes.begin(), f.bytes.end());
    const auto crc = static_cast<std::uint32_t>(crc32(0, frames.data(), static_cast<uInt>(frames.size())));
    const auto& ext = now.ext->bytes;
    EXPECT_EQ((std::uint32_t{ext[10]} << 24) | (std::uint32_t{ext[11]} << 16) |
                  (std::uint32_t{ext[12]} << 8) | ext[13],
              crc);
    EXPECT_EQ(ext[9], now.header.tagSize - now.framesEnd) << "the padding size is the real one";
}

TEST_F(TagWrite, LeftoverTextAfterTheFramesIsPadding)
{
    Bytes body = concat({textFrame("TIT2", "Title"), bytesOf("ist Name"), Bytes(60, 0)});
    const Bytes before = mp3(tag({body}), m_audio);
    put(before);
    ASSERT_TRUE(write(merge(fields({{"TPE1", "Artist"}}))).ok());
    expectKept(before, {});
    EXPECT_EQ(readFile(m_path).size(), before.size()) << "the new frame went into that room";
    const auto peer = test::mutagenTag(m_path);
    EXPECT_EQ(peer.at("TIT2"), "Title");
    EXPECT_EQ(peer.at("TPE1"), "Artist");
}

TEST_F(TagWrite, TrailerIsOnlyOneAfterTheId3v2Tag)
{
    // A file that is nothing but a tag, whose last 128 bytes start with "TAG" inside a frame.
    Bytes privateBody = bytesOf("owner");
    privateBody.push_back(0);
    test::append(privateBody, bytesOf("TAG"));
    test::append(privateBody, Bytes(125, 'x'));
    const Bytes before = tag({textFrame("TIT2", "T"), frame("PRIV", privateBody)});
    put(before);
    TagChanges removal;
    removal.id3v1 = V1Change::Remove;
    ASSERT_TRUE(write(removal).ok());
    EXPECT_EQ(readFile(m_path), before);

    TagChanges title;
    title.id3v1 = V1Change::Write;
    title.id3v1Entries.push_back(FieldSlot::v1(V1FieldNo::Title, "New"));
    ASSERT_TRUE(write(title).ok());
    const Bytes after = readFile(m_path);
    ASSERT_EQ(after.size(), before.size() + kId3v1Size) << "a trailer is appended";
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
}

TEST_F(TagWrite, Version24StaysVersion24)
{
    const Bytes privateFrame = frameV24("PRIV", bytesOf("owner\xFF\xE0 data"));
    const Bytes before = mp3(tag({frameV24("TIT2", {3, 'O', 'l', 'd'}), privateFrame,
                                  frameV24("TDRC", {0, '1', '9', '9', '9'})},
                                 64, 4),
                             m_audio, m_trailer);
    put(before);
    const auto values = fields({{"TIT2", "Новая песня"}, {"TPE1", "Café Zoë"}, {"TALB", "Album"},
                                {"TYER", "2001-02-03"}, {"TCON", "Rock / Pop"}, {"TRCK", "3/12"},
                                {"COMM", "Comment ✓"}, {"TCOM", "Composer"}, {"TEXT", "Lyricist"},
                                {"TCOP", "(c)"}, {"WXXX", "http://x.example/"}, {"TENC", "Enc"},
                                {"TIT3", "Sub"}, {"TOPE", "Orig"}, {"TOAL", "Orig album"},
                                {"TORY", "1970"}, {"TOLY", "Orig lyricist"}, {"TPUB", "Pub"},
                                {"TPE2", "Band"}, {"TPE3", "Conductor"}});
    ASSERT_TRUE(write(merge(values)).ok());
    expectKept(before, {frameV24("TIT2", {3, 'O', 'l', 'd'}), frameV24("TDRC", {0, '1', '9', '9', '9'})});
    const auto peer = test::mutagenTag(m_path);
    EXPECT_EQ(peer.version, "2.4.0");
    for (const auto& entry : values) {
        const std::string key = entry.key == "TYER"   ? "TDRC"
                                : entry.key == "TORY" ? "TDOR"
                                : entry.key == "COMM" ? "COMM::eng"
                                : entry.key == "WXXX" ? "WXXX:"
                                                      : entry.key;
        const std::string expected = entry.key == "TCON" ? "Rock/Pop" : entry.text();
        EXPECT_EQ(peer.at(key), expected) << entry.key;
    }
    EXPECT_FALSE(peer.has("TYER"));
}

TEST_F(TagWrite, Version24FooterStaysConsistent)
{
    const Bytes body = frameV24("TIT2", {0, 'O', 'l', 'd'});
    Bytes before = tag({body}, 0, 4, 0x10);
    const Bytes footer = concat({bytesOf("3DI"), {4, 0, 0x10}, test::syncsafe(static_cast<std::uint32_t>(body.size()))});
    test::append(before, footer);
    test::append(before, m_audio);
    put(before);
    ASSERT_TRUE(write(merge(fields({{"TIT2", "A longer title"}}))).ok());
    const Bytes after = readFile(m_path);
    const auto now = layout();
    ASSERT_TRUE(now.isIntact()) << now.damage;
    ASSERT_TRUE(now.footerBytes);
    EXPECT_EQ(Bytes(now.footerBytes->begin() + 3, now.footerBytes->end()),
              Bytes(after.begin() + 3, after.begin() + 10))
        << "the footer repeats the header";
    EXPECT_EQ(now.framesEnd, now.header.tagSize) << "a tag with a footer keeps no padding";
    EXPECT_EQ(test::mutagenTag(m_path).at("TIT2"), "A longer title");
    expectKept(before, {body});
}

}  // namespace
}  // namespace corvane::tags
