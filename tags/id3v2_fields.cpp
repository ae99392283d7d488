#include "tags/id3v2_fields.h"

#include <algorithm>
#include <array>
#include <utility>

#include "tags/field_catalogue.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Fields whose frame changed its identifier in 2.4, and the frame each falls back to.
struct RenamedField {
    std::string_view key;     // the 2.3 identifier
    std::string_view v24Id;   // the 2.4 identifier
};
constexpr std::array<RenamedField, 2> kRenamedFields{{{"TYER", "TDRC"}, {"TORY", "TDOR"}}};

constexpr std::array<std::uint8_t, 3> kDefaultLanguage{'e', 'n', 'g'};

const RenamedField* renamedField(std::string_view key)
{
    for (const auto& field : kRenamedFields) {
        if (field.key == key) return &field;
    }
    return nullptr;
}

std::string_view fallbackFrameId(std::string_view key, std::uint8_t major)
{
    const auto* renamed = renamedField(key);
    if (renamed == nullptr) return {};
    return major == 4 ? renamed->key : renamed->v24Id;
}

bool hasDescription(std::string_view id) { return id == "COMM" || id == "WXXX"; }

DecodedBody decodedBody(const RawFrame& frame, std::uint8_t major)
{
    return decodeFrameBody(frame.body(), frame.ref.flags, major);
}

// The first frame with the identifier; for a comment or a URL the first one without a
// description, when there is one.
std::optional<std::size_t> firstFrame(std::span<const RawFrame> frames, std::string_view id,
                                      std::uint8_t major)
{
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].id() != id) continue;
        if (!hasDescription(id)) return i;
        if (!first) first = i;
        const auto body = decodedBody(frames[i], major);
        if (!body.isReadable()) continue;
        const auto description = frameDescription(id, body.data);
        if (description && description->empty()) return i;
    }
    return first;
}

void append(Bytes& to, std::string_view bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

// A URL field is ISO-8859-1 by definition; characters outside it are percent-encoded from their
// UTF-8 bytes (as an IRI becomes a URI), so nothing is replaced by "?".
std::string urlToLatin1(std::string_view utf8)
{
    if (isLatin1(utf8)) return utf8ToLatin1(utf8);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t len = std::max<std::size_t>(1, utf8SequenceLength(utf8, i));
        const auto one = utf8.substr(i, len);
        if (isLatin1(one)) {
            out += utf8ToLatin1(one);
        } else {
            for (const char c : one) {
                const auto b = static_cast<unsigned char>(c);
                out += '%';
                out += kHex[b >> 4];
                out += kHex[b & 0x0F];
            }
        }
        i += len;
    }
    return out;
}



// Splits a shown text back into the values of a 2.4 frame.
std::vector<std::string_view> valuesOf(std::string_view text, std::uint8_t major)
{
    std::vector<std::string_view> values;
    if (major != 4) return {text};
    for (std::size_t at = 0;;) {
        const auto next = text.find(kValueSeparator, at);
        values.push_back(text.substr(at, next == std::string_view::npos ? next : next - at));
        if (next == std::string_view::npos) break;
        at = next + kValueSeparator.size();
    }
    return values;
}

Bytes textBody(std::string_view id, std::string_view value, std::uint8_t major)
{
    std::string text(value);
    // Readers that only know genre numbers still find a 2.3 genre stored as "(n)Name".
    if (id == "TCON" && major != 4) {
        if (const auto index = findGenre(value)) text = "(" + std::to_string(*index) + ")" + text;
    }
    const auto values = valuesOf(text, major);
    bool latin1 = true;
    for (const auto v : values) latin1 = latin1 && isLatin1(v);
    const auto encoding = latin1 ? TextEncoding::Latin1
                                 : (major == 4 ? TextEncoding::Utf8 : TextEncoding::Utf16Bom);
    Bytes body{static_cast<std::uint8_t>(encoding)};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) append(body, terminator(encoding));
        append(body, encodeText(values[i], encoding));
    }
    return body;
}

Bytes commentBody(std::string_view value, std::uint8_t major, const RawFrame* replaced)
{
    // A replaced comment keeps its language and description; a new one is English.
    std::array<std::uint8_t, 3> language = kDefaultLanguage;
    std::string description;
    if (replaced != nullptr) {
        const auto old = decodedBody(*replaced, major);
        if (old.isReadable() && old.data.size() >= 4) {
            std::copy_n(old.data.begin() + 1, 3, language.begin());
            description = frameDescription("COMM", old.data).value_or(std::string{});
        }
    }
    const auto encoding = textEncodingFor({description, value}, major);
    Bytes body;
    body.reserve(4 + description.size() + value.size() * 2 + 6);
    body.push_back(static_cast<std::uint8_t>(encoding));
    for (const auto b : language) body.push_back(b);
    append(body, encodeText(description, encoding));
    append(body, terminator(encoding));
    append(body, encodeText(value, encoding));
    return body;
}

Bytes urlBody(std::string_view value, std::uint8_t major, const RawFrame* replaced)
{
    // A replaced URL keeps its description as stored, with the encoding byte that reads it.
    Bytes body{0, 0};
    if (replaced != nullptr) {
        const auto old = decodedBody(*replaced, major);
        if (old.isReadable() && !old.data.empty()) {
            const auto description = splitTerminated(old.data[0], old.data.subspan(1));
            if (description.terminated) {
                const auto prefixEnd = old.data.size() - description.rest.size();
                body.assign(old.data.begin(), old.data.begin() + static_cast<std::ptrdiff_t>(prefixEnd));
            }
        }
    }
    append(body, urlToLatin1(value));
    return body;
}

}  // namespace

TextEncoding textEncodingFor(std::initializer_list<std::string_view> texts, std::uint8_t major)
{
    const bool latin1 = std::all_of(texts.begin(), texts.end(), [](auto t) { return isLatin1(t); });
    if (latin1) return TextEncoding::Latin1;
    return major == 4 ? TextEncoding::Utf8 : TextEncoding::Utf16Bom;
}

std::string encodeText(std::string_view text, TextEncoding encoding)
{
    switch (encoding) {
        case TextEncoding::Latin1: return utf8ToLatin1(text);
        case TextEncoding::Utf8: return sanitizeUtf8(text);
        default: return utf8ToUtf16Bom(text);
    }
}

std::string_view terminator(TextEncoding encoding)
{
    static constexpr char kZeros[2] = {0, 0};
    const bool wide = encoding == TextEncoding::Utf16Bom || encoding == TextEncoding::Utf16Be;
    return {kZeros, wide ? 2u : 1u};
}

std::string_view writtenFrameId(std::string_view key, std::uint8_t major)
{
    if (major == 4) {
        if (const auto* renamed = renamedField(key)) return renamed->v24Id;
    }
    return key;
}

std::optional<std::size_t> fieldFrameIndex(std::span<const RawFrame> frames, std::string_view key,
                                           std::uint8_t major)
{
    if (const auto own = firstFrame(frames, writtenFrameId(key, major), major)) return own;
    return fallbackFrameIndex(frames, key, major);
}

std::optional<std::size_t> fallbackFrameIndex(std::span<const RawFrame> frames,
                                              std::string_view key, std::uint8_t major)
{
    const auto fallback = fallbackFrameId(key, major);
    if (fallback.empty()) return std::nullopt;
    return firstFrame(frames, fallback, major);
}

FrameRole frameRole(std::string_view id, std::uint8_t major)
{
    for (const auto& field : kRenamedFields) {
        if (id == field.key) return {field.key, major != 4};
        if (id == field.v24Id) return {field.key, major == 4};
    }
    return {id, true};
}

FieldValue readFieldValue(const Id3v2Layout& layout, std::string_view key)
{
    FieldValue field;
    const auto index = fieldFrameIndex(layout.frames, key, layout.header.major);
    if (!index) return field;
    const RawFrame& frame = layout.frames[*index];
    const auto body = decodedBody(frame, layout.header.major);
    if (!body.isReadable()) {
        field.locked = true;
        return field;
    }
    field.value = frameValue(frame.id(), body.data);
    return field;
}

std::vector<std::uint8_t> frameHeaderBytes(std::string_view id, std::size_t bodySize,
                                           std::uint8_t major, std::uint16_t flags)
{
    Bytes header(id.begin(), id.end());
    header.resize(kFrameHeaderSizeV23);
    const auto size = static_cast<std::uint32_t>(bodySize);
    if (major == 4) {
        const auto syncsafe = encodeSyncsafe(size);
        std::copy(syncsafe.begin(), syncsafe.end(), header.begin() + 4);
    } else {
        putBigEndian32(std::span(header).subspan<4, 4>(), size);
    }
    header[8] = static_cast<std::uint8_t>(flags >> 8);
    header[9] = static_cast<std::uint8_t>(flags);
    return header;
}

std::vector<std::uint8_t> encodeFieldFrame(std::string_view key, std::string_view value,
                                           std::uint8_t major, const RawFrame* replaced)
{
    const auto id = writtenFrameId(key, major);
    Bytes body;
    if (id == "COMM") {
        body = commentBody(value, major, replaced);
    } else if (id == "WXXX") {
        body = urlBody(value, major, replaced);
    } else if (id[0] == 'T') {
        body = textBody(id, value, major);
    } else if (id[0] == 'W') {
        append(body, urlToLatin1(value));
    } else {
        append(body, value);  // "PCNT" and any frame without a prefix: the value is the body
    }
    Bytes frame = frameHeaderBytes(id, body.size(), major);
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

bool isWritableFieldKey(std::string_view key)
{
    if (!isValidFrameId(key, 3)) return false;
    // The in-memory keys of a TagRecord label slots; they are never frames.
    return key != "IDV1" && key != "IDV2" && key != "GEN1";
}

}  // namespace corvane::tags
