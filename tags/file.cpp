// The one unit of the core that talks to the operating system.
#include "tags/file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::tags {

bool FileIo::readExactAt(std::uint64_t offset, std::span<std::uint8_t> data)
{
    const auto got = readAt(offset, data);
    return got && *got == data.size();
}

File::~File()
{
    close();  // nobody is left to hear of a failure; writers close explicitly first
}

File::File(File&& other) noexcept
    : m_fd(other.m_fd),
      m_error(other.m_error),
      m_length(other.m_length),
      m_identity(other.m_identity),
      m_path(std::move(other.m_path)),
      m_policy(other.m_policy)
{
    other.m_fd = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        m_length = other.m_length;
        m_identity = other.m_identity;
        m_path = std::move(other.m_path);
        m_policy = other.m_policy;
        other.m_fd = -1;
    }
    return *this;
}

namespace {

// Whether path names something that exists but is neither a regular file nor a folder.
bool isSpecialFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

}  // namespace

File File::open(const std::string& path, OpenMode mode)
{
    File file;
    // Opening a named pipe waits for a writer and a device may wait for its hardware: the open
    // must not block before the type check can refuse them. O_NOCTTY keeps a terminal device
    // from becoming ours.
    const int flags =
        (mode == OpenMode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    do {
        file.m_fd = ::open(path.c_str(), flags);
    } while (file.m_fd < 0 && errno == EINTR);
    if (file.m_fd < 0) {
        // A socket does not open at all (ENXIO); say what it is rather than what open says.
        file.m_error = isSpecialFile(path) ? kNotRegularFile : errno;
        return file;
    }
    struct stat st {};
    if (::fstat(file.m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        file.m_error = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
        file.close();  // a file we only looked at
        return file;
    }
    // Only the open had to be non-blocking; reads and writes of the file wait as usual.
    if (::fcntl(file.m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        file.m_error = errno;
        file.close();
        return file;
    }
    file.m_length = static_cast<std::uint64_t>(st.st_size);
    file.m_identity = FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    file.m_path = path;
    return file;
}

bool File::close()
{
    bool closed = true;
    // Linux releases the descriptor even when close fails, so it is never tried again; an
    // interrupted close has still closed the file.
    if (m_fd >= 0 && ::close(m_fd) != 0 && errno != EINTR) {
        m_error = errno;
        closed = false;
    }
    m_fd = -1;
    m_length.reset();
    m_identity.reset();
    m_locked = false;  // the lock belonged to the open file, and went with it
    return closed;
}

void File::noteWritten(std::uint64_t end)
{
    if (m_length)
        m_length = std::max(*m_length, end);
}

std::optional<std::size_t> File::readAt(std::uint64_t offset, std::span<std::uint8_t> data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const auto n = ::pread(m_fd, data.data() + done, data.size() - done,
                               static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return std::nullopt;
        }
        if (n == 0)
            break;  // end of file
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool File::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const auto n = ::pwrite(m_fd, data.data() + done, data.size() - done,
                                static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        if (n == 0) {
            m_error = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
        noteWritten(offset + done);
    }
    return true;
}

std::optional<std::uint64_t> File::length()
{
    if (m_length)
        return m_length;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        m_error = errno;
        return std::nullopt;
    }
    m_length = static_cast<std::uint64_t>(st.st_size);
    return m_length;
}

bool File::truncate(std::uint64_t newLength)
{
    int rc;
    do {
        rc = ::ftruncate(m_fd, static_cast<off_t>(newLength));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        m_error = errno;
        m_length.reset();
        return false;
    }
    m_length = newLength;
    return true;
}

bool File::reserve(std::uint64_t newLength)
{
    const auto old = length();
    if (!old)
        return false;
    if (newLength <= *old)
        return true;
    // posix_fallocate reports a lack of space before anything is written; where the file system
    // cannot allocate ahead, writing zeros does the same check the slow way.
    const int rc = ::posix_fallocate(m_fd, static_cast<off_t>(*old),
                                     static_cast<off_t>(newLength - *old));
    if (rc == 0) {
        m_length = newLength;
        return true;
    }
    if (rc != EOPNOTSUPP && rc != EINVAL) {
        // fallocate may have grown the file before running out of space; how far is unknown
        // until the truncation settles it.
        m_length.reset();
        m_error = rc;
        (void)truncate(*old);
        m_error = rc;
        return false;
    }
    static constexpr std::size_t kZeroBlock = 65536;
    static const std::array<std::uint8_t, kZeroBlock> zeros{};
    for (std::uint64_t pos = *old; pos < newLength;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kZeroBlock, newLength - pos));
        if (!writeAt(pos, std::span(zeros.data(), n))) {
            const int err = m_error;
            (void)truncate(*old);
            m_error = err;
            return false;
        }
        pos += n;
    }
    return true;
}

std::optional<FileIdentity> File::identity()
{
    // An open file stays the file it is, whatever it is renamed to.
    if (m_identity) return m_identity;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        m_error = errno;
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<std::uint64_t> File::currentLength()
{
    m_length.reset();
    return length();
}

bool File::sync()
{
    if (::fdatasync(m_fd) == 0) return true;
    m_error = errno;
    return false;
}

bool File::allocate(std::uint64_t offset, std::uint64_t size)
{
    const auto old = length();
    if (!old) return false;
    const int rc = ::posix_fallocate(m_fd, static_cast<off_t>(offset), static_cast<off_t>(size));
    if (rc == 0) {
        m_length = std::max(*old, offset + size);
        return true;
    }
    // Where the file system cannot allocate ahead, only the new tail can be claimed, by zeros.
    if (rc == EOPNOTSUPP || rc == EINVAL) return reserve(std::max(*old, offset + size));
    m_length.reset();
    m_error = rc;
    if (length() != old) (void)truncate(*old);
    m_error = rc;
    return false;
}

LockResult File::lockForWriting()
{
    // An open-file-description lock belongs to this open file, not to the process, so two
    // writers in one process exclude each other too. Another writer's hold is waited out briefly.
    if (m_locked) return LockResult::Locked;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    constexpr int kTries = 20;
    for (int i = 0; i < kTries; ++i) {
        if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) {
            m_locked = true;
            // The writer we waited for may have changed the length noted at the open.
            if (i > 0) m_length.reset();
            return LockResult::Locked;
        }
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
            m_error = errno;
            return LockResult::Failed;
        }
        ::usleep(50'000);
    }
    return LockResult::InUse;
}

void File::unlock()
{
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    (void)::fcntl(m_fd, F_OFD_SETLK, &lock);
    m_locked = false;
}

std::optional<FileMapping> FileMapping::map(File& file, std::uint64_t offset, std::size_t size)
{
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file.m_fd,
                        static_cast<off_t>(offset));
    if (data == MAP_FAILED) {
        file.m_error = errno;
        return std::nullopt;
    }
    return FileMapping(static_cast<std::uint8_t*>(data), size);
}

FileMapping::FileMapping(FileMapping&& other) noexcept : m_data(other.m_data), m_size(other.m_size)
{
    other.m_data = nullptr;
}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept
{
    if (this != &other) {
        if (m_data != nullptr) ::munmap(m_data, m_size);
        m_data = other.m_data;
        m_size = other.m_size;
        other.m_data = nullptr;
    }
    return *this;
}

FileMapping::~FileMapping()
{
    if (m_data != nullptr) ::munmap(m_data, m_size);
}

bool FileMapping::sync()
{
    return ::msync(m_data, m_size, MS_SYNC) == 0;
}

File createNewFile(const std::string& path)
{
    File file;
    do {
        file.m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (file.m_fd < 0 && errno == EINTR);
    if (file.m_fd < 0) {
        file.m_error = errno;
        return file;
    }
    file.m_length = 0;
    file.m_path = path;
    return file;
}

bool removeFile(const std::string& path, std::string* why)
{
    if (::unlink(path.c_str()) == 0) return true;
    if (why != nullptr) *why = errorString(errno);
    return false;
}

int renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    return errno;
}

bool syncFolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::string File::errorText() const
{
    return errorString(m_error);
}

AccessTest testAccess(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {errno == ENOENT ? Access::Missing : Access::Unreachable, errno};
    if (!S_ISREG(st.st_mode))
        return {Access::NotRegular, S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile};
    // Root passes access() on any file, so a file without a single write bit counts as
    // read-only too: the user marked it so on purpose.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return {Access::ReadOnly, EACCES};
    if (::access(path.c_str(), R_OK | W_OK) != 0) {
        if (errno == ENOENT) return {Access::Missing, ENOENT};
        return {Access::ReadOnly, errno};
    }
    return {Access::ReadWrite, 0};
}

std::string AccessTest::reason() const
{
    switch (access) {
    case Access::ReadWrite: return {};
    case Access::Missing: return "the file does not exist";
    case Access::ReadOnly:
        return error == EROFS ? "the file is on a read-only file system" : "the file is read-only";
    case Access::NotRegular: return errorString(error);
    case Access::Unreachable: break;
    }
    switch (error) {
    case ENAMETOOLONG: return "the file name is too long";
    case EACCES: return "a folder on the way to the file may not be searched (permission denied)";
    case ENOTDIR: return "a part of the path that should be a folder is not one";
    case ELOOP: return "too many symbolic links on the way to the file";
    default: return errorString(error);
    }
}

WholeFileWrite writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                              bool replace)
{
    WholeFileWrite result;
    const auto failed = [&result](int err) {
        result.reason = errorString(err);
        return result;
    };
    // A hidden name no other writer of this folder picks: the target's, the process, a counter.
    static std::atomic<unsigned> counter{0};
    const auto slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const std::string partial = path.substr(0, nameAt) + "." + path.substr(nameAt) + ".corvane-" +
                                std::to_string(::getpid()) + "-" +
                                std::to_string(counter.fetch_add(1)) + ".part";
    int fd = -1;
    do {
        fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return failed(errno);
    File file;
    file.m_fd = fd;
    const bool written = file.writeAt(0, bytes);
    const int writeError = file.error();
    if (!file.close() || !written) {
        ::unlink(partial.c_str());
        return failed(written ? file.error() : writeError);
    }
    // link() refuses a name that exists, which rename() would replace.
    const int rc = replace ? ::rename(partial.c_str(), path.c_str()) : ::link(partial.c_str(), path.c_str());
    const int err = errno;
    if (!replace || rc != 0) ::unlink(partial.c_str());
    if (rc == 0) {
        result.ok = true;
        return result;
    }
    result.exists = err == EEXIST;
    return failed(err);
}

std::string errorString(int err)
{
    if (err == 0)
        return "Unknown error";
    if (err == kNotRegularFile)
        return "not a regular file";
    return std::strerror(err);
}

}  // namespace corvane::tags
