#pragma once
// What the tag-core tests share: a file layer that fails on request, as a full disk or a failing
// device does, and a byte concatenation for fixtures.

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <string>

#include "tags/file.h"
#include "tests/support/temp_dir.h"

namespace corvane::tags {

// Passes every call on to a real file unless told to fail; counts the reads and remembers the
// largest one asked for, which bounds the buffer a reader allocated for file data.
class FaultyFile final : public FileIo {
public:
    explicit FaultyFile(FileIo& real) : m_real(real) {}

    bool failReads = false;    // every read fails
    bool failWrites = false;   // every write, truncation and extension fails
    bool failReserve = false;  // extending the file fails: the disk is full
    int failingWrite = 0;      // this write (1-based; 0 none) stores half its bytes, then fails
    int writes = 0;            // writes asked for so far
    int reads = 0;             // reads asked for so far
    std::uint64_t bytesAsked = 0;  // the bytes those reads asked for

    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> data) override
    {
        m_largestRead = std::max(m_largestRead, data.size());
        ++reads;
        bytesAsked += data.size();
        if (failReads) {
            m_failed = true;
            return std::nullopt;
        }
        return m_real.readAt(offset, data);
    }
    bool writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override
    {
        if (failWrites) return failed(false);
        if (++writes != failingWrite) return m_real.writeAt(offset, data);
        (void)m_real.writeAt(offset, data.first(data.size() / 2));
        return failed(false);
    }
    std::optional<std::uint64_t> length() override { return m_real.length(); }
    bool truncate(std::uint64_t newLength) override
    {
        return failWrites ? failed(false) : m_real.truncate(newLength);
    }
    bool reserve(std::uint64_t newLength) override
    {
        return failWrites || failReserve ? failed(false) : m_real.reserve(newLength);
    }
    std::string errorText() const override
    {
        return m_failed ? errorString(ENOSPC) : m_real.errorText();
    }
    [[nodiscard]] std::size_t largestRead() const { return m_largestRead; }

private:
    bool failed(bool result)
    {
        m_failed = true;
        return result;
    }

    FileIo& m_real;
    bool m_failed = false;
    std::size_t m_largestRead = 0;
};

using test::concat;

}  // namespace corvane::tags
