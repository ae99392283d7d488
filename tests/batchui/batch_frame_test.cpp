// The run frame as the user meets it: the refusal of an empty selection, the access prompt in its
// two forms, failed writes reported instead of counted, the tag boxes' starting states, what a
// write does to the rows, and Compact ID3v2 Tags.
#include "tests/batchui/batch_frame_fixture.h"

#include <QRadioButton>

#include "batchui/convert_dialog.h"
#include "tests/support/mutagen.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

Bytes padded(std::string_view title, std::size_t padding = 2000)
{
    return mp3(tag({textFrame("TIT2", title)}, padding), mpegAudio(3000));
}

std::uintmax_t sizeOf(const std::string& path) { return std::filesystem::file_size(path); }

TEST_F(BatchFrameTest, EveryActionCommandRefusesAnEmptySelection)
{
    const std::string a = put("a.mp3", padded("A"));
    const Bytes before = readFile(a);
    openWindow();
    list().clearSelection();
    window().folderTree().setFocus();
    // Undo is the one Action command that needs no selection.
    std::size_t commands = 0;
    for (int id = commandNumber(CommandId::ActionFirst); id <= commandNumber(CommandId::ActionLast);
         ++id) {
        if (id == commandNumber(CommandId::UndoLastChange)) continue;
        window().runCommand(id);
        ++commands;
    }
    ASSERT_EQ(m_prompter.asked().size(), commands);
    for (const auto& asked : m_prompter.asked()) {
        EXPECT_EQ(asked.text, "Please select at least one file to perform operation on");
        EXPECT_EQ(asked.icon, PromptIcon::Stop);
        EXPECT_EQ(asked.buttons, PromptButtons::Ok);
    }
    EXPECT_EQ(QApplication::focusWidget(), &list());
    EXPECT_EQ(readFile(a), before);
}

TEST_F(BatchFrameTest, ReadOnlyMiddleFileAsksAndYesWritesTheOthers)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) put(name, padded(name));
    const auto full = sizeOf(path("a.mp3"));
    const ReadOnlyFile locked(path("b.mp3"));
    openWindow();
    select({"a.mp3", "b.mp3", "c.mp3"});
    run(CommandId::CompactId3v2);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, readOnlyText("b.mp3") + kGoOnQuestion);
    EXPECT_EQ(m_prompter.asked()[0].icon, PromptIcon::Question);
    EXPECT_EQ(m_prompter.asked()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(sizeOf(path("a.mp3")), full - 2000);
    EXPECT_EQ(sizeOf(path("b.mp3")), full);
    EXPECT_EQ(sizeOf(path("c.mp3")), full - 2000);
    // The status bar keeps the last file written, with its whole path.
    EXPECT_EQ(window().progressText(), QString::fromStdString(path("c.mp3")));
    EXPECT_EQ(QApplication::focusWidget(), &list());
}

TEST_F(BatchFrameTest, NoAtTheQuestionEndsTheRunAfterThatFile)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) put(name, padded(name));
    const auto full = sizeOf(path("a.mp3"));
    const ReadOnlyFile locked(path("b.mp3"));
    openWindow();
    select({"a.mp3", "b.mp3", "c.mp3"});
    m_prompter.queueAnswer(PromptAnswer::No);
    run(CommandId::CompactId3v2);

    EXPECT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(sizeOf(path("a.mp3")), full - 2000);
    EXPECT_EQ(sizeOf(path("c.mp3")), full);
}

TEST_F(BatchFrameTest, LastOrOnlyReadOnlyFileGetsANoticeWithoutAQuestion)
{
    put("a.mp3", padded("A"));
    put("b.mp3", padded("B"));
    const auto full = sizeOf(path("a.mp3"));
    const ReadOnlyFile locked(path("b.mp3"));
    openWindow();
    for (auto selection : {std::initializer_list<const char*>{"a.mp3", "b.mp3"},
                           std::initializer_list<const char*>{"b.mp3"}}) {
        m_prompter.clear();
        select(selection);
        run(CommandId::CompactId3v2);
        ASSERT_EQ(m_prompter.asked().size(), 1u);
        EXPECT_EQ(m_prompter.asked()[0].text, readOnlyText("b.mp3"));
        EXPECT_EQ(m_prompter.asked()[0].icon, PromptIcon::Information);
        EXPECT_EQ(m_prompter.asked()[0].buttons, PromptButtons::Ok);
    }
    EXPECT_EQ(sizeOf(path("a.mp3")), full - 2000);
    EXPECT_EQ(sizeOf(path("b.mp3")), full);
}

TEST_F(BatchFrameTest, FileRemovedAfterTheScanIsReportedLikeAReadOnlyOne)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) put(name, padded(name));
    const auto full = sizeOf(path("a.mp3"));
    openWindow();
    select({"a.mp3", "b.mp3", "c.mp3"});
    std::filesystem::remove(path("b.mp3"));
    run(CommandId::CompactId3v2);

    EXPECT_EQ(m_prompter.texts(), QStringList{readOnlyText("b.mp3") + kGoOnQuestion});
    EXPECT_EQ(sizeOf(path("c.mp3")), full - 2000);
    EXPECT_FALSE(std::filesystem::exists(path("b.mp3")));
}

TEST_F(BatchFrameTest, FailedWriteInTheMiddleIsReportedNotShownAndTheRunGoesOn)
{
    song("a.mp3", {textFrame("TIT2", "Old A")});
    // A frame whose size runs far past the end of its tag: the list still reads the title in
    // front of it, but the writer refuses to rewrite a damaged tag.
    Bytes damaged = {'T', 'A', 'L', 'B', 0, 0, 0x13, 0x88, 0, 0, 0, 'x'};
    const std::string b =
        put("b.mp3", mp3(tag({textFrame("TIT2", "Old B"), damaged}), mpegAudio(600)));
    const Bytes bBefore = readFile(b);
    song("c.mp3", {textFrame("TIT2", "Old C")});
    openWindow(layoutOf({Column::Filename, Column::Title}), TagView::Id3v2);
    ASSERT_EQ(cell("b.mp3", 1), "Old B");
    select({"a.mp3", "b.mp3", "c.mp3"});
    answerSetValue("New", Qt::Unchecked, Qt::Checked);
    window().runCommand(setDataCommand(1));

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text,
              "The file b.mp3 could not be written to.\nThe ID3v2 tag is damaged." + kGoOnQuestion);
    EXPECT_EQ(m_prompter.asked()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(readFile(b), bBefore);
    EXPECT_EQ(cell("b.mp3", 1), "Old B");
    EXPECT_EQ(readV2(path("a.mp3"))["TIT2"], "New");
    EXPECT_EQ(readV2(path("c.mp3"))["TIT2"], "New");
    EXPECT_EQ(cell("a.mp3", 1), "New");
    EXPECT_EQ(cell("c.mp3", 1), "New");
}

TEST_F(BatchFrameTest, TagBoxesStartFromTheTagsTheSelectedRowsShow)
{
    song("a.mp3", {textFrame("TIT2", "A")}, trailer("A"));
    song("b.mp3", {textFrame("TIT2", "B")}, trailer("B"));
    for (const char* name : {"c.mp3", "d.mp3", "e.mp3"}) song(name, {textFrame("TIT2", name)});
    const Bytes before = readFile(path("a.mp3"));
    openWindow();
    struct Boxes {
        bool v1ThreeState;
        Qt::CheckState v1, v2;
    };
    const auto boxesOf = [this](std::initializer_list<const char*> rows) {
        select(rows);
        Boxes boxes{};
        whenShown<SetValueDialog>([&boxes](SetValueDialog& dialog) {
            const auto& v1 = child<QCheckBox>(dialog, "id3v1Box");
            boxes = {v1.isTristate(), v1.checkState(),
                     child<QCheckBox>(dialog, "id3v2Box").checkState()};
            clickButton(dialog, "cancelButton");
        });
        window().runCommand(setDataCommand(1));
        return boxes;
    };
    const Boxes mixed = boxesOf({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
    EXPECT_TRUE(mixed.v1ThreeState);
    EXPECT_EQ(mixed.v1, Qt::PartiallyChecked);
    EXPECT_EQ(mixed.v2, Qt::Checked);
    const Boxes none = boxesOf({"c.mp3", "d.mp3", "e.mp3"});
    EXPECT_FALSE(none.v1ThreeState);
    EXPECT_EQ(none.v1, Qt::Unchecked);
    // Cancel writes nothing.
    EXPECT_EQ(readFile(path("a.mp3")), before);
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(BatchFrameTest, WritingOnlyTheId3v2TagInTheId3v1ViewChangesNoCellOrImage)
{
    song("a.mp3", {textFrame("TIT2", "V2 A")}, trailer("V1 A"));
    song("b.mp3", {textFrame("TIT2", "V2 B")});
    openWindow();
    select({"a.mp3", "b.mp3"});
    answerSetValue("New", Qt::Unchecked, Qt::Checked);
    window().runCommand(setDataCommand(1));

    EXPECT_EQ(cell("a.mp3", 1), "V1 A");
    EXPECT_EQ(cell("b.mp3", 1), "");
    EXPECT_EQ(presence("a.mp3"), 3);
    EXPECT_EQ(presence("b.mp3"), 2);
    EXPECT_EQ(readV2(path("b.mp3"))["TIT2"], "New");
    EXPECT_EQ(readV1(path("a.mp3")).title, "V1 A");
}

TEST_F(BatchFrameTest, CompactGivesThePaddingBackOnceAndLeavesFilesWithoutATagAlone)
{
    put("a.mp3", padded("Padded"));
    const std::string n = put("n.mp3", mp3({}, mpegAudio(3000), trailer("No tag")));
    put("r.mp3", mp3({}, mpegAudio(3000)));
    const auto full = sizeOf(path("a.mp3"));
    const Bytes nBefore = readFile(n);
    const ReadOnlyFile locked(path("r.mp3"));
    openWindow();
    select({"a.mp3", "n.mp3", "r.mp3"});
    run(CommandId::CompactId3v2);
    EXPECT_EQ(sizeOf(path("a.mp3")), full - 2000);
    EXPECT_EQ(readV2(path("a.mp3"))["TIT2"], "Padded");
    const Bytes compacted = readFile(path("a.mp3"));

    run(CommandId::CompactId3v2);
    EXPECT_EQ(readFile(path("a.mp3")), compacted);
    EXPECT_EQ(readFile(n), nBefore);
    // The access test comes before the look at the row: the read-only file without a tag is
    // reported on both runs.
    EXPECT_EQ(m_prompter.texts(), (QStringList{readOnlyText("r.mp3"), readOnlyText("r.mp3")}));
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

using namespace corvane::test;

// Convert ID3v2 Version: the dialog's choice over the selected files, a file that cannot be
// converted (an encrypted frame) named in the failure prompt, the others converted.
TEST_F(BatchFrameTest, ConvertRunsOverTheSelectionAndReportsAFileItCannotConvert)
{
    put("a.mp3", padded("A"));
    const Bytes locked = mp3(tag({textFrame("TIT2", "B"), flaggedFrame("TPE1", {0x80, 1}, 0x0040)}, 100),
                             mpegAudio(3000));
    put("b.mp3", locked);
    put("c.mp3", mp3(tag({frameV22("TT2", Bytes{0, 'C'})}, 100, 2), mpegAudio(3000)));
    openWindow();
    select({"a.mp3", "b.mp3", "c.mp3"});
    whenShown<ConvertDialog>([](ConvertDialog& dialog) {
        child<QRadioButton>(dialog, "radioV24").click();
        dialog.accept();
    });
    m_prompter.queueAnswer(PromptAnswer::Yes);
    run(CommandId::ConvertId3v2);

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_TRUE(m_prompter.asked()[0].text.contains(QStringLiteral("b.mp3")));
    EXPECT_TRUE(m_prompter.asked()[0].text.contains(QStringLiteral("encrypted")));
    EXPECT_EQ(readFile(path("b.mp3")), locked);
    EXPECT_EQ(mutagenTag(path("a.mp3")).version, "2.4.0");
    const auto c = mutagenTag(path("c.mp3"));
    EXPECT_EQ(c.version, "2.4.0");
    EXPECT_EQ(c.at("TIT2"), "C");
}

}  // namespace
}  // namespace corvane
