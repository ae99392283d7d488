#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <random>
#include <unistd.h>

namespace corvane::test {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    const auto name = "corvane-test-" + std::to_string(::getpid()) + "-" +
                      std::to_string(counter++) + "-" + std::to_string(rd());
    m_path = fs::temp_directory_path() / name;
    fs::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests make files read-only; give the permissions back so the removal cannot fail.
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempDir::folder() const
{
    return m_path.string() + "/";
}

std::string TempDir::file(std::string_view name) const
{
    return (m_path / std::string(name)).string();
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

void append(Bytes& to, std::string_view text)
{
    to.insert(to.end(), text.begin(), text.end());
}

Bytes audioBytes(std::size_t size, std::uint32_t seed)
{
    Bytes out(size);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(1 + (x >> 16) % 250);  // 1..250: never 0 or 0xFF
    }
    return out;
}

}  // namespace corvane::test
