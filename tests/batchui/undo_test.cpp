// The last change taken back from the Action menu (and the undo of it taken back in turn), the
// journal of an interrupted write finished when its folder is listed, and the ways of writing
// chosen in the View menu.
#include <QMenu>
#include <filesystem>

#include "editor/tag_editor_dialog.h"
#include "tags/block_mover.h"
#include "tags/journal.h"
#include "tags/tag_write.h"
#include "tests/batchui/batch_frame_fixture.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

using Undo = BatchFrameTest;

QAction* undoItem(const QMenu& actionMenu)
{
    return actionMenu.actions().isEmpty() ? nullptr : actionMenu.actions().first();
}

TEST_F(Undo, TakesTheLastRunBackButAFileChangedSinceAndItsUndoRedoesIt)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) song(name, {textFrame("TIT2", name)});
    openWindow(layoutOf({Column::Filename, Column::Title}), TagView::Id3v2);
    {
        const auto menu = window().actionMenu();
        EXPECT_EQ(undoItem(*menu)->text(), "Undo");
        EXPECT_FALSE(undoItem(*menu)->isEnabled());
    }
    select({"a.mp3", "b.mp3", "c.mp3"});
    answerSetValue("New", {}, Qt::Checked);
    window().runCommand(setDataCommand(1));
    ASSERT_EQ(readV2(path("c.mp3"))["TIT2"], "New");
    EXPECT_EQ(undoItem(*window().actionMenu())->text(), "Undo Set Data");

    song("c.mp3", {textFrame("TIT2", "Other program")});
    list().clearSelection();  // Undo needs no selection
    // The window's keys work while it is active, which the platform gives back after the dialog.
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window(); }));
    QTest::keyClick(&list(), Qt::Key_Z, Qt::ControlModifier);

    EXPECT_EQ(readV2(path("a.mp3"))["TIT2"], "a.mp3");
    EXPECT_EQ(readV2(path("b.mp3"))["TIT2"], "b.mp3");
    EXPECT_EQ(readV2(path("c.mp3"))["TIT2"], "Other program");
    ASSERT_EQ(m_prompter.texts().size(), 1);
    EXPECT_TRUE(m_prompter.texts()[0].startsWith("The file c.mp3 could not be written to."))
        << m_prompter.texts()[0].toStdString();
    EXPECT_EQ(cell("a.mp3", 1), "a.mp3");
    EXPECT_EQ(undoItem(*window().actionMenu())->text(), "Redo Set Data");

    run(CommandId::UndoLastChange);
    EXPECT_EQ(readV2(path("a.mp3"))["TIT2"], "New");
    EXPECT_EQ(readV2(path("b.mp3"))["TIT2"], "New");
    EXPECT_EQ(readV2(path("c.mp3"))["TIT2"], "Other program");
    EXPECT_EQ(cell("b.mp3", 1), "New");
    EXPECT_EQ(undoItem(*window().actionMenu())->text(), "Undo Set Data");
}

TEST_F(Undo, AnUpdateInTheEditorIsAChangeOfItsOwn)
{
    const std::string a = song("a.mp3", {}, trailer("Old"));
    openWindow();
    select({"a.mp3"});
    whenShown<TagEditorDialog>([](TagEditorDialog& editor) {
        child<QLineEdit>(editor, "editV1Title").setText(QStringLiteral("New"));
        clickButton(editor, "buttonUpdate");
    });
    run(CommandId::Properties);
    ASSERT_EQ(readV1(a).title, "New");
    EXPECT_EQ(undoItem(*window().actionMenu())->text(), "Undo Update of a.mp3");

    run(CommandId::UndoLastChange);
    EXPECT_EQ(readV1(a).title, "Old");
    EXPECT_EQ(cell("a.mp3", 1), "Old");
}

TEST_F(Undo, AJournalBesideAFileIsFinishedWhenItsFolderIsListed)
{
    const Bytes before = mp3(tag({textFrame("TIT2", "Old")}),
                             mpegAudio(4 * tags::CopyChunkSize + 100, 5));
    tags::TagChanges changes;
    changes.id3v2 = tags::V2Change::Merge;
    changes.id3v2Entries.push_back(tags::FieldSlot::frame("TIT2", "New"));
    changes.id3v2Entries.push_back(tags::FieldSlot::frame("TALB", std::string(3000, 'n')));
    const auto write = [&](std::optional<std::uint64_t> stopAfter) {
        put("a.mp3", before);
        tags::File file = tags::File::open(path("a.mp3"), tags::OpenMode::Update);
        file.setWritePolicy({true, false, stopAfter});
        return tags::writeTags(file, changes).ok();
    };
    ASSERT_TRUE(write(std::nullopt));
    const Bytes expected = readFile(path("a.mp3"));
    ASSERT_FALSE(write(1));  // stopped dead after its first block, as a killed writer stops
    const std::string journal = tags::journalPathFor(path("a.mp3"));
    ASSERT_TRUE(std::filesystem::exists(journal));

    openWindow(layoutOf({Column::Filename, Column::Title}), TagView::Id3v2);
    EXPECT_EQ(readFile(path("a.mp3")), expected);
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_EQ(window().progressText(), "a.mp3: completed an interrupted write");
    EXPECT_EQ(cell("a.mp3", 1), "New");
    EXPECT_EQ(names(), QStringList{"a.mp3"});
}

TEST_F(Undo, TheWaysOfWritingAreCheckedInTheViewMenuAndKept)
{
    openWindow();
    const auto checked = [&](const char* text) {
        for (const QAction* action : window().viewMenu().actions())
            if (action->text() == QLatin1String(text)) return action->isChecked();
        ADD_FAILURE() << "no item " << text;
        return false;
    };
    EXPECT_TRUE(window().writeSettings().policy.journal);
    run(CommandId::UnsafeInPlace);
    run(CommandId::DurableWrites);
    EXPECT_TRUE(checked("Unsafe In-Place Writes"));
    EXPECT_TRUE(checked("Durable Writes"));
    EXPECT_FALSE(window().writeSettings().policy.journal);
    EXPECT_TRUE(window().writeSettings().policy.durable);
    EXPECT_TRUE(window().currentSettings().unsafeInPlace);
    run(CommandId::UnsafeInPlace);
    EXPECT_FALSE(checked("Unsafe In-Place Writes"));
    EXPECT_TRUE(window().writeSettings().policy.journal);
}

}  // namespace
}  // namespace corvane
