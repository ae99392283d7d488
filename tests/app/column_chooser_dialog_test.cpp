#include "app/column_chooser_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>

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
    ScriptedPrompter prompter;
};

// The cases a user meets (kept and new columns, the header order, "Filename" coming back, every
// box cleared, Cancel) run through the real window in column_chooser_sequence_test.cpp; here
// only what that cannot reach.
TEST(ColumnChooseColumns, AnOrderThatDoesNotFitTheLayoutCannotDropOrRepeatAColumn)
{
    const ColumnChecks checks = initialColumnChecks(kFourColumns);
    EXPECT_EQ(chooseColumns(kFourColumns, {2, 2, 9, -1}, checks),
              (ColumnLayout{kFourColumns[2], kFourColumns[0], kFourColumns[1], kFourColumns[3]}));
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
