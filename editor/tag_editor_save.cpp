#include "editor/tag_editor_save.h"

#include "batch/run_driver.h"
#include "batch/update_all.h"
#include "tags/id3v2_convert.h"
#include "tags/id3v2_header.h"

namespace corvane {

batch::FileOutcome saveTagFile(const std::string& path, const batch::EditorTexts& texts,
                               batch::EditorLayout layout, bool compact, LoadedTags loaded,
                               OldTagSave oldTag, tags::WritePolicy policy,
                               batch::UndoRecorder* undo, std::vector<tags::PictureEdit> pictures)
{
    const auto all = batch::FieldSelection::all();
    batch::UpdateAllPlan plan;
    plan.id3v1 = batch::collectId3v1List(texts, all);
    plan.id3v2 = batch::collectId3v2List(texts, all, layout, batch::PlayCounter::Write);
    plan.compact = compact;
    plan.pictures = std::move(pictures);
    batch::keepUnloadedTag(plan.id3v1, loaded.id3v1);
    batch::keepUnloadedTag(plan.id3v2, loaded.id3v2);
    return batch::runFile(path, [&](tags::FileIo& file, const batch::RunFile&) {
        const auto header = tags::readId3v2Header(file);
        const bool old = header && header->major == 2 && plan.id3v2.action == batch::TagAction::Write;
        if (old && oldTag == OldTagSave::Keep) {
            plan.id3v2 = batch::CollectedList{};
            plan.pictures.clear();
        } else if (old) {
            const auto conversion = tags::convertId3v2(file, 3);
            if (!conversion.result.ok()) return batch::FileOutcome::failed(conversion.result);
        }
        return batch::updateAllFile(file, plan);
    }, policy, undo);
}

}  // namespace corvane
