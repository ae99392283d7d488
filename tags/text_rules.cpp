#include "tags/text_rules.h"

#include <algorithm>
#include <limits>

namespace corvane::tags {

namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::int64_t leadingInteger(std::string_view text, std::size_t maxChars)
{
    text = text.substr(0, maxChars);
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10)
            return negative ? -kMax : kMax;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

bool isMp3FileName(std::string_view name)
{
    constexpr std::string_view kSuffix = ".mp3";
    return name.size() >= kSuffix.size() &&
           equalsIgnoringAsciiCase(name.substr(name.size() - kSuffix.size()), kSuffix);
}

}  // namespace corvane::tags
