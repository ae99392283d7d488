// Choosing the list's columns from the real main window (command 2003): the dialog opens with
// the widths and header order on screen, and its answer rebuilds the list, keeping the sort.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/column_chooser_dialog.h"
#include "app/main_window.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

QCheckBox* box(QDialog& dialog, const char* name)
{
    auto* found = dialog.findChild<QCheckBox*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(QWidget* widget)
{
    if (widget != nullptr)
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

void clickButton(QDialog& dialog, const char* name)
{
    auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

class ColumnChooserSequence : public ::testing::Test {
protected:
    // Three songs whose titles and albums sort in opposite orders.
    void open(const ColumnLayout& columns)
    {
        writeSong(m_music, "a.mp3", {}, trailer("Cello", "Ann", "Alps", "1999"));
        writeSong(m_music, "b.mp3", {}, trailer("Banjo", "Bob", "Bays", "2001"));
        writeSong(m_music, "c.mp3", {}, trailer("Alto", "Cid", "Coves", "2000"));
        AppSettings settings;
        settings.height = 500;
        settings.currentFolder = m_music.folder();
        settings.columns = columns;
        settings.view = TagView::Id3v1;  // the songs carry only the trailer
        settings.save(m_settings.store());
        m_window = std::make_unique<MainWindow>(m_settings.store(), m_prompter);
        m_window->show();
        ASSERT_TRUE(finishScan(m_window->fileList()));
        ASSERT_EQ(m_window->fileList().rowCount(), 3);
    }

    // Runs command 2003 and acts on the dialog from inside its own event loop.
    void choose(const std::function<void(QDialog&)>& act)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<ColumnChooserDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_EQ(dialog->windowTitle(), "Select Columns");
            act(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->reject();
            }
        });
        m_window->runCommand(2003);
        EXPECT_TRUE(finishScan(m_window->fileList()));
        EXPECT_TRUE(seen);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }

    [[nodiscard]] std::vector<Column> fields() const
    {
        std::vector<Column> out;
        for (const ColumnSpec& entry : m_window->columnLayout()) out.push_back(entry.field);
        return out;
    }
    [[nodiscard]] std::vector<int> widths() const
    {
        std::vector<int> out;
        for (int i = 0; i < m_window->fileList().horizontalHeader()->count(); ++i)
            out.push_back(m_window->fileList().horizontalHeader()->sectionSize(i));
        return out;
    }
    [[nodiscard]] QHeaderView& header() const { return *m_window->fileList().horizontalHeader(); }

    TempDir m_music;
    SettingsStore m_settings;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(ColumnChooserSequence, KeptColumnsKeepTheirWidthsAndNewOnesFollowAt100)
{
    open(defaultColumnLayout());
    header().resizeSection(3, 210);  // Album widened by the user just before
    choose([](QDialog& dialog) {
        EXPECT_TRUE(box(dialog, "artistBox")->isChecked());
        EXPECT_FALSE(box(dialog, "yearBox")->isChecked());
        click(box(dialog, "artistBox"));
        click(box(dialog, "yearBox"));
        click(box(dialog, "composerBox"));
        clickButton(dialog, "okButton");
    });
    EXPECT_EQ(fields(), (std::vector<Column>{Column::Filename, Column::Title, Column::Album,
                                             Column::Year, Column::Composer}));
    EXPECT_EQ(widths(), (std::vector<int>{150, 150, 210, 100, 100}));
    EXPECT_EQ(columnTexts(m_window->fileList(), 3), (QStringList{"1999", "2001", "2000"}));
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(ColumnChooserSequence, HeaderOrderOnScreenBecomesTheLayoutAndTheSortStays)
{
    open(defaultColumnLayout());
    header().sectionClicked(1);  // sort by Title: Alto, Banjo, Cello
    header().moveSection(3, 1);  // Album shown second
    choose([](QDialog& dialog) { clickButton(dialog, "okButton"); });
    EXPECT_EQ(fields(), (std::vector<Column>{Column::Filename, Column::Album, Column::Title,
                                             Column::Artist}));
    EXPECT_EQ(header().logicalIndex(1), 1);  // display and physical order agree again
    EXPECT_EQ(m_window->sortColumn(), 2);
    EXPECT_EQ(columnTexts(m_window->fileList(), 2), (QStringList{"Alto", "Banjo", "Cello"}));
}

TEST_F(ColumnChooserSequence, AlbumDroppedFirstStartsTheNewLayout)
{
    open(defaultColumnLayout());
    header().moveSection(3, 0);
    choose([](QDialog& dialog) { clickButton(dialog, "okButton"); });
    EXPECT_EQ(fields(), (std::vector<Column>{Column::Album, Column::Filename, Column::Title,
                                             Column::Artist}));
}

// A sort column shown after a column the user drops would otherwise land on whatever column
// takes its place; the list stays sorted by the field the user chose.
TEST_F(ColumnChooserSequence, SortFollowsItsFieldWhenAColumnBeforeItIsDropped)
{
    open(defaultColumnLayout());
    header().sectionClicked(3);  // sort by Album
    header().sectionClicked(3);  // descending: Coves, Bays, Alps
    choose([](QDialog& dialog) {
        click(box(dialog, "titleBox"));
        click(box(dialog, "yearBox"));
        clickButton(dialog, "okButton");
    });
    EXPECT_EQ(fields(),
              (std::vector<Column>{Column::Filename, Column::Artist, Column::Album, Column::Year}));
    EXPECT_EQ(m_window->sortColumn(), 2);
    EXPECT_FALSE(m_window->fileList().isSortAscending());
    EXPECT_EQ(columnTexts(m_window->fileList(), 2), (QStringList{"Coves", "Bays", "Alps"}));
}

TEST_F(ColumnChooserSequence, MissingFilenameComesBackLastAt100)
{
    open({{Column::Title, 120}, {Column::Artist, 130}});
    choose([](QDialog& dialog) {
        EXPECT_TRUE(box(dialog, "filenameBox")->isChecked());
        clickButton(dialog, "okButton");
    });
    EXPECT_EQ(fields(), (std::vector<Column>{Column::Title, Column::Artist, Column::Filename}));
    EXPECT_EQ(widths(), (std::vector<int>{120, 130, 100}));
    EXPECT_EQ(columnTexts(m_window->fileList(), 2),
              (QStringList{"c.mp3", "b.mp3", "a.mp3"}));  // still by Title
}

TEST_F(ColumnChooserSequence, NoBoxCheckedIsRefusedAndCancelKeepsTheLayout)
{
    open(defaultColumnLayout());
    header().moveSection(2, 1);
    const ColumnLayout before = m_window->columnLayout();
    choose([this](QDialog& dialog) {
        for (const char* name : {"filenameBox", "titleBox", "artistBox", "albumBox"})
            click(box(dialog, name));
        clickButton(dialog, "okButton");
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(m_prompter.texts(), QStringList{"Please select at least one column header"});
        EXPECT_EQ(m_prompter.asked()[0].icon, PromptIcon::Stop);
        clickButton(dialog, "cancelButton");
    });
    EXPECT_EQ(m_window->columnLayout(), before);
    EXPECT_EQ(header().logicalIndex(1), 2);  // the header order on screen is untouched too
    EXPECT_EQ(m_window->fileList().rowCount(), 3);
}

}  // namespace
}  // namespace corvane
