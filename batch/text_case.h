#pragma once
// Upper and lower case of UTF-8 text without a locale, so that a case change gives the same
// result on every machine: Title Case, Sentence case, UPPER, lower, and case folding for finding
// text without regard to case.
//
// Letters are mapped one for one (Latin with its accents, Greek, Cyrillic, Armenian, full-width
// Latin), so a text keeps its length in characters; characters without a case, and bytes that are
// not UTF-8, stay as they are. "ß" has no single capital in common use and stays "ß".

#include <string>
#include <string_view>

namespace corvane::batch {

enum class CaseMode {
    Title,     // every word capitalised, the rest of it lower; small words ("a", "of", "the",
               // ...) lower inside a title and its parts, capitalised at their start and end
    Sentence,  // lower case, with the first letter of the text and of every sentence capitalised
    Upper,
    Lower,
};

// The name corvane-tag takes for a mode ("title", "sentence", "upper", "lower"), and back.
[[nodiscard]] std::string_view caseModeName(CaseMode mode);
[[nodiscard]] bool parseCaseMode(std::string_view name, CaseMode& mode);

// text in the given case. latin1Only keeps every letter whose other case lies outside
// ISO-8859-1 as it is ("ÿ" would become "Ÿ"), for the ID3v1 trailer, which could store only "?".
[[nodiscard]] std::string changeCase(std::string_view text, CaseMode mode, bool latin1Only = false);

// The case-folded form of one character (its lower case), and of a text, for comparisons.
[[nodiscard]] char32_t foldCase(char32_t c);
[[nodiscard]] std::string foldCase(std::string_view text);

}  // namespace corvane::batch
