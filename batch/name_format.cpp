#include "batch/name_format.h"

#include <algorithm>

#include "tags/editor_fields.h"
#include "tags/field_catalogue.h"
#include "tags/text_rules.h"

namespace corvane::batch {

namespace {

using tags::EditorField;

// The placeholder an editor field is named by: the letters of its label, lower case.
std::string placeholderOf(EditorField field)
{
    if (field == EditorField::Track) return "track";
    std::string name;
    for (const char c : tags::definitionOf(field).label) {
        if (c >= 'A' && c <= 'Z') name += static_cast<char>(c - 'A' + 'a');
        else if (c >= 'a' && c <= 'z') name += c;
    }
    return name;
}

// The ID3v1 field beside an ID3v2 one, for Track No .. Comment.
std::optional<EditorField> v1Beside(EditorField field)
{
    const int offset = tags::indexOf(field) - tags::indexOf(tags::kFirstV2Text);
    if (offset < 0 || offset > tags::indexOf(tags::kLastV1Text)) return std::nullopt;
    return static_cast<EditorField>(offset);
}

std::string genreOf(const tags::TagRecord& record)
{
    const std::string& tcon = record[tags::RecordSlot::Genre].text();
    if (!tcon.empty()) return tags::genreDisplayText(tcon);
    const std::string& byte = record[tags::RecordSlot::V1GenreByte].text();
    return byte.empty() ? std::string() : std::string(tags::genreName(static_cast<std::uint8_t>(byte[0])));
}

std::string padded(std::string_view value, std::size_t digits)
{
    const auto number = tags::leadingInteger(value);
    if (number < 0) return std::string(value);
    std::string text = std::to_string(number);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

}  // namespace

std::string expandNameFormat(std::string_view format, const PlaceholderValue& valueOf)
{
    std::string out;
    std::size_t at = 0;
    while (at < format.size()) {
        const auto open = format.find('%', at);
        const auto close = open == std::string_view::npos ? open : format.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += format.substr(at);
            break;
        }
        out += format.substr(at, open - at);
        const auto inside = format.substr(open + 1, close - open - 1);
        at = close + 1;
        if (inside.empty()) {
            out += '%';
            continue;
        }
        const auto colon = inside.find(':');
        const auto name = inside.substr(0, colon);
        const auto value = valueOf(name);
        if (!value) {
            // Not a placeholder: the text stays, and its closing "%" may open the next one.
            out += '%';
            out += inside;
            at = close;
            continue;
        }
        if (colon == std::string_view::npos) {
            out += *value;
        } else {
            const auto digits = tags::leadingInteger(inside.substr(colon + 1));
            out += value->empty() ? std::string() : padded(*value, static_cast<std::size_t>(std::clamp<std::int64_t>(digits, 0, 9)));
        }
    }
    return out;
}

std::string withoutMp3Extension(std::string_view fileName)
{
    const bool mp3 = fileName.size() > 4 &&
                     tags::equalsIgnoringAsciiCase(fileName.substr(fileName.size() - 4), ".mp3");
    return std::string(mp3 ? fileName.substr(0, fileName.size() - 4) : fileName);
}

PlaceholderValue tagPlaceholders(const tags::TagRecord& record, std::string fileName)
{
    return [&record, fileName = std::move(fileName)](std::string_view name) -> std::optional<std::string> {
        if (name == "filename") return withoutMp3Extension(fileName);
        if (name == "genre") return genreOf(record);
        std::optional<std::string> found;
        tags::forEachField(tags::kFirstV2Text, tags::kLastV2Text, [&](EditorField field) {
            if (found || placeholderOf(field) != name) return;
            found = record[tags::definitionOf(field).slot].text();
            const auto v1 = v1Beside(field);
            if (found->empty() && v1) found = record[tags::definitionOf(*v1).slot].text();
        });
        return found;
    };
}

std::string cleanFileName(std::string_view name, bool portable)
{
    static constexpr std::string_view kRefused = "\\:*?\"<>|";
    std::string out;
    for (const char c : name) {
        const bool bad = c == '/' || c == '\0' || (portable && kRefused.find(c) != std::string_view::npos);
        out += bad ? '_' : c;
    }
    const auto first = out.find_first_not_of(" .");
    if (first == std::string::npos) return {};
    const auto last = out.find_last_not_of(" .");
    return out.substr(first, last - first + 1);
}

}  // namespace corvane::batch
