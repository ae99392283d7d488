#include "tags/tag_result.h"

#include <gtest/gtest.h>

namespace corvane::tags {
namespace {

TEST(DescribeWriteResult, NamesTheReasonForEachFailure)
{
    EXPECT_EQ(describe(WriteResult::failure(WriteStatus::IoError, "No space left on device")),
              "No space left on device");
    EXPECT_EQ(describe(WriteResult::failure(WriteStatus::IoError)),
              "an input/output error occurred");
    EXPECT_EQ(describe(WriteResult::failure(WriteStatus::Malformed)), "the ID3v2 tag is damaged");
    EXPECT_EQ(describe(WriteResult::failure(WriteStatus::Unsupported)),
              "the ID3v2 tag is of a version that cannot be rewritten");
    EXPECT_EQ(describe(WriteResult::success()), "");
}

}  // namespace
}  // namespace corvane::tags
