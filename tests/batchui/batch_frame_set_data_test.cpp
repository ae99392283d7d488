// Set Data from the Action menu on real files: the field of the column, the cut the ID3v1 view
// shows, genres, clearing, and the order of the rows afterwards.
#include <QHeaderView>

#include "tests/batchui/batch_frame_fixture.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

TEST_F(BatchFrameTest, ComposerHasNoId3v1FormAndOnlyTheId3v2TagIsWritten)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "A")}, trailer("A", "V1 Artist"));
    const auto lastBytes = [&a] {
        const Bytes all = readFile(a);
        return Bytes(all.end() - 128, all.end());
    };
    const Bytes trailerBefore = lastBytes();
    openWindow(layoutOf({Column::Filename, Column::Title, Column::Composer}), TagView::Id3v2);
    select({"a.mp3"});
    bool v1Enabled = true;
    whenShown<SetValueDialog>([&v1Enabled](SetValueDialog& dialog) {
        v1Enabled = child<QCheckBox>(dialog, "id3v1Box").isEnabled();
        child<QLineEdit>(dialog, "valueEdit").setText(QStringLiteral("Bach"));
        clickButton(dialog, "okButton");
    });
    window().runCommand(setDataCommand(2));

    EXPECT_FALSE(v1Enabled);
    EXPECT_EQ(readV2(a)["TCOM"], "Bach");
    EXPECT_EQ(lastBytes(), trailerBefore);
    EXPECT_EQ(cell("a.mp3", 2), "Bach");
    EXPECT_EQ(window().windowTitle(), "Corvane - ID3v2");
}

TEST_F(BatchFrameTest, GenreShowsWhatTheTrailerHoldsAndTheTagKeepsUnknownText)
{
    const std::string a =
        song("a.mp3", {textFrame("TCON", "Jazz")}, trailer("A", "", "", "", "", 0, 8));
    openWindow(layoutOf({Column::Filename, Column::Genre}));
    ASSERT_EQ(cell("a.mp3", 1), "Jazz");
    select({"a.mp3"});
    answerSetValue("Rock", Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));
    EXPECT_EQ(readV1(a).genre, 17);
    EXPECT_EQ(cell("a.mp3", 1), "Rock");

    answerSetValue("Chillwave", Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));
    EXPECT_EQ(readV1(a).genre, 255);
    EXPECT_EQ(readV2(a)["TCON"], "Chillwave");
    // The trailer names no genre now, and the cell says so rather than echo the text typed.
    EXPECT_EQ(cell("a.mp3", 1), "");
}

TEST_F(BatchFrameTest, EmptyValueClearsTheFieldInBothTags)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "Old"), textFrame("TPE1", "Keep")},
                               trailer("Old", "Keep"));
    openWindow();
    select({"a.mp3"});
    answerSetValue("", Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));

    EXPECT_EQ(readV1(a).title, "");
    EXPECT_EQ(readV1(a).artist, "Keep");
    EXPECT_EQ(readV2(a).count("TIT2"), 0u);
    EXPECT_EQ(readV2(a)["TPE1"], "Keep");
    EXPECT_EQ(cell("a.mp3", 1), "");
}

TEST_F(BatchFrameTest, LongValuesShowTheTrailersCutOnlyInTheId3v1View)
{
    const std::string forty = "Forty characters of title, to be cut at!";
    ASSERT_EQ(forty.size(), 40u);
    const std::string a = song("a.mp3", {textFrame("TIT2", "A")}, trailer("A"));
    const std::string b = song("b.mp3", {textFrame("TIT2", "B")}, trailer("B"));
    openWindow(layoutOf({Column::Filename, Column::Title, Column::Year}));
    select({"a.mp3", "b.mp3"});
    answerSetValue(QString::fromStdString(forty), Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));
    EXPECT_EQ(cell("a.mp3", 1), QString::fromStdString(forty.substr(0, 30)));
    EXPECT_EQ(readV1(a).title, forty.substr(0, 30));
    EXPECT_EQ(readV2(a)["TIT2"], forty);

    answerSetValue("19995", Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(2));
    EXPECT_EQ(readV1(b).year, "1999");
    EXPECT_EQ(cell("b.mp3", 2), "1999");

    run(CommandId::ViewId3v2);
    ASSERT_TRUE(finishScan(list()));
    select({"a.mp3"});
    const std::string other = "Another title of forty characters, whole";
    answerSetValue(QString::fromStdString(other), Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));
    EXPECT_EQ(cell("a.mp3", 1), QString::fromStdString(other));
}

TEST_F(BatchFrameTest, CommentCutFollowsTheColumnsFieldNotItsPosition)
{
    const std::string a = song("a.mp3", {}, trailer("A"));
    // Comment as the fourth column, where the default layout has Album.
    openWindow(layoutOf({Column::Filename, Column::Title, Column::Artist, Column::Comment}));
    select({"a.mp3"});
    answerSetValue("A comment of thirty-five characters", Qt::Checked, Qt::Unchecked);
    window().runCommand(setDataCommand(3));
    // Without a track the trailer keeps 30 characters of a comment.
    EXPECT_EQ(cell("a.mp3", 3), "A comment of thirty-five chara");
    EXPECT_EQ(readV1(a).comment, "A comment of thirty-five chara");
    EXPECT_EQ(readV2(a).size(), 0u);
}

TEST_F(BatchFrameTest, RowsAreSortedAgainOnlyAfterSetDataOnTheSortColumn)
{
    song("a.mp3", {}, trailer("Title A", "B"));
    song("b.mp3", {}, trailer("Title B", "C"));
    song("c.mp3", {}, trailer("Title C", "D"));
    openWindow(layoutOf({Column::Filename, Column::Title, Column::Artist}));
    emit list().horizontalHeader()->sectionClicked(2);
    ASSERT_EQ(names(), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));

    select({"c.mp3"});
    answerSetValue("A", Qt::Checked, Qt::Unchecked);
    window().runCommand(setDataCommand(2));
    EXPECT_EQ(names(), (QStringList{"c.mp3", "a.mp3", "b.mp3"}));

    select({"c.mp3"});
    answerSetValue("Z", Qt::Checked, Qt::Unchecked);
    window().runCommand(setDataCommand(1));
    EXPECT_EQ(names(), (QStringList{"c.mp3", "a.mp3", "b.mp3"}));
    EXPECT_EQ(cell("c.mp3", 1), "Z");
}

}  // namespace
}  // namespace corvane
