#pragma once
// A uniquely named temporary folder per test, removed with everything in it when the object
// goes out of scope, so tests run in parallel and in any order.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    // The folder as a string ending in "/".
    [[nodiscard]] std::string folder() const;
    // Full path of name inside the folder, as a string.
    [[nodiscard]] std::string file(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

// Whole-file helpers; they fail the current test (ADD_FAILURE) on an I/O error.
void writeFile(const std::string& path, const Bytes& bytes);
[[nodiscard]] Bytes readFile(const std::string& path);

// Bytes of a text, and concatenation.
[[nodiscard]] Bytes bytesOf(std::string_view text);
void append(Bytes& to, const Bytes& more);
[[nodiscard]] Bytes concat(std::initializer_list<Bytes> parts);
void append(Bytes& to, std::string_view text);

// Deterministic filler that looks like audio: no 0xFF byte, so no false frame sync, and no long
// runs of zeros, so a moved block is told from a misplaced one.
[[nodiscard]] Bytes audioBytes(std::size_t size, std::uint32_t seed = 1);

}  // namespace corvane::test
