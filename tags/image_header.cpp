#include "tags/image_header.h"

#include <array>

namespace corvane::tags {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// The signature, then the first chunk: length (4), "IHDR", width (4), height (4).
constexpr std::size_t kPngHeaderSize = 24;
// A JPEG has a few segments before its frame header (JFIF, EXIF, ICC profile, tables); a walk
// that meets more than this many is looking at something else.
constexpr int kMaxJpegSegments = 128;

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (const auto b : bytes) value = (value << 8) | b;
    return value;
}

// Bytes [offset, offset + n) of the image, or nullopt when they are not all there.
std::optional<std::span<const std::uint8_t>> exactly(TagBytes& bytes, std::uint64_t start,
                                                     std::uint64_t imageSize, std::uint64_t offset,
                                                     std::size_t n)
{
    if (offset > imageSize || n > imageSize - offset) return std::nullopt;
    const auto got = bytes.at(start + offset, n);
    if (!got || got->size() < n) return std::nullopt;
    return got->first(n);
}

std::optional<PixelSize> pngSize(TagBytes& bytes, std::uint64_t start, std::uint64_t imageSize)
{
    const auto header = exactly(bytes, start, imageSize, 0, kPngHeaderSize);
    if (!header) return std::nullopt;
    const std::string_view chunk(reinterpret_cast<const char*>(header->data() + 12), 4);
    if (chunk != "IHDR") return std::nullopt;
    const PixelSize size{bigEndian(header->subspan(16, 4)), bigEndian(header->subspan(20, 4))};
    if (size.width == 0 || size.height == 0) return std::nullopt;
    return size;
}

// Start-of-frame markers carry the size: C0..CF but for C4 (Huffman tables), C8 (reserved) and
// CC (arithmetic coding conditions).
bool isStartOfFrame(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool standsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

std::optional<PixelSize> jpegSize(TagBytes& bytes, std::uint64_t start, std::uint64_t imageSize)
{
    std::uint64_t at = 2;  // past the start-of-image marker
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        // A marker may be preceded by any number of FF fill bytes; four at a time keeps reads few.
        auto head = exactly(bytes, start, imageSize, at, 4);
        if (!head || (*head)[0] != 0xFF) return std::nullopt;
        std::size_t fill = 1;
        while (fill < head->size() && (*head)[fill] == 0xFF) ++fill;
        if (fill == head->size()) {
            at += fill - 1;
            continue;
        }
        at += fill - 1;
        head = exactly(bytes, start, imageSize, at, 4);
        if (!head) return std::nullopt;
        const std::uint8_t marker = (*head)[1];
        if (standsAlone(marker)) {
            at += 2;
            continue;
        }
        // Image data or the end before any frame header: there is no size to read.
        if (marker == 0xDA || marker == 0xD9 || marker == 0xD8 || marker == 0x00) return std::nullopt;
        const std::uint32_t length = bigEndian(head->subspan(2, 2));
        if (length < 2) return std::nullopt;
        if (isStartOfFrame(marker)) {
            // length (2), precision (1), height (2), width (2)
            const auto frame = exactly(bytes, start, imageSize, at + 2, 7);
            if (!frame || length < 7) return std::nullopt;
            const PixelSize size{bigEndian(frame->subspan(5, 2)), bigEndian(frame->subspan(3, 2))};
            if (size.width == 0 || size.height == 0) return std::nullopt;
            return size;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

ImageFormat imageFormatOf(std::span<const std::uint8_t> start)
{
    if (start.size() >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF)
        return ImageFormat::Jpeg;
    if (start.size() >= kPngSignature.size() &&
        std::equal(kPngSignature.begin(), kPngSignature.end(), start.begin()))
        return ImageFormat::Png;
    return ImageFormat::Unknown;
}

std::string_view mimeTypeOf(ImageFormat format)
{
    switch (format) {
        case ImageFormat::Jpeg: return "image/jpeg";
        case ImageFormat::Png: return "image/png";
        case ImageFormat::Unknown: break;
    }
    return {};
}

std::string_view fileExtensionOf(ImageFormat format)
{
    switch (format) {
        case ImageFormat::Jpeg: return ".jpg";
        case ImageFormat::Png: return ".png";
        case ImageFormat::Unknown: break;
    }
    return ".bin";
}

std::optional<PixelSize> imagePixelSize(TagBytes& bytes, std::uint64_t start, std::uint64_t imageSize)
{
    const auto first = exactly(bytes, start, imageSize, 0, std::min<std::uint64_t>(imageSize, 8));
    if (!first) return std::nullopt;
    switch (imageFormatOf(*first)) {
        case ImageFormat::Jpeg: return jpegSize(bytes, start, imageSize);
        case ImageFormat::Png: return pngSize(bytes, start, imageSize);
        case ImageFormat::Unknown: break;
    }
    return std::nullopt;
}

std::optional<PixelSize> imagePixelSize(std::span<const std::uint8_t> image)
{
    MemoryTagBytes bytes(image);
    return imagePixelSize(bytes, 0, image.size());
}

}  // namespace corvane::tags
