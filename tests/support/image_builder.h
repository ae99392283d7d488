#pragma once
// Real images for picture tests, built without an image library: a grey PNG (zlib-compressed
// rows, checksummed chunks) and a grey baseline JPEG (every block its DC value alone), both of
// which any decoder reads. A JPEG can be padded with comment segments before its frame header,
// as cameras put EXIF blocks there, to a given size.

#include <cstdint>

#include "tests/support/temp_dir.h"

namespace corvane::test {

[[nodiscard]] Bytes pngImage(std::uint32_t width, std::uint32_t height);
[[nodiscard]] Bytes jpegImage(std::uint16_t width, std::uint16_t height, std::size_t atLeast = 0);

}  // namespace corvane::test
