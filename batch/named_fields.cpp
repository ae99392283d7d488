#include "batch/named_fields.h"

#include "tags/text_rules.h"

namespace corvane::batch {

std::optional<FieldTarget> fieldNamed(std::string_view name)
{
    for (const auto& field : kNamedFields) {
        if (tags::equalsIgnoringAsciiCase(field.name, name)) return editorField(field.frameId);
    }
    return std::nullopt;
}

std::string_view nameOfField(std::string_view frameId)
{
    for (const auto& field : kNamedFields) {
        if (field.frameId == frameId) return field.name;
    }
    return {};
}

bool isNumberField(std::string_view frameId)
{
    return frameId == "TRCK" || frameId == "TYER" || frameId == "TORY";
}

}  // namespace corvane::batch
