#include "tags/id3v2_pictures.h"

#include <gtest/gtest.h>

#include "tags/id3v2_layout.h"
#include "tags/tag_write.h"
#include "tests/support/id3_builder.h"
#include "tests/support/image_builder.h"
#include "tests/support/mutagen.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::apicBody;
using test::bytesOf;

std::shared_ptr<const PictureData> picture(std::uint8_t type, Bytes image, std::string description = {})
{
    auto data = pictureFromImage(std::move(image), type, std::move(description));
    EXPECT_TRUE(data.has_value());
    return std::make_shared<const PictureData>(std::move(*data));
}

PictureMatch ofType(std::uint8_t type)
{
    PictureMatch match;
    match.type = type;
    return match;
}

PictureMatch largerThan(std::uint64_t size)
{
    PictureMatch match;
    match.largerThan = size;
    return match;
}

PictureMatch atPosition(std::size_t position, std::optional<std::uint64_t> imageSize = {})
{
    PictureMatch match;
    match.position = position;
    match.imageSize = imageSize;
    return match;
}

PictureEdit edit(PictureAction action, PictureMatch match = {},
                 std::shared_ptr<const PictureData> data = {})
{
    return PictureEdit{action, std::move(match), std::move(data), false};
}

class Id3v2Pictures : public ::testing::Test {
protected:
    std::string put(const Bytes& bytes)
    {
        test::writeFile(m_path, bytes);
        return m_path;
    }
    WriteResult write(std::vector<PictureEdit> edits, SlotList entries = {})
    {
        File file = File::open(m_path, OpenMode::Update);
        TagChanges changes;
        changes.id3v2 = V2Change::Merge;
        changes.id3v2Entries = std::move(entries);
        changes.pictures = std::move(edits);
        return writeTags(file, changes);
    }
    PictureListing listing()
    {
        File file = File::open(m_path, OpenMode::Read);
        return listPictures(file);
    }
    Bytes imageAt(std::size_t position)
    {
        File file = File::open(m_path, OpenMode::Read);
        return readPictureImage(file, listPictures(file), position).value_or(Bytes{});
    }
    // The frames of the file's tag, each as stored.
    std::vector<Bytes> frames()
    {
        File file = File::open(m_path, OpenMode::Read);
        std::vector<Bytes> out;
        for (const auto& frame : readId3v2Layout(file, LayoutCheck::Frames).frames) out.push_back(frame.bytes);
        return out;
    }

    test::TempDir m_dir;
    std::string m_path = m_dir.file("song.mp3");
    Bytes m_audio = test::mpegAudio(3000);
    Bytes m_front = test::jpegImage(300, 200, 2000);
    Bytes m_back = test::pngImage(40, 30);
    Bytes m_frontFrame = test::frame("APIC", apicBody(3, "image/jpeg", "", m_front));
    Bytes m_backFrame = test::frame("APIC", apicBody(4, "image/png", "back", m_back));
    Bytes m_title = test::textFrame("TIT2", "Title");
};

TEST_F(Id3v2Pictures, PictureFramesRoundTripInEveryVersion)
{
    struct Case {
        std::uint8_t major;
        std::string description;
    };
    const Case cases[] = {{3, "plain"}, {3, "Žluťoučký"}, {4, "Žluťoučký"}, {4, ""}};
    for (const auto& c : cases) {
        const PictureData data{4, "image/png", c.description, m_back};
        const auto frame = encodePictureFrame(data, c.major);
        const auto body = std::span(frame).subspan(10);
        const auto fields = parsePictureHead(body, body.size(), c.major);
        ASSERT_TRUE(fields) << c.description;
        EXPECT_EQ(fields->type, 4);
        EXPECT_EQ(fields->mime, "image/png");
        EXPECT_EQ(fields->description, c.description);
        EXPECT_TRUE(std::equal(m_back.begin(), m_back.end(), body.begin() + fields->imageOffset,
                               body.end()));
    }
    // 2.2: a three-letter format in place of the MIME type.
    const Bytes pic{0, 'J', 'P', 'G', 3, 'd', 0, 0xFF, 0xD8};
    const auto fields = parsePictureHead(pic, pic.size(), 2);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->mime, "image/jpeg");
    EXPECT_EQ(fields->description, "d");
    EXPECT_EQ(fields->imageOffset, 7u);
    // A description that runs past what was read asks for more; one past the body has no image.
    const auto cut = parsePictureHead(std::span(pic).first(6), 100, 2);
    EXPECT_FALSE(cut);
    EXPECT_EQ(parsePictureHead(std::span(pic).first(6), 6, 2)->imageOffset, 6u);
    EXPECT_FALSE(pictureFromImage(bytesOf("GIF89a...."), 3));
    // A zero character ends a text in the frame: the description is cut there, the image whole.
    const auto zero = encodePictureFrame({3, "image/png", std::string("a\0b", 3), m_back}, 3);
    const auto head = parsePictureHead(std::span(zero).subspan(10), zero.size() - 10, 3);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->description, "a");
    EXPECT_EQ(zero.size() - 10 - head->imageOffset, m_back.size());
}

TEST_F(Id3v2Pictures, ListingReadsNoImageDataAndReadsAPictureOnDemand)
{
    const Bytes big = test::jpegImage(1200, 900, 2'000'000);
    put(test::mp3(test::tag({m_title, test::frame("APIC", apicBody(0, "image/jpeg", "big", big)),
                             m_backFrame}, 100),
                  m_audio));
    File real = File::open(m_path, OpenMode::Read);
    FaultyFile counted(real);
    const auto list = listPictures(counted);
    ASSERT_EQ(list.status, TagRead::Present);
    ASSERT_EQ(list.pictures.size(), 2u);
    EXPECT_LT(counted.bytesAsked, 64'000u) << "the listing read image data";
    EXPECT_EQ(list.pictures[0].pixels, (PixelSize{1200, 900}));
    EXPECT_EQ(list.pictures[0].imageSize, big.size());
    EXPECT_EQ(list.pictures[1].fields.description, "back");
    EXPECT_EQ(list.pictures[1].format, ImageFormat::Png);
    EXPECT_EQ(coverIndex(list.pictures), 0u);  // no front cover: the first picture

    EXPECT_EQ(readPictureImage(counted, list, 0), big);
    EXPECT_EQ(readPictureImage(counted, list, 1), m_back);
}

TEST_F(Id3v2Pictures, SetReplacesTheFrontCoverInPlaceAndKeepsEveryOtherFrame)
{
    const Bytes before = test::mp3(test::tag({m_title, m_frontFrame, m_backFrame}, 200), m_audio);
    put(before);
    // A smaller front cover fits where the old one was.
    const Bytes smaller = test::jpegImage(30, 20);
    ASSERT_TRUE(write({edit(PictureAction::Set, ofType(3), picture(3, smaller))}).ok());
    const auto after = frames();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], m_title);
    EXPECT_EQ(after[2], m_backFrame);
    EXPECT_EQ(imageAt(0), smaller);
    EXPECT_EQ(test::readFile(m_path).size(), before.size()) << "a fitting picture moved the audio";

    // Setting a front cover where there is none adds one; the others stay as they are.
    put(test::mp3(test::tag({m_backFrame}), m_audio));
    ASSERT_TRUE(write({edit(PictureAction::Set, ofType(3), picture(3, m_front))}).ok());
    EXPECT_EQ(frames().front(), m_backFrame);
    EXPECT_EQ(imageAt(1), m_front);
    EXPECT_TRUE(std::equal(m_audio.rbegin(), m_audio.rend(), test::readFile(m_path).rbegin()));
}

TEST_F(Id3v2Pictures, RemoveByTypeBySizeOrPosition)
{
    struct Case {
        const char* name;
        PictureMatch match;
        std::vector<Bytes> left;
    };
    const Case cases[] = {
        {"by type", ofType(4), {m_title, m_frontFrame}},
        {"above a size", largerThan(m_back.size()), {m_title, m_backFrame}},
        {"by position", atPosition(1), {m_title, m_frontFrame}},
        {"all", {}, {m_title}},
        {"none matches", ofType(9), {m_title, m_frontFrame, m_backFrame}},
    };
    ASSERT_GT(m_front.size(), m_back.size());
    for (const auto& c : cases) {
        put(test::mp3(test::tag({m_title, m_frontFrame, m_backFrame}, 50), m_audio));
        ASSERT_TRUE(write({edit(PictureAction::Remove, c.match)}).ok()) << c.name;
        EXPECT_EQ(frames(), c.left) << c.name;
    }
}

TEST_F(Id3v2Pictures, APictureWrittenUnderADescriptionAnotherKeepsIsDescribedAnew)
{
    // The back cover has no description, and neither has the front cover set beside it.
    const Bytes back = test::frame("APIC", apicBody(4, "image/png", "", m_back));
    put(test::mp3(test::tag({back}), m_audio));
    ASSERT_TRUE(write({edit(PictureAction::Set, ofType(3), picture(3, m_front)),
                       edit(PictureAction::Add, {}, picture(3, m_front))})
                    .ok());
    const auto list = listing();
    ASSERT_EQ(list.pictures.size(), 3u);
    EXPECT_EQ(list.pictures[0].fields.description, "");
    EXPECT_EQ(list.pictures[1].fields.description, "Front cover");
    EXPECT_EQ(list.pictures[2].fields.description, "Front cover 2");
    // A replaced picture gives its description up to the one in its place.
    put(test::mp3(test::tag({back}), m_audio));
    ASSERT_TRUE(write({edit(PictureAction::Set, ofType(4), picture(4, m_back))}).ok());
    EXPECT_EQ(listing().pictures[0].fields.description, "");
}

TEST_F(Id3v2Pictures, ARequiredEditThatMatchesNothingLeavesTheFileAlone)
{
    const Bytes before = test::mp3(test::tag({m_frontFrame}), m_audio);
    put(before);
    // The editor names the picture by place and size; the file no longer has it.
    PictureEdit stale = edit(PictureAction::Remove, atPosition(0, 12345));
    stale.required = true;
    const auto result = write({stale}, {FieldSlot::frame("TIT2", "New")});
    EXPECT_EQ(result.status, WriteStatus::Changed);
    EXPECT_EQ(test::readFile(m_path), before);
}

TEST_F(Id3v2Pictures, FieldsAndPicturesGoInOneWriteThatCreatesATag)
{
    put(test::mp3({}, m_audio));
    ASSERT_TRUE(write({edit(PictureAction::Add, {}, picture(3, m_front, "cover")),
                       edit(PictureAction::Add, {}, picture(4, m_back))},
                      {FieldSlot::frame("TIT2", "Song")})
                    .ok());
    const auto list = listing();
    ASSERT_EQ(list.pictures.size(), 2u);
    EXPECT_EQ(list.major, 3);
    EXPECT_EQ(list.pictures[0].fields.description, "cover");
    EXPECT_EQ(imageAt(1), m_back);
    EXPECT_EQ(test::mutagenFrames(m_path).at("TIT2"), "Song");
}

// Mutagen reads what Corvane writes and Corvane what mutagen writes, in both versions.
TEST_F(Id3v2Pictures, PeerReadsOurPicturesAndWeReadTheirs)
{
    for (const int version : {3, 4}) {
        put(test::mp3(test::tag({m_title}, 100, static_cast<std::uint8_t>(version)), m_audio));
        ASSERT_TRUE(write({edit(PictureAction::Add, {}, picture(3, m_front, "Přední")),
                           edit(PictureAction::Add, {}, picture(18, m_back, "plain"))})
                        .ok());
        const std::vector<test::MutagenPicture> expected{{3, "image/jpeg", "Přední", m_front},
                                                         {18, "image/png", "plain", m_back}};
        EXPECT_EQ(test::mutagenPictures(m_path), expected) << version;

        put(test::mp3({}, m_audio));
        test::mutagenAddPictures(m_path, expected, version);
        const auto list = listing();
        ASSERT_EQ(list.pictures.size(), 2u) << version;
        EXPECT_EQ(list.major, version);
        // Mutagen orders the frames its own way when it saves.
        std::vector<test::MutagenPicture> read;
        for (std::size_t i = 0; i < list.pictures.size(); ++i) {
            const auto& fields = list.pictures[i].fields;
            read.push_back({fields.type, fields.mime, fields.description, imageAt(i)});
        }
        std::sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a.type < b.type; });
        EXPECT_EQ(read, expected) << version;
    }
}

}  // namespace
}  // namespace corvane::tags
