#include "editor/tag_editor_save.h"

#include "batch/file_work.h"
#include "batch/update_all.h"

namespace corvane {

namespace {

void keepUnloadedTag(batch::CollectedList& list, bool loaded)
{
    if (list.action == batch::TagAction::Remove && !loaded)
        list = batch::CollectedList{};
}

}  // namespace

SaveResult saveTagFile(const std::string& path, const batch::EditorTexts& texts,
                       batch::EditorLayout layout, bool compact, LoadedTags loaded)
{
    batch::UpdateFile target = batch::openForUpdate(path);
    switch (target.status) {
    case batch::OpenStatus::Open:
        break;
    case batch::OpenStatus::ReadOnly:
    case batch::OpenStatus::Missing:
        return {SaveStatus::NotWritable, target.reason};
    case batch::OpenStatus::Failed:
        return {SaveStatus::Failed, target.reason};
    }
    const auto all = batch::FieldSelection::all();
    batch::UpdateAllPlan plan;
    plan.id3v1 = batch::collectId3v1List(texts, all);
    plan.id3v2 = batch::collectId3v2List(texts, all, layout);
    plan.compact = compact;
    keepUnloadedTag(plan.id3v1, loaded.id3v1);
    keepUnloadedTag(plan.id3v2, loaded.id3v2);
    const batch::FileOutcome outcome = batch::updateAllFile(target.file, plan);
    if (outcome.isFailed())
        return {SaveStatus::Failed, outcome.reason};
    return {};
}

}  // namespace corvane
