#include "tags/editor_fields.h"

#include <gtest/gtest.h>

namespace corvane::tags {
namespace {

TEST(EditorFields, LabelsOfTheFieldChooser)
{
    EXPECT_EQ(definitionOf(EditorField::Track).label, "Track No");
    EXPECT_EQ(definitionOf(EditorField::V2Genre).label, "Genre");
    EXPECT_EQ(definitionOf(EditorField::Comment).label, "Comment");
    EXPECT_EQ(definitionOf(EditorField::OrigLyricist).label, "Orig. Lyricist");
    EXPECT_EQ(definitionOf(EditorField::Conductor).label, "Conductor");
    EXPECT_EQ(definitionOf(EditorField::V1Genre).label, "Genre");
}

TEST(EditorFields, SlotsFramesAndId3v1Keys)
{
    EXPECT_EQ(definitionOf(EditorField::V1Comment).slot, RecordSlot::V1Comment);
    EXPECT_EQ(definitionOf(EditorField::V1Genre).slot, RecordSlot::V1GenreByte);
    EXPECT_EQ(definitionOf(EditorField::PlayCounter).slot, RecordSlot::PlayCounter);
    EXPECT_EQ(definitionOf(EditorField::V1Track).v1Field, V1FieldNo::Track);
    EXPECT_EQ(definitionOf(EditorField::V1Genre).v1Field, V1FieldNo::Genre);
    EXPECT_FALSE(definitionOf(EditorField::Title).v1Field);

    EXPECT_EQ(frameIdOf(EditorField::Track), "TRCK");
    EXPECT_EQ(frameIdOf(EditorField::V2Genre), "TCON");
    EXPECT_EQ(frameIdOf(EditorField::PlayCounter), "PCNT");
    EXPECT_EQ(frameIdOf(EditorField::V1Title), "");
    EXPECT_EQ(editorFieldOfFrame("TPE2"), EditorField::Band);
    EXPECT_EQ(editorFieldOfFrame("TCON"), EditorField::V2Genre);
    EXPECT_FALSE(editorFieldOfFrame("APIC"));
    EXPECT_FALSE(editorFieldOfFrame(""));
}

}  // namespace
}  // namespace corvane::tags
