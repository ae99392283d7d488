// Auto Track Numbering and Synchronise Tags from the Action menu, on real files.
#include <QRadioButton>
#include <cstdio>

#include "batchui/sync_tags_dialog.h"
#include "tests/batchui/batch_frame_fixture.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

// Fills in "Auto Track Numbering": the starting number, the zero mode button and the zero count.
void answerAutoTrack(const QString& start, const char* modeButton, const QString& zeros = {})
{
    whenShown<AutoTrackDialog>([=](AutoTrackDialog& dialog) {
        dialog.findChild<TrackNumberEdit*>()->setText(start);
        QTest::mouseClick(&child<QRadioButton>(dialog, modeButton), Qt::LeftButton);
        if (!zeros.isNull()) child<QLineEdit>(dialog, "zeroCountEdit").setText(zeros);
        clickButton(dialog, "okButton");
    });
}

std::string nameOf(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "%03d.mp3", i);
    return name;
}

TEST_F(BatchFrameTest, TracksFollowTheListOrderInBothTags)
{
    for (const char* name : {"e.mp3", "d.mp3", "c.mp3", "b.mp3", "a.mp3"})
        song(name, {textFrame("TIT2", name)}, trailer(name));
    openWindow(layoutOf({Column::Filename, Column::Track}), TagView::Id3v2);
    select({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
    answerAutoTrack("1", "noneButton");
    run(CommandId::AutoTrackNumbering);

    EXPECT_EQ(columnTexts(list(), 1), (QStringList{"1", "2", "3", "4", "5"}));
    int expected = 1;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}) {
        EXPECT_EQ(readV2(path(name))["TRCK"], std::to_string(expected)) << name;
        EXPECT_EQ(readV1(path(name)).track, std::to_string(expected)) << name;
        ++expected;
    }
}

TEST_F(BatchFrameTest, AutomaticPaddingCountsEveryRowOfTheList)
{
    for (int i = 0; i < 120; ++i) song(nameOf(i), {textFrame("TIT2", "Song")});
    openWindow(layoutOf({Column::Filename, Column::Track}), TagView::Id3v2);
    select({"010.mp3", "011.mp3", "012.mp3", "013.mp3", "014.mp3"});
    answerAutoTrack("1", "automaticButton");
    run(CommandId::AutoTrackNumbering);

    for (int i = 0; i < 5; ++i) {
        const std::string name = nameOf(10 + i);
        EXPECT_EQ(readV2(path(name))["TRCK"], "00" + std::to_string(i + 1));
        EXPECT_EQ(cell(name.c_str(), 1), QStringLiteral("00%1").arg(i + 1));
    }
    EXPECT_EQ(readV2(path(nameOf(15))).count("TRCK"), 0u);
}

TEST_F(BatchFrameTest, CustomZerosWidenFromTheStartAndBadStartsBeginAtOne)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) song(name, {textFrame("TIT2", name)});
    openWindow(layoutOf({Column::Filename, Column::Track}), TagView::Id3v2);
    select({"a.mp3", "b.mp3", "c.mp3"});
    answerAutoTrack("9", "customButton", "2");
    run(CommandId::AutoTrackNumbering);
    EXPECT_EQ(columnTexts(list(), 1), (QStringList{"009", "010", "011"}));

    answerAutoTrack("10", "customButton", "2");
    run(CommandId::AutoTrackNumbering);
    EXPECT_EQ(readV2(path("b.mp3"))["TRCK"], "0011");

    answerAutoTrack("-3", "customButton", "0");
    run(CommandId::AutoTrackNumbering);
    EXPECT_EQ(columnTexts(list(), 1), (QStringList{"1", "2", "3"}));
}

TEST_F(BatchFrameTest, SkippedFileUsesUpItsNumber)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) song(name, {textFrame("TIT2", name)});
    const ReadOnlyFile locked(path("b.mp3"));
    openWindow(layoutOf({Column::Filename, Column::Track}), TagView::Id3v2);
    select({"a.mp3", "b.mp3", "c.mp3"});
    answerAutoTrack("5", "noneButton");
    run(CommandId::AutoTrackNumbering);

    EXPECT_EQ(m_prompter.texts(), QStringList{readOnlyText("b.mp3") + kGoOnQuestion});
    EXPECT_EQ(readV2(path("a.mp3"))["TRCK"], "5");
    EXPECT_EQ(readV2(path("b.mp3")).count("TRCK"), 0u);
    EXPECT_EQ(readV2(path("c.mp3"))["TRCK"], "7");
}

TEST_F(BatchFrameTest, TrackAbove255KeepsItsTextInId3v2AndShowsTheTrailersByte)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "A")}, trailer("A"));
    openWindow(layoutOf({Column::Filename, Column::Track}));
    select({"a.mp3"});
    answerAutoTrack("300", "noneButton");
    run(CommandId::AutoTrackNumbering);
    EXPECT_EQ(readV2(a)["TRCK"], "300");
    EXPECT_EQ(readV1(a).track, "255");
    EXPECT_EQ(cell("a.mp3", 1), "255");
}

TEST_F(BatchFrameTest, WithoutATrackColumnFilesAreNumberedAndNoCellChanges)
{
    for (const char* name : {"a.mp3", "b.mp3"})
        song(name, {textFrame("TIT2", name)}, trailer(name));
    openWindow();
    const QStringList titles = columnTexts(list(), 1);
    select({"a.mp3", "b.mp3"});
    answerAutoTrack("1", "noneButton");
    run(CommandId::AutoTrackNumbering);
    EXPECT_EQ(readV1(path("b.mp3")).track, "2");
    EXPECT_EQ(columnTexts(list(), 1), titles);
}

// Fills in "Synchronise Tags" by the names of the buttons and box to click.
void answerSync(std::vector<const char*> clicks)
{
    whenShown<SyncTagsDialog>([clicks = std::move(clicks)](SyncTagsDialog& dialog) {
        for (const char* name : clicks) {
            auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(name));
            ASSERT_NE(button, nullptr) << name;
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        }
        clickButton(dialog, "okButton");
    });
}

TEST_F(BatchFrameTest, SynchroniseGivesAnId3v2OnlyFileATrailerOnlyWithTheIntelligentRule)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "Only V2")});
    const Bytes before = readFile(a);
    openWindow();
    select({"a.mp3"});
    answerSync({"intelligentBox"});  // cleared: copy from ID3v1 to ID3v2 only
    run(CommandId::SynchroniseTags);
    EXPECT_EQ(readFile(a), before);

    answerSync({});
    run(CommandId::SynchroniseTags);
    EXPECT_EQ(readV1(a).title, "Only V2");
    // The rows are read again: the new trailer shows in the ID3v1 view and in the image.
    EXPECT_EQ(cell("a.mp3", 1), "Only V2");
    EXPECT_EQ(presence("a.mp3"), 3);
    EXPECT_EQ(window().progressText(), "Reading File: a.mp3");
}

TEST_F(BatchFrameTest, SynchroniseToId3v1OverwritesEveryField)
{
    const std::string title = "A title of forty characters, cut at 30!";
    const std::string a =
        song("a.mp3",
             {textFrame("TIT2", title + "!"), textFrame("TRCK", "3/12"), textFrame("TCON", "(17)")},
             trailer("Old", "Old", "Old album", "1990", "", 9, 0));
    openWindow();
    select({"a.mp3"});
    answerSync({"v2ToV1Button", "overwriteButton"});
    run(CommandId::SynchroniseTags);

    const V1Fields v1 = readV1(a);
    EXPECT_EQ(v1.title, title.substr(0, 30));
    EXPECT_EQ(v1.album, "");
    EXPECT_EQ(v1.track, "3");
    EXPECT_EQ(v1.genre, 17);
}

TEST_F(BatchFrameTest, SynchroniseToId3v2KeepingLeavesExistingFramesByteForByte)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "Keep me")},
                               trailer("Other", "V1 Artist", "", "", "", 0, 17));
    openWindow();
    select({"a.mp3"});
    answerSync({"keepButton"});
    run(CommandId::SynchroniseTags);
    auto frames = readV2(a);
    EXPECT_EQ(frames["TIT2"], "Keep me");
    EXPECT_EQ(frames["TPE1"], "V1 Artist");
    EXPECT_EQ(frames["TCON"], "(17)Rock");
    const Bytes once = readFile(a);

    answerSync({"keepButton"});
    run(CommandId::SynchroniseTags);
    EXPECT_EQ(readFile(a), once);
}

}  // namespace
}  // namespace corvane
