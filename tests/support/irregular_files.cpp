#include "tests/support/irregular_files.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace corvane::test {

namespace {

void makeSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path)) << path;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    // The socket file stays in the folder after the socket is closed.
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

}  // namespace

std::vector<IrregularFile> makeIrregularFiles(const TempDir& dir)
{
    EXPECT_EQ(::mkfifo(dir.file("pipe.mp3").c_str(), 0644), 0);
    makeSocket(dir.file("socket.mp3"));
    std::filesystem::create_symlink("/dev/zero", dir.path() / "zero.mp3");
    std::filesystem::create_symlink(dir.path() / "nowhere", dir.path() / "dangling.mp3");
    return {{"pipe.mp3", true}, {"socket.mp3", true}, {"zero.mp3", true}, {"dangling.mp3", false}};
}

}  // namespace corvane::test
