#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "tags/file.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/id3_builder.h"
#include "tests/support/mutagen.h"
#include "tags/journal.h"
#include "tags/tag_write.h"

#include <unistd.h>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

class CliWrite : public ::testing::Test {
protected:
    std::string make(const std::string& name, const Bytes& tagBytes, const Bytes& trailerBytes = {})
    {
        const auto path = m_dir.file(name);
        writeFile(path, mp3(tagBytes, mpegAudio(6000), trailerBytes));
        return path;
    }
    // The ID3v1 trailer's bytes, or an empty vector when there is none.
    Bytes trailerOf(const std::string& name)
    {
        const Bytes bytes = readFile(m_dir.file(name));
        if (bytes.size() < 128 || bytes[bytes.size() - 128] != 'T') return {};
        return Bytes(bytes.end() - 128, bytes.end());
    }
    std::string v1Field(const std::string& name, std::size_t offset, std::size_t width)
    {
        const Bytes t = trailerOf(name);
        if (t.empty()) return "<none>";
        std::string text(t.begin() + static_cast<std::ptrdiff_t>(offset),
                         t.begin() + static_cast<std::ptrdiff_t>(offset + width));
        return text.substr(0, text.find('\0'));
    }
    CliRun run(std::vector<std::string> args) { return runCli(m_dir, std::move(args)); }

    TempDir m_dir;
};

TEST_F(CliWrite, SetEveryFieldKindAndMutagenReadsIt)
{
    make("a.mp3", tag({textFrame("TIT2", "Old"), textFrame("TPE1", "Gone")}, 500),
         trailer("Old", "Gone"));
    make("b.mp3", {});
    const auto size = fs::file_size(m_dir.file("a.mp3"));
    const auto result =
        run({"set", "title=Stra\u00dfe", "genre=rock", "track=7", "composer=Bach",
             "artist=", "TPE2=\u041e\u0440\u043a\u0435\u0441\u0442\u0440", "a.mp3", "b.mp3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(fs::file_size(m_dir.file("a.mp3")), size);  // padding kept
    for (const char* name : {"a.mp3", "b.mp3"}) {
        const auto frames = mutagenFrames(m_dir.file(name));
        EXPECT_EQ(frames.at("TIT2"), "Stra\u00dfe") << name;
        // Stored as "(17)rock", which mutagen reads as the genre reference and the text.
        EXPECT_EQ(frames.at("TCON"), "Rock/rock") << name;
        EXPECT_EQ(frames.at("TRCK"), "7") << name;
        EXPECT_EQ(frames.at("TCOM"), "Bach") << name;
        EXPECT_EQ(frames.at("TPE2"), "\u041e\u0440\u043a\u0435\u0441\u0442\u0440") << name;
        EXPECT_EQ(frames.count("TPE1"), 0u) << name;
        EXPECT_EQ(v1Field(name, 3, 30),
                  "Stra\xdf"
                  "e")
            << name;  // ISO-8859-1 in the trailer
        EXPECT_EQ(trailerOf(name)[126], 7) << name;
        EXPECT_EQ(trailerOf(name)[127], 17) << name;
        EXPECT_EQ(v1Field(name, 33, 30), "") << name;
    }
}

TEST_F(CliWrite, SetCompactAndSingleTagOptions)
{
    make("a.mp3", tag({textFrame("TIT2", "Old")}, 2000), trailer("Old"));
    const auto size = fs::file_size(m_dir.file("a.mp3"));
    ASSERT_EQ(run({"set", "--v2", "--compact", "title=New", "a.mp3"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(m_dir.file("a.mp3")), size - 2000);
    EXPECT_EQ(mutagenFrames(m_dir.file("a.mp3")).at("TIT2"), "New");
    EXPECT_EQ(v1Field("a.mp3", 3, 30), "Old");

    ASSERT_EQ(run({"set", "--v1", "year=2024", "a.mp3"}).exitCode, 0);
    EXPECT_EQ(v1Field("a.mp3", 93, 4), "2024");
    EXPECT_EQ(mutagenFrames(m_dir.file("a.mp3")).count("TYER"), 0u);
}

TEST_F(CliWrite, FailedFilesAreNamedLeftAsTheyWereAndTheRestIsWritten)
{
    make("first.mp3", {});
    make("locked.mp3", tag({textFrame("TIT2", "x")}), trailer("x"));
    fs::permissions(m_dir.file("locked.mp3"), fs::perms::owner_read | fs::perms::group_read);
    Bytes damaged = tag({textFrame("TIT2", "x")});
    damaged[7] = 0x7F;
    writeFile(m_dir.file("bad.mp3"), mp3(damaged, audioBytes(100), trailer("x")));
    make("last.mp3", {});
    const Bytes locked = readFile(m_dir.file("locked.mp3"));
    const Bytes bad = readFile(m_dir.file("bad.mp3"));

    const auto result =
        run({"set", "title=Done", "first.mp3", "locked.mp3", "missing.mp3", "bad.mp3", "last.mp3"});
    EXPECT_EQ(result.exitCode, 1);
    for (const char* name : {"locked.mp3", "missing.mp3", "bad.mp3"})
        EXPECT_NE(result.err.find("corvane-tag: " + std::string(name) + ": "), std::string::npos)
            << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 3);
    EXPECT_EQ(readFile(m_dir.file("locked.mp3")), locked);
    EXPECT_EQ(readFile(m_dir.file("bad.mp3")), bad);
    EXPECT_FALSE(fs::exists(m_dir.file("missing.mp3")));
    EXPECT_EQ(mutagenFrames(m_dir.file("first.mp3")).at("TIT2"), "Done");
    EXPECT_EQ(mutagenFrames(m_dir.file("last.mp3")).at("TIT2"), "Done");
}

TEST_F(CliWrite, RemoveAndCompact)
{
    const Bytes tagBytes = tag({textFrame("TIT2", "x")}, 1000);
    make("both.mp3", tagBytes, trailer("t"));
    make("v1.mp3", tagBytes, trailer("t"));
    make("plain.mp3", {});
    const Bytes plain = readFile(m_dir.file("plain.mp3"));
    ASSERT_EQ(run({"remove", "both.mp3", "plain.mp3"}).exitCode, 0);
    EXPECT_EQ(readFile(m_dir.file("both.mp3")), mpegAudio(6000));
    EXPECT_EQ(readFile(m_dir.file("plain.mp3")), plain);
    ASSERT_EQ(run({"remove", "--v1", "v1.mp3"}).exitCode, 0);
    EXPECT_EQ(readFile(m_dir.file("v1.mp3")), mp3(tagBytes, mpegAudio(6000)));

    ASSERT_EQ(run({"compact", "v1.mp3", "plain.mp3"}).exitCode, 0);
    EXPECT_EQ(readFile(m_dir.file("v1.mp3")), mp3(tag({textFrame("TIT2", "x")}), mpegAudio(6000)));
    EXPECT_EQ(readFile(m_dir.file("plain.mp3")), plain);
}

TEST_F(CliWrite, SyncBothDirectionsWithKeepAndWithoutTheIntelligentRule)
{
    const Bytes v2Tag =
        tag({textFrame("TIT2", "Tag Title"), textFrame("TRCK", "3/12"), textFrame("TCON", "Rock")},
            200);
    make("v2only.mp3", v2Tag);
    make("v1only.mp3", {}, trailer("Trailer", "Band", "Album", "1999", "", 4, 17));
    make("both.mp3", tag({textFrame("TIT2", "Kept")}, 200), trailer("Trailer", "Band"));
    const Bytes v2only = readFile(m_dir.file("v2only.mp3"));

    ASSERT_EQ(run({"sync", "--to-v2", "--no-intelligent", "v2only.mp3"}).exitCode, 0);
    EXPECT_EQ(readFile(m_dir.file("v2only.mp3")), v2only);

    ASSERT_EQ(run({"sync", "--to-v2", "v2only.mp3", "v1only.mp3"}).exitCode, 0);
    EXPECT_EQ(v1Field("v2only.mp3", 3, 30), "Tag Title");
    EXPECT_EQ(trailerOf("v2only.mp3")[126], 3);
    EXPECT_EQ(trailerOf("v2only.mp3")[127], 17);
    const auto fromV1 = mutagenFrames(m_dir.file("v1only.mp3"));
    EXPECT_EQ(fromV1.at("TIT2"), "Trailer");
    EXPECT_EQ(fromV1.at("TPE1"), "Band");
    EXPECT_EQ(fromV1.at("TRCK"), "4");
    EXPECT_EQ(fromV1.at("TCON"), "Rock");  // "(17)Rock"

    ASSERT_EQ(run({"sync", "--to-v2", "--keep", "both.mp3"}).exitCode, 0);
    const auto kept = mutagenFrames(m_dir.file("both.mp3"));
    EXPECT_EQ(kept.at("TIT2"), "Kept");
    EXPECT_EQ(kept.at("TPE1"), "Band");

    ASSERT_EQ(run({"sync", "--to-v1", "both.mp3"}).exitCode, 0);
    EXPECT_EQ(v1Field("both.mp3", 3, 30), "Kept");
}

TEST_F(CliWrite, NumberInEachZerosMode)
{
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        names.push_back("n" + std::to_string(i) + ".mp3");
        make(names.back(), {}, trailer("t"));
    }
    auto number = [&](std::vector<std::string> options) {
        options.insert(options.begin(), "number");
        options.insert(options.end(), names.begin(), names.end());
        return run(options);
    };
    auto tracks = [&] {
        std::string all;
        for (const auto& name : names) all += mutagenFrames(m_dir.file(name)).at("TRCK") + " ";
        return all;
    };
    ASSERT_EQ(number({}).exitCode, 0);
    EXPECT_EQ(tracks(), "1 2 3 ");
    ASSERT_EQ(number({"--start", "9", "--zeros", "2"}).exitCode, 0);
    EXPECT_EQ(tracks(), "009 010 011 ");
    EXPECT_EQ(trailerOf(names[1])[126], 10);
    ASSERT_EQ(number({"--zeros=auto", "--start=8", "--v2"}).exitCode, 0);
    EXPECT_EQ(tracks(), "8 9 10 ");
    EXPECT_EQ(trailerOf(names[2])[126], 11);  // --v2 left the trailer alone

    // A file that cannot be written keeps its number's place.
    fs::permissions(m_dir.file(names[1]), fs::perms::owner_read);
    const auto result = number({"--zeros", "none", "--start", "5"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(tracks(), "5 9 7 ");
}

TEST_F(CliWrite, UsageErrorsExitWithTwo)
{
    make("a.mp3", {});
    const Bytes before = readFile(m_dir.file("a.mp3"));
    const std::vector<std::vector<std::string>> bad{
        {},
        {"frobnicate", "a.mp3"},
        {"set", "a.mp3"},
        {"set", "mood=happy", "a.mp3"},
        {"set", "--v1", "composer=x", "a.mp3"},
        {"set", "--bogus", "title=x", "a.mp3"},
        {"set", "PCNT=lots", "a.mp3"},
        {"sync", "a.mp3"},
        {"sync", "--to-v1", "--to-v2", "a.mp3"},
        {"number", "--zeros", "many", "a.mp3"},
        {"number", "--start", "0", "a.mp3"},
        {"number", "--start"},
        {"show"},
        {"remove"},
    };
    for (const auto& args : bad) {
        const auto result = run(args);
        EXPECT_EQ(result.exitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(readFile(m_dir.file("a.mp3")), before);

    for (const std::vector<std::string>& help :
         {std::vector<std::string>{"--help"}, {"set", "--help"}, {"help", "number"}}) {
        const auto result = run(help);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_NE(result.out.find("Usage: corvane-tag"), std::string::npos);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CliWrite, PlayCounterIsWrittenAsMutagenReadsIt)
{
    make("a.mp3", tag({}, 100));
    ASSERT_EQ(run({"set", "pcnt=1234567890123", "a.mp3"}).exitCode, 0);
    EXPECT_EQ(mutagenFrames(m_dir.file("a.mp3")).at("PCNT"), "1234567890123");
}

TEST_F(CliWrite, CtrlCStopsTheRunBetweenTwoFiles)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) make(name, {}, trailer("Old"));
    const Bytes b = readFile(m_dir.file("b.mp3"));
    const Bytes c = readFile(m_dir.file("c.mp3"));
    // Another writer holds b.mp3, so the run waits there long enough for the Ctrl+C to come.
    tags::File holder = tags::File::open(m_dir.file("b.mp3"), tags::OpenMode::Update);
    ASSERT_EQ(holder.lockForWriting(), tags::LockResult::Locked);
    CliProcess process(m_dir, {"set", "title=New", "a.mp3", "b.mp3", "c.mp3"});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (v1Field("a.mp3", 3, 30) != "New" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(process.pid(), SIGINT);
    const CliRun result = process.wait();
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_NE(result.err.find("corvane-tag: stopped by Ctrl+C after "), std::string::npos)
        << result.err;
    EXPECT_EQ(v1Field("a.mp3", 3, 30), "New");
    EXPECT_EQ(readFile(m_dir.file("b.mp3")), b);
    EXPECT_EQ(readFile(m_dir.file("c.mp3")), c);
}

TEST_F(CliWrite, TheProgressLineIsShownOnATerminalOnly)
{
    for (const char* name : {"a.mp3", "b.mp3"}) make(name, {});
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const CliRun onTerminal =
        runCli(m_dir, {"set", "title=X", "a.mp3", "b.mp3"}, CliOutputs{{}, ::ptsname(terminal)});
    EXPECT_EQ(onTerminal.exitCode, 0);
    std::string shown(4096, '\0');
    const auto got = ::read(terminal, shown.data(), shown.size());
    ::close(terminal);
    shown.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    EXPECT_NE(shown.find("[1/2] a.mp3"), std::string::npos) << shown;

    const CliRun piped = run({"set", "title=Y", "a.mp3", "b.mp3"});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "");
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

Bytes comment(std::string_view description, std::string_view text)
{
    return frame("COMM", concat({{0}, bytesOf("eng"), bytesOf(description), {0}, bytesOf(text)}));
}

// iTunes leaves its numbers in described comments beside the real one: every command reads and
// writes the comment without a description and keeps the others byte for byte.
TEST_F(CliWrite, DescribedCommentsSurviveSetSyncAndList)
{
    const Bytes norm = comment("iTunNORM", " 0000 1111"), smpb = comment("iTunSMPB", " 0 840");
    make("three.mp3", tag({comment("", "Nice"), norm, smpb}, 200), trailer("t", "", "", "", "V1 note"));
    make("after.mp3", tag({norm, comment("", "Real comment")}, 200));
    ASSERT_EQ(run({"set", "--v2", "comment=A somewhat longer comment", "three.mp3"}).exitCode, 0);
    auto peer = mutagenTag(m_dir.file("three.mp3"));
    EXPECT_EQ(peer.at("COMM::eng"), "A somewhat longer comment");
    EXPECT_EQ(peer.at("COMM:iTunNORM:eng"), " 0000 1111");
    EXPECT_EQ(peer.at("COMM:iTunSMPB:eng"), " 0 840");

    ASSERT_EQ(run({"sync", "--to-v2", "three.mp3"}).exitCode, 0);
    peer = mutagenTag(m_dir.file("three.mp3"));
    EXPECT_EQ(peer.at("COMM::eng"), "V1 note");
    EXPECT_TRUE(peer.has("COMM:iTunSMPB:eng")) << "the gapless data stays";
    const Bytes after = readFile(m_dir.file("three.mp3"));
    for (const Bytes& kept : {norm, smpb})
        EXPECT_NE(std::search(after.begin(), after.end(), kept.begin(), kept.end()), after.end());

    const auto listed = run({"list", "--view", "v2", "--columns", "Filename,Comment", "."});
    EXPECT_NE(listed.out.find("after.mp3\tReal comment\n"), std::string::npos) << listed.out;
    ASSERT_EQ(run({"sync", "--to-v1", "after.mp3"}).exitCode, 0);
    EXPECT_EQ(v1Field("after.mp3", 97, 30), "Real comment");
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// A version changes only by convert; a 2.2 tag is refused by the other commands until then.
TEST_F(CliWrite, ConvertIsTheOnlyWayAVersionChanges)
{
    make("v23.mp3", tag({textFrame("TIT2", "T"), textFrame("TYER", "1999"), textFrame("TDAT", "0405"),
                         textFrame("TSIZ", "123")},
                        50));
    auto result = run({"convert", "--to", "2.4", "v23.mp3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("v23.mp3: frames that ID3v2.4 does not have were dropped: TSIZ"),
              std::string::npos)
        << result.err;
    auto peer = mutagenTag(m_dir.file("v23.mp3"));
    EXPECT_EQ(peer.version, "2.4.0");
    EXPECT_EQ(peer.at("TDRC"), "1999-05-04");

    const Bytes v22 = mp3(tag({frameV22("TT2", Bytes{0, 'O', 'l', 'd'})}, 40, 2), mpegAudio(2000));
    writeFile(m_dir.file("v22.mp3"), v22);
    result = run({"set", "title=New", "v22.mp3"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("v22.mp3: ID3v2.2 tag: convert it first"), std::string::npos) << result.err;
    EXPECT_EQ(readFile(m_dir.file("v22.mp3")), v22);
    ASSERT_EQ(run({"convert", "--to", "2.3", "v22.mp3"}).exitCode, 0);
    ASSERT_EQ(run({"set", "title=New", "v22.mp3"}).exitCode, 0);
    EXPECT_EQ(mutagenTag(m_dir.file("v22.mp3")).version, "2.3.0");

    make("new.mp3", {});
    ASSERT_EQ(run({"set", "--id3v2-version", "2.4", "title=Fresh", "new.mp3"}).exitCode, 0);
    EXPECT_EQ(mutagenTag(m_dir.file("new.mp3")).version, "2.4.0");
    EXPECT_EQ(run({"set", "--id3v2-version", "2.5", "title=x", "new.mp3"}).exitCode, 2);
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// A tag as mutagen writes it by default (2.4, UTF-8, TDRC, a picture, several genres): show reads
// every value; set of every field keeps 2.4, and mutagen reads exactly what was written while the
// picture and the audio keep their bytes.
TEST_F(CliWrite, MutagensDefaultTagIsReadAndWrittenAsVersion24)
{
    const std::string path = make("peer.mp3", {});
    const auto made = runPython(R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TDRC, TCON, APIC, COMM
tag = ID3()
tag.add(TIT2(encoding=3, text='Gr\u00fc\u00dfe'))
tag.add(TPE1(encoding=3, text=['One', 'Two']))
tag.add(TDRC(encoding=3, text='1999-05-04'))
tag.add(TCON(encoding=3, text=['Rock', 'Jazz']))
tag.add(COMM(encoding=3, lang='eng', desc='', text='Peer'))
tag.add(APIC(encoding=3, mime='image/jpeg', type=3, desc='cover', data=b'\xff\xd8\xff\xe0' + bytes(4000)))
tag.save(sys.argv[1])
)",
                                {path});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const Bytes picture = [&] {
        const Bytes all = readFile(path);
        const Bytes id = bytesOf("APIC");
        const auto at = std::search(all.begin(), all.end(), id.begin(), id.end());
        return Bytes(at, at + 10 + 4000 + 20);
    }();
    const auto shown = run({"show", "--json", "peer.mp3"});
    EXPECT_EQ(queryJson(m_dir, shown.out,
                        "[d[0]['id3v2']['version'], d[0]['id3v2']['frames']['TIT2'], "
                        "d[0]['id3v2']['frames']['TPE1'], d[0]['id3v2']['frames']['TYER'], "
                        "d[0]['id3v2']['frames']['COMM']]"),
              "'2.4.0'\n'Gr\\xfc\\xdfe'\n'One / Two'\n'1999-05-04'\n'Peer'\n");
    const auto listed = run({"list", "--view", "v2", "--columns", "Filename,Genre,Year", "."});
    EXPECT_NE(listed.out.find("peer.mp3\tRock / Jazz\t1999-05-04"), std::string::npos) << listed.out;

    ASSERT_EQ(run({"set", "--v2", "title=Neu \u2713", "artist=A / B", "year=2002", "genre=Pop",
                   "comment=C", "album=Al", "peer.mp3"})
                  .exitCode,
              0);
    const auto peer = mutagenTag(path);
    EXPECT_EQ(peer.version, "2.4.0");
    EXPECT_EQ(peer.at("TIT2"), "Neu \u2713");
    EXPECT_EQ(peer.at("TPE1"), "A/B");
    EXPECT_EQ(peer.at("TDRC"), "2002");
    EXPECT_EQ(peer.at("TCON"), "Pop");
    EXPECT_EQ(peer.at("COMM::eng"), "C");
    EXPECT_EQ(peer.at("TALB"), "Al");
    const Bytes after = readFile(path);
    EXPECT_NE(std::search(after.begin(), after.end(), picture.begin(), picture.end()), after.end());
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// Leaves the journal of a write cut short beside the file, as a crash would.
void interruptedWrite(const std::string& path)
{
    tags::File file = tags::File::open(path, tags::OpenMode::Update);
    file.setWritePolicy({true, false, 0});
    tags::TagChanges changes;
    changes.id3v2 = tags::V2Change::Merge;
    changes.id3v2Entries.push_back(tags::FieldSlot::frame("COMM", std::string(3000, 'c')));
    EXPECT_FALSE(tags::writeTags(file, changes).ok());
}

// A cut-short write is finished by the next command that lists the folder or writes the file,
// and by recover over a folder tree; each says so on stderr.
TEST_F(CliWrite, InterruptedWritesAreFinishedByTheNextCommand)
{
    std::filesystem::create_directories(m_dir.file("sub"));
    const std::string a = make("a.mp3", tag({textFrame("TIT2", "A")}), {});
    const std::string b = make("sub/b.mp3", tag({textFrame("TIT2", "B")}), {});
    interruptedWrite(a);
    interruptedWrite(b);
    const auto listed = run({"list", "--view", "v2", "--columns", "Filename,Comment", "."});
    EXPECT_NE(listed.err.find("a.mp3: completed an interrupted write"), std::string::npos) << listed.err;
    EXPECT_NE(listed.out.find("a.mp3\t" + std::string(259, 'c')), std::string::npos);
    const auto recovered = run({"recover", "."});
    EXPECT_EQ(recovered.exitCode, 0);
    EXPECT_NE(recovered.err.find("sub/b.mp3: completed an interrupted write"), std::string::npos)
        << recovered.err;
    EXPECT_EQ(mutagenFrames(b)["COMM"], std::string(3000, 'c'));
    EXPECT_FALSE(std::filesystem::exists(tags::journalPathFor(b)));
}

// In a folder where no journal can be written the write is refused unless the user asks for the
// old way. Run as an unprivileged user, since permissions do not hold for root.
TEST_F(CliWrite, AFolderWithoutRoomForAJournalRefusesUnlessUnsafe)
{
    if (::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is missing";
    const std::string folder = m_dir.file("locked");
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/song.mp3";
    writeFile(path, mp3(tag({textFrame("TIT2", "Old")}, 100), mpegAudio(3000)));
    const Bytes before = readFile(path);
    namespace fs = std::filesystem;
    fs::permissions(m_dir.path(), fs::perms::owner_all | fs::perms::others_exec | fs::perms::others_read);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(path, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_write);
    const auto asNobody = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", CORVANE_TAG_BINARY});
        return runProgramIn(m_dir, "/usr/bin/setpriv", std::move(args));
    };
    const auto refused = asNobody({"set", "title=New", "locked/song.mp3"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("the journal beside the file cannot be created: Permission denied"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(readFile(path), before);
    const auto unsafe = asNobody({"set", "--unsafe-in-place", "title=New", "locked/song.mp3"});
    EXPECT_EQ(unsafe.exitCode, 0) << unsafe.err;
    EXPECT_EQ(mutagenFrames(path)["TIT2"], "New");
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// The last change is undone file by file, byte for byte; a file changed since is named and left;
// the undo is undone in turn.
TEST_F(CliWrite, UndoPutsTheLastChangeBack)
{
    const Bytes a = mp3(tag({textFrame("TIT2", "A"), textFrame("TPE1", "Artist")}, 3000),
                        mpegAudio(5000), trailer("A", "V1"));
    const Bytes b = mp3(tag({textFrame("TIT2", "B")}), mpegAudio(5000));
    writeFile(m_dir.file("a.mp3"), a);
    writeFile(m_dir.file("b.mp3"), b);
    ASSERT_EQ(run({"set", "title=" + std::string(5000, 'n'), "a.mp3", "b.mp3"}).exitCode, 0);
    const Bytes aSet = readFile(m_dir.file("a.mp3"));
    const Bytes bSet = readFile(m_dir.file("b.mp3"));
    const auto listed = run({"undo", "--list"});
    EXPECT_NE(listed.out.find("\t2\tset\n"), std::string::npos) << listed.out;

    auto undone = run({"undo"});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_EQ(readFile(m_dir.file("a.mp3")), a);
    EXPECT_EQ(readFile(m_dir.file("b.mp3")), b);

    EXPECT_NE(run({"undo", "--list"}).out.find("\t2\tUndo set\n"), std::string::npos);
    undone = run({"undo"});  // the undo of the undo
    EXPECT_EQ(readFile(m_dir.file("a.mp3")), aSet);
    EXPECT_EQ(readFile(m_dir.file("b.mp3")), bSet);

    ASSERT_EQ(run({"set", "--v2", "album=X", "a.mp3", "b.mp3"}).exitCode, 0);
    // Another program changes b meanwhile.
    Bytes bChanged = readFile(m_dir.file("b.mp3"));
    bChanged.back() ^= 0xFF;
    writeFile(m_dir.file("b.mp3"), bChanged);
    undone = run({"undo"});
    EXPECT_EQ(undone.exitCode, 1);
    EXPECT_NE(undone.err.find("b.mp3: the file changed since the change, so it was left as it is"),
              std::string::npos)
        << undone.err;
    EXPECT_EQ(readFile(m_dir.file("a.mp3")), aSet);
    EXPECT_EQ(readFile(m_dir.file("b.mp3")), bChanged);
}

}  // namespace
}  // namespace corvane::test
