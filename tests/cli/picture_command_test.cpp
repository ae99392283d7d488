#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/id3_builder.h"
#include "tests/support/image_builder.h"
#include "tests/support/mutagen.h"

namespace corvane::test {
namespace {

class CliPicture : public ::testing::Test {
protected:
    std::string make(const std::string& name, const Bytes& tagBytes)
    {
        const auto path = m_dir.file(name);
        writeFile(path, mp3(tagBytes, mpegAudio(6000), trailer("V1")));
        return path;
    }
    CliRun run(std::vector<std::string> args) { return runCli(m_dir, std::move(args)); }

    TempDir m_dir;
    Bytes m_jpeg = jpegImage(120, 80, 5000);
    Bytes m_png = pngImage(20, 10);
};

TEST_F(CliPicture, AddListExtractAndRemoveOverSeveralFiles)
{
    writeFile(m_dir.file("cover.jpg"), m_jpeg);
    writeFile(m_dir.file("back.png"), m_png);
    make("a.mp3", tag({textFrame("TIT2", "A")}, 200, 4));
    make("b.mp3", {});
    ASSERT_EQ(run({"picture", "add", "--desc", "Obal", "cover.jpg", "a.mp3", "b.mp3"}).exitCode, 0);
    ASSERT_EQ(run({"picture", "add", "--type", "back", "back.png", "a.mp3"}).exitCode, 0);
    // Again: it takes the place of the picture of the same type and description.
    ASSERT_EQ(run({"picture", "add", "--desc", "Obal", "cover.jpg", "a.mp3"}).exitCode, 0);
    const std::vector<MutagenPicture> both{{3, "image/jpeg", "Obal", m_jpeg}, {4, "image/png", "", m_png}};
    EXPECT_EQ(mutagenPictures(m_dir.file("a.mp3")), both);
    EXPECT_EQ(mutagenFrames(m_dir.file("a.mp3")).at("TIT2"), "A");

    const auto list = run({"picture", "list", "--json", "a.mp3", "b.mp3"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(queryJson(m_dir, list.out,
                        "[(p['type_name'], p['mime'], p['size'], p['width'], p['height']) "
                        "for f in d for p in f['pictures']]"),
              "('Front cover', 'image/jpeg', " + std::to_string(m_jpeg.size()) +
                  ", 120, 80)\n('Back cover', 'image/png', " + std::to_string(m_png.size()) +
                  ", 20, 10)\n('Front cover', 'image/jpeg', " + std::to_string(m_jpeg.size()) + ", 120, 80)\n");
    const auto show = run({"show", "--json", "a.mp3"});
    EXPECT_EQ(queryJson(m_dir, show.out, "[len(d[0]['id3v2']['pictures'])]"), "2\n");

    ASSERT_EQ(run({"picture", "extract", "--out", "covers/", "--name", "%title%", "a.mp3", "b.mp3"}).exitCode, 1)
        << "no such folder";
    std::filesystem::create_directory(m_dir.file("covers"));
    ASSERT_EQ(run({"picture", "extract", "--out", "covers", "--name", "%title%", "a.mp3", "b.mp3"}).exitCode, 0);
    EXPECT_EQ(readFile(m_dir.file("covers/A.jpg")), m_jpeg);
    EXPECT_EQ(readFile(m_dir.file("covers/V1.jpg")), m_jpeg);  // the ID3v1 title where the ID3v2 tag has none
    ASSERT_EQ(run({"picture", "extract", "--type", "back", "--out", "back-copy.png", "a.mp3"}).exitCode, 0);
    EXPECT_EQ(readFile(m_dir.file("back-copy.png")), m_png);
    const auto again = run({"picture", "extract", "--type", "back", "--out", "back-copy.png", "a.mp3"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("exists"), std::string::npos) << again.err;

    ASSERT_EQ(run({"picture", "remove", "--larger-than", std::to_string(m_png.size()), "a.mp3"}).exitCode, 0);
    EXPECT_EQ(mutagenPictures(m_dir.file("a.mp3")), (std::vector<MutagenPicture>{both[1]}));
    ASSERT_EQ(run({"picture", "remove", "--type", "back", "a.mp3"}).exitCode, 0);
    EXPECT_TRUE(mutagenPictures(m_dir.file("a.mp3")).empty());

    // A removal is a change undo takes back; an extraction, which changes no tag, is none.
    ASSERT_EQ(run({"picture", "extract", "--out", "covers", "--name", "b", "b.mp3"}).exitCode, 0);
    ASSERT_EQ(run({"undo"}).exitCode, 0);
    EXPECT_EQ(mutagenPictures(m_dir.file("a.mp3")), (std::vector<MutagenPicture>{both[1]}));
}

TEST_F(CliPicture, RefusesWhatIsNoImageAndA22Tag)
{
    writeFile(m_dir.file("cover.jpg"), bytesOf("GIF89a not what the name says"));
    writeFile(m_dir.file("real.png"), m_png);
    const Bytes old = mp3(tag({frameV22("TT2", {0, 'x'})}, 0, 2), mpegAudio(6000));
    writeFile(m_dir.file("old.mp3"), old);
    const auto notImage = run({"picture", "add", "cover.jpg", "old.mp3"});
    EXPECT_EQ(notImage.exitCode, 2);
    EXPECT_NE(notImage.err.find("not a JPEG or PNG image"), std::string::npos) << notImage.err;
    EXPECT_EQ(run({"picture", "remove", "--type", "cover", "old.mp3"}).exitCode, 2);
    const auto oldTag = run({"picture", "add", "real.png", "old.mp3"});
    EXPECT_EQ(oldTag.exitCode, 1);
    EXPECT_NE(oldTag.err.find("ID3v2.2 tag: convert it first"), std::string::npos) << oldTag.err;
    EXPECT_EQ(readFile(m_dir.file("old.mp3")), old);
}

}  // namespace
}  // namespace corvane::test
