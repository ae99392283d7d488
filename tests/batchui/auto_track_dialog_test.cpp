#include "batchui/auto_track_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/gui_support/scripted_prompter.h"
#include "tests/gui_support/widget_lookup.h"

namespace corvane {
namespace {

using batch::kChoiceV1All;
using batch::kChoiceV2All;
using test::ScriptedPrompter;
using test::withText;

class AutoTrackDialogTest : public ::testing::Test {
protected:
    void SetUp() override { dialog.show(); }
    void TearDown() override
    {
        dialog.close();
        test::expectNoWindowLeftOpen();
    }

    // Clicks near the left edge: a stretched check box takes clicks only on its indicator and
    // text.
    void click(const QString& text)
    {
        QAbstractButton* button = withText<QAbstractButton>(dialog, text);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void typeStart(const QString& text)
    {
        auto* start = dialog.findChild<TrackNumberEdit*>();
        start->setFocus();
        QTest::keyClick(start, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(start, Qt::Key_Delete);
        QTest::keyClicks(start, text);
    }
    AutoTrackOptions accepted()
    {
        click("OK");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return dialog.options();
    }

    ScriptedPrompter prompter;
    AutoTrackDialog dialog{kChoiceV1All | kChoiceV2All, prompter};
};

TEST_F(AutoTrackDialogTest, OpensWithOneAndNoPadding)
{
    EXPECT_EQ(dialog.windowTitle(), "Auto Track Numbering");
    EXPECT_EQ(dialog.findChild<TrackNumberEdit*>()->numberText(), "1");
    EXPECT_TRUE(withText<QRadioButton>(dialog, "None")->isChecked());
    auto* zeros = dialog.findChild<QLineEdit*>("zeroCountEdit");
    EXPECT_FALSE(zeros->isEnabled());
    EXPECT_EQ(zeros->text(), "0");
    EXPECT_EQ(zeros->maxLength(), 2);
    const auto options = accepted();
    EXPECT_EQ(options.start, 1);
    EXPECT_EQ(options.zeroMode, batch::kZerosNone);
    EXPECT_EQ(options.choice, kChoiceV1All | kChoiceV2All);
}

TEST_F(AutoTrackDialogTest, OnlyCustomTakesTheZeroCount)
{
    auto* zeros = dialog.findChild<QLineEdit*>("zeroCountEdit");
    click("Custom");
    ASSERT_TRUE(zeros->isEnabled());
    EXPECT_EQ(accepted().zeroMode, batch::kZerosNone);  // "0" extra zeros is no padding

    dialog.show();
    zeros->selectAll();
    QTest::keyClicks(zeros, "2");
    typeStart("9");
    const auto options = accepted();
    EXPECT_EQ(options.zeroMode, 2);
    EXPECT_EQ(options.start, 9);

    dialog.show();
    click("Automatic");
    EXPECT_FALSE(zeros->isEnabled());
    EXPECT_EQ(accepted().zeroMode, batch::kZerosAutomatic);
}

TEST_F(AutoTrackDialogTest, StartTextIsReadForgivingly)
{
    typeStart("abc");
    EXPECT_EQ(dialog.findChild<TrackNumberEdit*>()->numberText(), "abc");
    EXPECT_EQ(accepted().start, 1);

    dialog.show();
    typeStart("-3");
    EXPECT_EQ(accepted().start, 1);

    // Typed numbers beyond the arrows' range are taken as typed; six characters at most.
    dialog.show();
    typeStart("1000000");
    EXPECT_EQ(accepted().start, 100000);
}

TEST_F(AutoTrackDialogTest, ArrowsStayInsideTheirRange)
{
    auto* start = dialog.findChild<TrackNumberEdit*>();
    QTest::keyClick(start, Qt::Key_Down);
    EXPECT_EQ(start->numberText(), "1");
    QTest::keyClick(start, Qt::Key_Up);
    EXPECT_EQ(start->numberText(), "2");
    typeStart("32766");
    QTest::keyClick(start, Qt::Key_Up);
    QTest::keyClick(start, Qt::Key_Up);
    EXPECT_EQ(start->numberText(), "32767");
}

TEST_F(AutoTrackDialogTest, NoTagChosenKeepsTheDialogOpen)
{
    click("Set ID3v&1 Tag");
    click("Set ID3v&2 Tag");
    click("OK");
    ASSERT_EQ(prompter.texts(), QStringList{"Please select at least one tag to update"});
    EXPECT_TRUE(dialog.isVisible());
    click("Cancel");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace corvane
