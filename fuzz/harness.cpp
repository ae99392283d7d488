#include "harness.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace corvane::fuzz {

std::optional<std::size_t> MemoryFile::readAt(std::uint64_t offset, std::span<std::uint8_t> data)
{
    if (offset >= m_bytes.size()) return 0;
    const auto start = static_cast<std::size_t>(offset);
    const std::size_t n = std::min(data.size(), m_bytes.size() - start);
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(start), n, data.begin());
    return n;
}

ScratchFile::ScratchFile()
{
    const std::string base = std::filesystem::is_directory("/dev/shm")
                                 ? std::string("/dev/shm")
                                 : std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/corvane-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot create a scratch folder");
    m_folder = pattern;
    m_path = m_folder + "/input.mp3";
}

ScratchFile::~ScratchFile()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void ScratchFile::write(std::span<const std::uint8_t> bytes) const
{
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) fail("cannot write the scratch file");
}

Bytes ScratchFile::read() const
{
    std::ifstream in(m_path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07u;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

void fail(std::string_view what)
{
    std::fprintf(stderr, "fuzz invariant broken: %.*s\n", static_cast<int>(what.size()),
                 what.data());
    std::abort();
}

}  // namespace corvane::fuzz
