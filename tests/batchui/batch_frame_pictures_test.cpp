// Set Cover, Remove Pictures and Extract Covers through the real window and run frame.
#include "tests/batchui/batch_frame_fixture.h"

#include <QDialogButtonBox>
#include <QRadioButton>
#include <QSpinBox>

#include "batchui/picture_dialogs.h"
#include "tests/support/image_builder.h"
#include "tests/support/mutagen.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

Bytes apic(std::uint8_t type, const Bytes& image)
{
    return frame("APIC", apicBody(type, "image/png", "", image));
}

class PictureRuns : public BatchFrameTest {
protected:
    Bytes m_cover = jpegImage(300, 200, 4000);
    Bytes m_small = pngImage(8, 8);
    Bytes m_large = pngImage(400, 400);
};

TEST_F(PictureRuns, SetCoverOverThreeFilesWithOneReadOnlyAndUndoIt)
{
    song("a.mp3", {textFrame("TIT2", "A"), apic(4, m_small)});
    song("b.mp3", {textFrame("TIT2", "B")});
    song("c.mp3", {});
    const Bytes aBefore = readFile(path("a.mp3"));
    const Bytes cBefore = readFile(path("c.mp3"));
    writeFile(m_music.file("cover.jpg"), m_cover);
    writeFile(m_music.file("fake.png"), bytesOf("not an image"));
    const ReadOnlyFile locked(path("b.mp3"));
    const Bytes lockedBefore = readFile(path("b.mp3"));
    openWindow(layoutOf({Column::Filename, Column::Title, Column::Cover}), TagView::Id3v2);
    select({"a.mp3", "b.mp3", "c.mp3"});

    m_prompter.queuePath(QString::fromStdString(path("fake.png")));
    run(CommandId::SetCover);
    ASSERT_EQ(m_prompter.texts().size(), 2);
    EXPECT_TRUE(m_prompter.texts()[1].endsWith(QStringLiteral("cannot be the cover: not a JPEG or PNG image.")));

    m_prompter.clear();
    m_prompter.queuePath(QString::fromStdString(path("cover.jpg")));
    run(CommandId::SetCover);
    ASSERT_EQ(m_prompter.texts().size(), 2);
    EXPECT_EQ(m_prompter.texts()[1], readOnlyText("b.mp3") + kGoOnQuestion);
    const MutagenPicture cover{3, "image/jpeg", "", m_cover};
    EXPECT_EQ(mutagenPictures(path("a.mp3")), (std::vector<MutagenPicture>{{4, "image/png", "", m_small},
                                                                            {3, "image/jpeg", "Front cover", m_cover}}));
    EXPECT_EQ(mutagenPictures(path("c.mp3")), std::vector<MutagenPicture>{cover});
    EXPECT_EQ(readFile(path("b.mp3")), lockedBefore);
    EXPECT_EQ(cell("a.mp3", 2), QStringLiteral("300x200"));
    EXPECT_EQ(cell("b.mp3", 2), QString());
    EXPECT_EQ(cell("c.mp3", 2), QStringLiteral("300x200"));

    run(CommandId::UndoLastChange);
    EXPECT_EQ(readFile(path("a.mp3")), aBefore);
    EXPECT_EQ(readFile(path("c.mp3")), cBefore);
    EXPECT_EQ(cell("c.mp3", 2), QString());
}

TEST_F(PictureRuns, RemovePicturesAboveTheSizeGiven)
{
    song("a.mp3", {apic(3, m_large), textFrame("TIT2", "A"), apic(4, m_small)});
    openWindow(layoutOf({Column::Filename, Column::Cover}), TagView::Id3v2);
    EXPECT_EQ(cell("a.mp3", 1), QStringLiteral("400x400"));
    select({"a.mp3"});
    ASSERT_GT(m_large.size(), 1024u);
    ASSERT_LT(m_small.size(), 1024u);
    whenShown<RemovePicturesDialog>([](RemovePicturesDialog& dialog) {
        child<QRadioButton>(dialog, "radioLargerPictures").setChecked(true);
        child<QSpinBox>(dialog, "spinKilobytes").setValue(1);
        child<QDialogButtonBox>(dialog, "buttons").button(QDialogButtonBox::Ok)->click();
    });
    run(CommandId::RemovePictures);
    EXPECT_EQ(mutagenPictures(path("a.mp3")), (std::vector<MutagenPicture>{{4, "image/png", "", m_small}}));
    EXPECT_EQ(cell("a.mp3", 1), QStringLiteral("8x8"));
}

TEST_F(PictureRuns, ExtractCoversOfOneAlbumBesideTheFilesAndReplaceOnlyWhenAsked)
{
    const Bytes album = textFrame("TALB", "Live");
    song("a.mp3", {album, apic(3, m_large)});
    song("b.mp3", {album, apic(3, m_large)});
    const ReadOnlyFile locked(path("b.mp3"));  // only read: no prompt for it
    openWindow();
    select({"a.mp3", "b.mp3"});
    const auto besideAndOk = [](ExtractCoversDialog& dialog) {
        EXPECT_TRUE(child<QRadioButton>(dialog, "radioBeside").isChecked());
        child<QDialogButtonBox>(dialog, "buttons").button(QDialogButtonBox::Ok)->click();
    };
    whenShown<ExtractCoversDialog>(besideAndOk);
    run(CommandId::ExtractCovers);
    EXPECT_TRUE(m_prompter.asked().empty()) << m_prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(readFile(m_music.file("cover.png")), m_large);

    writeFile(m_music.file("cover.png"), bytesOf("mine"));
    whenShown<ExtractCoversDialog>(besideAndOk);
    m_prompter.queueAnswer(PromptAnswer::No);
    run(CommandId::ExtractCovers);
    ASSERT_EQ(m_prompter.texts().size(), 1);
    EXPECT_TRUE(m_prompter.texts()[0].startsWith(QStringLiteral("These files exist already:\n")));
    EXPECT_EQ(readFile(m_music.file("cover.png")), bytesOf("mine"));

    whenShown<ExtractCoversDialog>(besideAndOk);
    run(CommandId::ExtractCovers);  // Yes this time
    EXPECT_EQ(readFile(m_music.file("cover.png")), m_large);
}

}  // namespace
}  // namespace corvane
