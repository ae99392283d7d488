#include "batch/name_format.h"

#include <algorithm>

#include "batch/named_fields.h"
#include "tags/text_rules.h"

namespace corvane::batch {

namespace {

constexpr std::string_view kIgnore = "ignore";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A continuation byte of a UTF-8 sequence: a placeholder never ends in the middle of a character.
bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string placeholderList()
{
    std::string list;
    for (const auto& field : kNamedFields) list += "%" + std::string(field.name) + "% ";
    return list + "%ignore%";
}

// The placeholder between two "%" ("track:2"), as a part.
std::optional<FormatPart> parsePlaceholder(std::string_view placeholder, std::string& error)
{
    FormatPart part;
    const auto colon = placeholder.find(':');
    const std::string_view name = placeholder.substr(0, colon);
    if (colon != std::string_view::npos) {
        const std::string_view width = placeholder.substr(colon + 1);
        const auto number = tags::leadingInteger(width);
        if (width.empty() || width.size() > 2 || !std::all_of(width.begin(), width.end(), isDigit) ||
            number < 1 || number > kMaxFormatWidth) {
            error = "the width in %" + std::string(placeholder) + "% must be a number from 1 to " +
                    std::to_string(kMaxFormatWidth);
            return std::nullopt;
        }
        part.width = static_cast<int>(number);
    }
    if (tags::equalsIgnoringAsciiCase(name, kIgnore)) {
        if (part.width != 0) {
            error = "%ignore% takes no width";
            return std::nullopt;
        }
        part.kind = FormatPart::Kind::Ignore;
        return part;
    }
    const auto field = fieldNamed(name);
    if (!field) {
        error = "unknown placeholder %" + std::string(name) + "%; the placeholders are " +
                placeholderList();
        return std::nullopt;
    }
    part.kind = FormatPart::Kind::Field;
    part.field = *field;
    part.text = std::string(nameOfField(field->frameId));
    return part;
}

bool takesDigits(const FormatPart& part)
{
    return part.width != 0 || isNumberField(part.field.frameId);
}

// Matches the parts against a subject by backtracking; a (part, position) pair that failed once
// is not tried again, so a format of k placeholders costs at most k times the square of the
// subject's length.
class Matcher {
public:
    Matcher(const std::vector<FormatPart>& parts, std::string_view subject)
        : m_parts(parts), m_subject(subject), m_failed((parts.size() + 1) * (subject.size() + 1)),
          m_spans(parts.size())
    {
    }

    [[nodiscard]] bool run() { return match(0, 0); }
    [[nodiscard]] std::string_view span(std::size_t part) const
    {
        return m_subject.substr(m_spans[part].first, m_spans[part].second - m_spans[part].first);
    }

private:
    bool match(std::size_t p, std::size_t pos)
    {
        if (p == m_parts.size()) return pos == m_subject.size();
        const std::size_t memo = p * (m_subject.size() + 1) + pos;
        if (m_failed[memo]) return false;
        if (const auto end = matchPart(p, pos)) {
            m_spans[p] = {pos, *end};
            return true;
        }
        m_failed[memo] = true;
        return false;
    }

    // Where part p ends when the rest matches after it.
    std::optional<std::size_t> matchPart(std::size_t p, std::size_t pos)
    {
        const FormatPart& part = m_parts[p];
        const std::string_view rest = m_subject.substr(pos);
        if (part.kind == FormatPart::Kind::Text) {
            if (rest.starts_with(part.text) && match(p + 1, pos + part.text.size()))
                return pos + part.text.size();
            return std::nullopt;
        }
        if (part.kind == FormatPart::Kind::Field && takesDigits(part)) {
            std::size_t digits = 0;
            while (digits < rest.size() && isDigit(rest[digits])) ++digits;
            for (std::size_t n = digits; n >= 1; --n) {
                if (match(p + 1, pos + n)) return pos + n;
            }
            return std::nullopt;
        }
        const std::size_t limit = std::min(rest.find('/'), rest.size());
        const std::size_t shortest = part.kind == FormatPart::Kind::Ignore ? 0 : 1;
        for (std::size_t n = shortest; n <= limit; ++n) {
            if (n < rest.size() && isContinuation(rest[n])) continue;
            if (match(p + 1, pos + n)) return pos + n;
        }
        return std::nullopt;
    }

    const std::vector<FormatPart>& m_parts;
    std::string_view m_subject;
    std::vector<bool> m_failed;
    std::vector<std::pair<std::size_t, std::size_t>> m_spans;
};

std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view withoutLeadingZeros(std::string_view digits)
{
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

// The end of path that the format reads: the name without ".mp3" and `folders` folder names.
std::optional<std::string_view> subjectOf(std::string_view path, std::size_t folders)
{
    if (tags::isMp3FileName(path)) path.remove_suffix(4);
    std::size_t start = path.size();
    for (std::size_t i = 0; i <= folders; ++i) {
        const auto slash = start == 0 ? std::string_view::npos : path.rfind('/', start - 1);
        if (slash == std::string_view::npos) {
            if (i < folders) return std::nullopt;
            start = 0;
            break;
        }
        start = slash;
    }
    if (start < path.size() && path[start] == '/') ++start;
    return path.substr(start);
}

}  // namespace

std::size_t NameFormat::folderCount() const
{
    std::size_t count = 0;
    for (const auto& part : parts) {
        if (part.kind == FormatPart::Kind::Text)
            count += static_cast<std::size_t>(std::count(part.text.begin(), part.text.end(), '/'));
    }
    return count;
}

bool NameFormat::hasIgnore() const
{
    return std::any_of(parts.begin(), parts.end(),
                       [](const FormatPart& p) { return p.kind == FormatPart::Kind::Ignore; });
}

bool NameFormat::namesAnyField() const
{
    return std::any_of(parts.begin(), parts.end(),
                       [](const FormatPart& p) { return p.kind == FormatPart::Kind::Field; });
}

std::optional<NameFormat> parseNameFormat(std::string_view text, std::string& error)
{
    NameFormat format;
    std::string literal;
    const auto flush = [&] {
        if (!literal.empty()) format.parts.push_back({FormatPart::Kind::Text, std::move(literal), {}, 0});
        literal.clear();
    };
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            literal += text[i++];
        } else if (i + 1 < text.size() && text[i + 1] == '%') {
            literal += '%';
            i += 2;
        } else {
            const auto close = text.find('%', i + 1);
            if (close == std::string_view::npos) {
                error = "a % is not closed (write %% for a percent sign)";
                return std::nullopt;
            }
            auto part = parsePlaceholder(text.substr(i + 1, close - i - 1), error);
            if (!part) return std::nullopt;
            flush();
            format.parts.push_back(std::move(*part));
            i = close + 1;
        }
    }
    flush();
    if (format.parts.empty()) {
        error = "the format is empty";
        return std::nullopt;
    }
    return format;
}

std::optional<std::vector<FieldCapture>> matchName(const NameFormat& format, std::string_view path)
{
    const auto subject = subjectOf(path, format.folderCount());
    if (!subject) return std::nullopt;
    Matcher matcher(format.parts, *subject);
    if (!matcher.run()) return std::nullopt;
    std::vector<FieldCapture> captures;
    for (std::size_t i = 0; i < format.parts.size(); ++i) {
        const FormatPart& part = format.parts[i];
        if (part.kind != FormatPart::Kind::Field) continue;
        const auto span = matcher.span(i);
        const std::string value(takesDigits(part) ? withoutLeadingZeros(span) : trimSpaces(span));
        if (value.empty()) return std::nullopt;
        const auto same = std::find_if(captures.begin(), captures.end(), [&](const FieldCapture& c) {
            return c.field.frameId == part.field.frameId;
        });
        if (same == captures.end())
            captures.push_back({part.field, value});
        else if (same->value != value)
            return std::nullopt;
    }
    return captures;
}

std::string formatName(const NameFormat& format,
                       const std::function<std::string(const FieldTarget&)>& valueOf)
{
    std::string text;
    for (const auto& part : format.parts) {
        if (part.kind == FormatPart::Kind::Text) text += part.text;
        if (part.kind == FormatPart::Kind::Field) text += padNumber(valueOf(part.field), part.width);
    }
    return text;
}

std::string padNumber(std::string_view value, int width)
{
    if (width == 0) return std::string(value);
    std::size_t digits = 0;
    while (digits < value.size() && isDigit(value[digits])) ++digits;
    if (digits == 0) return std::string(value);
    const auto number = value.substr(0, digits);
    const auto wanted = static_cast<std::size_t>(width);
    return std::string(wanted > number.size() ? wanted - number.size() : 0, '0') + std::string(number);
}

}  // namespace corvane::batch
