#include "batchui/field_select_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "tests/gui_support/scripted_prompter.h"
#include "tests/gui_support/widget_lookup.h"

namespace corvane {
namespace {

using batch::FieldSelection;
using tags::EditorField;
using test::ScriptedPrompter;

// A text of its own for every field, so a row shows whose text it is.
std::string textOf(EditorField field)
{
    return "text " + std::to_string(tags::indexOf(field));
}

batch::EditorTexts editorTexts(bool v1Checked = true, bool v2Checked = true)
{
    batch::EditorTexts texts;
    tags::forEachField([&](EditorField field) { texts[field] = textOf(field); });
    texts[EditorField::Title] = std::string(300, 'x');
    texts[EditorField::V1Genre] = "Rock";
    texts[EditorField::V2Genre] = "(17)Rock";
    texts.v1Checked = v1Checked;
    texts.v2Checked = v2Checked;
    return texts;
}

FieldSelection noneSelected()
{
    return FieldSelection();
}

QString qText(EditorField field)
{
    return QString::fromStdString(textOf(field));
}

class FieldSelectDialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        test::expectNoWindowLeftOpen();
    }

    static QTreeWidget* list(QDialog& d, int which)
    {
        return d.findChild<QTreeWidget*>(which == 1 ? "id3v1List" : "id3v2List");
    }
    // The "Select All" / "Invert" / "Select None" button beside list 1 or 2.
    static void clickButton(QDialog& d, int which, const QString& text)
    {
        QWidget* group = list(d, which)->parentWidget();
        for (auto* button : group->findChildren<QPushButton*>()) {
            if (button->text() == text) return QTest::mouseClick(button, Qt::LeftButton);
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    static void click(QDialog& d, const QString& text)
    {
        for (auto* button : d.findChildren<QPushButton*>()) {
            if (button->text() == text) return QTest::mouseClick(button, Qt::LeftButton);
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    static std::vector<int> selectedRows(QTreeWidget* l)
    {
        std::vector<int> rows;
        for (int r = 0; r < l->topLevelItemCount(); ++r) {
            if (l->topLevelItem(r)->isSelected()) rows.push_back(r);
        }
        return rows;
    }
    static QImage picture(const QIcon& icon) { return icon.pixmap(13, 13).toImage(); }

    ScriptedPrompter prompter;
};

TEST_F(FieldSelectDialogTest, ListsShowTheEditorsFieldsWithTicksForChosenRows)
{
    FieldSelection selection = noneSelected();
    selection.set(EditorField::V1Genre, true);
    selection.set(EditorField::Composer, true);
    FieldSelectDialog dialog(editorTexts(), selection, prompter);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Select MP3 Fields to Update");

    QTreeWidget* v1 = list(dialog, 1);
    ASSERT_EQ(v1->topLevelItemCount(), 7);
    EXPECT_EQ(v1->headerItem()->text(0), "Field");
    EXPECT_EQ(v1->headerItem()->text(1), "Data");
    EXPECT_GE(v1->header()->sectionSize(0), 75);
    // No label is cut off, whatever the font.
    EXPECT_GT(v1->header()->sectionSize(0), v1->fontMetrics().horizontalAdvance("Track No") + 13);
    EXPECT_EQ(v1->topLevelItem(5)->text(0), "Genre");
    EXPECT_EQ(v1->topLevelItem(5)->text(1), "Rock");
    EXPECT_EQ(v1->topLevelItem(6)->text(0), "Comment");
    EXPECT_EQ(v1->topLevelItem(6)->text(1), qText(EditorField::V1Comment));
    EXPECT_EQ(selectedRows(v1), std::vector<int>{5});

    QTreeWidget* v2 = list(dialog, 2);
    ASSERT_EQ(v2->topLevelItemCount(), 20);
    EXPECT_EQ(v2->topLevelItem(0)->text(1), qText(EditorField::Track));
    EXPECT_EQ(v2->topLevelItem(1)->text(1), QString(259, QChar('x')));
    EXPECT_EQ(v2->topLevelItem(5)->text(1), "(17)Rock");
    EXPECT_EQ(v2->topLevelItem(7)->text(0), "Composer");
    EXPECT_EQ(v2->topLevelItem(19)->text(0), "Conductor");
    EXPECT_GT(v2->header()->sectionSize(0),
              v2->fontMetrics().horizontalAdvance("Orig. Lyricist") + 13);
    EXPECT_EQ(v2->topLevelItem(19)->text(1), qText(EditorField::Conductor));
    EXPECT_EQ(selectedRows(v2), std::vector<int>{7});

    const QImage ticked = picture(QIcon(":/icons/field-ticked.svg"));
    const QImage unticked = picture(QIcon(":/icons/field-unticked.svg"));
    ASSERT_NE(ticked, unticked);
    EXPECT_EQ(picture(v2->topLevelItem(7)->icon(0)), ticked);
    EXPECT_EQ(picture(v2->topLevelItem(8)->icon(0)), unticked);

    // A click chooses one more row and ticks it, without dropping the others.
    QTest::mouseClick(v2->viewport(), Qt::LeftButton, {},
                      v2->visualItemRect(v2->topLevelItem(8)).center());
    EXPECT_EQ(selectedRows(v2), (std::vector<int>{7, 8}));
    EXPECT_EQ(picture(v2->topLevelItem(8)->icon(0)), ticked);
    click(dialog, "Update");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(selection[EditorField::Lyricist]);
    EXPECT_TRUE(selection[EditorField::Composer]);
    EXPECT_TRUE(selection[EditorField::V1Genre]);
    EXPECT_FALSE(selection[EditorField::V1Track]);
}

TEST_F(FieldSelectDialogTest, InvertOnTheFirstFiveRowsChoosesTheRest)
{
    FieldSelection selection = noneSelected();
    tags::forEachField(EditorField::Track, EditorField::Year,
                       [&](EditorField field) { selection.set(field, true); });
    FieldSelectDialog dialog(editorTexts(), selection, prompter);
    dialog.show();
    EXPECT_EQ(selectedRows(list(dialog, 2)), (std::vector<int>{0, 1, 2, 3, 4}));
    clickButton(dialog, 2, "Invert");

    std::vector<int> rest;
    for (int r = 5; r < 20; ++r) rest.push_back(r);
    EXPECT_EQ(selectedRows(list(dialog, 2)), rest);
    EXPECT_TRUE(selectedRows(list(dialog, 1)).empty());
    click(dialog, "Update");
    tags::forEachField(EditorField::Track, EditorField::Year, [&](EditorField field) {
        EXPECT_FALSE(selection[field]) << tags::indexOf(field);
    });
    tags::forEachField(EditorField::Comment, EditorField::V2Genre, [&](EditorField field) {
        EXPECT_NE(selection[field], field == EditorField::V1Genre) << tags::indexOf(field);
    });
}

TEST_F(FieldSelectDialogTest, NothingChosenIsRefusedAndCancelKeepsTheClearedRows)
{
    FieldSelection selection = FieldSelection::all();
    {
        FieldSelectDialog dialog(editorTexts(), selection, prompter);
        dialog.show();
        clickButton(dialog, 1, "Select None");
        clickButton(dialog, 2, "Select None");
        click(dialog, "Update");
        ASSERT_EQ(prompter.asked().size(), 1u);
        EXPECT_EQ(prompter.asked()[0].text,
                  "At least one field must be selected in order to update your chosen MP3 Tags");
        EXPECT_EQ(prompter.asked()[0].icon, PromptIcon::Stop);
        EXPECT_TRUE(dialog.isVisible());
        click(dialog, "Cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(selection, noneSelected());

    FieldSelectDialog again(editorTexts(), selection, prompter);
    again.show();
    EXPECT_TRUE(selectedRows(list(again, 1)).empty());
    clickButton(again, 1, "Select All");
    EXPECT_EQ(selectedRows(list(again, 1)).size(), 7u);
    click(again, "Update");
    EXPECT_EQ(again.result(), QDialog::Accepted);
}

TEST_F(FieldSelectDialogTest, ClearedTagBoxOffersRemovalAndLeavesHiddenFlagsAlone)
{
    FieldSelection selection = noneSelected();
    selection.set(EditorField::V1Artist, true);  // not shown while the ID3v1 box is cleared
    FieldSelectDialog dialog(editorTexts(false, true), selection, prompter);
    dialog.show();
    QTreeWidget* v1 = list(dialog, 1);
    ASSERT_EQ(v1->topLevelItemCount(), 1);
    EXPECT_EQ(v1->columnCount(), 1);
    EXPECT_EQ(v1->topLevelItem(0)->text(0), "Remove ID3v1 Tag");
    EXPECT_EQ(list(dialog, 2)->topLevelItemCount(), 20);

    clickButton(dialog, 1, "Select All");
    click(dialog, "Update");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(selection[batch::kRemoveId3v1Field]);
    EXPECT_TRUE(selection[EditorField::V1Artist]);

    // The removal row shares its flag with Track No, so it starts chosen next time.
    FieldSelectDialog both(editorTexts(false, false), selection, prompter);
    both.show();
    EXPECT_EQ(selectedRows(list(both, 1)), std::vector<int>{0});
    EXPECT_EQ(list(both, 2)->topLevelItem(0)->text(0), "Remove ID3v2 Tag");
    EXPECT_TRUE(selectedRows(list(both, 2)).empty());
    both.close();
}

}  // namespace
}  // namespace corvane
