#include "batch/update_all.h"

#include <gtest/gtest.h>

#include "tests/batch/batch_test_support.h"

namespace corvane::batch {
namespace {

using tags::EditorField;
using test::Bytes;

EditorTexts editorTexts()
{
    EditorTexts texts;
    for (std::size_t p = 0; p < texts.values.size(); ++p) texts.values[p] = "v" + std::to_string(p);
    texts[EditorField::PlayCounter] = "";
    texts[EditorField::V1Genre] = "Jazz";
    texts[EditorField::V2Genre] = "Jazz";
    return texts;
}

TEST(UpdateAll, ReducedLayoutTakesEncodedByButNotSubTitle)
{
    EditorTexts texts = editorTexts();
    texts[EditorField::PlayCounter] = "42";
    FieldSelection flags;
    flags.set(EditorField::EncodedBy, true);
    flags.set(EditorField::SubTitle, true);
    const auto reduced = collectId3v2List(texts, flags, EditorLayout::Reduced, PlayCounter::Write);
    ASSERT_EQ(reduced.entries.size(), 1u);
    EXPECT_EQ(reduced.entries[0].key, "TENC");

    const auto expanded = collectId3v2List(texts, flags, EditorLayout::Expanded, PlayCounter::Write);
    ASSERT_EQ(expanded.entries.size(), 3u);
    EXPECT_EQ(expanded.entries[1].key, "TIT3");
    EXPECT_EQ(expanded.entries[2].key, "PCNT");
    EXPECT_EQ(expanded.entries[2].text(), std::string("\0\0\0\0\0\0\0\x2A", 8));
    // Update All never copies the shown file's count into the others.
    EXPECT_EQ(collectId3v2List(texts, flags, EditorLayout::Expanded, PlayCounter::Leave).entries.size(),
              2u);
}

TEST(UpdateAll, Id3v1ListOrderAndFieldsFollowTheFlags)
{
    EditorTexts texts = editorTexts();
    FieldSelection flags;
    for (const EditorField field :
         {EditorField::V1Track, EditorField::V1Artist, EditorField::V1Genre})
        flags.set(field, true);
    const auto list = collectId3v1List(texts, flags);
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[0].v1Field, tags::V1FieldNo::Genre);
    EXPECT_EQ(list.entries[0].text(), "Jazz");
    EXPECT_EQ(list.entries[1].v1Field, tags::V1FieldNo::Artist);
    EXPECT_EQ(list.entries[2].v1Field, tags::V1FieldNo::Track);
    EXPECT_EQ(list.entries[2].text(), texts[EditorField::V1Track]);
}

TEST(UpdateAll, FailedId3v2WriteTouchesNeitherTag)
{
    test::TempDir dir;
    const auto path = dir.file("full.mp3");
    test::writeFile(path, test::mp3(test::tag({test::textFrame("TIT2", "x")}), test::mpegAudio(500),
                                    test::trailer("t")));
    const Bytes before = test::readFile(path);
    EditorTexts texts = editorTexts();
    const auto all = FieldSelection::all();
    const UpdateAllPlan plan{collectId3v1List(texts, all),
                             collectId3v2List(texts, all, EditorLayout::Expanded, PlayCounter::Write),
                             true, {}};
    auto file = test::openUpdate(path);
    test::FullDisk full(file);
    const auto outcome = updateAllFile(full, plan);
    EXPECT_TRUE(outcome.isFailed());
    EXPECT_FALSE(outcome.wroteId3v1);
    EXPECT_EQ(test::readFile(path), before);
}

}  // namespace
}  // namespace corvane::batch
