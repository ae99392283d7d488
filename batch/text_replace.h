#pragma once
// Find and replace in UTF-8 text: plain text or an ECMAScript regular expression, with or
// without regard to case (the case folding of text_case.h, so "É" finds "é").

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::batch {

struct ReplaceOptions {
    std::string find;         // not empty
    std::string replacement;  // with regex: $1..$99 the groups, $& the match, $$ a "$"
    bool regex = false;
    bool ignoreCase = false;
};

// Longest text a regular expression is run over, in characters: the standard library's matcher
// recurses once per character and would run out of stack on a far longer text.
inline constexpr std::size_t kMaxRegexChars = 2000;

struct ReplaceResult {
    std::string text;   // the text with every match replaced
    std::string error;  // set when the text could not be searched (too long, too complex); text
                        // is then the input unchanged
};

class TextReplacer {
public:
    // Compiles the options; nullopt with error set when the pattern is not a valid expression or
    // there is nothing to find.
    [[nodiscard]] static std::optional<TextReplacer> make(const ReplaceOptions& options,
                                                          std::string& error);
    TextReplacer(TextReplacer&&) noexcept;
    TextReplacer& operator=(TextReplacer&&) noexcept;
    ~TextReplacer();

    // Replaces every match, left to right, never overlapping.
    [[nodiscard]] ReplaceResult apply(std::string_view text) const;

private:
    struct Compiled;
    explicit TextReplacer(ReplaceOptions options);
    [[nodiscard]] std::string replacePlain(std::string_view text) const;

    ReplaceOptions m_options;
    std::unique_ptr<Compiled> m_compiled;  // the expression, with regex
};

}  // namespace corvane::batch
