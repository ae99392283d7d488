#include "batch/file_names.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace corvane::batch {
namespace {

TEST(FileNames, CleansANewNameStem)
{
    struct Case {
        std::string_view text;
        bool portable;
        std::string_view expected;
    };
    const Case cases[] = {
        {"AC/DC - Back", false, "AC_DC - Back"},
        {std::string_view("a\0b", 3), false, "a_b"},
        {"Why? \"Live\": a*b <c> d|e \\f", false, "Why? \"Live\": a*b <c> d|e \\f"},
        {"Why? \"Live\": a*b <c> d|e \\f", true, "Why_ _Live__ a_b _c_ d_e _f"},
        {"tab\there", true, "tab_here"},
        {"tab\there", false, "tab\there"},
        {" . .hidden. ", true, "hidden"},
        {"...", true, ""},
        {"Caf\xC3\xA9 \xE6\x97\xA5", true, "Caf\xC3\xA9 \xE6\x97\xA5"},
    };
    for (const auto& c : cases) EXPECT_EQ(cleanNameStem(c.text, c.portable), c.expected) << c.text;
    EXPECT_EQ(mp3Ending("a.MP3"), ".MP3");
    EXPECT_EQ(mp3Ending("a.wav"), ".mp3");
}

FilePlan renamePlan(const std::string& from, const std::string& to)
{
    FilePlan plan;
    plan.path = from;
    plan.newPath = to;
    if (from != to) plan.changes.push_back({ChangeTarget::FileName, "name", "Name", "", ""});
    return plan;
}

TEST(FileNames, FindsCollisionsBeforeAnythingIsRenamed)
{
    test::TempDir dir;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3", "taken.mp3", "Other.mp3"})
        test::writeFile(dir.file(name), test::bytesOf("x"));
    std::vector<FilePlan> plans{
        renamePlan(dir.file("a.mp3"), dir.file("same.mp3")),
        // The same name given another way is the same file.
        renamePlan(dir.file("b.mp3"), dir.folder() + "./same.mp3"),
        renamePlan(dir.file("c.mp3"), dir.file("taken.mp3")),
        renamePlan(dir.file("d.mp3"), dir.file("other.mp3")),
        renamePlan(dir.file("e.mp3"), dir.file("fine.mp3")),
        renamePlan(dir.file("taken.mp3"), dir.file("taken.mp3")),
    };
    markCollisions(plans);
    EXPECT_EQ(plans[0].problem, PlanProblem::Collision);
    EXPECT_EQ(plans[0].reason, "2 files would be named same.mp3");
    EXPECT_EQ(plans[1].problem, PlanProblem::Collision);
    EXPECT_EQ(plans[2].reason, "a file named taken.mp3 exists");
    // Only a note: on a case-sensitive file system both names can be.
    EXPECT_FALSE(plans[3].hasProblem());
    EXPECT_EQ(plans[3].note.substr(0, 36), "differs only in case from Other.mp3:");
    EXPECT_FALSE(plans[4].hasProblem());
    EXPECT_EQ(plans[4].note, "");
    EXPECT_FALSE(plans[5].hasProblem());
}

}  // namespace
}  // namespace corvane::batch
