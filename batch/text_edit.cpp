#include "batch/text_edit.h"

#include "batch/file_values.h"
#include "batch/named_fields.h"

namespace corvane::batch {

TextEdit::TextEdit(TextEditOptions options, std::optional<TextReplacer> replacer)
    : m_options(std::move(options)), m_replacer(std::move(replacer))
{
}

std::optional<TextEdit> TextEdit::make(TextEditOptions options, std::string& error)
{
    if (!options.replace && !options.caseMode) {
        error = "there is nothing to change: give a case or a text to replace";
        return std::nullopt;
    }
    if (options.fields.empty() || (!options.id3v1 && !options.id3v2)) {
        error = "no field of a tag is chosen";
        return std::nullopt;
    }
    std::optional<TextReplacer> replacer;
    if (options.replace) {
        replacer = TextReplacer::make(*options.replace, error);
        if (!replacer) return std::nullopt;
    }
    return TextEdit(std::move(options), std::move(replacer));
}

ReplaceResult TextEdit::apply(std::string_view text, bool latin1Only) const
{
    ReplaceResult result = m_replacer ? m_replacer->apply(text) : ReplaceResult{std::string(text), {}};
    if (result.error.empty() && m_options.caseMode)
        result.text = changeCase(result.text, *m_options.caseMode, latin1Only);
    return result;
}

FilePlan TextEdit::plan(tags::FileIo& file, const std::string& path) const
{
    FilePlan plan = FilePlan::of(path);
    const FileValues values = readFileValues(file, m_options.id3v1, m_options.fields);
    if (!values.ok) {
        plan.setProblem(PlanProblem::Unreadable, values.reason);
        return plan;
    }
    const bool withTrack = values.v1 && values.v1->track != 0;
    auto& changes = plan.tagChanges;
    for (const auto& field : m_options.fields) {
        const std::string name(nameOfField(field.frameId));
        for (const auto tag : {TagKind::Id3v2, TagKind::Id3v1}) {
            if (tag == TagKind::Id3v2 ? !m_options.id3v2 : !m_options.id3v1) continue;
            const auto before = values.value(tag, field);
            if (!before || before->empty()) continue;
            const auto edited = apply(*before, tag == TagKind::Id3v1);
            if (!edited.error.empty()) {
                plan.setProblem(PlanProblem::NotSearched, "the " + field.name + " is " + edited.error);
                return plan;
            }
            if (tag == TagKind::Id3v2) {
                if (edited.text == *before) continue;
                plan.changes.push_back({ChangeTarget::Id3v2, name, field.name, *before, edited.text});
                changes.id3v2Entries.push_back(tags::FieldSlot::frame(field.frameId, edited.text));
                continue;
            }
            const auto after = v1ShownValue(*field.v1Field, edited.text, withTrack);
            if (field.v1Field == tags::V1FieldNo::Genre && after.empty()) {
                plan.note = "the ID3v1 genre stays " + *before + ": " + edited.text +
                            " is not a genre of the list";
                continue;
            }
            if (after == *before) continue;
            plan.changes.push_back({ChangeTarget::Id3v1, name, field.name, *before, after});
            changes.id3v1Entries.push_back(tags::FieldSlot::v1(*field.v1Field, edited.text));
        }
    }
    if (!changes.id3v2Entries.empty() && !values.v2Refusal.ok()) {
        plan.setProblem(PlanProblem::Unreadable, tags::describe(values.v2Refusal));
        return plan;
    }
    if (!changes.id3v2Entries.empty()) changes.id3v2 = tags::V2Change::Merge;
    if (!changes.id3v1Entries.empty()) changes.id3v1 = tags::V1Change::Write;
    changes.compact = m_options.compact;
    return plan;
}

}  // namespace corvane::batch
