#include "tags/byte_image.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace corvane::tags {
namespace {

using test::Bytes;

// Small pieces gathered in the buffer, zeros, and a large piece written from where it lies: any
// range of the image reaches the file exactly as copyTo gives it.
TEST(ByteImage, WriteToPutsEveryRangeInPlace)
{
    const Bytes small = test::audioBytes(700, 1);
    const Bytes large = test::audioBytes(400'000, 2);
    ByteImage image;
    image.append(small);
    image.appendZeros(300'000);
    image.append(large);
    image.appendOwned(test::audioBytes(90, 3));
    const std::pair<std::uint64_t, std::uint64_t> ranges[] = {
        {0, image.size()}, {650, 301'200}, {300'800, 300'900}, {500'000, image.size() - 10}, {5, 5}};
    test::TempDir dir;
    for (const auto& [from, to] : ranges) {
        const auto path = dir.file("out");
        test::writeFile(path, Bytes(static_cast<std::size_t>(image.size() + 20), 0xEE));
        File file = File::open(path, OpenMode::Update);
        ASSERT_TRUE(image.writeTo(file, from, to, 20));
        file.close();
        Bytes expected(static_cast<std::size_t>(image.size() + 20), 0xEE);
        image.copyTo(from, std::span(expected).subspan(static_cast<std::size_t>(20 + from),
                                                       static_cast<std::size_t>(to - from)));
        EXPECT_EQ(test::readFile(path), expected) << from << ".." << to;
    }
}

}  // namespace
}  // namespace corvane::tags
