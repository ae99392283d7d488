#include "tests/support/id3_builder.h"

#include <algorithm>

#include <gtest/gtest.h>
#include <zlib.h>

namespace corvane::test {

Bytes syncsafe(std::uint32_t size)
{
    return {static_cast<std::uint8_t>((size >> 21) & 0x7F), static_cast<std::uint8_t>((size >> 14) & 0x7F),
            static_cast<std::uint8_t>((size >> 7) & 0x7F), static_cast<std::uint8_t>(size & 0x7F)};
}

Bytes frame(std::string_view id, const Bytes& body)
{
    Bytes out = bytesOf(id.substr(0, 4));
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(size >> shift));
    out.push_back(0);
    out.push_back(0);
    append(out, body);
    return out;
}

Bytes flaggedFrame(std::string_view id, const Bytes& body, std::uint16_t flags)
{
    Bytes out = frame(id, body);
    out[8] = static_cast<std::uint8_t>(flags >> 8);
    out[9] = static_cast<std::uint8_t>(flags);
    return out;
}

Bytes frameV24(std::string_view id, const Bytes& body, std::uint16_t flags)
{
    Bytes out = flaggedFrame(id, body, flags);
    const Bytes size = syncsafe(static_cast<std::uint32_t>(body.size()));
    std::copy(size.begin(), size.end(), out.begin() + 4);
    return out;
}

Bytes zlibCompressed(const Bytes& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    Bytes out(size);
    if (compress(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size())) != Z_OK)
        ADD_FAILURE() << "zlib could not compress";
    out.resize(size);
    return out;
}

Bytes textFrame(std::string_view id, std::string_view latin1)
{
    Bytes body{0};
    append(body, latin1);
    return frame(id, body);
}

Bytes frameV22(std::string_view id3, const Bytes& body)
{
    Bytes out = bytesOf(id3.substr(0, 3));
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int shift = 16; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(size >> shift));
    append(out, body);
    return out;
}

Bytes tag(const std::vector<Bytes>& frames, std::size_t padding, std::uint8_t major,
          std::uint8_t flags)
{
    std::size_t size = padding;
    for (const auto& f : frames)
        size += f.size();
    Bytes out = bytesOf("ID3");
    out.push_back(major);
    out.push_back(0);
    out.push_back(flags);
    append(out, syncsafe(static_cast<std::uint32_t>(size)));
    for (const auto& f : frames)
        append(out, f);
    out.resize(out.size() + padding, 0);
    return out;
}

namespace {

void putField(Bytes& out, std::size_t offset, std::string_view text, std::size_t width)
{
    std::copy_n(text.begin(), std::min(text.size(), width), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

Bytes trailer(std::string_view title, std::string_view artist, std::string_view album,
              std::string_view year, std::string_view comment, std::uint8_t track,
              std::uint8_t genre)
{
    Bytes out(128, 0);
    putField(out, 0, "TAG", 3);
    putField(out, 3, title, 30);
    putField(out, 33, artist, 30);
    putField(out, 63, album, 30);
    putField(out, 93, year, 4);
    // With a track the comment keeps 28 bytes and byte 125 stays zero (ID3v1.1); without, 30.
    putField(out, 97, comment, track != 0 ? 28 : 30);
    if (track != 0) out[126] = track;
    out[127] = genre;
    return out;
}

Bytes mpegAudio(std::size_t size, std::uint32_t seed)
{
    Bytes out = audioBytes(size, seed);
    const std::uint8_t header[] = {0xFF, 0xFB, 0x90, 0xC0};
    std::copy_n(header, std::min<std::size_t>(4, size), out.begin());
    return out;
}

Bytes mp3(const Bytes& tagBytes, const Bytes& audio, const Bytes& trailerBytes)
{
    Bytes out = tagBytes;
    append(out, audio);
    append(out, trailerBytes);
    return out;
}

Bytes apicBody(std::uint8_t type, std::string_view mime, std::string_view description,
               const Bytes& image)
{
    Bytes body{0};
    append(body, mime);
    body.push_back(0);
    body.push_back(type);
    append(body, description);
    body.push_back(0);
    append(body, image);
    return body;
}

}  // namespace corvane::test
