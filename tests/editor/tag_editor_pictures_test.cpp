// The editor's picture area through the real window: the cover first, stepping, adding from a
// file or by a drop, Cancel and Update, a 2.2 tag's pictures, and where the area sits in the tab
// order.
#include "tests/editor/editor_fixture.h"

#include "tags/id3v2_pictures.h"
#include "tests/support/image_builder.h"
#include "tests/support/mutagen.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace corvane::test {
namespace {

using TagEditorPictures = EditorTest;

// A real image as Qt writes it.
Bytes qtImage(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return Bytes(bytes.begin(), bytes.end());
}

class PictureFiles : public TagEditorPictures {
protected:
    QString text(const char* name) { return widget<QLabel>(name)->text(); }
    QSize shownSize() { return widget<QLabel>("pictureImage")->pixmap().size(); }
    // The size an image of width x height is shown at: as large as the area, its aspect kept.
    QSize fitted(int width, int height)
    {
        return QSize(width, height).scaled(widget<QLabel>("pictureImage")->contentsRect().size(),
                                           Qt::KeepAspectRatio);
    }
    std::vector<MutagenPicture> pictures(const std::string& path) { return mutagenPictures(path); }

    Bytes m_back = qtImage(200, 100, "PNG");
    Bytes m_front = qtImage(90, 120, "JPG");
    Bytes m_file = mp3(tag({apicFrame(4, "image/png", "back", m_back), textFrame("TIT2", "Song"),
                            apicFrame(3, "image/jpeg", "", m_front)},
                           500),
                       mpegAudio(3000), trailer("Song"));

    static Bytes apicFrame(std::uint8_t type, std::string_view mime, std::string_view description,
                           const Bytes& image)
    {
        return frame("APIC", apicBody(type, mime, description, image));
    }
};

TEST_F(PictureFiles, ShowsTheCoverStepsAddsAndWritesOnlyOnUpdate)
{
    const auto path = put("song.mp3", m_file);
    open({"song.mp3"});
    // The front cover first, though it is the second picture, scaled with its aspect ratio.
    EXPECT_EQ(text("picturePosition"), QStringLiteral("2 of 2"));
    EXPECT_EQ(combo("comboPictureType")->currentText(), QStringLiteral("Front cover"));
    EXPECT_EQ(shownSize(), fitted(90, 120));
    EXPECT_TRUE(text("pictureDetails").startsWith(QStringLiteral("image/jpeg, 90 x 120, ")));
    click("buttonPicturePrev");
    EXPECT_EQ(text("picturePosition"), QStringLiteral("1 of 2"));
    EXPECT_EQ(edit("editPictureDescription")->text(), QStringLiteral("back"));
    EXPECT_EQ(shownSize(), fitted(200, 100));
    EXPECT_FALSE(button("buttonPicturePrev")->isEnabled());

    const Bytes added = pngImage(30, 30);  // built without Qt, shown by it all the same
    writeFile(m_dir.file("new.png"), added);
    m_prompter.queuePath(QString::fromStdString(m_dir.file("new.png")));
    click("buttonPictureAdd");
    EXPECT_EQ(text("picturePosition"), QStringLiteral("3 of 3"));
    EXPECT_EQ(combo("comboPictureType")->currentText(), QStringLiteral("Other"));
    EXPECT_EQ(shownSize(), fitted(30, 30));

    click("buttonCancel");
    EXPECT_EQ(readFile(path), m_file);

    open({"song.mp3"});
    m_prompter.queuePath(QString::fromStdString(m_dir.file("new.png")));
    click("buttonPictureAdd");
    EXPECT_EQ(edit("editPictureDescription")->text(), QStringLiteral("Other"))
        << "the description the front cover has is taken";
    type("editPictureDescription", QStringLiteral("extra"));
    click("buttonUpdate");
    const std::vector<MutagenPicture> expected{{4, "image/png", "back", m_back},
                                               {3, "image/jpeg", "", m_front},
                                               {0, "image/png", "extra", added}};
    EXPECT_EQ(pictures(path), expected);
    EXPECT_EQ(readBack(path)[tags::RecordSlot::Title].text(), "Song");
}

TEST_F(PictureFiles, ReplaceRemoveAndExtractWithRefusalsSaid)
{
    const auto path = put("song.mp3", m_file);
    writeFile(m_dir.file("fake.jpg"), bytesOf("GIF89a, whatever the name says"));
    open({"song.mp3"});
    m_prompter.queuePath(QString::fromStdString(m_dir.file("fake.jpg")));
    click("buttonPictureReplace");
    ASSERT_EQ(m_prompter.texts().size(), 2);
    EXPECT_TRUE(m_prompter.texts().back().contains(QStringLiteral("not a JPEG or PNG image")));

    // Extract the cover, then again over the file now there: asked, and refused.
    const QString out = QString::fromStdString(m_dir.file("out.jpg"));
    m_prompter.queuePath(out);
    click("buttonPictureExtract");
    EXPECT_EQ(readFile(m_dir.file("out.jpg")), m_front);
    m_prompter.queuePath(out);
    m_prompter.queueAnswer(PromptAnswer::No);
    writeFile(m_dir.file("out.jpg"), bytesOf("mine"));
    click("buttonPictureExtract");
    EXPECT_EQ(readFile(m_dir.file("out.jpg")), bytesOf("mine"));

    const Bytes jpeg = qtImage(10, 10, "JPG");
    writeFile(m_dir.file("other.jpg"), jpeg);
    m_prompter.queuePath(QString::fromStdString(m_dir.file("other.jpg")));
    click("buttonPictureReplace");  // the front cover, keeping its type and description
    click("buttonPicturePrev");
    click("buttonPictureRemove");   // the back cover
    EXPECT_EQ(text("picturePosition"), QStringLiteral("1 of 1"));
    click("buttonUpdate");
    EXPECT_EQ(pictures(path), (std::vector<MutagenPicture>{{3, "image/jpeg", "", jpeg}}));
}

TEST_F(PictureFiles, ADroppedImageIsAddedAndA22TagIsConvertedWhenSaved)
{
    const Bytes old = mp3(tag({frameV22("TT2", {0, 'O', 'l', 'd'}),
                               frameV22("PIC", concat({{0, 'J', 'P', 'G', 3, 0}, m_front}))},
                              0, 2),
                          mpegAudio(2000));
    const auto path = put("old.mp3", old);
    open({"old.mp3"});
    EXPECT_EQ(text("picturePosition"), QStringLiteral("1 of 1"));
    EXPECT_EQ(shownSize(), fitted(90, 120));

    writeFile(m_dir.file("drop.png"), m_back);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(m_dir.file("drop.png")))});
    QWidget* area = dialog().findChild<QWidget*>(QStringLiteral("pictureArea"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &drop);
    EXPECT_EQ(text("picturePosition"), QStringLiteral("2 of 2"));
    EXPECT_EQ(combo("comboPictureType")->currentText(), QStringLiteral("Back cover"));

    click("buttonUpdate");  // the scripted prompter says Yes to the conversion
    ASSERT_TRUE(m_prompter.texts().front().contains(QStringLiteral("ID3v2.3")));
    const auto tag = mutagenTag(path);
    EXPECT_EQ(tag.version, "2.3.0");
    EXPECT_EQ(pictures(path), (std::vector<MutagenPicture>{{3, "image/jpeg", "", m_front},
                                                           {4, "image/png", "Back cover", m_back}}));
}

TEST_F(PictureFiles, PictureControlsFollowEveryOtherControlInTheTabOrderInEitherLayout)
{
    put("song.mp3", m_file);
    open({"song.mp3"});
    QStringList chain;
    QWidget* w = check("checkId3v1");
    for (int i = 0; i < 300 && (i == 0 || w != check("checkId3v1")); ++i, w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(QStringLiteral("qt_")))
            chain << w->objectName();
    }
    const QStringList tail{QStringLiteral("buttonPrev"), QStringLiteral("buttonNext"),
                           QStringLiteral("buttonPicturePrev"), QStringLiteral("buttonPictureNext"),
                           QStringLiteral("comboPictureType"), QStringLiteral("editPictureDescription"),
                           QStringLiteral("buttonPictureAdd"), QStringLiteral("buttonPictureReplace"),
                           QStringLiteral("buttonPictureExtract"), QStringLiteral("buttonPictureRemove")};
    const int at = chain.indexOf(QStringLiteral("buttonPrev"));
    ASSERT_GE(at, 0) << chain.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(chain.mid(at, tail.size()), tail) << chain.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(chain.mid(0, 3), (QStringList{QStringLiteral("checkId3v1"), QStringLiteral("editV1Track"),
                                             QStringLiteral("editV1Title")}));
    EXPECT_LT(chain.indexOf(QStringLiteral("editV1Comment")), chain.indexOf(QStringLiteral("checkId3v2")));
    EXPECT_EQ(chain.indexOf(QStringLiteral("checkId3v2")), chain.indexOf(QStringLiteral("editV1Comment")) + 1);

    // The reduced layout shows the same area.
    m_expanded = false;
    open({"song.mp3"});
    EXPECT_TRUE(widget<QWidget>("pictureArea")->isVisible());
    EXPECT_EQ(text("picturePosition"), QStringLiteral("2 of 2"));
    EXPECT_EQ(shownSize(), fitted(90, 120));
}

}  // namespace
}  // namespace corvane::test
