#include "tests/editor/read_back.h"

#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"

#include <gtest/gtest.h>

namespace corvane::test {

tags::TagRecord readBackRecord(const std::string& path)
{
    tags::TagRecord record;
    tags::File file = tags::File::open(path, tags::OpenMode::Read);
    EXPECT_TRUE(file.isOpen()) << path;
    record.setHasId3v1(tags::readId3v1(file, record.slotList(), false) == tags::TagRead::Present);
    record.setHasId3v2(tags::readId3v2(file, record.slotList()).status == tags::TagRead::Present);
    return record;
}

}  // namespace corvane::test
