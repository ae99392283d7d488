#include "tags/id3v2_convert.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "tags/field_catalogue.h"
#include "tags/id3v2_fields.h"
#include "tags/id3v2_pictures.h"
#include "tags/id3v2_plan.h"
#include "tags/tag_write.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Frames that exist in one version only.
constexpr std::array<std::string_view, 14> kOnlyIn24{"ASPI", "EQU2", "RVA2", "SEEK", "SIGN",
                                                      "TDEN", "TDRL", "TDTG", "TMOO", "TPRO",
                                                      "TSOA", "TSOP", "TSOT", "TSST"};
constexpr std::array<std::string_view, 4> kOnlyIn23{"RVAD", "EQUA", "TRDA", "TSIZ"};

// A frame with its body in plain form and its 2.3 or 2.4 identifier.
struct Frame {
    std::string id;
    Bytes body;
};

bool isIn(std::string_view id, std::span<const std::string_view> ids)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

void append(Bytes& to, std::string_view bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

TextEncoding encodingFor(const std::vector<std::string>& texts, std::uint8_t major)
{
    const bool latin1 = std::all_of(texts.begin(), texts.end(), [](const auto& t) { return isLatin1(t); });
    if (latin1) return TextEncoding::Latin1;
    return major == 4 ? TextEncoding::Utf8 : TextEncoding::Utf16Bom;
}

// A text body of the given values: 2.4 separates them by terminators.
Bytes textBody(const std::vector<std::string>& values, std::uint8_t major)
{
    const auto encoding = encodingFor(values, major);
    Bytes body{static_cast<std::uint8_t>(encoding)};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) append(body, terminator(encoding));
        append(body, encodeText(values[i], encoding));
    }
    return body;
}

std::string digitsOnly(std::string_view text, std::size_t count)
{
    if (text.size() != count) return {};
    const bool digits = std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? std::string(text) : std::string();
}

// ---- 2.2 ------------------------------------------------------------------------------------

// PIC: encoding, a three-letter image format, type, description, data. APIC names the format
// by its MIME type instead.
Bytes apicBodyOfPic(std::span<const std::uint8_t> pic)
{
    if (pic.size() < 4) return {pic.begin(), pic.end()};
    const std::string mime = mimeOfV22Format(std::string(pic.begin() + 1, pic.begin() + 4));
    Bytes body{pic[0]};
    append(body, mime);
    body.push_back(0);
    body.insert(body.end(), pic.begin() + 4, pic.end());
    return body;
}

// ---- towards 2.4 ----------------------------------------------------------------------------

const Frame* findFrame(const std::vector<Frame>& frames, std::string_view id)
{
    const auto it = std::find_if(frames.begin(), frames.end(), [id](const Frame& f) { return f.id == id; });
    return it == frames.end() ? nullptr : &*it;
}

std::string firstValue(const Frame* frame)
{
    if (frame == nullptr) return {};
    return textFrameValues(frame->body).front();
}

// TYER, TDAT (DDMM) and TIME (HHMM) as one timestamp "YYYY-MM-DDTHH:MM:00".
std::string timestampOf(const std::vector<Frame>& frames)
{
    const std::string year = firstValue(findFrame(frames, "TYER"));
    if (year.empty() || !std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    std::string stamp = year;
    const std::string date = digitsOnly(firstValue(findFrame(frames, "TDAT")), 4);
    if (date.empty()) return stamp;
    stamp += "-" + date.substr(2, 2) + "-" + date.substr(0, 2);
    const std::string time = digitsOnly(firstValue(findFrame(frames, "TIME")), 4);
    if (!time.empty()) stamp += "T" + time.substr(0, 2) + ":" + time.substr(2, 2) + ":00";
    return stamp;
}

// The genres of a TCON text as names, one value each.
std::vector<std::string> genreValues(std::span<const std::uint8_t> body)
{
    std::vector<std::string> names;
    for (const auto& value : textFrameValues(body)) {
        std::string shown = genreDisplayText(value);
        for (std::size_t at = 0;;) {
            const auto next = shown.find(kValueSeparator, at);
            names.push_back(shown.substr(at, next == std::string::npos ? next : next - at));
            if (next == std::string::npos) break;
            at = next + kValueSeparator.size();
        }
    }
    return names;
}

std::vector<Frame> to24(const std::vector<Frame>& frames, std::vector<std::string>& dropped)
{
    const bool hasTdrc = findFrame(frames, "TDRC") != nullptr;
    const std::string stamp = hasTdrc ? std::string() : timestampOf(frames);
    std::vector<Frame> out;
    for (const Frame& frame : frames) {
        const std::string& id = frame.id;
        if (id == "TYER" && !stamp.empty()) {
            out.push_back({"TDRC", textBody({stamp}, 4)});
        } else if ((id == "TYER" || id == "TDAT" || id == "TIME") && !stamp.empty()) {
            continue;  // part of the timestamp
        } else if (id == "TORY" && !findFrame(frames, "TDOR")) {
            out.push_back({"TDOR", frame.body});
        } else if (id == "IPLS" && !findFrame(frames, "TIPL")) {
            out.push_back({"TIPL", frame.body});
        } else if (id == "TCON") {
            out.push_back({id, textBody(genreValues(frame.body), 4)});
        } else if (id == "TYER" || id == "TDAT" || id == "TIME" || id == "TORY" || id == "IPLS" ||
                   isIn(id, kOnlyIn23)) {
            dropped.push_back(id);
        } else {
            out.push_back(frame);
        }
    }
    return out;
}

// ---- towards 2.3 ----------------------------------------------------------------------------

// The digits of a 2.4 timestamp "YYYY-MM-DDTHH:MM:SS" by field, each empty when absent.
struct Timestamp {
    std::string year, month, day, hour, minute;
};
Timestamp parseTimestamp(std::string_view text)
{
    Timestamp t;
    std::vector<std::string> parts;
    std::string current;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            current += c;
        } else {
            parts.push_back(current);
            current.clear();
        }
    }
    parts.push_back(current);
    std::string* fields[] = {&t.year, &t.month, &t.day, &t.hour, &t.minute};
    for (std::size_t i = 0; i < parts.size() && i < 5; ++i) *fields[i] = parts[i];
    if (t.year.size() != 4) return {};
    return t;
}

// A body in an encoding 2.3 has: UTF-8 and UTF-16BE texts go to UTF-16 with a byte-order mark.
// prefix is the bytes between the encoding byte and the first string (a comment's language, a
// picture's MIME type and kind); then come `terminated` strings that end in a terminator, and a
// last text that runs to the end when textAtEnd (otherwise the rest is data kept as it is).
Bytes reencodeText(std::span<const std::uint8_t> body, std::size_t prefix, std::size_t terminated,
                bool textAtEnd)
{
    if (body.size() < 1 + prefix || (body[0] != 2 && body[0] != 3)) return {body.begin(), body.end()};
    std::vector<std::string> texts;
    auto rest = body.subspan(1 + prefix);
    for (std::size_t i = 0; i < terminated; ++i) {
        auto part = splitTerminated(body[0], rest);
        texts.push_back(std::move(part.text));
        rest = part.rest;
    }
    if (textAtEnd) {
        texts.push_back(decodeId3Text(body[0], rest));
        rest = {};
    }
    const auto encoding = encodingFor(texts, 3);
    Bytes out{static_cast<std::uint8_t>(encoding)};
    out.insert(out.end(), body.begin() + 1, body.begin() + 1 + static_cast<std::ptrdiff_t>(prefix));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        append(out, encodeText(texts[i], encoding));
        if (i < terminated) append(out, terminator(encoding));
    }
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// A 2.4 text frame as 2.3 holds it: several values joined with "/", in Latin-1 or UTF-16.
Bytes text23(std::span<const std::uint8_t> body)
{
    const auto values = textFrameValues(body);
    if (values.size() == 1 && !body.empty() && (body[0] == 0 || body[0] == 1)) return {body.begin(), body.end()};
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) joined += (i > 0 ? "/" : "") + values[i];
    return textBody({joined}, 3);
}

// An APIC body: the description after the MIME type and picture type is the string to re-encode.
Bytes apic23(std::span<const std::uint8_t> body)
{
    if (body.empty() || (body[0] != 2 && body[0] != 3)) return {body.begin(), body.end()};
    const auto mimeEnd = std::find(body.begin() + 1, body.end(), std::uint8_t{0});
    if (mimeEnd == body.end() || mimeEnd + 1 == body.end()) return {body.begin(), body.end()};
    const auto prefix = static_cast<std::size_t>(mimeEnd - body.begin());  // MIME, its 0, type
    return reencodeText(body, prefix + 1, 1, false);
}

std::vector<Frame> to23(const std::vector<Frame>& frames, std::vector<std::string>& dropped)
{
    std::vector<Frame> out;
    bool peopleDone = false;
    for (const Frame& frame : frames) {
        const std::string& id = frame.id;
        if (id == "TDRC" && !findFrame(frames, "TYER")) {
            const auto t = parseTimestamp(textFrameValues(frame.body).front());
            if (t.year.empty()) {
                dropped.push_back(id);
                continue;
            }
            out.push_back({"TYER", textBody({t.year}, 3)});
            if (t.month.size() == 2 && t.day.size() == 2 && !findFrame(frames, "TDAT"))
                out.push_back({"TDAT", textBody({t.day + t.month}, 3)});
            if (t.hour.size() == 2 && t.minute.size() == 2 && !findFrame(frames, "TIME"))
                out.push_back({"TIME", textBody({t.hour + t.minute}, 3)});
        } else if (id == "TDOR" && !findFrame(frames, "TORY")) {
            const auto t = parseTimestamp(textFrameValues(frame.body).front());
            if (t.year.empty())
                dropped.push_back(id);
            else
                out.push_back({"TORY", textBody({t.year}, 3)});
        } else if ((id == "TIPL" || id == "TMCL") && !findFrame(frames, "IPLS")) {
            if (peopleDone) continue;
            // Both lists of people go into the one list 2.3 has.
            std::vector<std::string> people;
            for (const Frame& f : frames) {
                if (f.id != "TIPL" && f.id != "TMCL") continue;
                for (auto& v : textFrameValues(f.body)) people.push_back(std::move(v));
            }
            const auto encoding = encodingFor(people, 3);
            Bytes body{static_cast<std::uint8_t>(encoding)};
            for (const auto& person : people) {
                append(body, encodeText(person, encoding));
                append(body, terminator(encoding));
            }
            out.push_back({"IPLS", std::move(body)});
            peopleDone = true;
        } else if (id == "TDRC" || id == "TDOR" || id == "TIPL" || id == "TMCL" ||
                   isIn(id, kOnlyIn24)) {
            dropped.push_back(id);
        } else if (id == "TXXX") {
            out.push_back({id, reencodeText(frame.body, 0, 1, true)});
        } else if (id[0] == 'T') {
            out.push_back({id, text23(frame.body)});
        } else if (id == "COMM" || id == "USLT") {
            out.push_back({id, reencodeText(frame.body, 3, 1, true)});
        } else if (id == "WXXX") {
            out.push_back({id, reencodeText(frame.body, 0, 1, false)});
        } else if (id == "APIC") {
            out.push_back({id, apic23(frame.body)});
        } else {
            out.push_back(frame);
        }
    }
    return out;
}

}  // namespace

ConvertedFrames convertFrames(const Id3v2Layout& layout, std::uint8_t targetMajor)
{
    ConvertedFrames result;
    const std::uint8_t major = layout.header.major;
    std::vector<Frame> frames;
    for (const auto& raw : layout.frames) {
        if (isEncryptedFrame(raw.ref.flags, major)) {
            result.refusal = "the ID3v2 tag holds an encrypted frame (" + raw.storedId + ")";
            return result;
        }
        const auto body = decodeFrameBody(raw.body(), raw.ref.flags, major);
        if (!body.isReadable()) {
            result.refusal = "a frame of the ID3v2 tag cannot be read (" + raw.storedId + ")";
            return result;
        }
        if (major != 2) {
            frames.push_back({std::string(raw.id()), {body.data.begin(), body.data.end()}});
        } else if (raw.storedId == "PIC") {
            frames.push_back({"APIC", apicBodyOfPic(body.data)});
        } else if (const auto v23 = v23FrameId(raw.storedId)) {
            frames.push_back({std::string(*v23), {body.data.begin(), body.data.end()}});
        } else {
            result.dropped.push_back(raw.storedId);
        }
    }
    if (targetMajor == 4 && major != 4) frames = to24(frames, result.dropped);
    if (targetMajor == 3 && major == 4) frames = to23(frames, result.dropped);
    for (auto& frame : frames) {
        Bytes bytes = frameHeaderBytes(frame.id, frame.body.size(), targetMajor);
        bytes.insert(bytes.end(), frame.body.begin(), frame.body.end());
        result.frames.push_back(std::move(bytes));
    }
    return result;
}

Conversion convertId3v2(FileIo& file, std::uint8_t targetMajor)
{
    Conversion conversion;
    auto read = readForWriting(file, true);
    if (!read.refusal.ok()) {
        conversion.result = read.refusal;
        return conversion;
    }
    const auto& layout = read.layout;
    if (!layout.isPresent() || layout.header.major == targetMajor) return conversion;
    conversion.fromMajor = layout.header.major;
    auto converted = convertFrames(layout, targetMajor);
    if (converted.refusal) {
        conversion.result = WriteResult::failure(WriteStatus::Refused, *converted.refusal);
        return conversion;
    }
    conversion.dropped = converted.dropped;

    Id3v2Plan plan;
    plan.oldTag = oldTagImage(layout, read.leftover);
    std::uint64_t framesSize = 0;
    for (const auto& frame : converted.frames) framesSize += frame.size();
    // The new tag takes the old one's room when its frames fit there, so the audio stays put.
    const std::uint64_t room = layout.endInFile() - kId3v2HeaderSize;
    const std::uint64_t bodySize = std::max(framesSize, room);
    if (bodySize > kMaxSyncsafe) {
        conversion.result = WriteResult::failure(WriteStatus::TooLarge);
        return conversion;
    }
    const auto header = renderId3v2Header({targetMajor, 0, 0, static_cast<std::uint32_t>(bodySize)});
    plan.newTag.appendOwned({header.begin(), header.end()});
    for (auto& frame : converted.frames) {
        plan.frameStore.push_back(std::move(frame));
        plan.newTag.append(plan.frameStore.back());
    }
    plan.newTag.appendZeros(bodySize - framesSize);
    conversion.result = replaceId3v2(file, plan);
    conversion.changed = conversion.result.ok();
    return conversion;
}

}  // namespace corvane::tags
