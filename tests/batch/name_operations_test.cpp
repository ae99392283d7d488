// Tag from File Name, Rename from Tags and Case and Replace on real files: the preview, the run
// of what it showed, and the undo of a rename.

#include <gtest/gtest.h>

#include <filesystem>

#include "batch/from_name.h"
#include "batch/named_fields.h"
#include "batch/rename_files.h"
#include "batch/text_edit.h"
#include "batch/undo_store.h"
#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

namespace fs = std::filesystem;

class Undoing final : public RunObserver {
public:
    explicit Undoing(UndoRecorder* undo) : m_undo(undo) {}
    UndoRecorder* undoRecorder() override { return m_undo; }

private:
    UndoRecorder* m_undo;
};

NameFormat formatOf(std::string_view text)
{
    std::string error;
    auto format = parseNameFormat(text, error);
    EXPECT_TRUE(format) << error;
    return format.value_or(NameFormat{});
}

class NameOperations : public ::testing::Test {
protected:
    std::string make(const std::string& name, const test::Bytes& tagBytes, const test::Bytes& trailer = {})
    {
        const auto path = m_dir.file(name);
        test::writeFile(path, test::mp3(tagBytes, test::mpegAudio(3000), trailer));
        return path;
    }
    RunReport runPreview(const std::vector<FilePlan>& preview, const Planner& planner,
                         UndoRecorder* undo = nullptr)
    {
        Undoing observer(undo);
        const auto paths = pathsToWrite(preview);
        return runFiles(paths, previewedWork(preview, planner), observer);
    }

    test::TempDir m_dir;
};

TEST_F(NameOperations, TagFromFileNameWritesBothTagsAndSkipsANameThatDoesNotMatch)
{
    const std::vector<std::string> paths{
        make("01 - Ann - Intro.mp3", test::tag({test::textFrame("TIT2", "Old")}, 200), test::trailer("Old")),
        make("Outro.mp3", test::tag({test::textFrame("TIT2", "Outro")}, 200)),
        make("02 - Bob - Go.mp3", test::tag({test::textFrame("TIT2", "Go"), test::textFrame("TPE1", "Bob"),
                                             test::textFrame("TRCK", "2")})),
    };
    const auto bytesBefore = test::readFile(paths[1]);
    FromNameOptions options;
    options.format = formatOf("%track:2% - %artist% - %title%");
    options.choice = kChoiceV1Present | kChoiceV2All;
    const Planner planner = [&](tags::FileIo& file, const std::string& path) {
        return planFromName(file, path, options);
    };
    const auto preview = buildPreview(paths, planner);
    ASSERT_EQ(preview.size(), 3u);
    EXPECT_EQ(preview[0].changes.size(), 6u);  // three fields in each tag
    EXPECT_EQ(preview[0].changes[0], (ValueChange{ChangeTarget::Id3v2, "track", "Track No", "", "1"}));
    EXPECT_EQ(preview[0].changes[4], (ValueChange{ChangeTarget::Id3v2, "title", "Title", "Old", "Intro"}));
    EXPECT_EQ(preview[1].problem, PlanProblem::NoMatch);
    EXPECT_FALSE(preview[2].writes());  // its tag already says so; it has no trailer to fill
    EXPECT_FALSE(preview[2].hasProblem());

    const auto report = runPreview(preview, planner);
    ASSERT_EQ(report.outcomes.size(), 1u);
    EXPECT_TRUE(report.outcomes[0].isWritten()) << report.outcomes[0].reason;
    auto v2 = test::readV2(paths[0]);
    EXPECT_EQ(v2["TRCK"], "1");
    EXPECT_EQ(v2["TPE1"], "Ann");
    EXPECT_EQ(v2["TIT2"], "Intro");
    const auto v1 = test::readV1(paths[0]);
    EXPECT_EQ(v1.title, "Intro");
    EXPECT_EQ(v1.track, "1");
    EXPECT_EQ(test::readFile(paths[1]), bytesBefore);
}

TEST_F(NameOperations, AFileThatChangedSinceThePreviewIsLeftAlone)
{
    const auto path = make("song.mp3", test::tag({test::textFrame("TIT2", "loud song")}, 100));
    std::string error;
    TextEditOptions options;
    options.fields = {*fieldNamed("title")};
    options.caseMode = CaseMode::Title;
    const auto edit = TextEdit::make(options, error);
    ASSERT_TRUE(edit) << error;
    const Planner planner = [&](tags::FileIo& file, const std::string& p) { return edit->plan(file, p); };
    const std::vector<std::string> paths{path};
    const auto preview = buildPreview(paths, planner);
    ASSERT_TRUE(preview[0].writes());
    make("song.mp3", test::tag({test::textFrame("TIT2", "quiet song")}, 100));
    const auto report = runPreview(preview, planner);
    EXPECT_EQ(report.outcomes[0].reason, "the file changed since the preview, so it was left as it is");
    EXPECT_EQ(test::readV2(path)["TIT2"], "quiet song");
}

TEST_F(NameOperations, CaseAndReplaceEditsOnlyValuesThatAreThere)
{
    const auto path = make("a.mp3", test::tag({test::textFrame("TIT2", "the END of it"), test::textFrame("TCON", "(17)")}),
                           test::trailer("the END", "", "", "", "", 0, 17));
    std::string error;
    TextEditOptions options;
    options.fields = {*fieldNamed("title"), *fieldNamed("artist"), *fieldNamed("genre")};
    options.replace = ReplaceOptions{"rock", "Pop", false, true};
    options.caseMode = CaseMode::Title;
    const auto edit = TextEdit::make(options, error);
    ASSERT_TRUE(edit) << error;
    auto file = tags::File::open(path, tags::OpenMode::Read);
    const auto plan = edit->plan(file, path);
    ASSERT_EQ(plan.changes.size(), 4u);
    EXPECT_EQ(plan.changes[0], (ValueChange{ChangeTarget::Id3v2, "title", "Title", "the END of it", "The End of It"}));
    EXPECT_EQ(plan.changes[1], (ValueChange{ChangeTarget::Id3v1, "title", "Title", "the END", "The End"}));
    EXPECT_EQ(plan.changes[3], (ValueChange{ChangeTarget::Id3v1, "genre", "Genre", "Rock", "Pop"}));
    EXPECT_EQ(plan.tagChanges.id3v2Entries.size(), 2u);

    options.replace = ReplaceOptions{"rock", "Nonsense", false, true};
    options.caseMode.reset();
    options.fields = {*fieldNamed("genre")};
    const auto plan2 = TextEdit::make(options, error)->plan(file, path);
    EXPECT_EQ(plan2.changes.size(), 1u);  // the ID3v2 genre only
    EXPECT_EQ(plan2.note, "the ID3v1 genre stays Rock: Nonsense is not a genre of the list");
}

TEST_F(NameOperations, RenameIsUndoneAndTheUndoToo)
{
    const std::vector<std::string> paths{
        make("x.mp3", test::tag({test::textFrame("TIT2", "AC/DC: Live?"), test::textFrame("TRCK", "3/9")})),
        make("y.mp3", test::tag({test::textFrame("TRCK", "4")})),
    };
    RenameOptions options;
    options.format = formatOf("%track:2% %title%");
    const auto preview = previewRename(paths, options);
    EXPECT_EQ(preview[0].newPath, m_dir.file("03 AC_DC_ Live_.mp3"));
    EXPECT_EQ(preview[1].problem, PlanProblem::MissingValue);
    EXPECT_EQ(preview[1].reason, "the ID3v2 tag has no Title");

    UndoStore store(m_dir.file("undo"));
    UndoRecorder recorder(store, "rename");
    const Planner planner = [&](tags::FileIo& file, const std::string& p) { return planRename(file, p, options); };
    const auto report = runPreview(preview, planner, &recorder);
    ASSERT_TRUE(report.outcomes.at(0).isWritten()) << report.outcomes[0].reason;
    ASSERT_TRUE(recorder.commit());
    EXPECT_TRUE(fs::exists(preview[0].newPath));
    EXPECT_FALSE(fs::exists(paths[0]));

    // The undo renames back, and is noted so that it can be undone in turn.
    const auto change = store.last();
    ASSERT_TRUE(change && change->entries.size() == 1u);
    UndoRecorder undoing(store, "undo rename");
    const auto undone = runFile(change->entries[0].path, [&](tags::FileIo& file, const RunFile& run) {
        return undoFile(file, change->entries[0], run.undo);
    }, {}, &undoing);
    EXPECT_TRUE(undone.isWritten()) << undone.reason;
    EXPECT_TRUE(fs::exists(paths[0]));
    ASSERT_TRUE(undoing.commit());
    const auto redo = store.last();
    ASSERT_TRUE(redo && redo->entries.size() == 1u);
    EXPECT_EQ(redo->entries[0].path, paths[0]);
    EXPECT_EQ(redo->entries[0].oldPath, preview[0].newPath);

    // Redone; then a file takes the old name, which an undo never replaces.
    const auto redone = runFile(paths[0], [&](tags::FileIo& file, const RunFile&) {
        return undoFile(file, redo->entries[0]);
    });
    ASSERT_TRUE(redone.isWritten()) << redone.reason;
    make("x.mp3", {});
    const auto refused = runFile(preview[0].newPath, [&](tags::FileIo& file, const RunFile&) {
        return undoFile(file, change->entries[0]);
    });
    EXPECT_EQ(refused.reason, "its old name " + paths[0] + " is taken");
    EXPECT_TRUE(fs::exists(preview[0].newPath));
}

}  // namespace
}  // namespace corvane::batch
