#include "tags/image_header.h"

#include <gtest/gtest.h>

#include "tests/support/image_builder.h"

namespace corvane::tags {
namespace {

using test::Bytes;

TEST(ImageHeader, PixelSizeComesFromTheHeaderBytesOfEitherFormat)
{
    struct Case {
        const char* name;
        Bytes image;
        ImageFormat format;
        PixelSize size;
    };
    const Case cases[] = {
        {"png", test::pngImage(31, 7), ImageFormat::Png, {31, 7}},
        {"jpeg", test::jpegImage(640, 480), ImageFormat::Jpeg, {640, 480}},
        // The frame header follows 300 KB of comment segments, as it may follow EXIF blocks.
        {"jpeg after big segments", test::jpegImage(17, 9, 300'000), ImageFormat::Jpeg, {17, 9}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imageFormatOf(c.image), c.format) << c.name;
        EXPECT_EQ(imagePixelSize(c.image), c.size) << c.name;
    }
}

TEST(ImageHeader, FillBytesBeforeAMarkerAreSteppedOver)
{
    Bytes image = test::jpegImage(20, 10);
    // FF D8, then the JFIF segment (2 + 16 bytes): fill bytes go before the next marker.
    image.insert(image.begin() + 20, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(imagePixelSize(image), (PixelSize{20, 10}));
}

TEST(ImageHeader, NoSizeFromDamagedCutOrUnknownImages)
{
    const Bytes jpeg = test::jpegImage(20, 10, 70'000);
    const Bytes png = test::pngImage(5, 5);
    Bytes wrongChunk = png;
    wrongChunk[12] = 'X';
    Bytes zeroLength = test::jpegImage(20, 10);
    zeroLength[5] = 0;  // the JFIF segment's length: 0 cannot even cover itself
    const Bytes cases[] = {
        Bytes(jpeg.begin(), jpeg.begin() + 60'000),  // cut before the frame header
        Bytes(png.begin(), png.begin() + 20),
        wrongChunk,
        zeroLength,
        test::bytesOf("GIF89a, some bytes"),
        {},
    };
    for (const auto& image : cases) EXPECT_EQ(imagePixelSize(image), std::nullopt) << image.size();
    EXPECT_EQ(imageFormatOf(test::bytesOf("GIF89a")), ImageFormat::Unknown);
}

}  // namespace
}  // namespace corvane::tags
