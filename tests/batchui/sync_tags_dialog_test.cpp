#include "batch/sync_tags.h"
#include "batchui/sync_tags_dialog.h"
#include "tests/gui_support/widget_lookup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace corvane {
namespace {

using test::withText;

TEST(SyncTagsDialog, ShowsItsTextsAndStartsFromV1ToV2Overwriting)
{
    SyncTagsDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Synchronise Tags");
    ASSERT_NE(dialog.findChild<QGroupBox*>(), nullptr);
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), "ID3 Tag Synchronisation");
    EXPECT_NE(withText<QLabel>(dialog,
                               "Note: If only one tag is defined data is copied from this "
                               "tag to the other.  If both tags are present then the "
                               "above selected option has precedence."),
              nullptr);
    for (const char* text : {"Copy from ID3v1 to ID3v2", "Copy from ID3v2 to ID3v1",
                             "Overwrite existing information", "Keep any existing information"})
        EXPECT_NE(withText<QRadioButton>(dialog, text), nullptr) << text;

    const batch::SyncOptions options = dialog.options();
    EXPECT_EQ(options.direction, batch::SyncDirection::V1ToV2);
    EXPECT_FALSE(options.keep);
    EXPECT_TRUE(options.intelligent);
    QTest::mouseClick(withText<QPushButton>(dialog, "Cancel"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(SyncTagsDialog, DirectionAndKeepAreSeparateChoices)
{
    SyncTagsDialog dialog;
    dialog.show();
    QTest::mouseClick(withText<QRadioButton>(dialog, "Copy from ID3v2 to ID3v1"), Qt::LeftButton);
    QTest::mouseClick(withText<QRadioButton>(dialog, "Keep any existing information"),
                      Qt::LeftButton);
    QTest::mouseClick(withText<QCheckBox>(dialog, "Use Intelligent Tag Synchronisation"),
                      Qt::LeftButton);
    EXPECT_TRUE(withText<QRadioButton>(dialog, "Copy from ID3v2 to ID3v1")->isChecked());
    EXPECT_FALSE(withText<QRadioButton>(dialog, "Overwrite existing information")->isChecked());
    QTest::mouseClick(withText<QPushButton>(dialog, "OK"), Qt::LeftButton);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    const batch::SyncOptions options = dialog.options();
    EXPECT_EQ(options.direction, batch::SyncDirection::V2ToV1);
    EXPECT_TRUE(options.keep);
    EXPECT_FALSE(options.intelligent);
}

}  // namespace
}  // namespace corvane
