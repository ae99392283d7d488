// Properties: Enter and a double-click in the list open the tag editor on the selected rows; the
// editor's choices come back to the window and the rows are read again when it closes.
#include "app/folder_tree.h"
#include "editor/tag_editor_dialog.h"
#include "tests/batchui/batch_frame_fixture.h"

namespace corvane {
namespace {

using namespace corvane::test;

using Properties = BatchFrameTest;

TEST_F(Properties, EnterOpensTheSelectedRowsInListOrderAndTheyAreReadAgainAfterCancel)
{
    for (const char* name : {"c.mp3", "a.mp3", "b.mp3"})
        song(name, {}, trailer(std::string("Old ") + name));
    openWindow();
    select({"c.mp3", "a.mp3"});
    QStringList titles;
    whenShown<TagEditorDialog>([&](TagEditorDialog& editor) {
        titles << editor.windowTitle();
        clickButton(editor, "buttonNext");
        titles << editor.windowTitle();
        // Changed behind the editor's back: only the selected rows are read again.
        song("c.mp3", {}, trailer("New c.mp3"));
        song("b.mp3", {}, trailer("New b.mp3"));
        window().folderTree().setFocus();
        clickButton(editor, "buttonCancel");
    });
    QTest::keyClick(&list(), Qt::Key_Return);

    EXPECT_EQ(titles,
              (QStringList{"MP3 Tag Info - 1 of 2 (a.mp3)", "MP3 Tag Info - 2 of 2 (c.mp3)"}));
    EXPECT_EQ(cell("c.mp3", 1), "New c.mp3");
    EXPECT_EQ(cell("b.mp3", 1), "Old b.mp3");
    EXPECT_TRUE(m_prompter.asked().empty());
    // The window's focus is on the list again (the window itself is activated later, if at all,
    // on the offscreen platform).
    EXPECT_EQ(window().focusWidget(), &list());
}

TEST_F(Properties, DoubleClickOpensTheEditorAndItsLayoutAndCompactChoicesComeBack)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "Old")}, trailer("Old"));
    openWindow(defaultColumnLayout(), TagView::Id3v1, true);
    ASSERT_TRUE(window().settings().expanded);
    whenShown<TagEditorDialog>([&](TagEditorDialog& editor) {
        auto& compact = child<QCheckBox>(editor, "checkCompact");
        ASSERT_TRUE(compact.isChecked());
        QTest::mouseClick(&compact, Qt::LeftButton, {}, QPoint(6, compact.height() / 2));
        child<QLineEdit>(editor, "editV1Title").setText(QStringLiteral("New"));
        clickButton(editor, "buttonMoreLess");
        clickButton(editor, "buttonUpdate");  // the only file: saves and closes
    });
    const QRect rowRect = list().visualRect(list().model().index(0, 1));
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, rowRect.center());

    EXPECT_FALSE(window().settings().compact);
    EXPECT_FALSE(window().settings().expanded);
    EXPECT_EQ(readV1(a).title, "New");
    EXPECT_EQ(cell("a.mp3", 1), "New");
}

}  // namespace
}  // namespace corvane
