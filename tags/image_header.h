#pragma once
// What an embedded picture is, told from its first bytes, and its pixel size, read from the few
// header bytes that hold it (a PNG's IHDR chunk, a JPEG's start-of-frame marker) without ever
// decoding or reading the image data.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "tags/id3v2_frames.h"

namespace corvane::tags {

enum class ImageFormat { Unknown, Jpeg, Png };

// The format of an image from its first bytes (at least 8 for a PNG, 3 for a JPEG), whatever its
// name or MIME type claims.
[[nodiscard]] ImageFormat imageFormatOf(std::span<const std::uint8_t> start);
// "image/jpeg", "image/png"; empty for Unknown.
[[nodiscard]] std::string_view mimeTypeOf(ImageFormat format);
// ".jpg", ".png"; ".bin" for Unknown.
[[nodiscard]] std::string_view fileExtensionOf(ImageFormat format);

struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The pixel size of the image of imageSize bytes that starts at offset start of bytes. A JPEG is
// walked from marker to marker, reading a few bytes at each and stepping over the segments
// between them (a large EXIF block costs one small read), so even a picture in a file costs a
// handful of small reads. nullopt when the format is not known, the header is damaged or cut
// short, or a read fails.
[[nodiscard]] std::optional<PixelSize> imagePixelSize(TagBytes& bytes, std::uint64_t start,
                                                      std::uint64_t imageSize);
[[nodiscard]] std::optional<PixelSize> imagePixelSize(std::span<const std::uint8_t> image);

}  // namespace corvane::tags
