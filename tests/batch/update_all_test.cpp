#include "batch/update_all.h"

#include <gtest/gtest.h>

#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

using test::Bytes;

FieldFlags noFlags() { return FieldFlags{}; }

EditorTexts editorTexts()
{
    EditorTexts texts;
    for (std::size_t p = 0; p < texts.edits.size(); ++p) texts.edits[p] = "v" + std::to_string(p);
    texts.edits[25] = "";
    texts.v1Genre = "Jazz";
    texts.v2Genre = "Jazz";
    return texts;
}

TEST(UpdateAll, ReducedLayoutTakesEncodedByButNotSubTitle)
{
    EditorTexts texts = editorTexts();
    texts.edits[25] = "42";
    FieldFlags flags = noFlags();
    flags[16] = true;  // Encoded By
    flags[17] = true;  // Sub Title
    const auto reduced = collectId3v2List(texts, flags, kReducedCapacity);
    ASSERT_EQ(reduced.entries.size(), 1u);
    EXPECT_EQ(reduced.entries[0].key, "TENC");

    const auto expanded = collectId3v2List(texts, flags, kExpandedCapacity);
    ASSERT_EQ(expanded.entries.size(), 3u);
    EXPECT_EQ(expanded.entries[1].key, "TIT3");
    EXPECT_EQ(expanded.entries[2].key, "PCNT");
    EXPECT_EQ(expanded.entries[2].text(), std::string("\0\0\0\0\0\0\0\x2A", 8));
}

TEST(UpdateAll, Id3v1ListOrderAndFieldsFollowTheFlags)
{
    EditorTexts texts = editorTexts();
    FieldFlags flags = noFlags();
    flags[0] = flags[2] = flags[kFlagV1Genre] = true;
    const auto list = collectId3v1List(texts, flags);
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[0].v1Field, tags::V1FieldNo::Genre);
    EXPECT_EQ(list.entries[0].text(), "Jazz");
    EXPECT_EQ(list.entries[1].v1Field, tags::V1FieldNo::Artist);
    EXPECT_EQ(list.entries[2].v1Field, tags::V1FieldNo::Track);
    EXPECT_EQ(list.entries[2].text(), "v0");
}

TEST(UpdateAll, FailedId3v2WriteTouchesNeitherTag)
{
    test::TempDir dir;
    const auto path = dir.file("full.mp3");
    test::writeFile(path, test::mp3(test::tag({test::textFrame("TIT2", "x")}), test::mpegAudio(500),
                                    test::trailer("t")));
    const Bytes before = test::readFile(path);
    EditorTexts texts = editorTexts();
    const FieldFlags all = [] {
        FieldFlags f;
        f.fill(true);
        return f;
    }();
    const UpdateAllPlan plan{collectId3v1List(texts, all),
                             collectId3v2List(texts, all, kExpandedCapacity), true};
    auto file = test::openUpdate(path);
    test::FullDisk full(file);
    const auto outcome = updateAllFile(full, plan);
    EXPECT_TRUE(outcome.isFailed());
    EXPECT_FALSE(outcome.wroteId3v1);
    EXPECT_EQ(test::readFile(path), before);
}

}  // namespace
}  // namespace corvane::batch
