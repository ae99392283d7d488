#include "batch/text_replace.h"

#include <regex>
#include <vector>

#include "batch/text_case.h"
#include "tags/text_encoding.h"

namespace corvane::batch {

namespace {

static_assert(sizeof(wchar_t) == 4, "regular expressions run over UTF-32 code points");

// The standard traits with our case folding, so that an expression that ignores case does so for
// every letter we know the case of, whatever locale the program runs in.
struct FoldingTraits : std::regex_traits<wchar_t> {
    [[nodiscard]] wchar_t translate_nocase(wchar_t c) const
    {
        return static_cast<wchar_t>(foldCase(static_cast<char32_t>(c)));
    }
};

using Regex = std::basic_regex<wchar_t, FoldingTraits>;

// Bytes that are not UTF-8 cannot reach here (tag values are decoded text); should one, it
// becomes U+FFFD rather than a character the expression could split.
std::wstring toWide(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = tags::decodeUtf8At(text, i);
        wide += static_cast<wchar_t>(c.cp);
        i += c.length == 0 ? 1 : c.length;
    }
    return wide;
}

std::string toUtf8(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (const wchar_t c : wide) tags::appendUtf8(out, static_cast<char32_t>(c));
    return out;
}

// A character of a text with where its bytes start, folded when case is ignored.
struct Folded {
    char32_t cp;
    std::size_t at;
};

std::vector<Folded> fold(std::string_view text, bool ignoreCase)
{
    std::vector<Folded> chars;
    chars.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        const auto c = tags::decodeUtf8At(text, i);
        // A stray byte stands for itself, so that it only ever matches the same byte.
        const char32_t cp = c.length == 0 ? 0x110000 + static_cast<unsigned char>(text[i]) : c.cp;
        chars.push_back({ignoreCase ? foldCase(cp) : cp, i});
        i += c.length == 0 ? 1 : c.length;
    }
    chars.push_back({0, text.size()});
    return chars;
}

}  // namespace

struct TextReplacer::Compiled {
    Regex regex;
    std::wstring replacement;
};

TextReplacer::TextReplacer(ReplaceOptions options) : m_options(std::move(options)) {}
TextReplacer::TextReplacer(TextReplacer&&) noexcept = default;
TextReplacer& TextReplacer::operator=(TextReplacer&&) noexcept = default;
TextReplacer::~TextReplacer() = default;

std::optional<TextReplacer> TextReplacer::make(const ReplaceOptions& options, std::string& error)
{
    if (options.find.empty()) {
        error = "there is nothing to find";
        return std::nullopt;
    }
    TextReplacer replacer(options);
    if (!options.regex) return replacer;
    auto flags = std::regex_constants::ECMAScript;
    if (options.ignoreCase) flags |= std::regex_constants::icase;
    try {
        replacer.m_compiled = std::make_unique<Compiled>(
            Compiled{Regex(toWide(options.find), flags), toWide(options.replacement)});
    } catch (const std::regex_error& e) {
        error = std::string("the regular expression is not valid: ") + e.what();
        return std::nullopt;
    }
    return replacer;
}

std::string TextReplacer::replacePlain(std::string_view text) const
{
    const auto haystack = fold(text, m_options.ignoreCase);
    auto needle = fold(m_options.find, m_options.ignoreCase);
    needle.pop_back();
    std::string out;
    std::size_t copied = 0;  // bytes of text already in out
    std::size_t i = 0;
    while (i + needle.size() < haystack.size()) {
        const bool found = std::equal(needle.begin(), needle.end(), haystack.begin() + static_cast<std::ptrdiff_t>(i),
                                      [](const Folded& a, const Folded& b) { return a.cp == b.cp; });
        if (!found) {
            ++i;
            continue;
        }
        out.append(text.substr(copied, haystack[i].at - copied));
        out += m_options.replacement;
        i += needle.size();
        copied = haystack[i].at;
    }
    out.append(text.substr(copied));
    return out;
}

ReplaceResult TextReplacer::apply(std::string_view text) const
{
    ReplaceResult result;
    if (!m_compiled) {
        result.text = replacePlain(text);
        return result;
    }
    result.text = std::string(text);
    const std::wstring wide = toWide(text);
    if (wide.size() > kMaxRegexChars) {
        result.error = "longer than " + std::to_string(kMaxRegexChars) +
                       " characters, too long for a regular expression";
        return result;
    }
    try {
        result.text = toUtf8(std::regex_replace(wide, m_compiled->regex, m_compiled->replacement));
    } catch (const std::regex_error& e) {
        result.error = std::string("the regular expression could not be run: ") + e.what();
    }
    return result;
}

}  // namespace corvane::batch
