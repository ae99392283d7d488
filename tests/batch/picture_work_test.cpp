#include "batch/picture_work.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "batch/editor_pictures.h"
#include "batch/run_driver.h"
#include "batch/update_all.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/image_builder.h"

namespace corvane::batch {
namespace {

using test::apicBody;
using test::Bytes;

class PictureWork : public ::testing::Test {
protected:
    std::string put(const std::string& name, const Bytes& bytes)
    {
        const auto path = m_dir.file(name);
        test::writeFile(path, bytes);
        return path;
    }
    Bytes song(const std::vector<Bytes>& frames, std::uint8_t major = 3) const
    {
        return test::mp3(test::tag(frames, 100, major), m_audio, test::trailer("V1 Title"));
    }
    static tags::PictureListing listing(const std::string& path)
    {
        auto file = tags::File::open(path, tags::OpenMode::Read);
        return tags::listPictures(file);
    }
    static Bytes imageAt(const std::string& path, std::size_t position)
    {
        auto file = tags::File::open(path, tags::OpenMode::Read);
        return tags::readPictureImage(file, tags::listPictures(file), position).value_or(Bytes{});
    }
    static std::shared_ptr<const tags::PictureData> shared(const Bytes& image, std::uint8_t type = 3)
    {
        return std::make_shared<const tags::PictureData>(*tags::pictureFromImage(image, type));
    }

    test::TempDir m_dir;
    Bytes m_audio = test::mpegAudio(4000);
    Bytes m_jpeg = test::jpegImage(64, 48, 3000);
    Bytes m_png = test::pngImage(16, 16);
    Bytes m_front = test::frame("APIC", apicBody(3, "image/jpeg", "", m_jpeg));
    Bytes m_back = test::frame("APIC", apicBody(4, "image/png", "back", m_png));
    Bytes m_title = test::textFrame("TIT2", "Song");
};

TEST_F(PictureWork, SetCoverReplacesTheFrontCoverKeepsTheRestAndRefusesA22Tag)
{
    const Bytes cover = test::pngImage(300, 300);
    const auto path = put("a.mp3", song({m_title, m_front, m_back}));
    auto file = test::openUpdate(path);
    ASSERT_TRUE(writePicture(file, setCoverOptions(shared(cover))).isWritten());
    file.close();
    const auto after = listing(path);
    ASSERT_EQ(after.pictures.size(), 2u);
    EXPECT_EQ(imageAt(path, 0), cover);
    EXPECT_EQ(imageAt(path, 1), m_png);
    EXPECT_EQ(test::readV1(path).title, "V1 Title");

    const Bytes old = song({test::frameV22("TT2", {0, 'x'})}, 2);
    const auto oldPath = put("old.mp3", old);
    auto oldFile = test::openUpdate(oldPath);
    EXPECT_EQ(writePicture(oldFile, setCoverOptions(shared(cover))).reason, "ID3v2.2 tag: convert it first");
    EXPECT_EQ(test::readFile(oldPath), old);
}

TEST_F(PictureWork, RemovePicturesSkipsAFileWithNothingToRemove)
{
    const Bytes bare = song({m_title, m_back});
    const auto path = put("a.mp3", bare);
    auto file = test::openUpdate(path);
    tags::PictureMatch large;
    large.largerThan = m_png.size();
    EXPECT_EQ(removePictures(file, large).status, FileStatus::Skipped);
    EXPECT_EQ(test::readFile(path), bare);
    EXPECT_TRUE(removePictures(file, {}).isWritten());
    file.close();
    EXPECT_TRUE(listing(path).pictures.empty());
    EXPECT_EQ(test::readV2(path).at("TIT2"), "Song");
}

TEST_F(PictureWork, ExtractionWritesTheCoverByteExactNamedByTheFormatAndNeverOverwrites)
{
    const auto song1 = put("01.mp3", song({test::textFrame("TPE1", "Band"), test::textFrame("TALB", "A/B"),
                                           m_back, m_front}));
    const auto song2 = put("02.mp3", song({m_back}));
    const auto bare = put("03.mp3", song({m_title}));
    ::chmod(song1.c_str(), 0444);  // only read: a read-only file is fine
    ExtractOptions options;
    options.folder = m_dir.folder();
    options.nameFormat = "%artist% - %album%";
    auto extraction = std::make_unique<PictureExtraction>(options);
    const std::vector<std::string> paths{song1, song2, bare};
    std::vector<ExtractResult> results;
    struct Quiet : RunObserver {} quiet;
    const auto work = [&](tags::FileIo& file, const RunFile& run) {
        results.push_back(extraction->extract(file, run.path));
        return results.back().outcome;
    };
    (void)runFiles(paths, work, quiet, tags::OpenMode::Read);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].target, m_dir.folder() + "Band - A_B.jpg");
    EXPECT_EQ(test::readFile(results[0].target), m_jpeg);  // the front cover, not the first picture
    EXPECT_EQ(results[1].target, m_dir.folder() + "02.png");  // no tags: the file's name
    EXPECT_EQ(test::readFile(results[1].target), m_png);
    EXPECT_EQ(results[2].outcome.status, FileStatus::Skipped);

    // Again: both images are in the way and stay as they are.
    test::writeFile(results[1].target, test::bytesOf("mine"));
    results.clear();
    extraction = std::make_unique<PictureExtraction>(options);
    (void)runFiles(paths, work, quiet, tags::OpenMode::Read);
    EXPECT_TRUE(results[1].targetExists);
    EXPECT_EQ(test::readFile(results[1].target), test::bytesOf("mine"));
}

TEST_F(PictureWork, OneCoverBesideTheFilesOfAnAlbum)
{
    const Bytes album = test::textFrame("TALB", "Live");
    const auto first = put("01.mp3", song({album, m_front}));
    const auto second = put("02.mp3", song({album, m_front}));
    EXPECT_EQ(sharedAlbum({first, second}), "Live");
    EXPECT_EQ(sharedAlbum({first, put("03.mp3", song({m_title}))}), std::nullopt);

    ExtractOptions options;
    options.besideAsCover = true;
    PictureExtraction extraction(options);
    auto one = test::openUpdate(first);
    auto two = test::openUpdate(second);
    EXPECT_TRUE(extraction.extract(one, first).outcome.isWritten());
    const auto result = extraction.extract(two, second);
    EXPECT_EQ(result.outcome.status, FileStatus::Skipped);
    EXPECT_FALSE(result.targetExists);
    EXPECT_EQ(test::readFile(m_dir.file("cover.jpg")), m_jpeg);
}

TEST_F(PictureWork, CoverNamesFollowTheFormatAndFallBackToTheFilesName)
{
    const auto path = put("song.mp3", song({test::textFrame("TRCK", "3/12"),
                                            test::textFrame("TIT2", "Hey: you?"), m_front}));
    const std::pair<std::string, std::string> cases[] = {
        {"%track:2% %title%", "03 Hey_ you_"},
        {"%album%%track%", "3_12"},
        {"100%% %filename% %title%", "100% song Hey_ you_"},
        {" .%album%. ", "song"},  // no value at all: the file's own name
        {"%nope%", "song"},       // not a format string
    };
    for (const auto& [format, name] : cases) {
        ExtractOptions options;
        options.folder = m_dir.folder();
        options.nameFormat = format;
        options.overwrite = true;
        auto file = tags::File::open(path, tags::OpenMode::Read);
        EXPECT_EQ(PictureExtraction(options).extract(file, path).target,
                  m_dir.folder() + name + ".jpg")
            << format;
    }
}

TEST_F(PictureWork, EditorChangesBecomeEditsThatAStaleFileRefuses)
{
    const auto path = put("a.mp3", song({m_front, m_title, m_back}));
    EditorPictures pictures;
    pictures.load(path, listing(path));
    EXPECT_EQ(pictures.coverIndex(), 0u);
    EXPECT_EQ(*pictures.image(1), m_png);
    pictures.remove(0);
    using Retyped = EditorPictures::Retyped;
    ASSERT_EQ(pictures.setTypeAndDescription(0, 8, "artist"), Retyped::Done);
    pictures.add(*tags::pictureFromImage(m_jpeg, 3, "artist"));  // described anew: "artist" is taken
    EXPECT_EQ(pictures.shown(1).description, "artist 2");
    EXPECT_EQ(pictures.setTypeAndDescription(1, 3, "artist"), Retyped::DescriptionTaken);
    ASSERT_TRUE(pictures.isModified());

    UpdateAllPlan plan;
    plan.pictures = pictures.edits();
    auto file = test::openUpdate(path);
    ASSERT_TRUE(updateAllFile(file, plan).isWritten());
    file.close();
    const auto after = listing(path);
    ASSERT_EQ(after.pictures.size(), 2u);
    EXPECT_EQ(after.pictures[0].fields.type, 8);
    EXPECT_EQ(after.pictures[0].fields.description, "artist");
    EXPECT_EQ(imageAt(path, 0), m_png);
    EXPECT_EQ(imageAt(path, 1), m_jpeg);

    // The same edits again: the file's pictures are no longer the ones they were made for.
    const Bytes now = test::readFile(path);
    auto again = test::openUpdate(path);
    EXPECT_EQ(updateAllFile(again, plan).reason, "the tag changed since it was read");
    EXPECT_EQ(test::readFile(path), now);
}

}  // namespace
}  // namespace corvane::batch
