// Writes stopped dead after every block of their move, as a killed process stops, and then
// recovered: the file must come out exactly as the write would have left it, the journal gone.
#include "tags/journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <chrono>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tags/block_mover.h"
#include "tags/id3v1.h"
#include "tags/tag_write.h"
#include "tests/support/id3_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/tags/faulty_file.h"

namespace corvane::tags {
namespace {

using test::Bytes;
using test::mp3;
using test::readFile;
using test::tag;
using test::textFrame;

struct Job {
    const char* name;
    Bytes before;
    TagChanges changes;
};

TagChanges merge(std::string_view id, std::string value, bool compact = false)
{
    TagChanges changes;
    changes.id3v2 = V2Change::Merge;
    changes.id3v2Entries.push_back(FieldSlot::frame(id, std::move(value)));
    changes.compact = compact;
    return changes;
}

std::vector<Job> jobs()
{
    // About a dozen blocks of audio, so that every kind of block is met.
    const Bytes audio = test::mpegAudio(12 * CopyChunkSize + 321, 5);
    const Bytes v1 = test::trailer("Trailer");
    const Bytes tight = mp3(tag({textFrame("TIT2", "Old")}), audio, v1);
    const Bytes padded = mp3(tag({textFrame("TIT2", "Old")}, 3 * CopyChunkSize), audio, v1);
    TagChanges removal;
    removal.id3v2 = V2Change::Remove;
    TagChanges both = merge("TALB", std::string(500, 'a'));
    // A picture's frame is written from where it lies, not through the write buffer.
    TagChanges picture = merge("TIT2", "New");
    auto image = std::make_shared<PictureData>();
    image->type = 3;
    image->mime = "image/jpeg";
    image->image.assign(3 * CopyChunkSize + 77, 0xAB);
    picture.pictures.push_back({PictureAction::Add, {}, image, false});
    both.id3v1 = V1Change::Write;
    both.id3v1Entries.push_back(FieldSlot::v1(V1FieldNo::Album, "Album"));
    return {
        // A move by less than a block: each block goes through the journal first.
        {"small growth", tight, merge("TALB", std::string(700, 'a'))},
        {"large growth", tight, merge("TALB", std::string(2 * CopyChunkSize, 'a'))},
        {"small compaction", mp3(tag({textFrame("TIT2", "Old")}, 900), audio, v1), merge("TIT2", "N", true)},
        {"large compaction", padded, merge("TIT2", "N", true)},
        {"removal", padded, removal},
        // A change in the padding that spans pages (one within a page needs no journal).
        {"in the padding", padded, merge("TIT2", std::string(5000, 't'))},
        {"both tags", mp3(tag({textFrame("TIT2", "Old")}), audio), both},
        {"a picture added", tight, picture},
    };
}

class JournalRecovery : public ::testing::Test {
protected:
    WriteResult write(const Job& job, std::optional<std::uint64_t> stopAfter)
    {
        File file = File::open(m_path, OpenMode::Update);
        EXPECT_TRUE(file.isOpen());
        file.setWritePolicy({true, false, stopAfter});
        return writeTags(file, job.changes);
    }
    bool journalExists() const { return std::filesystem::exists(journalPathFor(m_path)); }

    test::TempDir m_dir;
    std::string m_path = m_dir.file("song.mp3");
};

TEST_F(JournalRecovery, EveryStopIsCompletedToTheNewContent)
{
    for (const auto& job : jobs()) {
        test::writeFile(m_path, job.before);
        ASSERT_TRUE(write(job, std::nullopt).ok()) << job.name;
        ASSERT_FALSE(journalExists()) << job.name << ": a finished write leaves no journal";
        const Bytes expected = readFile(m_path);
        int stops = 0;
        for (std::uint64_t n = 0;; ++n) {
            test::writeFile(m_path, job.before);
            const auto result = write(job, n);
            if (result.ok()) break;
            ++stops;
            ASSERT_TRUE(journalExists()) << job.name << ", stopped after " << n;
            const auto recovery = recoverJournal(journalPathFor(m_path));
            EXPECT_EQ(recovery.status, RecoveryStatus::Completed) << job.name << ": " << recovery.reason;
            ASSERT_EQ(readFile(m_path), expected) << job.name << ", stopped after " << n;
            EXPECT_FALSE(journalExists()) << job.name;
        }
        EXPECT_GT(stops, 0) << job.name;
    }
}

TEST_F(JournalRecovery, AJournalThatDoesNotMatchItsFileIsLeftAlone)
{
    const Job job = jobs().front();
    test::writeFile(m_path, job.before);
    ASSERT_FALSE(write(job, 3).ok());
    // Another program put a copy of the file in its place: another inode, another length.
    Bytes copy = readFile(m_path);
    copy.resize(copy.size() - 1000);
    std::filesystem::remove(m_path);
    test::writeFile(m_path, copy);
    const auto recovery = recoverFileJournal(m_path);
    ASSERT_TRUE(recovery);
    EXPECT_EQ(recovery->status, RecoveryStatus::Mismatched);
    EXPECT_TRUE(journalExists());
    EXPECT_EQ(readFile(m_path), copy);
    EXPECT_FALSE(recoverFileJournal(m_dir.file("other.mp3"))) << "no journal, nothing to do";
}

TEST_F(JournalRecovery, AWriteWhoseJournalCannotBeMadeIsRefusedUnchanged)
{
    // A name so long that the journal's, a few characters longer, is too long for the folder.
    m_path = m_dir.file(std::string(250, 'n') + ".mp3");
    const Job job = jobs().front();
    test::writeFile(m_path, job.before);
    const auto result = write(job, std::nullopt);
    EXPECT_EQ(result.status, WriteStatus::Refused);
    EXPECT_EQ(describe(result), "the journal beside the file cannot be created: File name too long");
    EXPECT_EQ(readFile(m_path), job.before);

    File file = File::open(m_path, OpenMode::Update);
    file.setWritePolicy({false, false, std::nullopt});
    EXPECT_TRUE(writeTags(file, job.changes).ok()) << "without a journal the old way still writes";
}

TEST_F(JournalRecovery, ASecondWriterWaitsAndThenGivesUp)
{
    const Job job = jobs().front();
    test::writeFile(m_path, job.before);
    File holder = File::open(m_path, OpenMode::Update);
    ASSERT_EQ(holder.lockForWriting(), LockResult::Locked);
    const auto result = write(job, std::nullopt);
    EXPECT_EQ(describe(result), "in use by another program");
    EXPECT_EQ(readFile(m_path), job.before);
    holder.unlock();
    EXPECT_TRUE(write(job, std::nullopt).ok());
}

}  // namespace
}  // namespace corvane::tags

namespace corvane::tags {
namespace {

// Real child processes killed with SIGKILL at spread moments of a write of a several-megabyte
// file: whatever the moment, recovery leaves the old content or the new one, nothing between.
// (bench/crash_trials_bench runs many more.)
TEST_F(JournalRecovery, KilledWritersLeaveTheOldOrTheNewContent)
{
    const Bytes audio = test::audioBytes(6 << 20, 9);
    const Bytes start = mp3(tag({textFrame("TIT2", "Old")}, 5000), audio, test::trailer("T"));
    TagChanges removal;
    removal.id3v2 = V2Change::Remove;
    const std::vector<std::pair<const char*, TagChanges>> kinds{
        {"growth", merge("COMM", std::string(10000, 'c'))},
        {"compaction", merge("TIT2", "New", true)},
        {"removal", removal},
    };
    constexpr int kKills = 4;
    int interrupted = 0;
    for (const auto& [name, changes] : kinds) {
        test::writeFile(m_path, start);
        const auto began = std::chrono::steady_clock::now();
        ASSERT_TRUE(write({name, start, changes}, std::nullopt).ok());
        const auto took = std::chrono::steady_clock::now() - began;
        const Bytes expected = readFile(m_path);
        for (int k = 0; k < kKills; ++k) {
            test::writeFile(m_path, start);
            const pid_t child = ::fork();
            if (child == 0) {
                File file = File::open(m_path, OpenMode::Update);
                (void)writeTags(file, changes);
                ::_exit(0);
            }
            std::this_thread::sleep_for(took * (k + 1) / (kKills + 1));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            if (const auto recovery = recoverFileJournal(m_path)) {
                // A kill while the journal itself was written leaves a journal recovery discards.
                EXPECT_TRUE(recovery->status == RecoveryStatus::Completed ||
                            recovery->status == RecoveryStatus::Discarded)
                    << name << ": " << describe(*recovery);
                ++interrupted;
            }
            const Bytes after = readFile(m_path);
            EXPECT_TRUE(after == expected || after == start) << name << ", kill " << k;
            EXPECT_FALSE(journalExists()) << name;
        }
    }
    EXPECT_GT(interrupted, 0) << "no kill landed during a write";
}

}  // namespace
}  // namespace corvane::tags
