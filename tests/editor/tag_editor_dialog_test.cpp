// The tag editor as the user sees it: loading, stepping through files, the genre boxes, the
// copies between the two tags, Revert and the two layouts.
#include "tests/editor/editor_fixture.h"

namespace corvane::test {
namespace {

using TagEditorDialogTest = EditorTest;

TEST_F(TagEditorDialogTest, NextWalksToTheLastFileWithoutWrapping)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        put(name, sample(name));
    open({"a.mp3", "b.mp3", "c.mp3"});
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("MP3 Tag Info - 1 of 3 (a.mp3)"));
    EXPECT_FALSE(button("buttonPrev")->isEnabled());
    EXPECT_TRUE(button("buttonNext")->isEnabled());

    click("buttonNext");
    click("buttonNext");
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("MP3 Tag Info - 3 of 3 (c.mp3)"));
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("c.mp3"));
    EXPECT_FALSE(button("buttonNext")->isEnabled());
    EXPECT_TRUE(button("buttonPrev")->isEnabled());
    click("buttonNext");  // disabled: stays on the last file
    EXPECT_EQ(dialog().currentIndex(), 2);

    click("buttonPrev");
    EXPECT_EQ(edit("editV1Title")->text(), QStringLiteral("b.mp3"));
    EXPECT_TRUE(m_prompter.asked().empty()) << "nothing was changed, so nothing is asked";
}

TEST_F(TagEditorDialogTest, ShowsBothTagsAndTheAudioProperties)
{
    const std::string path = put("song.mp3", sample("Song"));
    open({"song.mp3"});
    EXPECT_EQ(edit("editV1Title")->text(), QStringLiteral("Song"));
    EXPECT_EQ(edit("editV1Artist")->text(), QStringLiteral("V1 Artist"));
    EXPECT_EQ(edit("editV1Track")->text(), QStringLiteral("3"));
    EXPECT_EQ(edit("editV2Artist")->text(), QStringLiteral("Artist"));
    EXPECT_TRUE(check("checkId3v1")->isChecked());
    EXPECT_TRUE(check("checkId3v2")->isChecked());
    const QString specifics = widget<QPlainTextEdit>("specificsText")->toPlainText();
    EXPECT_TRUE(specifics.startsWith(QStringLiteral("File Path: ") + QString::fromStdString(path)));
    EXPECT_TRUE(specifics.contains(QStringLiteral("MPEG V1 layer III"))) << specifics.toStdString();
    EXPECT_FALSE(specifics.contains(QLatin1Char('\r')));
    EXPECT_FALSE(button("buttonPrev")->isEnabled());
    EXPECT_FALSE(button("buttonNext")->isEnabled());
}

TEST_F(TagEditorDialogTest, Id3v1GenreByteSelectsItsNameOrTheEmptyItem)
{
    const std::vector<std::pair<std::uint8_t, QString>> cases{
        {17, QStringLiteral("Rock")}, {255, QString()}, {200, QString()}, {0, QStringLiteral("Blues")}};
    for (const auto& [byte, shown] : cases) {
        put("g.mp3", mp3({}, mpegAudio(1000), trailer("T", "", "", "", "", 0, byte)));
        open({"g.mp3"});
        EXPECT_EQ(combo("comboV1Genre")->currentText(), shown) << int{byte};
        if (shown.isEmpty()) {
            EXPECT_EQ(combo("comboV1Genre")->currentIndex(), 0);
        }
        m_dialog.reset();
    }
}

TEST_F(TagEditorDialogTest, Id3v2GenreReferencesAndTextsAreShownAsTheUserExpects)
{
    struct Case {
        const char* tcon;  // nullptr: no "TCON" frame
        QString shown;
        bool isItem;
    };
    const std::vector<Case> cases{
        {"(17)", QStringLiteral("Rock"), true},      {"Rock", QStringLiteral("Rock"), false},
        {"rock", QStringLiteral("rock"), false},     {"((Live)", QStringLiteral("(Live)"), false},
        {"(200)Foo", QStringLiteral("Foo"), false},  {nullptr, QString(), true},
    };
    for (const Case& c : cases) {
        std::vector<Bytes> frames{textFrame("TIT2", "x")};
        if (c.tcon)
            frames.push_back(textFrame("TCON", c.tcon));
        put("g.mp3", mp3(tag(frames), mpegAudio(1000)));
        open({"g.mp3"});
        QComboBox* box = combo("comboV2Genre");
        const std::string what = c.tcon ? c.tcon : "(none)";
        EXPECT_EQ(box->currentText(), c.shown) << what;
        if (c.isItem) {
            EXPECT_EQ(box->currentIndex(), box->findText(c.shown)) << what;
        } else {
            EXPECT_EQ(box->currentIndex(), -1) << what << ": shown as typed text";
        }
        m_dialog.reset();
    }
}

TEST_F(TagEditorDialogTest, GenreBoxesHoldTheSameSortedItems)
{
    put("a.mp3", sample("a"));
    open({"a.mp3"});
    QComboBox* v1 = combo("comboV1Genre");
    QComboBox* v2 = combo("comboV2Genre");
    ASSERT_EQ(v1->count(), tags::kGenreCount + 1);
    EXPECT_EQ(v1->itemText(0), QString());
    EXPECT_EQ(v1->itemData(0).toInt(), 255);
    for (int i = 0; i < v1->count(); ++i) {
        EXPECT_EQ(v1->itemData(i), v2->itemData(i)) << "same item at position " << i;
        if (i > 1) {
            EXPECT_LE(v1->itemText(i - 1).compare(v1->itemText(i), Qt::CaseInsensitive), 0);
        }
    }
}

TEST_F(TagEditorDialogTest, ToId3v1CutsTextsAndLooksTheGenreUp)
{
    put("a.mp3", mp3(tag({textFrame("TIT2", std::string(40, 'x'))}), mpegAudio(1000)));
    open({"a.mp3"});
    EXPECT_FALSE(check("checkId3v1")->isChecked()) << "the file has no trailer";
    EXPECT_FALSE(edit("editV1Title")->isEnabled());
    type("editV2Title", QString(30, QLatin1Char('a')) + QString(10, QLatin1Char('b')));
    type("editV2Year", QStringLiteral("199876"));
    typeGenre(QStringLiteral("hard rock"));

    click("buttonToId3v1");
    EXPECT_TRUE(check("checkId3v1")->isChecked());
    EXPECT_TRUE(edit("editV1Title")->isEnabled());
    EXPECT_EQ(edit("editV1Title")->text(), QString(30, QLatin1Char('a')));
    EXPECT_EQ(edit("editV1Year")->text(), QStringLiteral("1998"));
    EXPECT_EQ(combo("comboV1Genre")->currentText(), QStringLiteral("Hard Rock"));

    for (const QString& unknown : {QString(), QStringLiteral("Chill")}) {
        typeGenre(unknown);
        click("buttonToId3v1");
        EXPECT_EQ(combo("comboV1Genre")->currentIndex(), 0) << unknown.toStdString();
    }
}

TEST_F(TagEditorDialogTest, FromId3v1ChecksTheId3v2BoxAndMarksTheFileChanged)
{
    put("a.mp3", mp3({}, mpegAudio(1000), trailer("Old Title", "Old Artist", "", "2001", "", 7, 17)));
    put("b.mp3", sample("b"));
    open({"a.mp3", "b.mp3"});
    ASSERT_FALSE(check("checkId3v2")->isChecked());
    ASSERT_FALSE(edit("editV2Title")->isEnabled());

    click("buttonFromId3v1");
    EXPECT_TRUE(check("checkId3v2")->isChecked());
    EXPECT_TRUE(edit("editV2Title")->isEnabled());
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Old Title"));
    EXPECT_EQ(edit("editV2Track")->text(), QStringLiteral("7"));
    EXPECT_EQ(edit("editV2Year")->text(), QStringLiteral("2001"));
    EXPECT_EQ(combo("comboV2Genre")->currentText(), QStringLiteral("Rock"));

    m_prompter.queueAnswer(PromptAnswer::No);
    click("buttonNext");
    ASSERT_EQ(m_prompter.asked().size(), 1U);
    EXPECT_EQ(m_prompter.asked()[0].text,
              QStringLiteral("Would you like to save any changes to the current tag?"));
    EXPECT_EQ(m_prompter.asked()[0].buttons, PromptButtons::YesNo);
    EXPECT_FALSE(readBack(m_dir.file("a.mp3")).hasId3v2()) << "No drops the changes";
}

TEST_F(TagEditorDialogTest, UnreadableFirstFileIsReportedAndSkipped)
{
    put("b.mp3", sample("Second"));
    put("c.mp3", sample("Third"));
    open({"missing.mp3", "b.mp3", "c.mp3"});
    ASSERT_EQ(m_prompter.asked().size(), 1U);
    EXPECT_EQ(m_prompter.asked()[0].text,
              QStringLiteral("Unable to read the file missing.mp3\nMoving on to the next file"));
    EXPECT_EQ(m_prompter.asked()[0].icon, PromptIcon::Information);
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("MP3 Tag Info - 2 of 3 (b.mp3)"));
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Second"));
    EXPECT_TRUE(button("buttonPrev")->isEnabled());
    EXPECT_TRUE(button("buttonNext")->isEnabled());
}

TEST_F(TagEditorDialogTest, SingleUnreadableFileClosesTheDialog)
{
    open({"missing.mp3"});
    ASSERT_EQ(m_prompter.asked().size(), 1U);
    EXPECT_EQ(m_prompter.asked()[0].text, QStringLiteral("Unable to read the file missing.mp3"));
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_FALSE(m_loaded) << "nothing to show";
}

TEST_F(TagEditorDialogTest, UnreadableLaterFileDoesNotOfferToSaveIntoIt)
{
    put("a.mp3", sample("First"));
    put("c.mp3", sample("Third"));
    open({"a.mp3", "missing.mp3", "c.mp3"});
    type("editV2Title", QStringLiteral("Changed"));
    m_prompter.queueAnswer(PromptAnswer::No);
    click("buttonNext");
    // One question for the first file, then only the notice: the controls no longer belong to
    // any file that could be saved.
    ASSERT_EQ(m_prompter.asked().size(), 2U);
    EXPECT_EQ(m_prompter.asked()[1].icon, PromptIcon::Information);
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("MP3 Tag Info - 3 of 3 (c.mp3)"));
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Third"));
}

TEST_F(TagEditorDialogTest, InputRulesKeepFieldsWithinTheirFormat)
{
    put("a.mp3", mp3(tag({textFrame("TRCK", "3/12")}), mpegAudio(1000), trailer("a")));
    open({"a.mp3"});
    type("editV1Track", QStringLiteral("1a2b"));
    EXPECT_EQ(edit("editV1Track")->text(), QStringLiteral("12"));
    type("editV1Title", QString(35, QLatin1Char('t')));
    EXPECT_EQ(edit("editV1Title")->text().size(), 30);
    // Beside a track the ID3v1 comment keeps 28 characters, without one 30.
    type("editV1Comment", QString(35, QLatin1Char('c')));
    EXPECT_EQ(edit("editV1Comment")->text().size(), 28);
    type("editV1Track", QString());
    type("editV1Comment", QString(35, QLatin1Char('c')));
    EXPECT_EQ(edit("editV1Comment")->text().size(), 30);
    type("editV2Title", QString(300, QLatin1Char('v')));
    EXPECT_EQ(edit("editV2Title")->text().size(), 300);

    // A track written by another program stays editable although it holds a "/".
    QLineEdit* track = edit("editV2Track");
    ASSERT_EQ(track->text(), QStringLiteral("3/12"));
    track->setFocus();
    track->end(false);
    QTest::keyClick(track, Qt::Key_Backspace);
    QTest::keyClicks(track, QStringLiteral("x5"));
    EXPECT_EQ(track->text(), QStringLiteral("3/15"));
}

TEST_F(TagEditorDialogTest, FocusedFieldIsSelectedAfterAMoveSoTypingReplacesIt)
{
    put("a.mp3", sample("First"));
    put("b.mp3", sample("Second"));
    open({"a.mp3", "b.mp3"});
    // Activation is asynchronous; a late focus-in would otherwise land after the selection.
    dialog().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog()));
    edit("editV2Title")->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit("editV2Title")->hasFocus(); }));
    button("buttonNext")->click();  // as by its access key: the focus stays in the field
    ASSERT_EQ(edit("editV2Title")->text(), QStringLiteral("Second"));
    QTest::keyClicks(edit("editV2Title"), QStringLiteral("Typed"));
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Typed"));
}

TEST_F(TagEditorDialogTest, RevertRestoresWhatWasLoaded)
{
    put("a.mp3", sample("Original"));
    put("b.mp3", sample("b"));
    open({"a.mp3", "b.mp3"});
    type("editV2Title", QStringLiteral("Changed"));
    toggle("checkId3v1");
    ASSERT_FALSE(edit("editV1Title")->isEnabled());

    m_prompter.queueAnswer(PromptAnswer::No);
    click("buttonRevert");
    EXPECT_EQ(m_prompter.asked().back().text,
              QStringLiteral("Are you sure you wish to revert back to the original information?"));
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Changed"));

    click("buttonRevert");  // Yes
    EXPECT_EQ(edit("editV2Title")->text(), QStringLiteral("Original"));
    EXPECT_TRUE(check("checkId3v1")->isChecked());
    EXPECT_TRUE(edit("editV1Title")->isEnabled());
    m_prompter.clear();
    click("buttonNext");
    EXPECT_TRUE(m_prompter.asked().empty()) << "a reverted file counts as unchanged";
}

TEST_F(TagEditorDialogTest, LessHidesTheOuterColumnAndTheNextOpeningKeepsIt)
{
    put("a.mp3", mp3(tag({textFrame("TIT3", "Sub"), frame("PCNT", {0, 0, 0, 5})}), mpegAudio(1000)));
    open({"a.mp3"});
    EXPECT_EQ(button("buttonMoreLess")->text(), QStringLiteral("< &Less"));
    EXPECT_EQ(edit("editPlayCounter")->text(), QStringLiteral("5"));
    EXPECT_TRUE(button("buttonClearCounter")->isEnabled());
    EXPECT_FALSE(edit("editPlayCounter")->isEnabled());
    const int expandedWidth = dialog().width();

    click("buttonMoreLess");
    EXPECT_FALSE(m_expanded);
    EXPECT_EQ(button("buttonMoreLess")->text(), QStringLiteral("&More >"));
    for (const char* hidden : {"editSubTitle", "editConductor", "editPlayCounter"})
        EXPECT_FALSE(edit(hidden)->isVisible()) << hidden;
    EXPECT_FALSE(button("buttonClearCounter")->isVisible());
    EXPECT_FALSE(check("checkCompact")->isVisible());
    EXPECT_TRUE(edit("editEncodedBy")->isVisible());
    EXPECT_LT(dialog().width(), expandedWidth);
    EXPECT_EQ(edit("editSubTitle")->text(), QStringLiteral("Sub")) << "hidden fields keep their text";

    m_dialog.reset();
    open({"a.mp3"});
    EXPECT_EQ(button("buttonMoreLess")->text(), QStringLiteral("&More >"));
    EXPECT_FALSE(edit("editSubTitle")->isVisible());
    click("buttonMoreLess");
    EXPECT_TRUE(m_expanded);
    EXPECT_TRUE(edit("editSubTitle")->isVisible());
    EXPECT_TRUE(check("checkCompact")->isVisible());
}

TEST_F(TagEditorDialogTest, TagsThatCannotBeRewrittenAreShownAsNotEditable)
{
    // 2.5 cannot be read, so offering it for editing would make every save fail.
    const std::vector<std::pair<std::string, Bytes>> files{
        {"v25.mp3", tag({textFrame("TIT2", "Five")}, 100, 5)},
    };
    for (const auto& [name, tagBytes] : files) {
        SCOPED_TRACE(name);
        put(name, mp3(tagBytes, mpegAudio(1000)));
        open({name});
        EXPECT_FALSE(check("checkId3v2")->isChecked());
        EXPECT_FALSE(edit("editV2Title")->isEnabled());
        const QStringList lines =
            widget<QPlainTextEdit>("specificsText")->toPlainText().split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("File Path: ")));
        const QString version = name == "v25.mp3" ? QStringLiteral("ID3v2.5") : QStringLiteral("ID3v2.2");
        EXPECT_TRUE(lines[1].contains(version)) << lines[1].toStdString();
        EXPECT_TRUE(lines[1].contains(QStringLiteral("cannot be rewritten")));
        m_dialog.reset();
    }
}

}  // namespace
}  // namespace corvane::test
