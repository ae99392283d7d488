#pragma once
// Case and Replace: find and replace, then a change of case, in the chosen fields of the chosen
// tags. Only fields that hold a value change: no tag and no frame is created.

#include <optional>
#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/set_data.h"
#include "batch/text_case.h"
#include "batch/text_replace.h"

namespace corvane::batch {

struct TextEditOptions {
    std::vector<FieldTarget> fields;
    bool id3v1 = true;
    bool id3v2 = true;
    std::optional<ReplaceOptions> replace;  // done first
    std::optional<CaseMode> caseMode;       // then this
    bool compact = false;
};

class TextEdit {
public:
    // nullopt with error set when the options ask for nothing, name no field or tag, or hold a
    // pattern that is not a valid expression.
    [[nodiscard]] static std::optional<TextEdit> make(TextEditOptions options, std::string& error);

    // A text after the edit; error set (and the text unchanged) when it could not be searched.
    // latin1Only: for the ID3v1 trailer (see changeCase).
    [[nodiscard]] ReplaceResult apply(std::string_view text, bool latin1Only) const;

    // The plan of one file. An ID3v1 genre becomes the genre the new text names; a text that
    // names none leaves the genre as it is, with a note.
    [[nodiscard]] FilePlan plan(tags::FileIo& file, const std::string& path) const;

private:
    TextEdit(TextEditOptions options, std::optional<TextReplacer> replacer);

    TextEditOptions m_options;
    std::optional<TextReplacer> m_replacer;
};

}  // namespace corvane::batch
