// The background reading of a folder through the real window: rows arrive while the window runs,
// the end order is that of reading one file after another, another folder or Esc stops it, and
// entries that are not regular files are listed at once without values.
#include "app/folder_scan.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "app/folder_tree.h"
#include "app/main_window.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"
#include "tests/support/irregular_files.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

// More files than a scan shows in one turn of the event loop, so that a scan takes several turns
// whatever the disk's speed.
constexpr std::size_t kManyFiles = FileList::kRowsPerTurn + 50;

// Files whose titles are mostly equal, so that the order of equal keys shows.
void writeManySongs(const TempDir& dir)
{
    for (std::size_t i = 0; i < kManyFiles; ++i) {
        const std::string title = i % 50 == 0 ? "Title " + std::to_string(i) : "Same";
        writeFile(dir.file("song" + std::to_string(i) + ".mp3"),
                  mp3({}, mpegAudio(16), trailer(title)));
    }
}

class FolderScanWindow : public ::testing::Test {
protected:
    // The window, started on folder with Filename and Title columns, sorted by Title.
    MainWindow& open(const std::string& folder)
    {
        AppSettings settings;
        settings.currentFolder = folder;
        settings.columns = {{Column::Filename, 100}, {Column::Title, 100}};
        settings.sortColumn = 1;
        settings.view = TagView::Id3v1;
        settings.save(m_settings.store());
        m_window = std::make_unique<MainWindow>(m_settings.store(), m_prompter);
        m_window->show();
        return *m_window;
    }
    FileList& list() { return m_window->fileList(); }
    // Lets the event loop run until the scan has shown some rows but not all.
    void waitForFirstRows()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return list().rowCount() > 0; }, 10000));
        ASSERT_TRUE(list().isScanning());
    }

    TempDir m_music;
    SettingsStore m_settings;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(FolderScanWindow, RowsArriveWhileTheWindowRunsAndEndInTheOrderOfAOneByOneReading)
{
    writeManySongs(m_music);
    // The order a reading of one file after another gives: the listing, then a stable sort.
    const ColumnLayout layout{{Column::Filename, 100}, {Column::Title, 100}};
    std::vector<FileRow> expected;
    for (const auto& entry : std::filesystem::directory_iterator(m_music.path()))
        expected.push_back(readFileRow(m_music.folder(), entry.path().filename().native(), layout,
                                       TagView::Id3v1, 1));
    std::stable_sort(expected.begin(), expected.end(),
                     [](const FileRow& a, const FileRow& b) { return compareRows(a, b) < 0; });
    QStringList expectedNames;
    for (const FileRow& row : expected) expectedNames << QString::fromStdString(row.name);

    MainWindow& window = open(m_music.folder());
    QStringList progressWhileReading;
    QObject::connect(&list().model(), &QAbstractItemModel::rowsInserted, [&] {
        if (list().isScanning()) progressWhileReading << window.progressText();
    });
    ASSERT_TRUE(finishScan(list()));
    ASSERT_FALSE(progressWhileReading.isEmpty());  // rows were shown before the last one came
    EXPECT_TRUE(std::any_of(progressWhileReading.begin(), progressWhileReading.end(),
                            [](const QString& text) {
                                return text.startsWith("Reading File ") &&
                                       text.contains(" of " + QString::number(kManyFiles));
                            }))
        << progressWhileReading.join('|').toStdString();
    EXPECT_EQ(rowNames(list()), expectedNames);
    EXPECT_EQ(window.progressText(), "");
    EXPECT_EQ(window.countText(), QString::number(kManyFiles) + " files");
}

TEST_F(FolderScanWindow, AnotherFolderChosenMidScanShowsOnlyItsOwnRows)
{
    writeManySongs(m_music);
    TempDir other;
    writeSong(other, "x.mp3", {}, trailer("X"));
    writeSong(other, "y.mp3", {}, trailer("Y"));
    MainWindow& window = open(m_music.folder());
    waitForFirstRows();
    window.folderTree().selectFolderPath(other.folder());
    ASSERT_TRUE(finishScan(list()));
    QTest::qWait(50);  // rows of the first folder that were still being read must not come
    EXPECT_EQ(rowNames(list()), (QStringList{"x.mp3", "y.mp3"}));
    EXPECT_EQ(columnTexts(list(), 1), (QStringList{"X", "Y"}));
}

TEST_F(FolderScanWindow, EscStopsTheReadingAtOnceAndTheRowsShownStaySorted)
{
    writeManySongs(m_music);
    MainWindow& window = open(m_music.folder());
    waitForFirstRows();
    QTest::keyClick(&list(), Qt::Key_Escape);
    EXPECT_FALSE(list().isScanning());
    const int shown = list().rowCount();
    QTest::qWait(50);
    EXPECT_EQ(list().rowCount(), shown);
    EXPECT_LT(shown, static_cast<int>(kManyFiles));
    EXPECT_TRUE(window.progressText().startsWith("Reading stopped after " + QString::number(shown)))
        << window.progressText().toStdString();
    const QStringList titles = columnTexts(list(), 1);
    EXPECT_TRUE(std::is_sorted(titles.begin(), titles.end()));
    // The next Esc is the list's own again: it clears the selection.
    list().selectRow(0);
    QTest::keyClick(&list(), Qt::Key_Escape);
    EXPECT_EQ(list().selectedCount(), 0);
}

TEST_F(FolderScanWindow, EntriesThatAreNoRegularFilesAreListedAtOnceWithoutValues)
{
    writeSong(m_music, "real.mp3", {}, trailer("Real"));
    const std::vector<IrregularFile> special = makeIrregularFiles(m_music);
    open(m_music.folder());
    ASSERT_TRUE(finishScan(list()));
    ASSERT_EQ(list().rowCount(), 5);
    EXPECT_EQ(columnTexts(list(), 1)[rowOf(list(), "real.mp3")], "Real");
    for (const IrregularFile& entry : special) {
        const int r = rowOf(list(), entry.name);
        ASSERT_GE(r, 0) << entry.name;
        EXPECT_EQ(list().row(r).presence, 0);
        EXPECT_EQ(columnTexts(list(), 1)[r], "");
    }
}

}  // namespace
}  // namespace corvane
