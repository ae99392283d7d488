// Update All: started from the tag editor over the selected rows, through the real field chooser,
// and its write loop's prompts.
#include <QTreeWidget>

#include "batchui/field_select_dialog.h"
#include "batchui/run_progress_dialog.h"
#include "batch/undo_store.h"
#include "batchui/update_all_run.h"
#include "editor/tag_editor_dialog.h"
#include "batch/update_all.h"
#include "tests/batchui/batch_frame_fixture.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

const QString kGoOnUpdating =
    QStringLiteral("\nWould you like to continue with the remaining file(s)?");

Bytes lastBytes(const std::string& path)
{
    const Bytes all = readFile(path);
    return Bytes(all.end() - 128, all.end());
}

// Opens the editor with Properties, lets `edit` change it, presses "Update All...", chooses rows
// in the field chooser (both lists cleared first, then the given rows of each list selected),
// and closes the editor with Cancel.
void updateAllFromEditor(std::function<void(TagEditorDialog&)> edit, std::vector<int> id3v1Rows,
                         std::vector<int> id3v2Rows)
{
    whenShown<TagEditorDialog>([=](TagEditorDialog& editor) {
        edit(editor);
        whenShown<FieldSelectDialog>([=](FieldSelectDialog& chooser) {
            clickButton(chooser, "id3v1NoneButton");
            clickButton(chooser, "id3v2NoneButton");
            auto& v1 = child<QTreeWidget>(chooser, "id3v1List");
            auto& v2 = child<QTreeWidget>(chooser, "id3v2List");
            for (int row : id3v1Rows) v1.topLevelItem(row)->setSelected(true);
            for (int row : id3v2Rows) v2.topLevelItem(row)->setSelected(true);
            clickButton(chooser, "updateButton");
        });
        clickButton(editor, "buttonUpdateAll");
        clickButton(editor, "buttonCancel");
    });
}

class UpdateAllRun : public BatchFrameTest {};

TEST_F(UpdateAllRun, OnlyTheChosenAlbumReachesEveryFile)
{
    std::vector<std::string> names;
    std::vector<Bytes> trailers;
    for (int i = 0; i < 10; ++i) {
        names.push_back("song" + std::to_string(i) + ".mp3");
        song(names.back(), {textFrame("TIT2", names.back()), textFrame("TALB", "Old")},
             trailer(names.back(), "Artist", "Old album"));
        trailers.push_back(lastBytes(path(names.back())));
    }
    openWindow(layoutOf({Column::Filename, Column::Album}), TagView::Id3v2);
    list().selectAllRows();
    updateAllFromEditor(
        [](TagEditorDialog& editor) {
            child<QLineEdit>(editor, "editV2Album").setText(QStringLiteral("New Album"));
        },
        {}, {3});
    run(CommandId::Properties);

    EXPECT_EQ(m_prompter.texts(), QStringList{"Update Complete"});
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto frames = readV2(path(names[i]));
        EXPECT_EQ(frames.at("TALB"), "New Album") << names[i];
        EXPECT_EQ(frames.at("TIT2"), names[i]);
        EXPECT_EQ(frames.size(), 2u);
        EXPECT_EQ(lastBytes(path(names[i])), trailers[i]);
    }
    // The rows are read again when the editor closes.
    EXPECT_EQ(columnTexts(list(), 1), QStringList(10, QStringLiteral("New Album")));
    EXPECT_TRUE(window().settings().fieldSelection[tags::EditorField::Album]);
    EXPECT_FALSE(window().settings().fieldSelection[tags::EditorField::Title]);
}

TEST_F(UpdateAllRun, RemoveId3v1TagTakesEveryTrailerOff)
{
    const std::string a = song("a.mp3", {textFrame("TIT2", "A")}, trailer("A"));
    const std::string b = song("b.mp3", {textFrame("TIT2", "B")}, trailer("B"));
    const std::string c = song("c.mp3", {textFrame("TIT2", "C")});
    const auto sizeA = std::filesystem::file_size(a);
    const Bytes cBefore = readFile(c);
    openWindow();
    list().selectAllRows();
    updateAllFromEditor(
        [](TagEditorDialog& editor) {
            auto& box = child<QCheckBox>(editor, "checkId3v1");
            QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
            ASSERT_FALSE(box.isChecked());
        },
        {0}, {});
    run(CommandId::Properties);

    EXPECT_EQ(std::filesystem::file_size(a), sizeA - 128);
    EXPECT_FALSE(readV1(b).present);
    EXPECT_EQ(readV2(b)["TIT2"], "B");
    EXPECT_EQ(readFile(c), cBefore);
    EXPECT_EQ(m_prompter.texts(), QStringList{"Update Complete"});
    EXPECT_EQ(presence("a.mp3"), 2);
}

// Only what the user ticks goes to the other files: not the shown file's play counter, and no
// removal of a tag that the editor showed as cleared because it could not read it.
TEST_F(UpdateAllRun, NeitherTheCounterNorAnUnreadTagTravels)
{
    const Bytes count5{0, 0, 0, 5};
    const Bytes count7{0, 0, 0, 7};
    song("a.mp3", {textFrame("TIT2", "A"), frame("PCNT", count5)});
    const std::string b = song("b.mp3", {textFrame("TIT2", "B"), frame("PCNT", count7)});
    openWindow();
    list().selectAllRows();
    updateAllFromEditor([](TagEditorDialog&) {}, {}, {1});  // Title only
    run(CommandId::Properties);
    EXPECT_EQ(readV2(b)["PCNT"], "7");
    EXPECT_EQ(readV2(b)["TIT2"], "A");

    // A tag of a version that is not read shows as cleared; its removal is offered and chosen.
    const Bytes unread = mp3(tag({textFrame("TIT2", "Five")}, 50, 5), mpegAudio(2000));
    writeFile(path("a.mp3"), unread);
    const Bytes before = readFile(b);
    list().selectAllRows();
    updateAllFromEditor(
        [](TagEditorDialog& editor) { ASSERT_FALSE(child<QCheckBox>(editor, "checkId3v2").isChecked()); },
        {}, {0});
    run(CommandId::Properties);
    EXPECT_EQ(readFile(path("a.mp3")), unread);
    EXPECT_EQ(readFile(b), before) << "no tag was removed from the other files";
}

TEST_F(UpdateAllRun, ReducedLayoutWritesEncodedByButNotSubTitle)
{
    song("a.mp3", {textFrame("TIT3", "Sub A"), textFrame("TENC", "Enc A")});
    const std::string b = song("b.mp3", {textFrame("TIT3", "Sub B"), textFrame("TENC", "Enc B")});
    m_settings.store().setValue("Expanded", 0);
    openWindow();
    list().selectAllRows();
    updateAllFromEditor(
        [](TagEditorDialog& editor) {
            child<QLineEdit>(editor, "editEncodedBy").setText(QStringLiteral("New Enc"));
        },
        {}, {11, 12});
    run(CommandId::Properties);

    EXPECT_EQ(readV2(b)["TENC"], "New Enc");
    EXPECT_EQ(readV2(b)["TIT3"], "Sub B");
}

// The loop itself, as the editor hands it a job.
class UpdateAllLoop : public BatchFrameTest {
protected:
    batch::UpdateAllJob job(std::vector<std::string> names)
    {
        batch::UpdateAllJob j;
        j.folder = m_music.folder();
        j.names = std::move(names);
        j.plan.id3v2.entries = tags::SlotList{tags::FieldSlot::frame("TALB", "X")};
        return j;
    }
    RunProgressDialog m_progress;
    const WriteSettings m_writing{{}, batch::UndoStore::defaultFolder()};
};

TEST_F(UpdateAllLoop, ReadOnlyThirdOfFiveIsNamedAndYesGoesOn)
{
    const std::vector<std::string> names{"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"};
    for (const auto& name : names) song(name, {textFrame("TALB", "Old")});
    const ReadOnlyFile locked(path("c.mp3"));
    (void)writeUpdateAll(nullptr, m_prompter, m_progress, m_writing, job(names));

    ASSERT_EQ(m_prompter.asked().size(), 1u);
    EXPECT_EQ(m_prompter.asked()[0].text, readOnlyText("c.mp3") + kGoOnUpdating);
    EXPECT_EQ(m_prompter.asked()[0].icon, PromptIcon::Warning);
    EXPECT_EQ(m_prompter.asked()[0].buttons, PromptButtons::YesNo);
    for (const char* name : {"a.mp3", "b.mp3", "d.mp3", "e.mp3"})
        EXPECT_EQ(readV2(path(name))["TALB"], "X") << name;
    EXPECT_EQ(readV2(path("c.mp3"))["TALB"], "Old");

    m_prompter.clear();
    m_prompter.queueAnswer(PromptAnswer::No);
    auto second = job(names);
    second.plan.id3v2.entries = tags::SlotList{tags::FieldSlot::frame("TALB", "Y")};
    (void)writeUpdateAll(nullptr, m_prompter, m_progress, m_writing, second);
    EXPECT_EQ(readV2(path("b.mp3"))["TALB"], "Y");
    EXPECT_EQ(readV2(path("d.mp3"))["TALB"], "X");
}

TEST_F(UpdateAllLoop, FailedWriteIsReportedAndTheLastFileIsAskedToo)
{
    song("a.mp3", {textFrame("TALB", "Old")});
    const Bytes damaged = {'T', 'I', 'T', '2', 0, 0, 0x13, 0x88, 0, 0, 0, 'x'};
    const std::string b =
        put("b.mp3", mp3(tag({textFrame("TALB", "Old"), damaged}), mpegAudio(600)));
    const Bytes bBefore = readFile(b);
    song("c.mp3", {textFrame("TALB", "Old")});
    const ReadOnlyFile locked(path("c.mp3"));
    (void)writeUpdateAll(nullptr, m_prompter, m_progress, m_writing, job({"a.mp3", "b.mp3", "c.mp3"}));

    EXPECT_EQ(m_prompter.texts(),
              (QStringList{"The file b.mp3 could not be written to.\nThe ID3v2 tag is damaged." +
                               kGoOnUpdating,
                           readOnlyText("c.mp3") + kGoOnUpdating}));
    EXPECT_EQ(readV2(path("a.mp3"))["TALB"], "X");
    EXPECT_EQ(readFile(b), bBefore);
}

}  // namespace
}  // namespace corvane
