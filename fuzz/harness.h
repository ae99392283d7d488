#pragma once
// What the fuzz targets share: a read-only in-memory file, a scratch file on disk for the code
// that opens paths itself, and the checks whose failure is a finding.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tags/file.h"

namespace corvane::fuzz {

using Bytes = std::vector<std::uint8_t>;

// The fuzz input as a file that can be read but not changed.
class MemoryFile final : public tags::FileIo {
public:
    explicit MemoryFile(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> data) override;
    bool writeAt(std::uint64_t, std::span<const std::uint8_t>) override { return false; }
    std::optional<std::uint64_t> length() override { return m_bytes.size(); }
    bool truncate(std::uint64_t) override { return false; }
    bool reserve(std::uint64_t) override { return false; }
    std::string errorText() const override { return "read-only"; }

private:
    std::span<const std::uint8_t> m_bytes;
};

// One file per process in a private temporary folder (on /dev/shm when there is one), rewritten
// for every input and removed at exit.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    [[nodiscard]] const std::string& path() const { return m_path; }
    void write(std::span<const std::uint8_t> bytes) const;
    [[nodiscard]] Bytes read() const;

private:
    std::string m_folder;
    std::string m_path;
};

[[nodiscard]] bool isValidUtf8(std::string_view text);

// Reports a broken invariant and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void fail(std::string_view what);

}  // namespace corvane::fuzz
