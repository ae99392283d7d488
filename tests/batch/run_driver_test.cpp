#include "batch/run_driver.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace corvane::batch {
namespace {

// Records every step the driver reports, and ends the run where a test asks.
class Recorder final : public RunObserver {
public:
    bool startFile(const RunFile& file) override
    {
        steps.push_back("start " + std::to_string(file.index));
        return file.index != stopBefore;
    }
    void accessGranted(const RunFile& file) override
    {
        steps.push_back("access " + std::to_string(file.index));
    }
    bool finishFile(const RunFile& file, const FileOutcome& outcome) override
    {
        steps.push_back("finish " + std::to_string(file.index) + " " + outcome.reason);
        return file.index != stopAfter;
    }

    std::vector<std::string> steps;
    std::size_t stopBefore = 99;
    std::size_t stopAfter = 99;
};

class RunDriverTest : public ::testing::Test {
protected:
    std::string put(const std::string& name)
    {
        test::writeFile(m_dir.file(name), test::bytesOf("audio"));
        return m_dir.file(name);
    }

    // Work that says which file it was given and writes nothing.
    FileWork namedWork()
    {
        return [this](tags::FileIo&, const RunFile& run) {
            worked.push_back(run.index);
            return FileOutcome::skipped("worked");
        };
    }

    test::TempDir m_dir;
    std::vector<std::size_t> worked;
};

TEST_F(RunDriverTest, EveryFileGetsOneOutcomeInOrderAndOnlyWritableFilesAreOpened)
{
    const std::string readOnly = put("locked.mp3");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    std::filesystem::create_directory(m_dir.file("folder.mp3"));
    const std::vector<std::string> paths{put("a.mp3"), m_dir.file("missing.mp3"), readOnly,
                                         m_dir.file("folder.mp3"), put("b.mp3")};
    Recorder recorder;
    const RunReport report = runFiles(paths, namedWork(), recorder);

    ASSERT_EQ(report.outcomes.size(), 5u);
    EXPECT_EQ(report.outcomes[1].status, FileStatus::NotWritable);
    EXPECT_EQ(report.outcomes[1].reason, "the file does not exist");
    EXPECT_EQ(report.outcomes[2].status, FileStatus::NotWritable);
    EXPECT_EQ(report.outcomes[2].reason, "the file is read-only");
    // A folder passes the access test but is no file to tag: the open fails and says why.
    EXPECT_EQ(report.outcomes[3].status, FileStatus::Failed);
    EXPECT_EQ(report.outcomes[3].reason, tags::errorString(EISDIR));
    EXPECT_EQ(worked, (std::vector<std::size_t>{0, 4}));
    EXPECT_TRUE(report.anyFailed());
    EXPECT_EQ(recorder.steps[0], "start 0");
    EXPECT_EQ(recorder.steps[1], "access 0");
    EXPECT_EQ(recorder.steps[3], "start 1");
    EXPECT_EQ(recorder.steps[4], "finish 1 the file does not exist");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_all);
}

TEST_F(RunDriverTest, TheObserverEndsTheRunBeforeOrAfterAFile)
{
    const std::vector<std::string> paths{put("a.mp3"), put("b.mp3"), put("c.mp3")};
    Recorder after;
    after.stopAfter = 1;
    EXPECT_EQ(runFiles(paths, namedWork(), after).outcomes.size(), 2u);
    EXPECT_EQ(worked, (std::vector<std::size_t>{0, 1}));

    worked.clear();
    Recorder before;
    before.stopBefore = 1;
    EXPECT_EQ(runFiles(paths, namedWork(), before).outcomes.size(), 1u);
    EXPECT_EQ(worked, std::vector<std::size_t>{0});
    EXPECT_EQ(before.steps.back(), "start 1");
}

// A file another writer holds is neither read nor written: the work, which reads before it
// writes, would otherwise write over the other's change with what it read before it.
TEST_F(RunDriverTest, AFileAnotherWriterHoldsIsNotWorkedOn)
{
    const std::string path = put("a.mp3");
    tags::File holder = tags::File::open(path, tags::OpenMode::Update);
    ASSERT_EQ(holder.lockForWriting(), tags::LockResult::Locked);
    const auto outcome = runFile(path, namedWork());
    EXPECT_EQ(outcome.reason, "in use by another program");
    EXPECT_TRUE(worked.empty());
    holder.unlock();
    EXPECT_EQ(runFile(path, namedWork()).reason, "worked");
}

}  // namespace
}  // namespace corvane::batch
