#pragma once
// Which frame of an ID3v2 tag holds a field, for reading and writing alike, and the frame bodies
// written for a field's value.
//
// A field is named by the key our slot lists use: its ID3v2.3 frame identifier ("TIT2", "COMM",
// "TYER", ...). The Comment field is the first "COMM" frame with an empty description (in any
// language), else the first "COMM" frame; the URL field likewise for "WXXX"; every other field is
// the first frame with its identifier. In a 2.4 tag the Year is "TDRC" and the Orig. Year
// "TDOR"; a "TYER"/"TORY" that a writer left there is read when the 2.4 frame is missing, and a
// 2.3 tag that carries only "TDRC"/"TDOR" shows those.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tags/id3v2_layout.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

// The identifier a field's frame is written with in a tag of the given major version (2.2 tags
// are read with 2.3 identifiers and never written in place).
[[nodiscard]] std::string_view writtenFrameId(std::string_view key, std::uint8_t major);

// The frame a field is read from and written to, by index into frames; nullopt when the tag has
// none. fallbackOnly asks for the frame the field falls back to when its own frame is missing
// (for "TYER" in 2.4 the "TYER" left beside a "TDRC"), so that clearing a field clears both.
[[nodiscard]] std::optional<std::size_t> fieldFrameIndex(std::span<const RawFrame> frames,
                                                         std::string_view key, std::uint8_t major);
[[nodiscard]] std::optional<std::size_t> fallbackFrameIndex(std::span<const RawFrame> frames,
                                                            std::string_view key,
                                                            std::uint8_t major);

// The field a frame serves in a tag of the given version (its key), and whether it is the field's
// own frame rather than the one the field falls back to: "TDRC" serves the Year, as its own frame
// in 2.4 and as a fallback in 2.3. Frames that serve no renamed field serve the field of their id.
struct FrameRole {
    std::string_view key;
    bool own = true;
};
[[nodiscard]] FrameRole frameRole(std::string_view id, std::uint8_t major);

// A field's value as the editor shows it (see frameValue), read from the frame fieldFrameIndex
// picks. locked: the frame is there but cannot be read (encrypted, or compressed data that does
// not inflate), so the field is not editable and a write never replaces it.
struct FieldValue {
    std::optional<std::string> value;
    bool locked = false;
};
[[nodiscard]] FieldValue readFieldValue(const Id3v2Layout& layout, std::string_view key);

// The frame (header and body) for a field's value in a tag of the given major version (3 or 4).
// replaced is the frame it takes the place of, if any: a comment keeps its language and
// description, a URL its description. Texts are ISO-8859-1 when they can be, else UTF-16 with a
// byte-order mark in 2.3 and UTF-8 in 2.4; in 2.4 the parts of a text separated by
// kValueSeparator become separate values. A "TCON" genre name is stored with its number in front
// in 2.3 ("(17)Rock"), as the name in 2.4. A "PCNT" value is the 8-byte counter.
[[nodiscard]] std::vector<std::uint8_t> encodeFieldFrame(std::string_view key,
                                                         std::string_view value,
                                                         std::uint8_t major,
                                                         const RawFrame* replaced);

// The encoding that texts stored side by side in one frame share: ISO-8859-1 when every one of
// them can be, else UTF-16 with a byte-order mark in 2.3 and UTF-8 in 2.4.
[[nodiscard]] TextEncoding textEncodingFor(std::initializer_list<std::string_view> texts,
                                           std::uint8_t major);
// A UTF-8 text in that encoding (a character outside ISO-8859-1 becomes "?" there), and the
// terminator that ends a string in it (one zero byte, or two for UTF-16).
[[nodiscard]] std::string encodeText(std::string_view text, TextEncoding encoding);
[[nodiscard]] std::string_view terminator(TextEncoding encoding);

// A frame header of the given version: identifier, size (plain in 2.3, sync-safe in 2.4), flags.
[[nodiscard]] std::vector<std::uint8_t> frameHeaderBytes(std::string_view id, std::size_t bodySize,
                                                         std::uint8_t major, std::uint16_t flags = 0);

// True when key names a frame a write list may write (four capital letters or digits, and not
// one of the in-memory keys of a TagRecord).
[[nodiscard]] bool isWritableFieldKey(std::string_view key);

}  // namespace corvane::tags
