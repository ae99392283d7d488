#include "batch/compact_remove.h"

#include <gtest/gtest.h>

#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

using test::Bytes;

FileOutcome compactFile(const std::string& path)
{
    auto file = test::openUpdate(path);
    return compactId3v2(file);
}

TEST(CompactId3v2, GivesThePaddingBackOnceAndKeepsTheFrames)
{
    test::TempDir dir;
    const auto path = dir.file("padded.mp3");
    const std::vector<Bytes> frames{test::textFrame("TIT2", "Title"),
                                    test::frame("APIC", test::audioBytes(50000, 9))};
    const Bytes audio = test::mpegAudio(50000);
    test::writeFile(path, test::mp3(test::tag(frames, 2000), audio, test::trailer("t")));
    const auto before = test::readFile(path).size();

    ASSERT_TRUE(compactFile(path).isWritten());
    const Bytes once = test::readFile(path);
    EXPECT_EQ(once.size(), before - 2000);
    EXPECT_EQ(once, test::mp3(test::tag(frames), audio, test::trailer("t")));

    (void)compactFile(path);
    EXPECT_EQ(test::readFile(path), once);
}

TEST(CompactId3v2, FileWithoutTagIsSkippedByteForByte)
{
    test::TempDir dir;
    const auto path = dir.file("bare.mp3");
    const Bytes bytes = test::mp3({}, test::mpegAudio(3000), test::trailer("t"));
    test::writeFile(path, bytes);
    EXPECT_EQ(compactFile(path).status, FileStatus::Skipped);
    EXPECT_EQ(test::readFile(path), bytes);
}

TEST(RemoveTags, EachTagOrBothAndNothingWhenAbsent)
{
    test::TempDir dir;
    const Bytes tagBytes = test::tag({test::textFrame("TIT2", "x")}, 30);
    const Bytes audio = test::mpegAudio(3000);
    const Bytes trailerBytes = test::trailer("t");
    const auto path = dir.file("both.mp3");
    test::writeFile(path, test::mp3(tagBytes, audio, trailerBytes));

    auto remove = [&](bool v1, bool v2) {
        auto file = test::openUpdate(path);
        return removeTags(file, v1, v2);
    };
    ASSERT_TRUE(remove(true, false).wroteId3v1);
    EXPECT_EQ(test::readFile(path), test::mp3(tagBytes, audio));
    EXPECT_EQ(remove(true, false).status, FileStatus::Skipped);
    test::writeFile(path, test::mp3(tagBytes, audio, trailerBytes));
    const auto both = remove(true, true);
    EXPECT_TRUE(both.wroteId3v1 && both.wroteId3v2);
    EXPECT_EQ(test::readFile(path), audio);
}

}  // namespace
}  // namespace corvane::batch
