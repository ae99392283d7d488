#pragma once
// Entries that are not regular files, for the tests that make sure nothing blocks on them or
// reads them: each name ends in ".mp3", as a folder scan would pick it up.

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace corvane::test {

struct IrregularFile {
    std::string name;
    bool exists;  // false for the dangling link: the path leads nowhere
};

// Makes, in dir, a named pipe, a socket, a symbolic link to /dev/zero and a dangling symbolic
// link, and returns their names.
[[nodiscard]] std::vector<IrregularFile> makeIrregularFiles(const TempDir& dir);

}  // namespace corvane::test
