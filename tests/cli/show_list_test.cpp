#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tests/support/irregular_files.h"

namespace corvane::test {
namespace {

// UTF-16 with a byte-order mark, little-endian, for code points below U+10000.
Bytes utf16Frame(std::string_view id, std::u16string_view text)
{
    Bytes body{1, 0xFF, 0xFE};
    for (const char16_t c : text) {
        body.push_back(static_cast<std::uint8_t>(c & 0xFF));
        body.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return frame(id, body);
}

class CliShow : public ::testing::Test {
protected:
    TempDir m_dir;
};

TEST_F(CliShow, JsonOfBothOneAndNoTag)
{
    const std::vector<Bytes> frames{textFrame("TIT2", "Hello \"quoted\"\\"),
                                    textFrame("TCON", "(17)Rock"),
                                    frame("PCNT", Bytes{0, 0, 1, 0})};
    std::size_t tagSize = 100;
    for (const auto& f : frames) tagSize += f.size();
    writeFile(m_dir.file("both.mp3"), mp3(tag(frames, 100), mpegAudio(4000),
                                          trailer("V1 Title", "Artist", "", "1999", "c", 7, 17)));
    writeFile(m_dir.file("v1.mp3"),
              mp3({}, mpegAudio(4000), trailer("Only", "", "", "", "", 0, 255)));
    writeFile(m_dir.file("none.mp3"), mpegAudio(4000));
    const auto run = runCli(m_dir, {"show", "--json", "both.mp3", "v1.mp3", "none.mp3"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(queryJson(m_dir, run.out,
                        "[len(d), d[0]['file'], d[0]['id3v1']['title'], d[0]['id3v1']['track'],"
                        " d[0]['id3v1']['genre'], d[0]['id3v1']['genre_byte'],"
                        " d[0]['id3v2']['version'], d[0]['id3v2']['size'],"
                        " d[0]['id3v2']['frames']]"),
              "3\n'both.mp3'\n'V1 Title'\n'7'\n'Rock'\n17\n'2.3.0'\n" + std::to_string(tagSize) +
                  "\n"
                  "{'TIT2': 'Hello \"quoted\"\\\\', 'PCNT': '256', 'TCON': '(17)Rock'}\n");
    EXPECT_EQ(queryJson(m_dir, run.out,
                        "[d[1]['id3v2'], d[1]['id3v1']['genre'], d[1]['id3v1']['track'],"
                        " d[2]['id3v1'], d[2]['id3v2'], d[2]['specifics'].split('\\r\\n')[2]]"),
              "None\n''\n''\nNone\nNone\n'MPEG V1 layer III'\n");
}

TEST_F(CliShow, Utf16AndNonLatin1TextsComeOutAsUtf8)
{
    writeFile(m_dir.file("u.mp3"),
              mp3(tag({utf16Frame("TIT2", u"\u041f\u0440\u0438\u0432\u0435\u0442"),
                       utf16Frame("TPE1", u"Caf\u00e9\tTab")}),
                  mpegAudio(2000)));
    const auto run = runCli(m_dir, {"show", "--json", "u.mp3"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\"TIT2\": \"\u041f\u0440\u0438\u0432\u0435\u0442\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Caf\u00e9\\tTab"), std::string::npos) << run.out;
    EXPECT_EQ(queryJson(m_dir, run.out, "[d[0]['id3v2']['frames']['TPE1']]"), "'Caf\\xe9\\tTab'\n");
}

TEST_F(CliShow, UnsupportedMalformedAndMissingFiles)
{
    writeFile(m_dir.file("v25.mp3"), mp3(tag({textFrame("TIT2", "x")}, 0, 5), mpegAudio(2000)));
    // 2.2 is read like the later versions.
    writeFile(m_dir.file("v22.mp3"),
              mp3(tag({frameV22("TT2", Bytes{0, 'T', 'w', 'o'})}, 0, 2), mpegAudio(2000)));
    Bytes damaged = tag({textFrame("TIT2", "Partial")});
    damaged[7] = 0x7F;  // the size runs far past the end of the file
    writeFile(m_dir.file("bad.mp3"), mp3(damaged, audioBytes(64)));
    // A file name is any byte string; the JSON must stay valid UTF-8 all the same.
    const auto run =
        runCli(m_dir, {"show", "--json", "v25.mp3", "bad.mp3", "gone.mp3", "lost\xFF.mp3",
                       "v22.mp3"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("gone.mp3"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("bad.mp3"), std::string::npos) << run.err;
    EXPECT_EQ(queryJson(m_dir, run.out,
                        "[d[0]['id3v2'], d[0]['id3v2_unsupported'], d[1]['id3v2']['frames'],"
                        " d[2]['file'], 'error' in d[2], d[3]['file'],"
                        " d[4]['id3v2']['version'], d[4]['id3v2']['frames']]"),
              "None\n'2.5.0'\n{'TIT2': 'Partial'}\n'gone.mp3'\nTrue\n'lost\\udcff.mp3'\n'2.2.0'\n"
              "{'TIT2': 'Two'}\n");
}

TEST_F(CliShow, PlainTextNamesTheFields)
{
    writeFile(m_dir.file("a.mp3"), mp3(tag({textFrame("TPE2", "The Band")}), mpegAudio(2000)));
    const auto run = runCli(m_dir, {"show", "a.mp3"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("TPE2 Band: The Band\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ID3v1: none"), std::string::npos);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
}

TEST(CliList, BothViewsWithChosenColumns)
{
    TempDir dir;
    writeFile(dir.file("b.mp3"), mp3(tag({textFrame("TIT2", "Tag B"), textFrame("TCON", "(17)Rock"),
                                          textFrame("TRCK", "4")}),
                                     mpegAudio(1000), trailer("Trailer B", "", "", "", "", 2, 13)));
    writeFile(dir.file("A.MP3"), mp3(tag({textFrame("TCON", "(13)")}), mpegAudio(1000),
                                     trailer("Trailer\tA")));
    writeFile(dir.file("c.mp3"), mpegAudio(1000));
    writeFile(dir.file("notes.txt"), bytesOf("not an mp3"));

    const auto v1 = runCli(dir, {"list", "--columns", "Filename,Title,Genre,Track", "."});
    ASSERT_EQ(v1.exitCode, 0) << v1.err;
    EXPECT_EQ(v1.out,
              "3\tA.MP3\tTrailer A\t\t\n"
              "3\tb.mp3\tTrailer B\tPop\t2\n"
              "0\tc.mp3\t\t\t\n");

    const auto v2 =
        runCli(dir, {"list", "--view", "v2", "--columns=title,genre,track,encoded-by", "."});
    ASSERT_EQ(v2.exitCode, 0) << v2.err;
    EXPECT_EQ(v2.out,
              "3\t\tPop\t\t\n"
              "3\tTag B\tRock\t4\t\n"
              "0\t\t\t\t\n");
}

TEST(CliList, UnknownColumnOrViewIsAUsageError)
{
    TempDir dir;
    EXPECT_EQ(runCli(dir, {"list", "--columns", "Title,Mood", "."}).exitCode, 2);
    EXPECT_EQ(runCli(dir, {"list", "--view", "v3", "."}).exitCode, 2);
    EXPECT_EQ(runCli(dir, {"list"}).exitCode, 2);
    const auto missing = runCli(dir, {"list", "no-such-folder"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no-such-folder"), std::string::npos);
}

TEST(CliList, EntriesThatAreNoRegularFilesAreListedAndEveryCommandOnThemFailsWithTheReason)
{
    TempDir dir;
    writeFile(dir.file("real.mp3"), mp3({}, mpegAudio(100), trailer("Real")));
    const std::vector<IrregularFile> special = makeIrregularFiles(dir);
    const auto list = runCli(dir, {"list", "--columns", "Filename,Title", "."});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out,
              "0\tdangling.mp3\t\n0\tpipe.mp3\t\n1\treal.mp3\tReal\n0\tsocket.mp3\t\n"
              "0\tzero.mp3\t\n");
    for (const IrregularFile& entry : special) {
        const std::string reason = entry.exists ? "not a regular file" : "";
        const std::string line = "corvane-tag: " + entry.name + ": ";
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"show", entry.name},
              std::vector<std::string>{"set", "title=X", entry.name},
              std::vector<std::string>{"compact", entry.name}}) {
            const auto run = runCli(dir, command);
            EXPECT_EQ(run.exitCode, 1) << command[0] << " " << entry.name;
            EXPECT_EQ(run.err.rfind(line + reason, 0), 0u) << run.err;
        }
    }
}

TEST(CliList, ControlCharactersInNamesAndValuesArePrintedEscaped)
{
    TempDir dir;
    writeFile(dir.file("a\x1b[2Jb\\.mp3"),
              mp3(tag({textFrame("TIT2", "bell\x07 csi\x9b")}), mpegAudio(100)));
    writeFile(dir.file("n\xff.mp3"), mpegAudio(100));
    const auto run = runCli(dir, {"list", "--view", "v2", "--columns", "Filename,Title", "."});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2\ta\\x1b[2Jb\\\\.mp3\tbell\\x07 csi\\u009b\n0\tn\\xff.mp3\t\n");
}

TEST_F(CliShow, NamesThatAreNotUtf8ComeBackExactlyThroughJson)
{
    const std::string name = "caf\xe9 \xff\xfe.mp3";
    writeFile(m_dir.file(name), mpegAudio(100));
    const auto run = runCli(m_dir, {"show", "--json", name});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    writeFile(m_dir.file("out.json"), bytesOf(run.out));
    // Python's own way back from a surrogate-escaped name to the file system's bytes.
    const auto back = runPython(
        "import json, os, sys\n"
        "d = json.load(open(sys.argv[1], encoding='utf-8'))\n"
        "sys.stdout.buffer.write(os.fsencode(d[0]['file']))\n",
        {m_dir.file("out.json")});
    EXPECT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(back.out, name);
}

TEST_F(CliShow, AFailedWriteOfTheOutputExitsWithTwoAndSaysSo)
{
    writeFile(m_dir.file("a.mp3"), mp3({}, mpegAudio(100), trailer("A")));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"show", "--json", "a.mp3"},
          std::vector<std::string>{"list", "."}}) {
        const auto run = runCli(m_dir, command, CliOutputs{"/dev/full", {}});
        EXPECT_EQ(run.exitCode, 2) << command[0];
        EXPECT_EQ(run.err, "corvane-tag: the output could not be written: No space left on device\n");
    }
}

}  // namespace
}  // namespace corvane::test
