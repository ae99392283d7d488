#include "cli/terminal_text.h"

#include <cstdint>

#include "tags/text_encoding.h"

namespace corvane::cli {

namespace {

constexpr std::string_view kHex = "0123456789abcdef";

void appendHex(std::string& out, std::string_view prefix, std::uint8_t value)
{
    out += prefix;
    out += kHex[value >> 4];
    out += kHex[value & 0x0F];
}

}  // namespace

std::string escapeControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        const std::size_t length = tags::utf8SequenceLength(text, i);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            appendHex(out, "\\x", byte);
            ++i;
        } else if (byte == '\\') {
            out += "\\\\";
            ++i;
        } else if (byte == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) < 0xA0) {
            appendHex(out, "\\u00", static_cast<std::uint8_t>(text[i + 1]));  // a C1 control
            i += 2;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

}  // namespace corvane::cli
