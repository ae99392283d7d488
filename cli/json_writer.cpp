#include "cli/json_writer.h"

#include <cstdint>

#include "tags/text_encoding.h"

namespace corvane::cli {

namespace {

constexpr std::string_view kHex = "0123456789abcdef";

void appendEscaped(std::string& out, char c)
{
    switch (c) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte < 0x20 || byte == 0x7F) {
        out += "\\u00";
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    } else {
        out += c;
    }
}

}  // namespace

std::string jsonString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = tags::utf8SequenceLength(text, i);
        if (length == 0) {
            // The byte's own surrogate escape (U+DC80..U+DCFF), as Python's "surrogateescape"
            // decodes it, so that a caller can get the exact bytes of a file name back.
            const auto byte = static_cast<std::uint8_t>(text[i++]);
            out += "\\udc";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else if (length == 1) {
            appendEscaped(out, text[i++]);
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    out += '"';
    return out;
}

}  // namespace corvane::cli
