#include "batch/text_case.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "tags/text_encoding.h"

namespace corvane::batch {

namespace {

// A block of letters whose lower case lies at a fixed distance from the capital (contiguous), or
// whose capitals and lower-case letters alternate (capital at an even offset from first).
struct CaseRange {
    char32_t first;
    char32_t last;
    std::int32_t delta;  // lower = capital + delta
    bool alternating;
};

constexpr std::array<CaseRange, 26> kCaseRanges{{
    {0x0041, 0x005A, 32, false},     {0x00C0, 0x00D6, 32, false},  {0x00D8, 0x00DE, 32, false},
    {0x0100, 0x012F, 1, true},       {0x0132, 0x0137, 1, true},    {0x0139, 0x0148, 1, true},
    {0x014A, 0x0177, 1, true},       {0x0178, 0x0178, -121, false}, {0x0179, 0x017E, 1, true},
    {0x0386, 0x0386, 38, false},     {0x0388, 0x038A, 37, false},  {0x038C, 0x038C, 64, false},
    {0x038E, 0x038F, 63, false},     {0x0391, 0x03A1, 32, false},  {0x03A3, 0x03AB, 32, false},
    {0x0400, 0x040F, 80, false},     {0x0410, 0x042F, 32, false},  {0x0460, 0x0481, 1, true},
    {0x048A, 0x04BF, 1, true},       {0x04C1, 0x04CE, 1, true},    {0x04D0, 0x052F, 1, true},
    {0x0531, 0x0556, 48, false},     {0x1E00, 0x1E95, 1, true},    {0x1E9E, 0x1E9E, -7615, false},
    {0x1EA0, 0x1EFF, 1, true},       {0xFF21, 0xFF3A, 32, false},
}};

constexpr char32_t kSharpS = 0xDF;
constexpr char32_t kFinalSigma = 0x3C2;
constexpr char32_t kCapitalSigma = 0x3A3;

char32_t toLower(char32_t c)
{
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    for (const auto& r : kCaseRanges) {
        if (c < r.first || c > r.last) continue;
        if (!r.alternating) return static_cast<char32_t>(static_cast<std::int32_t>(c) + r.delta);
        return (c - r.first) % 2 == 0 ? c + 1 : c;
    }
    return c;
}

char32_t toUpper(char32_t c)
{
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c == kSharpS) return c;
    if (c == kFinalSigma) return kCapitalSigma;
    for (const auto& r : kCaseRanges) {
        if (r.alternating) {
            if (c > r.first && c <= r.last && (c - r.first) % 2 == 1) return c - 1;
            continue;
        }
        const auto capital = static_cast<std::int32_t>(c) - r.delta;
        if (capital >= static_cast<std::int32_t>(r.first) && capital <= static_cast<std::int32_t>(r.last))
            return static_cast<char32_t>(capital);
    }
    return c;
}

// One character of the text; a byte that starts no UTF-8 sequence is kept as it is.
struct Char {
    char32_t cp = 0;
    std::string_view bytes;
    bool valid = true;
};

std::vector<Char> decode(std::string_view text)
{
    std::vector<Char> chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = tags::decodeUtf8At(text, i);
        const std::size_t length = c.length == 0 ? 1 : c.length;
        chars.push_back({c.cp, text.substr(i, length), c.length != 0});
        i += length;
    }
    return chars;
}

std::string encode(const std::vector<Char>& chars, std::size_t sizeHint)
{
    std::string out;
    out.reserve(sizeHint);
    for (const auto& c : chars) {
        if (c.valid)
            tags::appendUtf8(out, c.cp);
        else
            out += c.bytes;
    }
    return out;
}

class Mapper {
public:
    explicit Mapper(bool latin1Only) : m_latin1Only(latin1Only) {}
    void lower(Char& c) const { apply(c, toLower(c.cp)); }
    void upper(Char& c) const { apply(c, toUpper(c.cp)); }

private:
    void apply(Char& c, char32_t mapped) const
    {
        if (c.valid && (!m_latin1Only || mapped <= 0xFF)) c.cp = mapped;
    }
    bool m_latin1Only;
};

bool isSpace(const Char& c)
{
    return c.cp == ' ' || c.cp == '\t' || c.cp == '\n' || c.cp == '\r' || c.cp == 0xA0;
}

bool isCased(char32_t c)
{
    return toLower(c) != c || toUpper(c) != c || c == kSharpS;
}

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

// What may stand before the first letter of a word, or after its last: brackets, quotes and the
// marks that end a phrase.
bool isWordPunctuation(char32_t c)
{
    constexpr std::u32string_view kMarks = U"([{<\"'\u2018\u201C\u00AB\u00BF\u00A1)]}>\u2019\u201D\u00BB,;:!?.";
    return kMarks.find(c) != std::u32string_view::npos;
}

bool opensPhrase(char32_t c)
{
    constexpr std::u32string_view kOpeners = U"([{<\"\u2018\u201C\u00AB";
    return kOpeners.find(c) != std::u32string_view::npos;
}

bool closesPhrase(char32_t c)
{
    // A full stop does not count: it ends "feat." and "vs." far more often than a part of a title.
    constexpr std::u32string_view kClosers = U")]}>\"\u2019\u201D\u00BB:;!?";
    return kClosers.find(c) != std::u32string_view::npos;
}

bool isDash(std::span<const Char> word)
{
    return word.size() == 1 && (word[0].cp == '-' || word[0].cp == 0x2013 || word[0].cp == 0x2014);
}

// The words English titles keep in lower case inside a title.
constexpr std::array<std::string_view, 24> kSmallWords{
    "a",  "an", "and", "as",  "at",  "but", "by",  "de",  "feat", "feat.", "for", "ft.",
    "in", "nor", "of", "on",  "or",  "per", "the", "to",  "via",  "vs",    "vs.", "yet",
};

// The word without the brackets and quotes around it (a trailing full stop kept), in ASCII, or
// "" when it holds anything else.
std::string asciiCore(std::span<const Char> word)
{
    std::size_t begin = 0;
    std::size_t end = word.size();
    while (begin < end && word[begin].cp != '.' && isWordPunctuation(word[begin].cp)) ++begin;
    while (end > begin && word[end - 1].cp != '.' && isWordPunctuation(word[end - 1].cp)) --end;
    std::string core;
    for (std::size_t i = begin; i < end; ++i) {
        if (word[i].cp >= 0x80) return {};
        core += static_cast<char>(toLower(word[i].cp));
    }
    return core;
}

bool isSmallWord(std::span<const Char> word)
{
    const std::string core = asciiCore(word);
    return std::find(kSmallWords.begin(), kSmallWords.end(), core) != kSmallWords.end();
}

// Capitalises the first letter of the word and each letter that follows a hyphen or a slash
// ("Jay-Z", "Hip-Hop"); a word that starts with a digit keeps its letters ("2nd").
void capitaliseWord(std::span<Char> word, const Mapper& mapper)
{
    bool atStart = true;
    for (auto& c : word) {
        if (atStart && isCased(c.cp)) {
            mapper.upper(c);
            atStart = false;
        } else if (atStart && !isWordPunctuation(c.cp)) {
            atStart = false;
        }
        if (c.cp == '-' || c.cp == '/') atStart = true;
    }
}

struct Word {
    std::size_t begin;
    std::size_t end;
};

std::vector<Word> splitWords(const std::vector<Char>& chars)
{
    std::vector<Word> words;
    for (std::size_t i = 0; i < chars.size();) {
        while (i < chars.size() && isSpace(chars[i])) ++i;
        const std::size_t begin = i;
        while (i < chars.size() && !isSpace(chars[i])) ++i;
        if (i > begin) words.push_back({begin, i});
    }
    return words;
}

void titleCase(std::vector<Char>& chars, const Mapper& mapper)
{
    const auto words = splitWords(chars);
    const auto span = [&chars](const Word& w) {
        return std::span<Char>(chars).subspan(w.begin, w.end - w.begin);
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto word = span(words[i]);
        // A small word is capitalised where a title or one of its parts starts or ends: after a
        // colon or a dash, inside brackets, before a bracket or a dash.
        const bool startsPart = i == 0 || opensPhrase(word.front().cp) ||
                                closesPhrase(chars[words[i - 1].end - 1].cp) ||
                                isDash(span(words[i - 1]));
        const bool endsPart = i + 1 == words.size() || closesPhrase(word.back().cp) ||
                              isDash(span(words[i + 1])) || opensPhrase(chars[words[i + 1].begin].cp);
        if (!startsPart && !endsPart && isSmallWord(word)) continue;
        capitaliseWord(word, mapper);
    }
}

void sentenceCase(std::vector<Char>& chars, const Mapper& mapper)
{
    bool sentenceStart = true;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i].cp;
        if (sentenceStart && isCased(c)) {
            mapper.upper(chars[i]);
            sentenceStart = false;
        } else if (sentenceStart && (isDigit(c) || (!isWordPunctuation(c) && !isSpace(chars[i])))) {
            sentenceStart = false;
        }
        const bool endsSentence = (c == '.' || c == '!' || c == '?') && i + 1 < chars.size() &&
                                  isSpace(chars[i + 1]);
        if (endsSentence) sentenceStart = true;
    }
}

}  // namespace

std::string_view caseModeName(CaseMode mode)
{
    switch (mode) {
        case CaseMode::Title: return "title";
        case CaseMode::Sentence: return "sentence";
        case CaseMode::Upper: return "upper";
        case CaseMode::Lower: return "lower";
    }
    return {};
}

bool parseCaseMode(std::string_view name, CaseMode& mode)
{
    for (const auto candidate : {CaseMode::Title, CaseMode::Sentence, CaseMode::Upper, CaseMode::Lower}) {
        if (caseModeName(candidate) == name) {
            mode = candidate;
            return true;
        }
    }
    return false;
}

std::string changeCase(std::string_view text, CaseMode mode, bool latin1Only)
{
    auto chars = decode(text);
    const Mapper mapper(latin1Only);
    if (mode == CaseMode::Upper) {
        for (auto& c : chars) mapper.upper(c);
        return encode(chars, text.size());
    }
    for (auto& c : chars) mapper.lower(c);
    if (mode == CaseMode::Title) titleCase(chars, mapper);
    if (mode == CaseMode::Sentence) sentenceCase(chars, mapper);
    return encode(chars, text.size());
}

char32_t foldCase(char32_t c)
{
    return c == kFinalSigma ? kCapitalSigma + 32 : toLower(c);
}

std::string foldCase(std::string_view text)
{
    // Most names are ASCII: those need no decoding.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string folded(text);
        for (char& c : folded) c = static_cast<char>(toLower(static_cast<unsigned char>(c)));
        return folded;
    }
    auto chars = decode(text);
    for (auto& c : chars) {
        if (c.valid) c.cp = foldCase(c.cp);
    }
    return encode(chars, text.size());
}

}  // namespace corvane::batch
