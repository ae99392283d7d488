#include "tags/text_encoding.h"

namespace corvane::tags {

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

Utf8Char decodeUtf8At(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return {};
    }
    if (at + extra >= text.size())
        return {};
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[at + k]);
        if ((c & 0xC0) != 0x80)
            return {};
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {};
    return {cp, extra + 1};
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character at text[i], advancing i; a malformed sequence yields U+FFFD and
// consumes one byte, so decoding always makes progress.
char32_t nextUtf8(std::string_view text, std::size_t& i)
{
    const Utf8Char c = decodeUtf8At(text, i);
    i += c.length == 0 ? 1 : c.length;
    return c.cp;
}

std::string decodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t k) -> char16_t {
        const auto a = bytes[2 * k], b = bytes[2 * k + 1];
        return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unitAt(k);
        if (u == 0)
            break;
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char16_t low = unitAt(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t(u));
    }
    return out;
}

std::string decodeUtf8(std::span<const std::uint8_t> bytes)
{
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    raw = raw.substr(0, raw.find('\0'));
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();)
        appendUtf8(out, nextUtf8(raw, i));
    return out;
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t at)
{
    return decodeUtf8At(text, at).length;
}

std::string latin1ToUtf8(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const auto b : bytes) {
        if (b == 0)
            break;
        appendUtf8(out, b);
    }
    return out;
}

std::string latin1ToUtf8(std::string_view bytes)
{
    return latin1ToUtf8(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool isLatin1(std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        if (nextUtf8(utf8, i) > 0xFF)
            return false;
    }
    return true;
}

std::string utf8ToLatin1(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = nextUtf8(utf8, i);
        out += cp > 0xFF ? '?' : static_cast<char>(cp);
    }
    return out;
}

std::string utf8ToUtf16Bom(std::string_view utf8)
{
    std::string out("\xFF\xFE", 2);
    out.reserve(2 + utf8.size() * 2);
    auto put = [&](char16_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = nextUtf8(utf8, i);
        if (cp >= 0x10000) {
            put(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            put(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string decodeId3Text(std::uint8_t encoding, std::span<const std::uint8_t> bytes)
{
    switch (static_cast<TextEncoding>(encoding)) {
    case TextEncoding::Utf16Bom: {
        if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
            return decodeUtf16(bytes.subspan(2), true);
        if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
            return decodeUtf16(bytes.subspan(2), false);
        // Without a byte-order mark, little-endian is what writers without one produce.
        return decodeUtf16(bytes, false);
    }
    case TextEncoding::Utf16Be: return decodeUtf16(bytes, true);
    case TextEncoding::Utf8: return decodeUtf8(bytes);
    case TextEncoding::Latin1:
    default: return latin1ToUtf8(bytes);
    }
}

std::string sanitizeUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        appendUtf8(out, nextUtf8(text, i));
    return out;
}

std::string_view utf8Prefix(std::string_view utf8, std::size_t maxChars)
{
    std::size_t i = 0;
    for (std::size_t chars = 0; i < utf8.size() && chars < maxChars; ++chars) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
            ++i;
    }
    return utf8.substr(0, i);
}

std::size_t utf8Length(std::string_view utf8)
{
    std::size_t chars = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++chars;
    }
    return chars;
}

}  // namespace corvane::tags
