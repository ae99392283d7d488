// Batch runs off the GUI thread through the real window: Cancel between files, the progress
// dialog of a run that takes its time, and runs over entries that are not regular files.
#include <QLabel>

#include "batchui/run_progress_dialog.h"
#include "tags/file.h"
#include "tests/batchui/batch_frame_fixture.h"
#include "tests/support/irregular_files.h"

namespace corvane {
namespace {

using namespace corvane::test;
using tags::Column;

RunProgressDialog& progressDialog(MainWindow& window)
{
    auto* dialog = window.findChild<RunProgressDialog*>();
    if (dialog == nullptr) qFatal("the window has no progress dialog");
    return *dialog;
}

TEST_F(BatchFrameTest, CancelAfterTwoOfFiveFilesLeavesThreeUntouchedAndTheListRight)
{
    const std::vector<const char*> names{"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"};
    for (const char* name : names) song(name, {textFrame("TIT2", "Old")}, trailer("Old"));
    std::vector<Bytes> before;
    for (const char* name : names) before.push_back(readFile(path(name)));
    openWindow(layoutOf({Column::Filename, Column::Title}));
    select({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
    RunProgressDialog& progress = progressDialog(window());
    const auto connection =
        QObject::connect(&progress, &RunProgressDialog::fileFinished, [&](int done) {
            if (done == 2) clickButton(progress, "cancelButton");
        });
    answerSetValue("New", Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));
    QObject::disconnect(connection);

    EXPECT_TRUE(m_prompter.asked().empty());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i < 2) {
            EXPECT_EQ(readV1(path(names[i])).title, "New") << names[i];
            EXPECT_EQ(cell(names[i], 1), "New");
        } else {
            EXPECT_EQ(readFile(path(names[i])), before[i]) << names[i];
            EXPECT_EQ(cell(names[i], 1), "Old");
        }
    }
    EXPECT_EQ(window().progressText(), "Cancelled: 2 of 5 files written");
    EXPECT_FALSE(progress.isVisible());
}

TEST_F(BatchFrameTest, ARunThatTakesItsTimeShowsAModalDialogWithTheFileAndTheCount)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) song(name, {}, trailer("Old"));
    // Another writer holds b.mp3, so the run waits for it a while before giving up on it.
    tags::File holder = tags::File::open(path("b.mp3"), tags::OpenMode::Update);
    ASSERT_EQ(holder.lockForWriting(), tags::LockResult::Locked);
    openWindow(layoutOf({Column::Filename, Column::Title}));
    select({"a.mp3", "b.mp3", "c.mp3"});
    RunProgressDialog& progress = progressDialog(window());
    bool seen = false;
    QTimer::singleShot(1000, [&] {
        seen = progress.isVisible();
        EXPECT_EQ(QApplication::activeModalWidget(), &progress);
        EXPECT_TRUE(progress.findChild<QLabel*>() != nullptr);
        QStringList texts;
        for (const QLabel* label : progress.findChildren<QLabel*>()) texts << label->text();
        EXPECT_TRUE(texts.contains("File 2 of 3")) << texts.join('|').toStdString();
        EXPECT_TRUE(texts.filter("b.mp3").size() == 1) << texts.join('|').toStdString();
    });
    answerSetValue("New", Qt::Checked, Qt::Checked);
    window().runCommand(setDataCommand(1));
    EXPECT_TRUE(seen);
    EXPECT_EQ(m_prompter.texts(),
              QStringList{"The file b.mp3 could not be written to.\nIn use by another program." +
                          kGoOnQuestion});
    EXPECT_EQ(cell("a.mp3", 1), "New");
    EXPECT_EQ(cell("b.mp3", 1), "Old");
    EXPECT_EQ(cell("c.mp3", 1), "New");
}

TEST_F(BatchFrameTest, CommandsOnEntriesThatAreNoRegularFilesFailAtOnceWithTheReason)
{
    const std::vector<IrregularFile> special = makeIrregularFiles(m_music);
    openWindow();
    for (const IrregularFile& entry : special) {
        m_prompter.clear();
        select({entry.name.c_str()});
        run(CommandId::CompactId3v2);
        const QString name = QString::fromStdString(entry.name);
        // A dangling link is a file that has gone: the access prompt, as for a removed file.
        EXPECT_EQ(m_prompter.texts(),
                  QStringList{entry.exists ? "The file " + name +
                                                 " could not be written to.\nNot a regular file."
                                           : readOnlyText(name)});
        m_prompter.clear();
        run(CommandId::Properties);
        EXPECT_EQ(m_prompter.texts(), QStringList{"Unable to read the file " + name});
    }
}

}  // namespace
}  // namespace corvane
