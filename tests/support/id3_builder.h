#pragma once
// Byte builders for test fixtures: ID3v2 frames and tags, ID3v1 trailers, MPEG-looking audio.

#include "tests/support/temp_dir.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace corvane::test {

// Four bytes of 7-bit groups, most significant first.
[[nodiscard]] Bytes syncsafe(std::uint32_t size);
// An ID3v2.3 frame: identifier, 32-bit big-endian body size, flags 00 00, body.
[[nodiscard]] Bytes frame(std::string_view id, const Bytes& body);
// An ID3v2.3 frame with the given flags; the body is taken as stored (additions included).
[[nodiscard]] Bytes flaggedFrame(std::string_view id, const Bytes& body, std::uint16_t flags);
// An ID3v2.4 frame: identifier, sync-safe body size, flags, body as stored.
[[nodiscard]] Bytes frameV24(std::string_view id, const Bytes& body, std::uint16_t flags = 0);
// zlib's compressed form of bytes, as compressed frames store their body.
[[nodiscard]] Bytes zlibCompressed(const Bytes& bytes);
// A text frame with encoding byte 0 followed by the given (ISO-8859-1) bytes.
[[nodiscard]] Bytes textFrame(std::string_view id, std::string_view latin1);
// An attached-picture body with encoding byte 0 (ISO-8859-1 description): the MIME type, the
// picture type, the description, the image.
[[nodiscard]] Bytes apicBody(std::uint8_t type, std::string_view mime, std::string_view description,
                             const Bytes& image);
// An ID3v2.2 frame: three-character identifier, 24-bit big-endian body size, body.
[[nodiscard]] Bytes frameV22(std::string_view id3, const Bytes& body);
// A whole tag: "ID3", major, revision 0, flags, the size in 7-bit groups, frames, zero padding.
[[nodiscard]] Bytes tag(const std::vector<Bytes>& frames, std::size_t padding = 0,
                        std::uint8_t major = 3, std::uint8_t flags = 0);
// A 128-byte ID3v1 trailer; fields are cut to their widths (the comment to 28 bytes when there
// is a track, else 30) and zero-padded.
[[nodiscard]] Bytes trailer(std::string_view title, std::string_view artist = {},
                            std::string_view album = {}, std::string_view year = {},
                            std::string_view comment = {}, std::uint8_t track = 0,
                            std::uint8_t genre = 255);
// Audio starting with the frame header FF FB 90 C0 (MPEG-1 layer III, 128 kbps, 44100 Hz,
// single channel), followed by filler without 0xFF bytes.
[[nodiscard]] Bytes mpegAudio(std::size_t size, std::uint32_t seed = 1);
// tagBytes + audio + trailerBytes.
[[nodiscard]] Bytes mp3(const Bytes& tagBytes, const Bytes& audio, const Bytes& trailerBytes = {});

}  // namespace corvane::test
