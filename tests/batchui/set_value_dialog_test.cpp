#include "batch/set_data.h"
#include "batchui/set_value_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <array>

#include "batch/tag_choice.h"
#include "tests/gui_support/scripted_prompter.h"
#include "tests/gui_support/widget_lookup.h"

namespace corvane {
namespace {

using batch::kChoiceNoV1Form;
using batch::kChoiceV1All;
using batch::kChoiceV1Present;
using batch::kChoiceV2All;
using test::ScriptedPrompter;
using test::withText;

class SetValueDialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        test::expectNoWindowLeftOpen();
    }

    static void clickOk(QDialog& dialog)
    {
        QTest::mouseClick(withText<QPushButton>(dialog, "OK"), Qt::LeftButton);
    }
    static QCheckBox* v1Box(QDialog& d) { return withText<QCheckBox>(d, "Set ID3v&1 Tag"); }
    static QCheckBox* v2Box(QDialog& d) { return withText<QCheckBox>(d, "Set ID3v&2 Tag"); }

    ScriptedPrompter prompter;
};

TEST_F(SetValueDialogTest, ComposerHasNoId3v1BoxAndWritesOnlyId3v2)
{
    const std::array presences{3, 3};
    SetValueDialog dialog(tags::Column::Composer, "Old", batch::initialTagChoice(presences, false),
                          prompter);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Set Composer");
    EXPECT_NE(withText<QLabel>(dialog, "Composer"), nullptr);
    ASSERT_NE(v1Box(dialog), nullptr);
    EXPECT_FALSE(v1Box(dialog)->isEnabled());
    EXPECT_EQ(v1Box(dialog)->checkState(), Qt::Unchecked);
    EXPECT_EQ(v2Box(dialog)->checkState(), Qt::Checked);

    QLineEdit* edit = dialog.findChild<QLineEdit*>("valueEdit");
    ASSERT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->selectedText(), "Old");  // typing replaces the starting value
    QTest::keyClicks(edit, "J. S. Bach");
    clickOk(dialog);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const auto options = dialog.options();
    ASSERT_EQ(options.values.size(), 1u);
    EXPECT_EQ(options.values[0].field.frameId, "TCOM");
    EXPECT_FALSE(options.values[0].field.hasV1Form());
    EXPECT_EQ(options.values[0].value, "J. S. Bach");
    EXPECT_EQ(options.choice, kChoiceV2All);
    EXPECT_TRUE(prompter.asked().empty());
}

TEST_F(SetValueDialogTest, RefusesToCloseUntilATagIsChosen)
{
    // Files with only a trailer, and a field the trailer cannot hold: nothing can be written, and
    // the user must be told instead of seeing a run that silently does nothing.
    SetValueDialog dialog(tags::Column::Copyright, "", kChoiceV1All | kChoiceNoV1Form, prompter);
    dialog.show();
    clickOk(dialog);
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].text, "Please select at least one tag to update");
    EXPECT_EQ(prompter.asked()[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(dialog.isVisible());

    QTest::mouseClick(v2Box(dialog), Qt::LeftButton);
    clickOk(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.options().choice, kChoiceV2All);
}

TEST_F(SetValueDialogTest, GenreBoxFindsTheNamedGenreAndKeepsUnknownText)
{
    SetValueDialog dialog(tags::Column::Genre, "rock", kChoiceV1All | kChoiceV2All, prompter);
    dialog.show();
    auto* box = dialog.findChild<QComboBox*>("genreBox");
    ASSERT_TRUE(box->isVisible());
    EXPECT_FALSE(dialog.findChild<QLineEdit*>("valueEdit")->isVisible());
    EXPECT_EQ(box->currentText(), "Rock");
    EXPECT_EQ(box->currentData().toInt(), 17);
    ASSERT_EQ(box->count(), tags::kGenreCount + 1);
    EXPECT_EQ(box->itemText(0), "");
    for (int i = 2; i < box->count(); ++i)
        EXPECT_LE(QString::compare(box->itemText(i - 1), box->itemText(i), Qt::CaseInsensitive), 0);
    clickOk(dialog);
    EXPECT_EQ(dialog.options().values[0].value, "Rock");
    EXPECT_EQ(dialog.options().values[0].field.frameId, "TCON");

    SetValueDialog unknown(tags::Column::Genre, "Chiptune Shoegaze", kChoiceV2All, prompter);
    unknown.show();
    EXPECT_EQ(unknown.findChild<QComboBox*>("genreBox")->currentIndex(), 0);
    clickOk(unknown);
    EXPECT_EQ(unknown.options().values[0].value, "Chiptune Shoegaze");
}

TEST_F(SetValueDialogTest, ValueIsLimitedTo253CharactersAndMayBeEmpty)
{
    SetValueDialog longStart(tags::Column::Title, std::string(300, 'a'), kChoiceV2All, prompter);
    longStart.show();
    QTest::keyClicks(longStart.findChild<QLineEdit*>("valueEdit"), QString(300, QChar('b')));
    clickOk(longStart);
    EXPECT_EQ(longStart.options().values[0].value, std::string(kMaxSetValueLength, 'b'));

    SetValueDialog cleared(tags::Column::Title, "Something", kChoiceV2All, prompter);
    cleared.show();
    QTest::keyClick(cleared.findChild<QLineEdit*>("valueEdit"), Qt::Key_Delete);
    clickOk(cleared);
    EXPECT_EQ(cleared.result(), QDialog::Accepted);
    EXPECT_EQ(cleared.options().values[0].value, "");

    // A character outside the BMP counts once and is never cut in half.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
    EXPECT_EQ(leftCharacters(clef + clef + QStringLiteral("x"), 2), clef + clef);
    EXPECT_EQ(leftCharacters(QStringLiteral("x") + clef, 2), QStringLiteral("x") + clef);
}

TEST_F(SetValueDialogTest, OnlyAMixedSelectionGetsTheThirdBoxState)
{
    SetValueDialog dialog(tags::Column::Title, "t", kChoiceV1Present | kChoiceV2All, prompter);
    dialog.show();
    QCheckBox* v1 = v1Box(dialog);
    QCheckBox* v2 = v2Box(dialog);
    EXPECT_EQ(v1->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(v1->isTristate());
    EXPECT_FALSE(v2->isTristate());

    // A plain box only toggles between checked and cleared.
    QTest::mouseClick(v2, Qt::LeftButton);
    EXPECT_EQ(v2->checkState(), Qt::Unchecked);
    QTest::mouseClick(v2, Qt::LeftButton);
    EXPECT_EQ(v2->checkState(), Qt::Checked);

    clickOk(dialog);
    EXPECT_EQ(dialog.options().choice, kChoiceV1Present | kChoiceV2All);
}

}  // namespace
}  // namespace corvane
