#include "tags/file.h"

#include "tests/support/irregular_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace corvane::tags {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
protected:
    std::string put(const Bytes& bytes, std::string_view name = "f.bin")
    {
        const auto path = m_dir.file(name);
        test::writeFile(path, bytes);
        return path;
    }
    test::TempDir m_dir;
};

TEST_F(FileTest, ReadsAreShortOnlyAtTheEnd)
{
    const auto content = test::audioBytes(10);
    auto file = File::open(put(content), OpenMode::Read);
    ASSERT_TRUE(file.isOpen());
    Bytes buf(8);
    EXPECT_EQ(file.readAt(0, buf), 8u);
    EXPECT_EQ(buf, Bytes(content.begin(), content.begin() + 8));
    EXPECT_EQ(file.readAt(6, buf), 4u);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 4), Bytes(content.begin() + 6, content.end()));
    EXPECT_EQ(file.readAt(10, buf), 0u);
    EXPECT_EQ(file.readAt(1ULL << 40, buf), 0u) << "a 64-bit offset past the end is no error";
    EXPECT_FALSE(file.readExactAt(6, buf));
    EXPECT_TRUE(file.readExactAt(2, buf));
}

TEST_F(FileTest, WriteAtTruncateAndLength)
{
    const auto path = put(test::bytesOf("0123456789"));
    {
        auto file = File::open(path, OpenMode::Update);
        ASSERT_TRUE(file.isOpen());
        EXPECT_TRUE(file.writeAt(2, test::bytesOf("ab")));
        EXPECT_TRUE(file.writeAt(12, test::bytesOf("end")));
        EXPECT_EQ(file.length(), 15u);
        EXPECT_TRUE(file.truncate(13));
        EXPECT_EQ(file.length(), 13u);
    }
    EXPECT_EQ(test::readFile(path), (Bytes{'0', '1', 'a', 'b', '4', '5', '6', '7', '8', '9', 0, 0,
                                           'e'}));
}

TEST_F(FileTest, WritesToAReadOnlyHandleFailWithAReason)
{
    const auto path = put(test::bytesOf("data"));
    auto file = File::open(path, OpenMode::Read);
    EXPECT_FALSE(file.writeAt(0, test::bytesOf("x")));
    EXPECT_EQ(file.error(), EBADF);
    EXPECT_FALSE(file.errorText().empty());
    EXPECT_FALSE(file.truncate(0));
    EXPECT_EQ(test::readFile(path), test::bytesOf("data"));
}

TEST_F(FileTest, ReserveGrowsKeepingTheContent)
{
    const auto content = test::audioBytes(1000);
    const auto path = put(content);
    {
        auto file = File::open(path, OpenMode::Update);
        EXPECT_TRUE(file.reserve(300000));
        EXPECT_EQ(file.length(), 300000u);
        EXPECT_TRUE(file.reserve(10)) << "reserving less than the length changes nothing";
        EXPECT_EQ(file.length(), 300000u);
    }
    const auto after = test::readFile(path);
    ASSERT_EQ(after.size(), 300000u);
    EXPECT_TRUE(std::equal(content.begin(), content.end(), after.begin()));
}

// A file-size limit makes the kernel refuse the growth the way a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    [[nodiscard]] bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

TEST_F(FileTest, FailedReserveKeepsTheLengthAndSaysWhy)
{
    const auto content = test::audioBytes(4096);
    const auto path = put(content);
    auto file = File::open(path, OpenMode::Update);
    {
        const FileSizeLimit limit(65536);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(file.reserve(1 << 20));
        EXPECT_FALSE(file.errorText().empty());
        EXPECT_FALSE(file.writeAt(100000, test::bytesOf("x")));
    }
    EXPECT_EQ(file.length(), 4096u);
    file.close();
    EXPECT_EQ(test::readFile(path), content);
}

TEST_F(FileTest, OpenFailsForMissingFilesAndFolders)
{
    auto missing = File::open(m_dir.file("nope.mp3"), OpenMode::Read);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.error(), ENOENT);
    fs::create_directory(m_dir.path() / "folder.mp3");
    auto folder = File::open(m_dir.file("folder.mp3"), OpenMode::Read);
    EXPECT_FALSE(folder.isOpen());
    EXPECT_EQ(folder.error(), EISDIR);
}

TEST_F(FileTest, MovedFileKeepsTheHandle)
{
    auto first = File::open(put(test::bytesOf("abc")), OpenMode::Read);
    File second = std::move(first);
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(second.length(), 3u);
    second.close();
    EXPECT_FALSE(second.isOpen());
}

TEST_F(FileTest, AccessTest)
{
    EXPECT_EQ(testAccess(m_dir.file("missing.mp3")).access, Access::Missing);

    const auto writable = put(test::bytesOf("x"), "rw.mp3");
    EXPECT_EQ(testAccess(writable).access, Access::ReadWrite);
    EXPECT_EQ(testAccess(writable).reason(), "");

    // The tests may run as root, who passes every access check: the permission bits decide.
    const auto readOnly = put(test::bytesOf("x"), "ro.mp3");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(testAccess(readOnly).access, Access::ReadOnly);

    const auto groupWritable = put(test::bytesOf("x"), "gw.mp3");
    fs::permissions(groupWritable, fs::perms::owner_read | fs::perms::group_read |
                                       fs::perms::group_write);
    EXPECT_EQ(testAccess(groupWritable).access,
              ::geteuid() == 0 ? Access::ReadWrite : Access::ReadOnly);
}

TEST_F(FileTest, OnlyRegularFilesOpenAndTheOthersAreRefusedWithoutBlocking)
{
    for (const test::IrregularFile& special : test::makeIrregularFiles(m_dir)) {
        const std::string path = m_dir.file(special.name);
        for (const OpenMode mode : {OpenMode::Read, OpenMode::Update}) {
            const File file = File::open(path, mode);
            EXPECT_FALSE(file.isOpen()) << special.name;
            EXPECT_EQ(errorString(file.error()),
                      special.exists ? "not a regular file" : errorString(ENOENT))
                << special.name;
        }
        const AccessTest access = testAccess(path);
        EXPECT_EQ(access.access, special.exists ? Access::NotRegular : Access::Missing);
        EXPECT_EQ(access.reason(), special.exists ? "not a regular file" : "the file does not exist");
    }
    // A link to a regular file is that file.
    const auto target = put(test::bytesOf("abc"), "target.mp3");
    fs::create_symlink(target, m_dir.path() / "link.mp3");
    File linked = File::open(m_dir.file("link.mp3"), OpenMode::Update);
    ASSERT_TRUE(linked.isOpen());
    ASSERT_TRUE(linked.writeAt(0, test::bytesOf("x")));
    EXPECT_TRUE(linked.close());
    EXPECT_EQ(test::readFile(target), test::bytesOf("xbc"));
    EXPECT_EQ(testAccess(m_dir.file("link.mp3")).access, Access::ReadWrite);
}

TEST_F(FileTest, AnUnreachablePathSaysWhy)
{
    const auto file = put(test::bytesOf("x"));
    struct Case {
        std::string path;
        std::string reason;
    };
    std::vector<Case> cases{
        {m_dir.file(std::string(300, 'n') + ".mp3"), "the file name is too long"},
        {file + "/inside.mp3", "a part of the path that should be a folder is not one"},
    };
    // Root searches every folder, so the locked folder says something only to other users.
    const fs::path locked = m_dir.path() / "locked";
    fs::create_directory(locked);
    test::writeFile((locked / "song.mp3").string(), test::bytesOf("x"));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
    if (::geteuid() != 0)
        cases.push_back({(locked / "song.mp3").string(),
                         "a folder on the way to the file may not be searched (permission denied)"});
    for (const Case& c : cases) {
        const AccessTest access = testAccess(c.path);
        EXPECT_EQ(access.access, Access::Unreachable) << c.path;
        EXPECT_EQ(access.reason(), c.reason) << c.path;
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST(ErrorString, GivesTheSystemsSentence)
{
    EXPECT_EQ(errorString(ENOSPC), "No space left on device");
    EXPECT_FALSE(errorString(0).empty());
}

}  // namespace
}  // namespace corvane::tags
