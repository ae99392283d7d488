// Tag from File Name, Rename from Tags and Case and Replace through the real window: each
// dialog's preview of three files (one that does not match), Cancel writing nothing and OK
// writing what the preview showed, the rows following; the undo of a rename.
#include <QLabel>
#include <QListWidget>
#include <QTableView>

#include "batchui/case_replace_dialog.h"
#include "batchui/from_name_dialog.h"
#include "batchui/rename_dialog.h"
#include "gui/display_text.h"
#include "tests/batchui/batch_frame_fixture.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

// The preview table, one "file|field|old|new|note" line per table line.
QStringList previewLines(QWidget& dialog)
{
    const QAbstractItemModel& model = *child<QTableView>(dialog, "previewTable").model();
    QStringList lines;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c) cells << model.index(r, c).data().toString();
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

// Types a format string as a user would.
void typeFormat(QWidget& dialog, const QString& format)
{
    QLineEdit& edit = *child<QComboBox>(dialog, "formatBox").lineEdit();
    edit.clear();
    QTest::keyClicks(&edit, format);
}

// Waits until the dialog's preview is `expected` (the preview follows the options a moment
// later), keeps what it showed in `shown`, then presses the button.
void closeOnPreview(QWidget& dialog, const QStringList& expected, QStringList& shown,
                    const char* button)
{
    (void)QTest::qWaitFor([&] { return previewLines(dialog) == expected; }, 5000);
    shown = previewLines(dialog);
    clickButton(dialog, button);
}

TEST_F(BatchFrameTest, TagFromFileNameFillsMatchingFilesOnlyAndCancelWritesNothing)
{
    const std::string a = song("Abba - Waterloo.mp3", {textFrame("TIT2", "x")});
    const std::string b = song("Blur - Song 2.mp3", {textFrame("TIT2", "y")});
    const std::string c = song("untitled.mp3", {textFrame("TIT2", "z")});
    const Bytes before = readFile(a);
    openWindow(layoutOf({Column::Filename, Column::Title, Column::Artist}), TagView::Id3v2);
    select({"Abba - Waterloo.mp3", "Blur - Song 2.mp3", "untitled.mp3"});
    const QStringList expected{
        "Abba - Waterloo.mp3|ID3v2 Artist||Abba|", "|ID3v2 Title|x|Waterloo|",
        "Blur - Song 2.mp3|ID3v2 Artist||Blur|", "|ID3v2 Title|y|Song 2|",
        "untitled.mp3||||the name does not match the format"};
    for (const char* button : {"cancelButton", "okButton"}) {
        QStringList shown;
        whenShown<FromNameDialog>([&](FromNameDialog& dialog) {
            typeFormat(dialog, QStringLiteral("%artist% - %title%"));
            child<QCheckBox>(dialog, "id3v1Box").setCheckState(Qt::Unchecked);
            child<QCheckBox>(dialog, "id3v2Box").setCheckState(Qt::Checked);
            closeOnPreview(dialog, expected, shown, button);
        });
        run(CommandId::TagFromFileName);
        EXPECT_EQ(shown.join(QLatin1Char('\n')), expected.join(QLatin1Char('\n'))) << button;
        if (QByteArray(button) == "cancelButton") {
            EXPECT_EQ(readFile(a), before);
        }
    }
    EXPECT_EQ(readV2(a)["TPE1"], "Abba");
    EXPECT_EQ(readV2(b)["TIT2"], "Song 2");
    EXPECT_EQ(readV2(c), (std::map<std::string, std::string>{{"TIT2", "z"}}));
    EXPECT_EQ(cell("Blur - Song 2.mp3", 2), "Blur");
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(window().settings().nameFormats.reading,
              std::vector<std::string>{"%artist% - %title%"});
}

TEST_F(BatchFrameTest, RenameFromTagsRenamesTheRowsAndLeavesAFileWithoutTheFieldAlone)
{
    song("a.mp3", {textFrame("TRCK", "1"), textFrame("TIT2", "Intro")});
    song("b.mp3", {textFrame("TRCK", "2"), textFrame("TIT2", "What? Now")});
    song("c.mp3", {textFrame("TRCK", "3")});
    openWindow(defaultColumnLayout(), TagView::Id3v2);
    select({"a.mp3", "b.mp3", "c.mp3"});
    const QStringList expected{"a.mp3|Name|a.mp3|01 - Intro.mp3|",
                               "b.mp3|Name|b.mp3|02 - What_ Now.mp3|",
                               "c.mp3||||the ID3v2 tag has no Title"};
    QString summary;
    for (const char* button : {"cancelButton", "okButton"}) {
        QStringList shown;
        whenShown<RenameDialog>([&](RenameDialog& dialog) {
            typeFormat(dialog, QStringLiteral("%track:2% - %title%"));
            closeOnPreview(dialog, expected, shown, button);
            summary = child<QLabel>(dialog, "previewSummary").text();
        });
        run(CommandId::RenameFromTags);
        EXPECT_EQ(shown.join(QLatin1Char('\n')), expected.join(QLatin1Char('\n'))) << button;
        if (QByteArray(button) == "cancelButton") {
            EXPECT_EQ(names(), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
        }
    }
    EXPECT_EQ(summary, "2 of 3 files change, 0 stay as they are, 1 is left alone for a problem.");
    EXPECT_EQ(names(), (QStringList{"01 - Intro.mp3", "02 - What_ Now.mp3", "c.mp3"}));
    EXPECT_TRUE(std::filesystem::exists(path("02 - What_ Now.mp3")));
    EXPECT_FALSE(std::filesystem::exists(path("a.mp3")));
    EXPECT_EQ(cell("01 - Intro.mp3", 1), "Intro");
}

TEST_F(BatchFrameTest, CaseAndReplaceShowsUnchangedFilesAndWritesTheOthers)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "a day in the life")});
    const std::string b = song("b.mp3", {textFrame("TIT2", "HELP")});
    const std::string c = song("c.mp3", {textFrame("TIT2", "Done")});
    const Bytes before = readFile(a);
    openWindow(defaultColumnLayout(), TagView::Id3v2);
    select({"a.mp3", "b.mp3", "c.mp3"});
    const QStringList expected{"a.mp3|ID3v2 Title|a day in the life|A Day in the Life|",
                               "b.mp3|ID3v2 Title|HELP|Help|", "c.mp3||||no change"};
    for (const char* button : {"cancelButton", "okButton"}) {
        QStringList shown;
        whenShown<CaseReplaceDialog>([&](CaseReplaceDialog& dialog) {
            child<QComboBox>(dialog, "caseBox").setCurrentIndex(1);  // Title Case
            closeOnPreview(dialog, expected, shown, button);
        });
        run(CommandId::CaseAndReplace);
        EXPECT_EQ(shown.join(QLatin1Char('\n')), expected.join(QLatin1Char('\n'))) << button;
        if (QByteArray(button) == "cancelButton") {
            EXPECT_EQ(readFile(a), before);
        }
    }
    EXPECT_EQ(readV2(a)["TIT2"], "A Day in the Life");
    EXPECT_EQ(readV2(b)["TIT2"], "Help");
    EXPECT_EQ(readV2(c)["TIT2"], "Done");
    EXPECT_EQ(cell("b.mp3", 1), "Help");
}

TEST_F(BatchFrameTest, UndoOfARenameRenamesBackWhereTheOldNameIsStillFree)
{
    song("a.mp3", {textFrame("TRCK", "1"), textFrame("TIT2", "Intro")});
    song("b.mp3", {textFrame("TRCK", "2"), textFrame("TIT2", "Outro")});
    openWindow(defaultColumnLayout(), TagView::Id3v2);
    select({"a.mp3", "b.mp3"});
    whenShown<RenameDialog>([](RenameDialog& dialog) {
        typeFormat(dialog, QStringLiteral("%track:2% %title%"));
        clickButton(dialog, "okButton");
    });
    run(CommandId::RenameFromTags);
    ASSERT_EQ(names(), (QStringList{"01 Intro.mp3", "02 Outro.mp3"}));

    // Another file takes a's old name meanwhile.
    const std::string intruder = song("a.mp3", {textFrame("TIT2", "Another")});
    const Bytes intruderBytes = readFile(intruder);
    list().clearSelection();

    run(CommandId::UndoLastChange);
    EXPECT_EQ(readFile(intruder), intruderBytes);
    EXPECT_TRUE(std::filesystem::exists(path("01 Intro.mp3")));
    EXPECT_TRUE(std::filesystem::exists(path("b.mp3")));
    ASSERT_EQ(m_prompter.texts().size(), 1);
    EXPECT_TRUE(m_prompter.texts()[0].startsWith("The file 01 Intro.mp3 could not be written to.\n"
                                                 "Its old name " +
                                                 displayName(path("a.mp3")) + " is taken."))
        << m_prompter.texts()[0].toStdString();
    ASSERT_TRUE(finishScan(list()));
    EXPECT_EQ(names(), (QStringList{"01 Intro.mp3", "a.mp3", "b.mp3"}));
}

}  // namespace
}  // namespace corvane
