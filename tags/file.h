#pragma once
// The one way the core touches files: positional, checked I/O with 64-bit offsets.
// FileIo is the interface the codecs take (tests substitute a failing one); File is the real,
// RAII-owned POSIX file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace corvane::tags {

// How writes treat a file; set on the open file by whoever opened it.
struct WritePolicy {
    bool journal = true;   // false: rewrite in place without a journal beside the file
    bool durable = false;  // flush the journal and the file so that a write survives a power cut
    // Fault injection for crash trials: a journaled write stops dead, as a killed process would,
    // leaving file and journal as they are, once this many blocks of its move are done (a write
    // that moves nothing stops at 0, with its journal written and the file not yet touched).
    std::optional<std::uint64_t> stopAfterBlocks;
};

// Which file an open file is, as the system names it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class LockResult { Locked, InUse, Failed };

class FileIo {
public:
    virtual ~FileIo() = default;

    // Reads up to data.size() bytes at offset; fewer only at the end of the file.
    // nullopt on an I/O error (errorText() says why).
    [[nodiscard]] virtual std::optional<std::size_t> readAt(std::uint64_t offset,
                                                            std::span<std::uint8_t> data) = 0;
    // Writes all of data at offset, or fails.
    [[nodiscard]] virtual bool writeAt(std::uint64_t offset,
                                       std::span<const std::uint8_t> data) = 0;
    [[nodiscard]] virtual std::optional<std::uint64_t> length() = 0;
    // Cuts (or sparsely extends) the file to newLength.
    [[nodiscard]] virtual bool truncate(std::uint64_t newLength) = 0;
    // Grows the file to newLength with the disk space actually allocated, so that a later write
    // into the new region cannot fail for lack of space. On failure the file keeps its length.
    [[nodiscard]] virtual bool reserve(std::uint64_t newLength) = 0;
    // The reason for the last failure, as a user-readable sentence fragment ("No space left on
    // device").
    [[nodiscard]] virtual std::string errorText() const = 0;

    // readAt that succeeds only when all of data was read.
    [[nodiscard]] bool readExactAt(std::uint64_t offset, std::span<std::uint8_t> data);

    // What the journal of a write needs; a file without a path (a test double, a file in
    // memory) is written without one.
    [[nodiscard]] virtual std::string path() const { return {}; }
    [[nodiscard]] virtual WritePolicy writePolicy() const { return {}; }
    [[nodiscard]] virtual std::optional<FileIdentity> identity() { return std::nullopt; }
    // The length the system reports now, which another program may have changed.
    [[nodiscard]] virtual std::optional<std::uint64_t> currentLength() { return length(); }
    // Flushes what was written to the disk.
    [[nodiscard]] virtual bool sync() { return true; }
    // Allocates disk space for [offset, offset + size) (holes of a sparse file included) and
    // grows the file to its end when shorter.
    [[nodiscard]] virtual bool allocate(std::uint64_t offset, std::uint64_t size)
    {
        return reserve(offset + size);
    }
    // The advisory lock every write holds for its whole duration; InUse when another program
    // holds it for longer than a short wait. Taking it again while held costs nothing.
    [[nodiscard]] virtual LockResult lockForWriting() { return LockResult::Locked; }
    virtual void unlock() {}
    [[nodiscard]] virtual bool holdsLock() const { return false; }
};

enum class OpenMode { Read, Update };

// The error() of a File that refused to open something other than a regular file or a folder
// (named pipe, socket, device); errorString gives "not a regular file". Not an errno value.
inline constexpr int kNotRegularFile = -1;

struct WholeFileWrite;

class File final : public FileIo {
public:
    File() = default;
    ~File() override;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing regular file. On failure the result is not open and error() says why:
    // EISDIR for a folder, kNotRegularFile for anything else that is not a regular file, which
    // is refused without blocking and without a single byte read or written.
    [[nodiscard]] static File open(const std::string& path, OpenMode mode);

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    // errno of the last failure, or kNotRegularFile
    [[nodiscard]] int error() const { return m_error; }
    // Closes the file; false when the system reports a failure (error() says why), which for a
    // file we wrote may mean that data written earlier did not reach the disk. The file is
    // closed either way. A file that was only read may ignore the result; the destructor does.
    bool close();

    [[nodiscard]] std::optional<std::size_t> readAt(std::uint64_t offset,
                                                    std::span<std::uint8_t> data) override;
    [[nodiscard]] bool writeAt(std::uint64_t offset,
                               std::span<const std::uint8_t> data) override;
    // Taken when the file is opened and kept up to date by our own writes and truncations, so
    // asking costs no system call; only a change by another process goes unseen.
    [[nodiscard]] std::optional<std::uint64_t> length() override;
    [[nodiscard]] bool truncate(std::uint64_t newLength) override;
    [[nodiscard]] bool reserve(std::uint64_t newLength) override;
    [[nodiscard]] std::string errorText() const override;

    [[nodiscard]] std::string path() const override { return m_path; }
    [[nodiscard]] WritePolicy writePolicy() const override { return m_policy; }
    void setWritePolicy(WritePolicy policy) { m_policy = policy; }
    [[nodiscard]] std::optional<FileIdentity> identity() override;
    [[nodiscard]] std::optional<std::uint64_t> currentLength() override;
    [[nodiscard]] bool sync() override;
    [[nodiscard]] bool allocate(std::uint64_t offset, std::uint64_t size) override;
    [[nodiscard]] LockResult lockForWriting() override;
    void unlock() override;
    [[nodiscard]] bool holdsLock() const override { return m_locked; }

private:
    friend File createNewFile(const std::string& path);
    friend class FileMapping;
    friend WholeFileWrite writeWholeFile(const std::string& path,
                                         std::span<const std::uint8_t> bytes, bool replace);
    void noteWritten(std::uint64_t end);

    int m_fd = -1;
    int m_error = 0;
    std::optional<std::uint64_t> m_length;  // nullopt: unknown, ask the system
    std::optional<FileIdentity> m_identity;  // taken when the file was opened
    std::string m_path;
    WritePolicy m_policy;
    bool m_locked = false;
};

// A stretch of an open file mapped into memory for writing. A store into it reaches the file's
// pages at once, so what was stored survives the process being killed, and costs no system call:
// the journal's progress and its copied blocks go through one. sync() flushes it to the disk.
class FileMapping {
public:
    // offset must be a multiple of the page size; the file must already reach offset + size.
    [[nodiscard]] static std::optional<FileMapping> map(File& file, std::uint64_t offset,
                                                        std::size_t size);
    FileMapping(FileMapping&& other) noexcept;
    FileMapping& operator=(FileMapping&& other) noexcept;
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;
    ~FileMapping();

    [[nodiscard]] std::span<std::uint8_t> bytes() { return {m_data, m_size}; }
    [[nodiscard]] bool sync();

private:
    FileMapping(std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

// Creates a new file for writing (failing when it exists), with owner-only permissions; the
// journal of a write is one.
[[nodiscard]] File createNewFile(const std::string& path);
// Removes a file; false with errno's text in why on failure.
[[nodiscard]] bool removeFile(const std::string& path, std::string* why = nullptr);
// Renames a file, never over another one. 0 when done, else the errno value: EEXIST when a file
// named `to` exists (a case-insensitive file system may report a file that differs only in case).
[[nodiscard]] int renameNoReplace(const std::string& from, const std::string& to);
// Flushes a folder's entries, so that a file created or removed in it survives a power cut.
[[nodiscard]] bool syncFolderOf(const std::string& path);

enum class Access {
    ReadWrite,
    ReadOnly,     // no write permission, or a read-only file system
    Missing,      // nothing of that name, or a symbolic link to nothing
    NotRegular,   // a folder, named pipe, socket or device (or a link to one): no tag file
    Unreachable,  // the path itself fails: a name too long, a folder that may not be searched
};

struct AccessTest {
    Access access = Access::Missing;
    int error = 0;  // the errno (or kNotRegularFile) behind a refusal

    [[nodiscard]] bool isWritable() const { return access == Access::ReadWrite; }
    // Why the file may not be written, as a user-readable fragment; empty when it may.
    [[nodiscard]] std::string reason() const;
};

// The read/write access test done before any write. A file is read-only when it cannot be
// opened for reading and writing or has no write permission bit at all, so a file marked
// read-only is refused even for root. Only regular files pass; nothing is opened.
[[nodiscard]] AccessTest testAccess(const std::string& path);

// Writing a whole new file, such as a picture taken out of a tag.
struct WholeFileWrite {
    bool ok = false;
    bool exists = false;  // the file was there and was left alone
    std::string reason;   // why it failed
};
// Writes bytes as the file at path, with the permissions the user gives new files. The bytes go
// to a file beside it first, which then becomes path in one step, so that nobody ever sees half
// of it: without replace only when path does not exist (an existing file is never touched, not
// even one that appears meanwhile), with replace in place of what is there.
[[nodiscard]] WholeFileWrite writeWholeFile(const std::string& path,
                                            std::span<const std::uint8_t> bytes, bool replace);

// The user-readable text of an errno value.
[[nodiscard]] std::string errorString(int err);

}  // namespace corvane::tags
