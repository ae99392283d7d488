#pragma once
// What the tag core reads back from a file, outside the editor's own loading code. Kept free of
// Qt headers, whose "slots" keyword hides TagRecord::slots().

#include "tags/slot_list.h"

#include <string>

namespace corvane::test {

[[nodiscard]] tags::TagRecord readBackRecord(const std::string& path);

}  // namespace corvane::test
