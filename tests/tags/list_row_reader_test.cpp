#include "tags/list_row_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tags/text_encoding.h"
#include "tests/support/id3_builder.h"
#include "tests/support/image_builder.h"
#include "tests/support/mutagen.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::bytesOf;

class ListRowReader : public ::testing::Test {
protected:
    // A layout in an order other than the table's, so a cell found by table index shows up.
    std::vector<Column> m_layout{Column::Filename, Column::Genre,  Column::Title,
                                 Column::Track,    Column::Artist, Column::Comment,
                                 Column::Url,      Column::Year,   Column::Album};

    std::string put(const Bytes& bytes)
    {
        const auto path = m_dir.file("song.mp3");
        test::writeFile(path, bytes);
        return path;
    }
    ListRow v1(const Bytes& bytes) { return readListRowV1(put(bytes), "song.mp3", m_layout); }
    ListRow v2(const Bytes& bytes) { return readListRowV2(put(bytes), "song.mp3", m_layout); }
    std::string cell(const ListRow& row, Column c) const
    {
        const int at = columnForFrame(ColumnTable[static_cast<std::size_t>(c)].frameId, m_layout);
        if (c == Column::Filename) return row.cells.at(0);
        EXPECT_GE(at, 0);
        return row.cells.at(static_cast<std::size_t>(at));
    }

    test::TempDir m_dir;
    Bytes m_audio = test::mpegAudio(2000);
    Bytes m_tag =
        test::tag({test::textFrame("TIT2", "Tag Title"), test::textFrame("TPE1", "Tag Artist"),
                   test::textFrame("TCON", "(17)Rock"), test::textFrame("TRCK", "4/12"),
                   test::frame("APIC", Bytes(9000, 7)), test::textFrame("TALB", "Tag Album")},
                  600);
    Bytes m_trailer =
        test::trailer("V1 Title", "V1 Artist", "V1 Album", "1999", "V1 Comment", 9, 13);
};

TEST_F(ListRowReader, BothViewsOfAFileWithBothTags)
{
    const Bytes file = test::mp3(m_tag, m_audio, m_trailer);
    const ListRow a = v1(file);
    EXPECT_EQ(a.presence, 3);
    ASSERT_EQ(a.cells.size(), m_layout.size());
    EXPECT_EQ(cell(a, Column::Filename), "song.mp3");
    EXPECT_EQ(cell(a, Column::Title), "V1 Title");
    EXPECT_EQ(cell(a, Column::Artist), "V1 Artist");
    EXPECT_EQ(cell(a, Column::Album), "V1 Album");
    EXPECT_EQ(cell(a, Column::Year), "1999");
    EXPECT_EQ(cell(a, Column::Comment), "V1 Comment");
    EXPECT_EQ(cell(a, Column::Track), "9");
    EXPECT_EQ(cell(a, Column::Genre), "Pop");

    const ListRow b = v2(file);
    EXPECT_EQ(b.presence, 3);
    EXPECT_EQ(cell(b, Column::Filename), "song.mp3");
    EXPECT_EQ(cell(b, Column::Title), "Tag Title");
    EXPECT_EQ(cell(b, Column::Artist), "Tag Artist");
    EXPECT_EQ(cell(b, Column::Album), "Tag Album");  // found past the 9000-byte picture
    EXPECT_EQ(cell(b, Column::Genre), "(17)Rock");
    EXPECT_EQ(cell(b, Column::Track), "4/12");
    EXPECT_EQ(cell(b, Column::Year), "");
}

TEST_F(ListRowReader, PresenceOfEachCombination)
{
    struct Case {
        Bytes file;
        int presence;
    };
    const std::vector<Case> cases{
        {m_audio, 0},
        {test::mp3({}, m_audio, m_trailer), 1},
        {test::mp3(m_tag, m_audio), 2},
        {test::mp3(m_tag, m_audio, m_trailer), 3},
        {test::mp3(test::tag({test::textFrame("TIT2", "v5")}, 0, 5), m_audio), 0},
        {test::mp3(test::tag({test::frameV22("TT2", concat({{0}, bytesOf("v2.2")}))}, 0, 2),
                   m_audio, m_trailer),
         3},
        {bytesOf("TAG"), 0},  // shorter than a trailer
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(v1(cases[i].file).presence, cases[i].presence) << "case " << i;
        const ListRow row = v2(cases[i].file);
        EXPECT_EQ(row.presence, cases[i].presence) << "case " << i;
        if (cases[i].presence == 0) {
            for (std::size_t c = 1; c < row.cells.size(); ++c)
                EXPECT_EQ(row.cells[c], "") << "case " << i;
        }
    }
    EXPECT_EQ(cell(v2(cases[5].file), Column::Title), "v2.2");
    EXPECT_EQ(cell(v2(cases[4].file), Column::Title), "");
    const auto v24 = test::mp3(test::tag({test::textFrame("TIT2", "v4")}, 0, 4), m_audio);
    EXPECT_EQ(v2(v24).presence, 2);
    EXPECT_EQ(cell(v2(v24), Column::Title), "v4");

    const ListRow missing = readListRowV2(m_dir.file("absent.mp3"), "absent.mp3", m_layout);
    EXPECT_EQ(missing.presence, 0);
    EXPECT_EQ(missing.cells.at(0), "absent.mp3");
}

TEST_F(ListRowReader, EmptyTrackAndGenreBytes)
{
    const Bytes noGenre = test::trailer("T", "", "", "", "", 0, 255);
    const ListRow row = v1(test::mp3({}, m_audio, noGenre));
    EXPECT_EQ(cell(row, Column::Track), "");
    EXPECT_EQ(cell(row, Column::Genre), "");
    EXPECT_EQ(cell(row, Column::Title), "T");
    EXPECT_EQ(cell(v1(test::mp3({}, m_audio, test::trailer("", "", "", "", "", 255, 192))),
                   Column::Genre),
              "");
    EXPECT_EQ(cell(v1(test::mp3({}, m_audio, test::trailer("", "", "", "", "", 0, 147))),
                   Column::Genre),
              "Synthpop");
    EXPECT_EQ(cell(v1(test::mp3({}, m_audio, test::trailer("", "", "", "", "", 255, 125))),
                   Column::Track),
              "255");
}

TEST_F(ListRowReader, LongValuesAreCutOnCharacterBoundaries)
{
    const std::string longTitle(400, 'x');
    // 300 characters of three UTF-8 bytes each, stored as UTF-16 with a byte-order mark.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\u65E5";
    const std::string wideUtf16 = utf8ToUtf16Bom(wide);
    // Characters outside the basic plane are two UTF-16 units; the cut must not split them.
    std::string astral;
    for (int i = 0; i < 300; ++i) astral += "\U0001F3B5";
    const Bytes file = test::mp3(
        test::tag({test::textFrame("TIT2", longTitle), test::textFrame("TPE1", "Next"),
                   test::frame("TALB", concat({{1}, bytesOf(wideUtf16)})),
                   test::frame("COMM", concat({{3}, bytesOf("eng"), {0}, bytesOf(astral)}))}),
        m_audio);
    const ListRow row = v2(file);
    EXPECT_EQ(cell(row, Column::Title), std::string(kMaxCellChars, 'x'));
    EXPECT_EQ(cell(row, Column::Artist), "Next");
    const std::string album = cell(row, Column::Album);
    EXPECT_EQ(utf8Length(album), kMaxCellChars);
    EXPECT_EQ(album, wide.substr(0, 3 * kMaxCellChars));
    const std::string comment = cell(row, Column::Comment);
    EXPECT_EQ(utf8Length(comment), kMaxCellChars);
    EXPECT_EQ(comment, astral.substr(0, 4 * kMaxCellChars));
}

TEST_F(ListRowReader, CommentAndUrlShowTheValueOfTheFieldsFrame)
{
    const Bytes utf16Text = bytesOf(utf8ToUtf16Bom("W\u00F6rter"));
    const auto rowFor = [&](std::vector<Bytes> frames) {
        return v2(test::mp3(test::tag(frames), m_audio));
    };
    const auto comm = [](std::string_view description, std::string_view text) {
        return test::frame("COMM", concat({{0}, bytesOf("eng"), bytesOf(description), {0},
                                           bytesOf(text)}));
    };
    const auto wxxx = [](std::string_view description, std::string_view url) {
        return test::frame("WXXX", concat({{0}, bytesOf(description), {0}, bytesOf(url)}));
    };
    // The first frame without a description, else the first frame, and always its value.
    const ListRow described = rowFor({comm("iTunNORM", "0000 1111"), comm("", "Real comment"),
                                      comm("", "Later"), wxxx("site", "http://a/")});
    EXPECT_EQ(cell(described, Column::Comment), "Real comment");
    EXPECT_EQ(cell(described, Column::Url), "http://a/");
    const ListRow onlyDescribed = rowFor({comm("iTunNORM", "0000 1111"), comm("iTunSMPB", "x")});
    EXPECT_EQ(cell(onlyDescribed, Column::Comment), "0000 1111");

    const ListRow wide = rowFor({test::frame("COMM", concat({{1}, bytesOf("eng"), {0xFF, 0xFE, 0, 0},
                                                              utf16Text})),
                                 test::frame("WXXX", concat({{1}, {0xFF, 0xFE, 0, 0},
                                                              bytesOf("http://w/")}))});
    EXPECT_EQ(cell(wide, Column::Comment), "W\u00F6rter");
    EXPECT_EQ(cell(wide, Column::Url), "http://w/");
}

TEST_F(ListRowReader, DamagedSizesKeepWhatCameBefore)
{
    Bytes huge = concat({bytesOf("TPE1"), {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, {0}, bytesOf("No")});
    const ListRow row = v2(test::mp3(
        test::tag({test::textFrame("TIT2", "Before"), huge, test::textFrame("TALB", "After")}),
        m_audio, m_trailer));
    EXPECT_EQ(row.presence, 3);
    EXPECT_EQ(cell(row, Column::Title), "Before");
    EXPECT_EQ(cell(row, Column::Artist), "");
    EXPECT_EQ(cell(row, Column::Album), "");

    Bytes cut = concat({bytesOf("ID3"),
                        {3, 0, 0},
                        test::syncsafe(0x0FFFFFFF),
                        test::textFrame("TIT2", "In file"),
                        test::textFrame("TPE1", "Cut off")});
    cut.resize(cut.size() - 2);
    const ListRow partial = v2(cut);
    EXPECT_EQ(partial.presence, 2);
    EXPECT_EQ(cell(partial, Column::Title), "In file");
    EXPECT_EQ(cell(partial, Column::Artist), "");
}

TEST_F(ListRowReader, ColumnsAndCellsFollowTheLayout)
{
    const std::vector<Column> layout{Column::Filename, Column::Title, Column::Title};
    EXPECT_EQ(columnForFrame("TIT2", layout), 1);
    EXPECT_EQ(columnForFrame("TPE1", layout), -1);
    EXPECT_EQ(columnForFrame("TXXX", layout), -1);
    ListRow row;
    row.cells.resize(layout.size());
    setCellText(row, layout, Column::Title, std::string(300, 'y'));
    setCellText(row, layout, Column::Artist, "nowhere");
    EXPECT_EQ(row.cells[1], std::string(kMaxCellChars, 'y'));
    EXPECT_EQ(row.cells[2], "");
}

TEST_F(ListRowReader, ReadsWhatMutagenWrote)
{
    const auto path = put(m_audio);
    const std::string title = "\u0393\u03B5\u03B9\u03AC \u03C3\u03BF\u03C5";
    const auto run = test::runPython(R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, COMM, APIC
tag = ID3()
tag.add(TIT2(encoding=1, text=sys.argv[2]))
tag.add(APIC(encoding=0, mime='image/jpeg', type=3, desc='', data=bytes(range(256)) * 200))
tag.add(TPE1(encoding=1, text='Artist after the picture'))
tag.add(COMM(encoding=1, lang='eng', desc='', text='A comment'))
tag.save(sys.argv[1], v2_version=3, padding=lambda info: 1000)
)",
                                     {path, title});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Bytes withTrailer = test::readFile(path);
    test::append(withTrailer, m_trailer);
    test::writeFile(path, withTrailer);
    const ListRow row = readListRowV2(path, "song.mp3", m_layout);
    EXPECT_EQ(row.presence, 3);
    EXPECT_EQ(cell(row, Column::Title), title);
    EXPECT_EQ(cell(row, Column::Artist), "Artist after the picture");
    EXPECT_EQ(cell(row, Column::Comment), "A comment");
    EXPECT_EQ(cell(readListRowV1(path, "song.mp3", m_layout), Column::Title), "V1 Title");
}

TEST_F(ListRowReader, CoverShowsThePixelSizeOfTheFrontCoverElseOfTheFirstPicture)
{
    const auto apic = [](std::uint8_t type, const Bytes& image) {
        return test::frame("APIC", test::apicBody(type, "image/x", "d", image));
    };
    const Bytes title = test::textFrame("TIT2", "T");
    struct Case {
        const char* name;
        std::vector<Bytes> frames;
        std::string cover;
    };
    const Case cases[] = {
        {"front after another", {apic(0, test::pngImage(5, 6)), title, apic(3, test::jpegImage(700, 500, 90'000))}, "700x500"},
        {"no front cover", {apic(4, test::pngImage(5, 6)), apic(0, test::jpegImage(9, 9))}, "5x6"},
        {"unknown image", {apic(3, bytesOf("GIF89a and more"))}, "yes"},
        {"no picture", {title}, ""},
    };
    const std::vector<Column> layout{Column::Filename, Column::Cover, Column::Title};
    for (const auto& c : cases) {
        const auto path = put(test::mp3(test::tag(c.frames, 100), m_audio, m_trailer));
        EXPECT_EQ(readListRowV2(path, "song.mp3", layout).cells[1], c.cover) << c.name;
        const ListRow v1 = readListRowV1(path, "song.mp3", layout);
        EXPECT_EQ(v1.cells[1], c.cover) << c.name;
        EXPECT_EQ(v1.cells[2], "V1 Title") << c.name;
    }
}

}  // namespace
}  // namespace corvane::tags
