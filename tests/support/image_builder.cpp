#include "tests/support/image_builder.h"

#include <zlib.h>

#include <string_view>

namespace corvane::test {

namespace {

void put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void put32(Bytes& out, std::uint32_t v)
{
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

void pngChunk(Bytes& out, std::string_view type, const Bytes& data)
{
    put32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A segment: marker, length (counting itself), data.
void jpegSegment(Bytes& out, std::uint8_t marker, const Bytes& data)
{
    out.push_back(0xFF);
    out.push_back(marker);
    put16(out, static_cast<std::uint32_t>(data.size() + 2));
    out.insert(out.end(), data.begin(), data.end());
}

// A Huffman table holding one code of one bit for the symbol 0: a DC difference of nothing, or
// the end of a block's coefficients.
Bytes oneSymbolTable(std::uint8_t classAndId)
{
    Bytes table{classAndId, 1};
    table.resize(17, 0);
    table.push_back(0);
    return table;
}

}  // namespace

Bytes pngImage(std::uint32_t width, std::uint32_t height)
{
    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {8, 0, 0, 0, 0});  // 8-bit grey, no interlace
    pngChunk(out, "IHDR", header);
    Bytes rows;
    for (std::uint32_t y = 0; y < height; ++y) {
        rows.push_back(0);  // no filter
        for (std::uint32_t x = 0; x < width; ++x) rows.push_back(static_cast<std::uint8_t>(x * 7 + y));
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    Bytes packed(size);
    compress(packed.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
    packed.resize(size);
    pngChunk(out, "IDAT", packed);
    pngChunk(out, "IEND", {});
    return out;
}

Bytes jpegImage(std::uint16_t width, std::uint16_t height, std::size_t atLeast)
{
    Bytes out{0xFF, 0xD8};
    jpegSegment(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    Bytes quant{0};
    quant.resize(65, 1);
    jpegSegment(out, 0xDB, quant);
    // Comment segments, as large as a segment can be, until the image will be big enough.
    constexpr std::size_t kRest = 2 + 19 + 2 + 2 + 19 * 2 + 2 + 10 + 2 + 2;
    while (out.size() + kRest < atLeast) {
        const std::size_t room = std::min<std::size_t>(65533, atLeast - out.size() - kRest);
        jpegSegment(out, 0xFE, Bytes(room, 'c'));
    }
    jpegSegment(out, 0xC0, {8, static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
                            static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width),
                            1, 1, 0x11, 0});
    jpegSegment(out, 0xC4, oneSymbolTable(0x00));
    jpegSegment(out, 0xC4, oneSymbolTable(0x10));
    jpegSegment(out, 0xDA, {1, 1, 0x00, 0, 63, 0});
    // Mid grey: every block is a DC difference of zero and an end of block, two zero bits; the
    // last byte is filled up with ones.
    const std::size_t blocks = ((width + 7u) / 8u) * ((height + 7u) / 8u);
    const std::size_t bits = blocks * 2;
    Bytes scan(bits / 8, 0);
    if (bits % 8 != 0) scan.push_back(static_cast<std::uint8_t>(0xFFu >> (bits % 8)));
    out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

}  // namespace corvane::test
