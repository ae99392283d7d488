#include "editor/tag_editor_save.h"

#include "batch/run_driver.h"
#include "batch/update_all.h"

namespace corvane {

namespace {

void keepUnloadedTag(batch::CollectedList& list, bool loaded)
{
    if (list.action == batch::TagAction::Remove && !loaded)
        list = batch::CollectedList{};
}

}  // namespace

batch::FileOutcome saveTagFile(const std::string& path, const batch::EditorTexts& texts,
                               batch::EditorLayout layout, bool compact, LoadedTags loaded)
{
    const auto all = batch::FieldSelection::all();
    batch::UpdateAllPlan plan;
    plan.id3v1 = batch::collectId3v1List(texts, all);
    plan.id3v2 = batch::collectId3v2List(texts, all, layout);
    plan.compact = compact;
    keepUnloadedTag(plan.id3v1, loaded.id3v1);
    keepUnloadedTag(plan.id3v2, loaded.id3v2);
    return batch::runFile(path, [&plan](tags::FileIo& file, const batch::RunFile&) {
        return batch::updateAllFile(file, plan);
    });
}

}  // namespace corvane
