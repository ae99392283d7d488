#include "app/column_chooser_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "tests/gui_support/scripted_prompter.h"
#include "tests/gui_support/widget_lookup.h"

namespace corvane {
namespace {

using tags::Column;
using test::ScriptedPrompter;
using test::withText;

const ColumnLayout kFourColumns{
    {Column::Filename, 180}, {Column::Title, 150}, {Column::Artist, 120}, {Column::Album, 90}};

class ColumnChooserDialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        test::expectNoWindowLeftOpen();
    }
    // Clicks near the left edge: a check box stretched by the grid takes clicks only on its
    // indicator and text.
    static void click(QDialog& d, const QString& text)
    {
        QAbstractButton* button = withText<QAbstractButton>(d, text);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    ScriptedPrompter prompter;
};

TEST_F(ColumnChooserDialogTest, KeptColumnsStayAndNewOnesFollowAtDefaultWidth)
{
    ColumnChooserDialog dialog(kFourColumns, {0, 1, 2, 3}, prompter);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Select Columns");
    EXPECT_TRUE(withText<QCheckBox>(dialog, "Album")->isChecked());
    EXPECT_FALSE(withText<QCheckBox>(dialog, "Year")->isChecked());
    click(dialog, "Artist");
    click(dialog, "Composer");
    click(dialog, "Year");
    click(dialog, "OK");

    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const ColumnLayout expected{{Column::Filename, 180},
                                {Column::Title, 150},
                                {Column::Album, 90},
                                {Column::Year, kNewColumnWidth},
                                {Column::Composer, kNewColumnWidth}};
    EXPECT_EQ(dialog.chosenLayout(), expected);
}

TEST_F(ColumnChooserDialogTest, DisplayOrderWins)
{
    // The user dragged "Album" in front of the others.
    ColumnChooserDialog dialog(kFourColumns, {3, 0, 1, 2}, prompter);
    dialog.show();
    click(dialog, "OK");
    const ColumnLayout expected{kFourColumns[3], kFourColumns[0], kFourColumns[1], kFourColumns[2]};
    EXPECT_EQ(dialog.chosenLayout(), expected);

    // An order that does not fit the layout cannot drop or repeat a column.
    const ColumnChecks checks = initialColumnChecks(kFourColumns);
    EXPECT_EQ(chooseColumns(kFourColumns, {2, 2, 9, -1}, checks),
              (ColumnLayout{kFourColumns[2], kFourColumns[0], kFourColumns[1], kFourColumns[3]}));
}

TEST_F(ColumnChooserDialogTest, FilenameComesBackLast)
{
    const ColumnLayout noFilename{{Column::Title, 150}, {Column::Year, 60}};
    ColumnChooserDialog dialog(noFilename, {0, 1}, prompter);
    dialog.show();
    EXPECT_TRUE(withText<QCheckBox>(dialog, "Filename")->isChecked());
    click(dialog, "OK");
    const ColumnLayout expected{
        {Column::Title, 150}, {Column::Year, 60}, {Column::Filename, kNewColumnWidth}};
    EXPECT_EQ(dialog.chosenLayout(), expected);
}

TEST_F(ColumnChooserDialogTest, EveryBoxClearedIsRefusedAndCancelChangesNothing)
{
    ColumnChooserDialog dialog(kFourColumns, {0, 1, 2, 3}, prompter);
    dialog.show();
    for (const char* name : {"Filename", "Title", "Artist", "Album"}) click(dialog, name);
    click(dialog, "OK");
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].text, "Please select at least one column header");
    EXPECT_EQ(prompter.asked()[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(dialog.isVisible());
    click(dialog, "Cancel");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.chosenLayout().empty());
}

TEST_F(ColumnChooserDialogTest, BoxesStandInTwoColumns)
{
    ColumnChooserDialog dialog(kFourColumns, {0, 1, 2, 3}, prompter);
    dialog.show();
    const QStringList left{"Filename", "Title", "Artist", "Album", "Year", "Comment", "Genre"};
    const QStringList right{"Track Number", "Composer", "Orig. Artist",
                            "Copyright",    "URL",      "Encoded By"};
    const int leftX = withText<QCheckBox>(dialog, "Filename")->x();
    const int rightX = withText<QCheckBox>(dialog, "Track Number")->x();
    EXPECT_LT(leftX, rightX);
    for (int i = 1; i < left.size(); ++i) {
        auto* above = withText<QCheckBox>(dialog, left[i - 1]);
        auto* box = withText<QCheckBox>(dialog, left[i]);
        EXPECT_EQ(box->x(), leftX);
        EXPECT_GT(box->y(), above->y());
    }
    for (int i = 0; i < right.size(); ++i) {
        auto* box = withText<QCheckBox>(dialog, right[i]);
        EXPECT_EQ(box->x(), rightX);
        EXPECT_EQ(box->y(), withText<QCheckBox>(dialog, left[i])->y());
    }
    // "Filename" is not on the Tab chain; the first box Tab reaches is "Title".
    EXPECT_EQ(withText<QCheckBox>(dialog, "Filename")->focusPolicy() & Qt::TabFocus, 0);
    dialog.close();
}

}  // namespace
}  // namespace corvane
