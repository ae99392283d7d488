// The file list on folders of real files: rows, cells and images in both views, sorting, keys
// and the header drop that rebuilds the layout.
#include "app/file_list.h"

#include "tests/app/app_fixtures.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

ColumnLayout layoutOf(std::initializer_list<Column> fields)
{
    ColumnLayout layout;
    for (Column f : fields)
        layout.push_back({f, 120});
    return layout;
}

void showFolder(FileList& list, const TempDir& dir, const ColumnLayout& layout,
                TagView view = TagView::Id3v1)
{
    list.setCurrentFolder(dir.folder());
    list.setTagView(view);
    list.applyColumnLayout(layout);
    ASSERT_TRUE(finishScan(list));
}

void clickHeader(FileList& list, int column)
{
    if (!list.isVisible()) {
        list.resize(800, 400);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QHeaderView* header = list.horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

qint64 iconKey(const FileList& list, int row)
{
    return list.model().index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
}

class FileListFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeSong(dir, "both.mp3",
                  {textFrame("TIT2", "V2 Title"), textFrame("TCOM", "Bach"),
                   textFrame("TCON", "(17)Rock")},
                  trailer("V1 Title", "V1 Artist", "", "", "", 0, 17));
        writeSong(dir, "v2only.mp3", {textFrame("TIT2", "Only Two"), textFrame("TPE1", "Two")});
        writeSong(dir, "v1only.mp3", {}, trailer("Only One"));
        writeSong(dir, "Song.MP3", {});
        writeFile(dir.file("notes.txt"), bytesOf("not music"));
        std::filesystem::create_directory(dir.path() / "Live.mp3");
    }
    TempDir dir;
    FileList list;
};

TEST_F(FileListFolder, ShowsOneTagAtATimeWithThePresenceImage)
{
    showFolder(list, dir, layoutOf({Column::Filename, Column::Title, Column::Artist,
                                    Column::Composer, Column::Genre}));
    ASSERT_EQ(list.rowCount(), 5);  // the upper-case name and the folder count; notes.txt not
    EXPECT_EQ(list.countText(), "5 files");
    const int both = rowOf(list, "both.mp3");
    const int v2 = rowOf(list, "v2only.mp3");
    const int v1 = rowOf(list, "v1only.mp3");
    const int live = rowOf(list, "Live.mp3");
    ASSERT_GE(rowOf(list, "Song.MP3"), 0);
    ASSERT_GE(live, 0);

    const QStringList titles = columnTexts(list, 1);
    EXPECT_EQ(titles[both], "V1 Title");
    EXPECT_EQ(titles[v2], "");  // no value of the other tag is ever shown
    EXPECT_EQ(titles[v1], "Only One");
    EXPECT_EQ(columnTexts(list, 3)[both], "");  // the trailer has no composer
    EXPECT_EQ(columnTexts(list, 4)[both], "Rock");
    EXPECT_EQ(list.row(both).presence, 3);
    EXPECT_EQ(list.row(v2).presence, 2);
    EXPECT_EQ(list.row(v1).presence, 1);
    EXPECT_EQ(list.row(live).presence, 0);
    EXPECT_EQ(iconKey(list, both), list.model().presenceIcon(3).cacheKey());
    EXPECT_EQ(iconKey(list, live), list.model().presenceIcon(0).cacheKey());
    EXPECT_NE(list.model().presenceIcon(1).cacheKey(), list.model().presenceIcon(2).cacheKey());

    list.setTagView(TagView::Id3v2);
    list.refreshFileList();
    ASSERT_TRUE(finishScan(list));
    const QStringList v2Titles = columnTexts(list, 1);
    EXPECT_EQ(v2Titles[rowOf(list, "both.mp3")], "V2 Title");
    EXPECT_EQ(v2Titles[rowOf(list, "v1only.mp3")], "");
    EXPECT_EQ(columnTexts(list, 3)[rowOf(list, "both.mp3")], "Bach");
    EXPECT_EQ(columnTexts(list, 4)[rowOf(list, "both.mp3")], "Rock");
    EXPECT_EQ(list.row(rowOf(list, "both.mp3")).presence, 3);
    EXPECT_EQ(list.row(rowOf(list, "v2only.mp3")).presence, 2);
}

TEST(FileList, SortsYearAndTrackAsNumbersAndTextOrdinally)
{
    TempDir dir;
    writeSong(dir, "a.mp3", {}, trailer("Zeppelin", "", "", "2003", "", 12));
    writeSong(dir, "b.mp3", {}, trailer("abba", "", "", "199", "", 0));
    writeSong(dir, "c.mp3", {textFrame("TRCK", "3/12")}, trailer("Abba", "", "", "", "", 4));
    FileList list;
    showFolder(list, dir, layoutOf({Column::Filename, Column::Title, Column::Year, Column::Track}));

    clickHeader(list, 2);
    EXPECT_EQ(columnTexts(list, 2), (QStringList{"", "199", "2003"}));
    clickHeader(list, 2);
    EXPECT_FALSE(list.isSortAscending());
    EXPECT_EQ(columnTexts(list, 2), (QStringList{"2003", "199", ""}));

    clickHeader(list, 1);  // another column: ascending again
    EXPECT_TRUE(list.isSortAscending());
    EXPECT_EQ(columnTexts(list, 1), (QStringList{"Abba", "Zeppelin", "abba"}));

    clickHeader(list, 3);
    EXPECT_EQ(columnTexts(list, 3), (QStringList{"", "4", "12"}));

    list.setTagView(TagView::Id3v2);
    list.refreshFileList();  // a scan sorts by the sort column's key as read: "3/12" is 3
    ASSERT_TRUE(finishScan(list));
    EXPECT_EQ(columnTexts(list, 3), (QStringList{"", "", "3/12"}));
    EXPECT_EQ(list.row(2).numericKey, 3);
}

TEST(FileList, GenreSortsByItsFullTextAfterAScanAndByTheShownTextAfterAClick)
{
    TempDir dir;
    writeSong(dir, "a.mp3", {textFrame("TCON", "(17)Rock")});
    writeSong(dir, "b.mp3", {textFrame("TCON", "Blues")});
    writeSong(dir, "c.mp3", {textFrame("TCON", "Pop")});
    writeSong(dir, "d.mp3", {textFrame("TCON", "((Live)")});
    FileList list;
    list.setSortOrder(0, true);
    list.setCurrentFolder(dir.folder());
    list.setTagView(TagView::Id3v2);
    list.applyColumnLayout(layoutOf({Column::Genre, Column::Filename}));
    ASSERT_TRUE(finishScan(list));
    // "(" orders before letters, so the referenced genre comes first after a scan.
    EXPECT_EQ(columnTexts(list, 0), (QStringList{"(Live)", "Rock", "Blues", "Pop"}));
    clickHeader(list, 1);
    clickHeader(list, 0);
    EXPECT_EQ(columnTexts(list, 0), (QStringList{"(Live)", "Blues", "Pop", "Rock"}));
}

TEST(FileList, HeaderDroppedFirstRebuildsTheLayoutAndKeepsTheSortColumn)
{
    TempDir dir;
    writeSong(dir, "1.mp3", {}, trailer("B title", "Zed"));
    writeSong(dir, "2.mp3", {}, trailer("C title", "Amy"));
    writeSong(dir, "3.mp3", {}, trailer("A title", "Max"));
    FileList list;
    showFolder(list, dir, layoutOf({Column::Filename, Column::Title, Column::Artist, Column::Album}));
    clickHeader(list, 2);
    ASSERT_EQ(columnTexts(list, 2), (QStringList{"Amy", "Max", "Zed"}));

    QHeaderView* header = list.horizontalHeader();
    header->moveSection(3, 1);  // Album shown second: only the display order changes
    EXPECT_EQ(list.columnLayout()[3].field, Column::Album);
    EXPECT_EQ(header->visualIndex(3), 1);
    EXPECT_EQ(list.sortColumn(), 2);

    header->moveSection(header->visualIndex(2), 0);  // Artist dropped at the front
    ASSERT_TRUE(finishScan(list));
    const ColumnLayout& layout = list.columnLayout();
    ASSERT_EQ(layout.size(), 4u);
    EXPECT_EQ(layout[0].field, Column::Artist);
    EXPECT_EQ(layout[1].field, Column::Filename);
    EXPECT_EQ(layout[2].field, Column::Album);
    EXPECT_EQ(layout[3].field, Column::Title);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(header->logicalIndex(i), i);
    EXPECT_EQ(list.sortColumn(), 0);
    EXPECT_EQ(list.model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Artist");
    EXPECT_EQ(columnTexts(list, 0), (QStringList{"Amy", "Max", "Zed"}));
    EXPECT_EQ(columnTexts(list, 3), (QStringList{"C title", "A title", "B title"}));
}

TEST(FileList, FirstPhysicalColumnCannotBeResizedByDragging)
{
    FileList list;
    list.applyColumnLayout(defaultColumnLayout());
    ASSERT_TRUE(finishScan(list));
    EXPECT_EQ(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(list.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
}

TEST(FileList, RefreshSelectedRowsReadsOnlyThoseFilesAgain)
{
    TempDir dir;
    writeSong(dir, "a.mp3", {}, trailer("Old A"));
    writeSong(dir, "b.mp3", {}, trailer("Old B"));
    FileList list;
    showFolder(list, dir, layoutOf({Column::Filename, Column::Title}));
    QSignalSpy progress(&list, &FileList::progressTextChanged);
    writeSong(dir, "a.mp3", {textFrame("TIT2", "x")}, trailer("New A"));
    writeSong(dir, "b.mp3", {}, trailer("New B"));
    list.selectRow(rowOf(list, "a.mp3"));
    list.refreshSelectedRows();
    EXPECT_EQ(columnTexts(list, 1), (QStringList{"New A", "Old B"}));
    EXPECT_EQ(list.row(0).presence, 3);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toString(), "Reading File: a.mp3");
}

TEST(FileList, ManyRowsAreReadAgainOffTheGuiThreadEachIntoItsOwnRow)
{
    TempDir dir;
    QStringList fresh;
    for (int i = 0; i < 30; ++i) {
        const std::string name = std::string(1, static_cast<char>('a' + i / 10)) +
                                 std::to_string(i % 10) + ".mp3";
        writeSong(dir, name, {}, trailer("Old"));
        fresh << QString::fromStdString("New " + name);
    }
    FileList list;
    showFolder(list, dir, layoutOf({Column::Filename, Column::Title}));
    for (int r = 0; r < list.rowCount(); ++r)
        writeSong(dir, list.row(r).name, {}, trailer("New " + list.row(r).name));
    list.selectAllRows();
    list.refreshSelectedRows();
    EXPECT_EQ(columnTexts(list, 1), fresh);
}

TEST(FileList, CountTextOfOneFileAndOfAnEmptyFolder)
{
    TempDir dir;
    FileList list;
    showFolder(list, dir, defaultColumnLayout());
    EXPECT_EQ(list.countText(), "0 files");
    writeSong(dir, "only.mp3", {});
    list.refreshFileList();
    ASSERT_TRUE(finishScan(list));
    EXPECT_EQ(list.countText(), "1 file");
}

TEST(FileRowKeys, LeadingIntegerFollowsTheAtoiRule)
{
    EXPECT_EQ(leadingInteger(""), 0);
    EXPECT_EQ(leadingInteger("  -42abc"), -42);
    EXPECT_EQ(leadingInteger("3/12"), 3);
    EXPECT_EQ(leadingInteger("x12"), 0);
    EXPECT_EQ(leadingInteger("99999999999999"), INT_MAX);
}

TEST(FileRowKeys, GenreDisplayDropsTheReference)
{
    EXPECT_EQ(genreDisplayText("(17)Rock"), "Rock");
    EXPECT_EQ(genreDisplayText("(17)"), "Rock");
    EXPECT_EQ(genreDisplayText("((Live)"), "(Live)");
    EXPECT_EQ(genreDisplayText("Rock"), "Rock");
    EXPECT_EQ(genreDisplayText("(200)Foo"), "Foo");
}

}  // namespace
}  // namespace corvane
