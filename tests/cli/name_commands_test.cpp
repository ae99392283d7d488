// from-name, rename, case and replace through the real corvane-tag: the --dry-run preview, and
// real runs checked with mutagen.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/cli_runner.h"
#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

class CliNames : public ::testing::Test {
protected:
    void make(const std::string& name, const Bytes& tagBytes, const Bytes& trailerBytes = {})
    {
        writeFile(m_dir.file(name), mp3(tagBytes, mpegAudio(4000), trailerBytes));
    }
    CliRun run(std::vector<std::string> args) { return runCli(m_dir, std::move(args)); }

    TempDir m_dir;
};

TEST_F(CliNames, RenamePreviewsThenRenamesAndUndoes)
{
    make("a.mp3", tag({textFrame("TRCK", "1"), textFrame("TIT2", "Intro: Part?")}));
    make("b.mp3", tag({textFrame("TRCK", "2")}));
    make("c.mp3", tag({textFrame("TRCK", "3"), textFrame("TIT2", "Go")}));
    make("03 - Go.mp3", {});
    const std::vector<std::string> files{"a.mp3", "b.mp3", "c.mp3"};
    auto args = std::vector<std::string>{"rename", "--format", "%track:2% - %title%", "--dry-run"};
    args.insert(args.end(), files.begin(), files.end());
    const auto dry = run(args);
    EXPECT_EQ(dry.exitCode, 1);
    EXPECT_EQ(dry.out,
              "a.mp3\tname\ta.mp3\t01 - Intro_ Part_.mp3\n"
              "b.mp3\tproblem\tthe ID3v2 tag has no Title\n"
              "c.mp3\tproblem\ta file named 03 - Go.mp3 exists\n");
    EXPECT_TRUE(fs::exists(m_dir.file("a.mp3")));
    args.push_back("--json");
    const auto json = run(args);
    EXPECT_EQ(queryJson(m_dir, json.out, "[(o['new_file'], o['problem']) for o in d]"),
              "('01 - Intro_ Part_.mp3', None)\n('b.mp3', 'the ID3v2 tag has no Title')\n"
              "('c.mp3', 'a file named 03 - Go.mp3 exists')\n");

    const auto renamed = run({"rename", "--format", "%track:2% - %title%", "--no-portable", "a.mp3", "b.mp3"});
    EXPECT_EQ(renamed.exitCode, 1);
    EXPECT_EQ(renamed.err, "corvane-tag: b.mp3: the ID3v2 tag has no Title\n");
    EXPECT_TRUE(fs::exists(m_dir.file("01 - Intro: Part?.mp3")));
    EXPECT_EQ(mutagenTag(m_dir.file("01 - Intro: Part?.mp3")).at("TIT2"), "Intro: Part?");

    const auto undone = run({"undo"});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_TRUE(fs::exists(m_dir.file("a.mp3")));
    EXPECT_FALSE(fs::exists(m_dir.file("01 - Intro: Part?.mp3")));
}

TEST_F(CliNames, FromNameWritesBothTagsAndMutagenReadsThem)
{
    fs::create_directories(m_dir.path() / "Ann" / "Live");
    make("Ann/Live/07 - Stra\xC3\x9F" "e.mp3", tag({textFrame("TIT2", "old")}, 300));
    make("Ann/Live/bonus.mp3", {});
    const auto before = readFile(m_dir.file("Ann/Live/bonus.mp3"));
    const std::string format = "%artist%/%album%/%track% - %title%";
    const auto dry = run({"from-name", "--format", format, "--v2", "--dry-run", "Ann/Live/07 - Stra\xC3\x9F" "e.mp3"});
    EXPECT_EQ(dry.out,
              "Ann/Live/07 - Stra\xC3\x9F" "e.mp3\tv2.artist\t\tAnn\tv2.album\t\tLive\t"
              "v2.track\t\t7\tv2.title\told\tStra\xC3\x9F" "e\n");

    const auto result = run({"from-name", "--format", format, "Ann/Live/07 - Stra\xC3\x9F" "e.mp3",
                             "Ann/Live/bonus.mp3"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "corvane-tag: Ann/Live/bonus.mp3: the name does not match the format\n");
    const auto tagRead = mutagenTag(m_dir.file("Ann/Live/07 - Stra\xC3\x9F" "e.mp3"));
    EXPECT_EQ(tagRead.at("TPE1"), "Ann");
    EXPECT_EQ(tagRead.at("TALB"), "Live");
    EXPECT_EQ(tagRead.at("TRCK"), "7");
    EXPECT_EQ(tagRead.at("TIT2"), "Stra\xC3\x9F" "e");
    const auto show = run({"show", "--json", "Ann/Live/07 - Stra\xC3\x9F" "e.mp3"});
    EXPECT_EQ(queryJson(m_dir, show.out, "[d[0]['id3v1']['title'], d[0]['id3v1']['track']]"),
              "'Stra\\xdfe'\n'7'\n");
    EXPECT_EQ(readFile(m_dir.file("Ann/Live/bonus.mp3")), before);
}

TEST_F(CliNames, CaseAndReplaceChangeTheChosenFields)
{
    make("a.mp3", tag({textFrame("TIT2", "the end of it"), textFrame("TPE1", "ann feat. bob")}),
         trailer("the end of it"));
    const auto dry = run({"case", "--field", "title", "--mode", "title", "--dry-run", "a.mp3"});
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_EQ(dry.out, "a.mp3\tv2.title\tthe end of it\tThe End of It\tv1.title\tthe end of it\tThe End of It\n");
    const auto replaced = run({"replace", "--field", "artist,title", "--v2", "--regex", "--ignore-case",
                               "--find", "(\\w+) FEAT\\. (\\w+)", "--replace", "$2 & $1", "a.mp3"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(mutagenTag(m_dir.file("a.mp3")).at("TPE1"), "bob & ann");
    const auto bad = run({"replace", "--field", "title", "--regex", "--find", "(", "--replace", "", "a.mp3"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.substr(0, 50), "corvane-tag: the regular expression is not valid: ");
}

}  // namespace
}  // namespace corvane::test
