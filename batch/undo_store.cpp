#include "batch/undo_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cerrno>
#include <zlib.h>

#include "tags/id3v1.h"
#include "tags/id3v2_header.h"
#include "tags/tag_write.h"

namespace corvane::batch {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view kMagic = "CVUNDO01";
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kHeadRead = 4096;

// Where the ID3v2 tag ends, clamped to the file; 0 without one.
std::uint64_t tagEnd(tags::FileIo& file, std::uint64_t length)
{
    const auto header = tags::readId3v2Header(file);
    return header ? std::min<std::uint64_t>(header->totalSize(), length) : 0;
}

// The fingerprint of what a change wrote: the tag and the trailer.
std::optional<std::uint32_t> fingerprintOf(tags::FileIo& file)
{
    const auto length = file.currentLength();
    if (!length) return std::nullopt;
    const std::uint64_t end = tagEnd(file, *length);
    uLong crc = crc32(0L, Z_NULL, 0);
    Bytes chunk;
    for (std::uint64_t at = 0; at < end; at += chunk.size()) {
        chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end - at)));
        if (!file.readExactAt(at, chunk)) return std::nullopt;
        crc = crc32(crc, chunk.data(), static_cast<uInt>(chunk.size()));
    }
    const auto probe = tags::probeId3v1(file, end);
    if (!probe.ok) return std::nullopt;
    if (probe.trailer) crc = crc32(crc, probe.trailer->data(), static_cast<uInt>(probe.trailer->size()));
    return static_cast<std::uint32_t>(crc);
}

// The same fingerprint from a snapshot of the file, without reading it again.
std::uint32_t fingerprintOf(const TagSnapshot& snapshot)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, snapshot.tag.data(), static_cast<uInt>(snapshot.tag.size()));
    static const Bytes zeros(kChunk, 0);
    for (std::uint64_t left = snapshot.padding; left > 0;) {
        const auto n = static_cast<uInt>(std::min<std::uint64_t>(kChunk, left));
        crc = crc32(crc, zeros.data(), n);
        left -= n;
    }
    if (snapshot.trailer) crc = crc32(crc, snapshot.trailer->data(), static_cast<uInt>(snapshot.trailer->size()));
    return static_cast<std::uint32_t>(crc);
}

std::optional<FileState> stateOfOpen(tags::FileIo& file)
{
    const auto identity = file.identity();
    const auto length = file.currentLength();
    const auto fingerprint = fingerprintOf(file);
    if (!identity || !length || !fingerprint) return std::nullopt;
    return FileState{*identity, *length, *fingerprint};
}

// A path as the record keeps it: an undo may run from another folder than the change. folder is
// the current folder, asked once per change rather than once per file.
std::string absolutePath(const std::string& path, const fs::path& folder)
{
    if (path.starts_with('/') || folder.empty()) return path;
    return (folder / path).lexically_normal().string();
}

// ---- the stored form --------------------------------------------------------------------------

void put64(std::ostream& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i) out.put(static_cast<char>(v >> (8 * i)));
}
void putBytes(std::ostream& out, const void* data, std::size_t size)
{
    put64(out, size);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
void putText(std::ostream& out, const std::string& text) { putBytes(out, text.data(), text.size()); }

class In {
public:
    explicit In(std::istream& in) : m_in(in) {}
    std::uint64_t u64()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= std::uint64_t{static_cast<std::uint8_t>(m_in.get())} << (8 * i);
        return v;
    }
    // A stored length is trusted only as far as the file goes.
    template <typename Container>
    bool bytes(Container& out)
    {
        const auto size = u64();
        if (!m_in || size > kUndoBytesKept) return false;
        out.resize(static_cast<std::size_t>(size));
        m_in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
        return static_cast<bool>(m_in);
    }
    [[nodiscard]] bool ok() const { return static_cast<bool>(m_in); }

private:
    std::istream& m_in;
};

void writeChange(std::ostream& out, const UndoChange& change)
{
    out.write(kMagic.data(), static_cast<std::streamsize>(kMagic.size()));
    putText(out, change.label);
    put64(out, static_cast<std::uint64_t>(change.time));
    put64(out, change.entries.size());
    for (const auto& e : change.entries) {
        put64(out, static_cast<std::uint64_t>(e.kind));
        putText(out, e.path);
        putText(out, e.oldPath);
        putBytes(out, e.before.tag.data(), e.before.tag.size());
        put64(out, e.before.padding);
        put64(out, e.before.trailer ? 1 : 0);
        if (e.before.trailer) out.write(reinterpret_cast<const char*>(e.before.trailer->data()), 128);
        for (const std::uint64_t v : {e.after.identity.device, e.after.identity.inode, e.after.size,
                                      std::uint64_t{e.after.fingerprint}})
            put64(out, v);
    }
}

// The change stored in file; with entriesToo false only its label, time and number of files (a
// change may hold hundreds of megabytes of old tags).
std::optional<UndoChange> readChange(const fs::path& file, bool entriesToo = true)
{
    std::ifstream stream(file, std::ios::binary);
    std::string magic(kMagic.size(), '\0');
    stream.read(magic.data(), static_cast<std::streamsize>(magic.size()));
    if (!stream || magic != kMagic) return std::nullopt;
    In in(stream);
    UndoChange change;
    if (!in.bytes(change.label)) return std::nullopt;
    change.time = static_cast<std::int64_t>(in.u64());
    const auto count = in.u64();
    change.fileCount = static_cast<std::size_t>(count);
    if (!entriesToo) {
        if (!in.ok()) return std::nullopt;
        change.id = file.parent_path().filename().string();
        return change;
    }
    for (std::uint64_t i = 0; i < count && in.ok(); ++i) {
        UndoEntry e;
        e.kind = static_cast<UndoEntry::Kind>(in.u64());
        if (!in.bytes(e.path) || !in.bytes(e.oldPath) || !in.bytes(e.before.tag)) return std::nullopt;
        e.before.padding = in.u64();
        if (in.u64() != 0) {
            std::array<std::uint8_t, 128> trailer{};
            stream.read(reinterpret_cast<char*>(trailer.data()), 128);
            e.before.trailer = trailer;
        }
        e.after.identity.device = in.u64();
        e.after.identity.inode = in.u64();
        e.after.size = in.u64();
        e.after.fingerprint = static_cast<std::uint32_t>(in.u64());
        change.entries.push_back(std::move(e));
    }
    if (!in.ok()) return std::nullopt;
    change.id = file.parent_path().filename().string();
    return change;
}

// The stored changes' folders, oldest first.
std::vector<fs::path> changeFolders(const std::string& folder)
{
    std::vector<fs::path> folders;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec)) folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::uint64_t sizeOf(const fs::path& folder)
{
    std::error_code ec;
    const auto size = fs::file_size(folder / "change", ec);
    return ec ? 0 : size;
}

}  // namespace

std::optional<TagSnapshot> takeSnapshot(tags::FileIo& file)
{
    const auto length = file.length();
    if (!length) return std::nullopt;
    TagSnapshot snapshot;
    // The header and the start of the tag come in one read; most tags end inside it.
    Bytes head(static_cast<std::size_t>(std::min<std::uint64_t>(*length, kHeadRead)));
    const auto got = file.readAt(0, head);
    if (!got) return std::nullopt;
    head.resize(*got);
    const auto header = tags::parseId3v2Header(head);
    const std::uint64_t end = header ? std::min<std::uint64_t>(header->totalSize(), *length) : 0;
    // Padding is counted, not kept: a tag with 250 MB of it costs a few bytes here.
    std::uint64_t zeros = 0;
    const auto take = [&](std::span<const std::uint8_t> bytes) {
        const auto last = std::find_if(bytes.rbegin(), bytes.rend(), [](std::uint8_t b) { return b != 0; });
        if (last == bytes.rend()) {
            zeros += bytes.size();
            return;
        }
        snapshot.tag.insert(snapshot.tag.end(), static_cast<std::size_t>(zeros), 0);
        const auto kept = static_cast<std::size_t>(bytes.rend() - last);
        snapshot.tag.insert(snapshot.tag.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept));
        zeros = bytes.size() - kept;
    };
    const auto inHead = static_cast<std::size_t>(std::min<std::uint64_t>(end, head.size()));
    take(std::span(head).first(inHead));
    Bytes chunk;
    for (std::uint64_t at = inHead; at < end; at += chunk.size()) {
        chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end - at)));
        if (!file.readExactAt(at, chunk)) return std::nullopt;
        take(chunk);
    }
    snapshot.padding = zeros;
    const auto probe = tags::probeId3v1(file, end);
    if (!probe.ok) return std::nullopt;
    snapshot.trailer = probe.trailer;
    return snapshot;
}

std::optional<FileState> stateOf(const std::string& path)
{
    tags::File file = tags::File::open(path, tags::OpenMode::Read);
    if (!file.isOpen()) return std::nullopt;
    return stateOfOpen(file);
}

std::uint64_t UndoEntry::bytes() const
{
    return path.size() + oldPath.size() + before.tag.size() + 200;
}

std::uint64_t UndoChange::bytes() const
{
    std::uint64_t total = label.size() + 32;
    for (const auto& e : entries) total += e.bytes();
    return total;
}

UndoStore::UndoStore(std::string folder) : m_folder(std::move(folder)) {}

std::string UndoStore::defaultFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') return std::string(state) + "/corvane/undo";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/state/corvane/undo";
}

bool UndoStore::save(UndoChange change, std::string* reason)
{
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    const auto folders = changeFolders(m_folder);
    unsigned long long next = 1;
    if (!folders.empty()) next = std::strtoull(folders.back().filename().c_str(), nullptr, 10) + 1;
    char name[32];
    std::snprintf(name, sizeof name, "%012llu", next);
    const fs::path target = fs::path(m_folder) / name;
    // Written beside and renamed into place, so a change is either whole or not there.
    const fs::path partial = fs::path(m_folder) / (std::string(name) + ".part");
    fs::create_directories(partial, ec);
    {
        std::ofstream out(partial / "change", std::ios::binary | std::ios::trunc);
        writeChange(out, change);
        out.flush();
        if (!out) {
            if (reason != nullptr) *reason = "the undo record cannot be written in " + m_folder;
            fs::remove_all(partial, ec);
            return false;
        }
    }
    fs::rename(partial, target, ec);
    if (ec) {
        if (reason != nullptr) *reason = ec.message();
        fs::remove_all(partial, ec);
        return false;
    }
    prune();
    return true;
}

void UndoStore::prune() const
{
    auto folders = changeFolders(m_folder);
    std::uint64_t total = 0;
    for (const auto& f : folders) total += sizeOf(f);
    std::error_code ec;
    // The newest change stays whatever its size: it was checked before its run began.
    while (folders.size() > 1 && (folders.size() > kUndoChangesKept || total > kUndoBytesKept)) {
        total -= sizeOf(folders.front());
        fs::remove_all(folders.front(), ec);
        folders.erase(folders.begin());
    }
}

std::vector<UndoChange> UndoStore::changes(bool entriesToo) const
{
    std::vector<UndoChange> all;
    auto folders = changeFolders(m_folder);
    std::reverse(folders.begin(), folders.end());
    for (const auto& folder : folders) {
        if (folder.extension() == ".part") continue;
        if (auto change = readChange(folder / "change", entriesToo)) all.push_back(std::move(*change));
    }
    return all;
}

std::optional<std::string> UndoStore::lastLabel() const
{
    const auto folders = changeFolders(m_folder);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        if (it->extension() == ".part") continue;
        if (auto change = readChange(*it / "change", false)) return std::move(change->label);
    }
    return std::nullopt;
}

std::optional<UndoChange> UndoStore::last() const
{
    // Only the newest is read: the others may hold hundreds of megabytes of old tags.
    const auto folders = changeFolders(m_folder);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        if (it->extension() == ".part") continue;
        if (auto change = readChange(*it / "change")) return change;
    }
    return std::nullopt;
}

std::string undoLabel(const std::string& label)
{
    constexpr std::string_view kUndo = "Undo ";
    return label.starts_with(kUndo) ? label.substr(kUndo.size()) : std::string(kUndo) + label;
}

UndoRecorder::UndoRecorder(UndoStore& store, std::string label) : m_store(store)
{
    std::error_code ec;
    m_folder = fs::current_path(ec);
    m_change.label = std::move(label);
}

void UndoRecorder::before(tags::FileIo& file, const std::string&)
{
    m_pending = takeSnapshot(file);
}

void UndoRecorder::after(const std::string& path, bool written)
{
    if (written && m_pending) {
        if (const auto state = stateOf(path)) {
            UndoEntry entry;
            entry.path = absolutePath(path, m_folder);
            entry.before = std::move(*m_pending);
            entry.after = *state;
            m_change.entries.push_back(std::move(entry));
        }
    }
    m_pending.reset();
}

void UndoRecorder::renamed(tags::FileIo& file, const std::string& from, const std::string& to)
{
    UndoEntry entry;
    entry.kind = UndoEntry::Kind::Rename;
    entry.path = absolutePath(to, m_folder);
    entry.oldPath = absolutePath(from, m_folder);
    // A rename leaves the tags as the snapshot found them, so its state needs no second read;
    // and there is no tag change left for after() to note.
    const auto identity = file.identity();
    const auto length = file.length();
    if (m_pending && identity && length)
        entry.after = FileState{*identity, *length, fingerprintOf(*m_pending)};
    else if (const auto state = stateOfOpen(file))
        entry.after = *state;
    m_pending.reset();
    m_change.entries.push_back(std::move(entry));
}

bool UndoRecorder::commit(std::string* reason)
{
    if (m_change.entries.empty()) return true;
    m_change.time = std::chrono::duration_cast<std::chrono::seconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    return m_store.save(std::move(m_change), reason);
}

bool fitsUndoRecord(const std::vector<std::string>& paths, std::uint64_t* bytes)
{
    std::uint64_t total = 0;
    for (const auto& path : paths) {
        tags::File file = tags::File::open(path, tags::OpenMode::Read);
        if (!file.isOpen()) continue;
        const auto length = file.length();
        total += path.size() + 200 + (length ? tagEnd(file, *length) : 0);
    }
    if (bytes != nullptr) *bytes = total;
    return total <= kUndoBytesKept;
}

FileOutcome undoFile(tags::FileIo& file, const UndoEntry& entry, UndoRecorder* undo)
{
    const auto now = stateOfOpen(file);
    if (!now || *now != entry.after)
        return FileOutcome::failed("the file changed since the change, so it was left as it is");
    FileOutcome outcome;
    if (entry.kind == UndoEntry::Kind::Rename) {
        // The old name must still be free: an undo never overwrites a file.
        if (const int error = tags::renameNoReplace(entry.path, entry.oldPath); error != 0) {
            return FileOutcome::failed(error == EEXIST ? "its old name " + entry.oldPath + " is taken"
                                                       : tags::errorString(error));
        }
        if (undo != nullptr) undo->renamed(file, entry.path, entry.oldPath);
        outcome.status = FileStatus::Written;
        return outcome;
    }
    tags::TagChanges both;
    both.id3v2 = tags::V2Change::Merge;
    both.id3v1 = tags::V1Change::Write;
    outcome.record(both, tags::restoreTags(file, entry.before.tag, entry.before.padding,
                                           entry.before.trailer));
    return outcome;
}

}  // namespace corvane::batch
