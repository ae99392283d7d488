// Saving from the tag editor: "Update", the save prompt of Prev and Next, and the hand-over to
// Update All, checked on the files themselves and with the peer reader.
#include "tests/editor/editor_fixture.h"

#include "batch/run_driver.h"
#include "tests/support/mutagen.h"

#include <filesystem>

namespace corvane::test {
namespace {

using TagEditorSaveTest = EditorTest;

Bytes tail(const Bytes& bytes, std::size_t n)
{
    return Bytes(bytes.end() - static_cast<std::ptrdiff_t>(n), bytes.end());
}

TEST_F(TagEditorSaveTest, UpdateOnTheOnlyFileSavesBothTagsAndCloses)
{
    const std::string path = put("a.mp3", sample("Old"));
    open({"a.mp3"});
    type("editV1Title", QStringLiteral("New V1"));
    type("editV2Title", QStringLiteral("New V2"));
    QTest::keyClick(edit("editV2Title"), Qt::Key_Return);  // Enter is "Update"

    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialog().result(), QDialog::Accepted);
    EXPECT_TRUE(dialog().compact()) << "the Compact box starts checked and was kept";
    EXPECT_TRUE(m_prompter.asked().empty());
    const tags::TagRecord back = readBack(path);
    EXPECT_EQ(back[tags::RecordSlot::V1Title].text(), "New V1");
    EXPECT_EQ(back[tags::RecordSlot::V1Artist].text(), "V1 Artist");
    EXPECT_EQ(mutagenFrames(path)["TIT2"], "New V2");
    EXPECT_EQ(mutagenFrames(path)["TPE1"], "Artist");
}

TEST_F(TagEditorSaveTest, CancelAfterChangesWritesNothingAndAsksNothing)
{
    const std::string path = put("a.mp3", sample("Old"));
    const Bytes before = readFile(path);
    open({"a.mp3"});
    type("editV2Title", QStringLiteral("Changed"));
    toggle("checkId3v1");
    click("buttonCancel");
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialog().result(), QDialog::Rejected);
    EXPECT_FALSE(dialog().compact()) << "without Update the incoming Compact value comes back";
    EXPECT_TRUE(m_prompter.asked().empty());
    EXPECT_EQ(readFile(path), before);
}

TEST_F(TagEditorSaveTest, UpdateMovesToTheNextFile)
{
    const std::string a = put("a.mp3", sample("A"));
    put("b.mp3", sample("B"));
    open({"a.mp3", "b.mp3"});
    type("editV2Album", QStringLiteral("Album A"));
    click("buttonUpdate");
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("MP3 Tag Info - 2 of 2 (b.mp3)"));
    EXPECT_EQ(mutagenFrames(a)["TALB"], "Album A");
    EXPECT_TRUE(m_prompter.asked().empty());
}

TEST_F(TagEditorSaveTest, TypedGenreIsSavedAsTypedAndChosenGenreAsReference)
{
    const std::string path = put("a.mp3", sample("a"));
    open({"a.mp3"});
    typeGenre(QStringLiteral("Chill"));
    click("buttonUpdate");
    EXPECT_EQ(mutagenFrames(path)["TCON"], "Chill");
    open({"a.mp3"});
    EXPECT_EQ(combo("comboV2Genre")->currentText(), QStringLiteral("Chill"));

    QComboBox* box = combo("comboV2Genre");
    box->setCurrentIndex(box->findText(QStringLiteral("Rock")));
    click("buttonUpdate");
    EXPECT_EQ(readBack(path)[tags::RecordSlot::Genre].text(), "(17)Rock");
    EXPECT_EQ(mutagenFrames(path)["TCON"], "Rock") << "the peer reader resolves the reference";
    open({"a.mp3"});
    box = combo("comboV2Genre");
    EXPECT_EQ(box->currentIndex(), box->findText(QStringLiteral("Rock")));
}

TEST_F(TagEditorSaveTest, UnchangedUpdateCompactsOnlyWhenCompactIsChecked)
{
    const std::string path = put("a.mp3", sample("Same", 700));
    const Bytes before = readFile(path);
    open({"a.mp3"});
    toggle("checkCompact");
    click("buttonUpdate");
    EXPECT_FALSE(dialog().compact());
    EXPECT_EQ(readFile(path), before) << "nothing changed and no compaction asked for";

    open({"a.mp3"});
    ASSERT_TRUE(check("checkCompact")->isChecked());
    click("buttonUpdate");
    const Bytes after = readFile(path);
    EXPECT_LE(after.size() + 700, before.size());
    EXPECT_EQ(tail(after, 3000 + 128), tail(before, 3000 + 128)) << "audio and trailer intact";
    EXPECT_EQ(mutagenFrames(path)["TIT2"], "Same");
    EXPECT_EQ(mutagenFrames(path)["TPE1"], "Artist");
}

TEST_F(TagEditorSaveTest, ClearedTagBoxesRemoveOnlyTagsThatWereLoaded)
{
    const std::string a = put("a.mp3", sample("a"));
    const std::size_t sizeBefore = readFile(a).size();
    open({"a.mp3"});
    toggle("checkId3v1");
    toggle("checkCompact");
    click("buttonUpdate");
    EXPECT_EQ(readFile(a).size(), sizeBefore - 128);
    EXPECT_FALSE(readBack(a).hasId3v1());
    EXPECT_EQ(mutagenFrames(a)["TIT2"], "a");

    const std::string b = put("b.mp3", mp3({}, mpegAudio(1000), trailer("b")));
    open({"b.mp3"});
    ASSERT_FALSE(check("checkId3v2")->isChecked());
    type("editV1Title", QStringLiteral("b2"));
    click("buttonUpdate");
    EXPECT_FALSE(readBack(b).hasId3v2()) << "a file without an ID3v2 tag is left without one";
    EXPECT_EQ(readBack(b)[tags::RecordSlot::V1Title].text(), "b2");
}

TEST_F(TagEditorSaveTest, NextAnsweredNoDropsChangesAndYesSaves)
{
    const std::string a = put("a.mp3", sample("A"));
    const std::string b = put("b.mp3", sample("B"));
    const Bytes before = readFile(a);
    open({"a.mp3", "b.mp3"});
    type("editV2Title", QStringLiteral("Dropped"));
    m_prompter.queueAnswer(PromptAnswer::No);
    click("buttonNext");
    EXPECT_EQ(readFile(a), before);
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("B"));

    type("editV2Title", QStringLiteral("Kept"));
    m_prompter.queueAnswer(PromptAnswer::Yes);
    click("buttonPrev");
    EXPECT_EQ(mutagenFrames(b)["TIT2"], "Kept");
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("A"));
}

TEST_F(TagEditorSaveTest, ReadOnlyFileKeepsTheDialogAndTheChanges)
{
    const std::string a = put("a.mp3", sample("A"));
    put("b.mp3", sample("B"));
    std::filesystem::permissions(a, std::filesystem::perms::owner_read |
                                        std::filesystem::perms::group_read |
                                        std::filesystem::perms::others_read);
    const Bytes before = readFile(a);
    open({"a.mp3", "b.mp3"});
    type("editV2Title", QStringLiteral("Changed"));
    m_prompter.queueAnswer(PromptAnswer::Yes);
    click("buttonNext");
    ASSERT_EQ(m_prompter.asked().size(), 2U);
    EXPECT_EQ(m_prompter.asked()[1].text,
              QStringLiteral("The file a.mp3 could not be written to. Please ensure it is not set "
                             "to Read-Only and try again."));
    EXPECT_EQ(m_prompter.asked()[1].icon, PromptIcon::Stop);
    EXPECT_EQ(dialog().currentIndex(), 0);
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Changed"));
    EXPECT_EQ(readFile(a), before);

    click("buttonUpdate");
    EXPECT_TRUE(dialog().isVisible()) << "Update stays on a file it could not write";
    EXPECT_EQ(m_prompter.asked().size(), 3U);
}

TEST_F(TagEditorSaveTest, ClearCounterIsSavedOnlyInTheExpandedLayout)
{
    const std::vector<Bytes> frames{textFrame("TIT2", "T"), textFrame("TIT3", "Sub"),
                                    textFrame("TPE3", "Cond"), frame("PCNT", {0, 0, 0, 5})};
    const std::string a = put("a.mp3", mp3(tag(frames, 100), mpegAudio(1000)));
    open({"a.mp3"});
    click("buttonClearCounter");
    EXPECT_EQ(edit("editPlayCounter")->text(), QStringLiteral("0"));
    click("buttonUpdate");
    EXPECT_EQ(mutagenFrames(a)["PCNT"], "0");
    EXPECT_EQ(mutagenFrames(a)["TIT3"], "Sub");

    const std::string b = put("b.mp3", mp3(tag(frames, 100), mpegAudio(1000)));
    open({"b.mp3"});
    type("editSubTitle", QStringLiteral("Other"));
    click("buttonClearCounter");
    click("buttonMoreLess");
    type("editV2Title", QStringLiteral("New"));
    click("buttonUpdate");
    auto seen = mutagenFrames(b);
    EXPECT_EQ(seen["TIT2"], "New");
    EXPECT_EQ(seen["TIT3"], "Sub") << "hidden fields are not written in the reduced layout";
    EXPECT_EQ(seen["TPE3"], "Cond");
    EXPECT_EQ(seen["PCNT"], "5");
}

TEST_F(TagEditorSaveTest, PlayCounterPastTheSignedRangeIsClampedNotWrapped)
{
    const std::string a =
        put("a.mp3", mp3(tag({frame("PCNT", {0x80, 0, 0, 0, 0, 0, 0, 0})}, 50), mpegAudio(1000)));
    open({"a.mp3"});
    ASSERT_EQ(edit("editPlayCounter")->text(), QStringLiteral("9223372036854775808"));
    type("editV2Title", QStringLiteral("T"));
    click("buttonUpdate");
    EXPECT_EQ(mutagenFrames(a)["PCNT"], "9223372036854775807");
}

TEST_F(TagEditorSaveTest, UnsupportedId3v2TagIsKeptAndAForcedWriteFailsVisibly)
{
    const Bytes v25 = tag({textFrame("TIT2", "Five")}, 100, 5);
    const std::string path = put("v25.mp3", mp3(v25, mpegAudio(1000), trailer("Old")));
    put("b.mp3", sample("B"));
    open({"v25.mp3", "b.mp3"});
    type("editV1Title", QStringLiteral("New"));
    click("buttonUpdate");
    Bytes after = readFile(path);
    EXPECT_EQ(Bytes(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(v25.size())), v25);
    EXPECT_EQ(readBack(path)[tags::RecordSlot::V1Title].text(), "New");

    const Bytes before = readFile(path);
    open({"v25.mp3", "b.mp3"});
    toggle("checkId3v2");
    type("editV2Title", QStringLiteral("Forced"));
    m_prompter.clear();
    click("buttonUpdate");
    ASSERT_EQ(m_prompter.asked().size(), 1U);
    EXPECT_TRUE(m_prompter.asked()[0].text.startsWith(
        QStringLiteral("The file v25.mp3 could not be written to.\n")))
        << m_prompter.asked()[0].text.toStdString();
    EXPECT_EQ(m_prompter.asked()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(dialog().currentIndex(), 0);
    EXPECT_EQ(readFile(path), before) << "a refused save writes nothing, not even the trailer";

    m_prompter.queueAnswer(PromptAnswer::No);
    click("buttonNext");
    EXPECT_EQ(m_prompter.asked().back().buttons, PromptButtons::YesNo)
        << "the failed save left the changes marked as unsaved";
}

TEST_F(TagEditorSaveTest, UpdateAllHandsOverAndShowsTheFileAsWritten)
{
    const std::string a = put("a.mp3", sample("A"));
    const std::string b = put("b.mp3", sample("B"));
    const Bytes before = readFile(a);
    open({"a.mp3", "b.mp3"});
    type("editV2Title", QStringLiteral("Not chosen"));
    type("editV2Album", QStringLiteral("Shared"));
    click("buttonUpdateAll");
    EXPECT_TRUE(m_prompter.asked().empty()) << "without a handler the button does nothing";
    EXPECT_EQ(readFile(a), before);

    bool answer = false;
    UpdateAllRequest seen;
    UpdateAllHandler handler;
    handler.chooseFields = [&](const UpdateAllRequest& request) {
        seen = request;
        *request.selection = batch::FieldSelection();
        request.selection->set(tags::EditorField::Album, true);
        return answer;
    };
    handler.writeAll = [](QWidget*, const batch::UpdateAllJob& job) {
        for (const std::string& name : job.names) {
            const auto write = [&job](tags::FileIo& file, const batch::RunFile&) {
                return batch::updateAllFile(file, job.plan);
            };
            const auto outcome = batch::runFile(job.folder + name, write);
            EXPECT_TRUE(outcome.isWritten());
        }
    };
    dialog().setUpdateAllHandler(handler);
    click("buttonUpdateAll");
    EXPECT_EQ(seen.texts[tags::EditorField::Album], "Shared");
    EXPECT_TRUE(seen.texts.v1Checked && seen.texts.v2Checked);
    EXPECT_EQ(seen.parent, &dialog());
    EXPECT_TRUE(m_prompter.asked().empty()) << "Cancel in the chooser: nothing happens";
    EXPECT_EQ(readFile(a), before);

    answer = true;
    click("buttonUpdateAll");
    ASSERT_EQ(m_prompter.texts(), QStringList{QStringLiteral("Update Complete")});
    EXPECT_EQ(mutagenFrames(a)["TALB"], "Shared");
    EXPECT_EQ(mutagenFrames(b)["TALB"], "Shared");
    EXPECT_EQ(mutagenFrames(b)["TIT2"], "B");
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("A")) << "reloaded from the disk";
    EXPECT_EQ(edit("editV2Album")->text(), QStringLiteral("Shared"));
    EXPECT_FALSE(m_selection[tags::EditorField::V1Track])
        << "the user's choice stays in the selection";
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// Tags of every version the editor reads: 2.4 is saved as 2.4; a 2.2 tag is converted to 2.3
// only when the user says so, and otherwise only the ID3v1 tag is saved.
TEST_F(TagEditorSaveTest, EachVersionIsSavedInItsOwnVersionOrConvertedOnRequest)
{
    const std::string v24 = put("v24.mp3", mp3(tag({frameV24("TIT2", Bytes{3, 'F', 'o', 'u', 'r'}),
                                                    frameV24("TDRC", Bytes{0, '2', '0', '0', '1'})},
                                                   100, 4),
                                               mpegAudio(1000)));
    open({"v24.mp3"});
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Four"));
    EXPECT_EQ(edit("editV2Year")->text(), QStringLiteral("2001"));
    type("editV2Title", QStringLiteral("Vier"));
    click("buttonUpdate");
    const auto peer24 = mutagenTag(v24);
    EXPECT_EQ(peer24.version, "2.4.0");
    EXPECT_EQ(peer24.at("TIT2"), "Vier");
    EXPECT_EQ(peer24.at("TDRC"), "2001");

    const Bytes tag22 = tag({frameV22("TT2", Bytes{0, 'T', 'w', 'o'})}, 100, 2);
    const std::string v22 = put("v22.mp3", mp3(tag22, mpegAudio(1000), trailer("Two")));
    for (const auto answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        open({"v22.mp3"});
        EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Two"));
        type("editV2Title", QStringLiteral("Zwei"));
        type("editV1Title", QStringLiteral("Zwei"));
        m_prompter.clear();
        m_prompter.queueAnswer(answer);
        click("buttonUpdate");
        ASSERT_EQ(m_prompter.asked().size(), 1U);
        EXPECT_EQ(m_prompter.asked()[0].text,
                  QStringLiteral("The ID3v2.2 tag of v22.mp3 can only be saved as ID3v2.3. Convert it?"));
        EXPECT_EQ(readBack(v22)[tags::RecordSlot::V1Title].text(), "Zwei");
        const auto peer = mutagenTag(v22);
        EXPECT_EQ(peer.version, answer == PromptAnswer::Yes ? "2.3.0" : "2.2.0");
        EXPECT_EQ(mutagenFrames(v22)["TIT2"], answer == PromptAnswer::Yes ? "Zwei" : "Two");
    }
}

// The comment field is the comment without a description; an iTunes-style frame beside it keeps
// its bytes through a save; an encrypted frame is shown as not editable and kept as it is.
TEST_F(TagEditorSaveTest, FramesTheEditorDoesNotShowKeepTheirBytes)
{
    const Bytes norm = frame("COMM", concat({{0}, bytesOf("eng"), bytesOf("iTunNORM"), {0},
                                             bytesOf(" 0000 1111")}));
    const Bytes real = frame("COMM", concat({{0}, bytesOf("eng"), {0}, bytesOf("Real comment")}));
    const Bytes locked = flaggedFrame("TCOM", Bytes{0x80, 1, 2, 3}, 0x0040);
    const std::string path = put("c.mp3", mp3(tag({norm, real, locked}, 300), mpegAudio(1000)));
    open({"c.mp3"});
    EXPECT_EQ(widget<QPlainTextEdit>("editV2Comment")->toPlainText(), QStringLiteral("Real comment"));
    EXPECT_FALSE(edit("editComposer")->isEnabled());
    type("editV2Title", QStringLiteral("Title"));
    click("buttonUpdate");
    const Bytes after = readFile(path);
    for (const Bytes& kept : {norm, real, locked})
        EXPECT_NE(std::search(after.begin(), after.end(), kept.begin(), kept.end()), after.end());
    EXPECT_EQ(mutagenTag(path).at("COMM:iTunNORM:eng"), " 0000 1111");
}

}  // namespace
}  // namespace corvane::test
