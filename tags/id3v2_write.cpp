#include "tags/id3v2_write.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tags/field_catalogue.h"
#include "tags/id3v2_frames.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kFrameHeaderSize = 10;
// The header's size field holds 28 bits.
constexpr std::uint64_t kMaxTagSize = (std::uint64_t{1} << 28) - 1;
// One read usually brings in the header and the whole tag, so that a write that fits in the
// padding costs one read and one write.
constexpr std::size_t kFirstRead = 8192;

// ---- Building frames ------------------------------------------------------------------------

// One entry of the write list, encoded once up front: every fit test uses the encoded size.
struct Entry {
    std::string id;
    Bytes body;                   // prefix + encoded value; empty for a removal
    std::size_t removalSize = 0;  // what a removal counts when a new tag is sized
    bool isRemoval = false;
    bool isDone = false;

    [[nodiscard]] std::size_t frameSize() const { return kFrameHeaderSize + body.size(); }
};

bool isFrameIdChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The keys "IDV1", "IDV2" and "GEN1" label in-memory slots of a TagRecord; a record handed over
// whole must not leak them (or its six empty ID3v1 keys) into the file.
bool isWritableId(std::string_view id)
{
    if (id.size() != 4 || !std::all_of(id.begin(), id.end(), isFrameIdChar)) return false;
    return id != "IDV1" && id != "IDV2" && id != "GEN1";
}

// The zero prefix a frame of this kind starts with when its text is ISO-8859-1: the encoding
// byte, for "C" three language bytes, for "W" and "C" an empty description's terminator.
std::size_t latin1PrefixSize(std::string_view id)
{
    switch (id[0]) {
        case 'T':
            return 1;
        case 'W':
            return 2;
        case 'C':
            return 5;
        default:
            return 0;
    }
}

void appendText(Bytes& to, std::string_view text) { to.insert(to.end(), text.begin(), text.end()); }

// A URL field is ISO-8859-1 by definition; characters outside it are percent-encoded from their
// UTF-8 bytes (as an IRI becomes a URI), so nothing is replaced by "?".
std::string urlToLatin1(std::string_view utf8)
{
    if (isLatin1(utf8)) return utf8ToLatin1(utf8);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = 1;
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xC0) len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        len = std::min(len, utf8.size() - i);
        const auto one = utf8.substr(i, len);
        if (isLatin1(one)) {
            out += utf8ToLatin1(one);
        } else {
            for (const char c : one) {
                const auto b = static_cast<unsigned char>(c);
                out += '%';
                out += kHex[b >> 4];
                out += kHex[b & 0x0F];
            }
        }
        i += len;
    }
    return out;
}

// Frame body for a value: ISO-8859-1 (encoding 0) when every character allows it, else UTF-16
// with a byte-order mark (encoding 1), the empty "COMM" description in the same encoding.
Bytes encodeBody(std::string_view id, std::string_view value)
{
    const bool latin1 = isLatin1(value);
    Bytes body;
    switch (id[0]) {
        case 'T':
            body.push_back(latin1 ? 0 : 1);
            appendText(body, latin1 ? utf8ToLatin1(value) : utf8ToUtf16Bom(value));
            break;
        case 'W':
            body = {0, 0};
            appendText(body, urlToLatin1(value));
            break;
        case 'C':
            if (latin1) {
                body = {0, 0, 0, 0, 0};
                appendText(body, utf8ToLatin1(value));
            } else {
                body = {1, 0, 0, 0, 0xFF, 0xFE, 0, 0};
                appendText(body, utf8ToUtf16Bom(value));
            }
            break;
        default:  // "PCNT" and any frame without a prefix: the value is the body
            appendText(body, value);
            break;
    }
    return body;
}

// A genre given by its table name is stored with its number in front, "(7)Hip-Hop", so that
// readers that only know numbers still find it.
std::string withGenreNumber(std::string_view id, const std::string& value)
{
    if (id != "TCON") return value;
    const auto index = findGenre(value);
    if (!index) return value;
    return "(" + std::to_string(*index) + ")" + value;
}

std::vector<Entry> encodeEntries(const SlotList& writeList)
{
    std::vector<Entry> entries;
    entries.reserve(writeList.size());
    for (const auto& slot : writeList) {
        if (!isWritableId(slot.key)) continue;
        Entry entry;
        entry.id = slot.key;
        entry.isRemoval = slot.text().empty();
        if (entry.isRemoval)
            entry.removalSize = kFrameHeaderSize + latin1PrefixSize(entry.id);
        else
            entry.body = encodeBody(entry.id, withGenreNumber(entry.id, slot.text()));
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Header size field: four 7-bit groups, most significant first.
//   byte 6: 0aaaaaaa  byte 7: 0bbbbbbb  byte 8: 0ccccccc  byte 9: 0ddddddd
void putSyncsafe(std::uint8_t* p, std::uint32_t size)
{
    p[0] = static_cast<std::uint8_t>((size >> 21) & 0x7F);
    p[1] = static_cast<std::uint8_t>((size >> 14) & 0x7F);
    p[2] = static_cast<std::uint8_t>((size >> 7) & 0x7F);
    p[3] = static_cast<std::uint8_t>(size & 0x7F);
}

void putFrame(std::uint8_t* at, const Entry& entry)
{
    std::memcpy(at, entry.id.data(), 4);
    const auto size = static_cast<std::uint32_t>(entry.body.size());
    at[4] = static_cast<std::uint8_t>(size >> 24);
    at[5] = static_cast<std::uint8_t>(size >> 16);
    at[6] = static_cast<std::uint8_t>(size >> 8);
    at[7] = static_cast<std::uint8_t>(size);
    at[8] = 0;
    at[9] = 0;
    std::copy(entry.body.begin(), entry.body.end(), at + kFrameHeaderSize);
}

Entry* firstPending(std::vector<Entry>& entries, std::string_view id)
{
    for (auto& entry : entries) {
        if (!entry.isDone && entry.id == id) return &entry;
    }
    return nullptr;
}

// ---- Merging the write list into the tag image ----------------------------------------------

// The merge runs on an in-memory copy of the tag: image holds [0, tag end), written at W while
// the frames are read at R >= W, so a write never reaches bytes not yet read.
class Merger {
public:
    Merger(Bytes& image, std::vector<Entry>& entries) : m_image(image), m_entries(entries) {}

    // Walks the frames of the tag; false when a frame runs past the tag end or a frame header
    // is cut off by it.
    [[nodiscard]] bool mergeExisting(const Id3v2Header& header);
    void fillFreeSpace();
    void finish(bool compact);

private:
    [[nodiscard]] std::size_t end() const { return m_image.size(); }
    void mergeFrame(std::size_t read, std::size_t oldEnd);
    void writeEntry(Entry& entry);

    Bytes& m_image;
    std::vector<Entry>& m_entries;
    std::size_t m_write = kHeaderSize;
};

bool Merger::mergeExisting(const Id3v2Header& header)
{
    // The walk reads an untouched copy: the merge rewrites the image behind it.
    const Bytes original(m_image.begin() + kHeaderSize, m_image.end());
    MemoryTagBytes bytes(original);
    FrameWalk walk(bytes, header, original.size());
    bool first = true;
    while (const auto frame = walk.next()) {
        if (first) m_write = kHeaderSize + static_cast<std::size_t>(frame->offset);
        first = false;
        mergeFrame(kHeaderSize + static_cast<std::size_t>(frame->offset),
                   kHeaderSize + static_cast<std::size_t>(frame->endOffset()));
    }
    if (first) m_write = kHeaderSize + static_cast<std::size_t>(walk.position());
    return walk.end() == WalkEnd::Padding || walk.end() == WalkEnd::TagEnd;
}

void Merger::mergeFrame(std::size_t read, std::size_t oldEnd)
{
    const std::string_view id(reinterpret_cast<const char*>(m_image.data() + read), 4);
    Entry* entry = firstPending(m_entries, id);
    if (entry && entry->isRemoval) {
        entry->isDone = true;
    } else if (entry && m_write + entry->frameSize() <= oldEnd) {
        writeEntry(*entry);
    } else if (!entry) {
        // Kept frames slide down over the room of dropped ones, byte for byte.
        if (m_write != read)
            std::memmove(m_image.data() + m_write, m_image.data() + read, oldEnd - read);
        m_write += oldEnd - read;
    }
    // An entry whose frame does not fit drops the old frame and waits for free space.
}

void Merger::writeEntry(Entry& entry)
{
    putFrame(m_image.data() + m_write, entry);
    m_write += entry.frameSize();
    entry.isDone = true;
}

void Merger::fillFreeSpace()
{
    for (auto& entry : m_entries) {
        if (entry.isDone) continue;
        if (entry.isRemoval)
            entry.isDone = true;
        else if (entry.frameSize() <= end() - m_write)
            writeEntry(entry);
    }
}

void Merger::finish(bool compact)
{
    const bool pending =
        std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return !e.isDone; });
    if (pending) {
        // What still waits goes after the last frame; the tag then has no padding.
        m_image.resize(m_write);
        for (auto& entry : m_entries) {
            if (entry.isDone) continue;
            m_image.resize(m_write + entry.frameSize());
            writeEntry(entry);
        }
    } else if (compact) {
        m_image.resize(m_write);
    } else {
        std::fill(m_image.begin() + static_cast<std::ptrdiff_t>(m_write), m_image.end(), 0);
    }
}

// A new tag is sized for every entry, removals included, and filled only from its free space.
Bytes newTagImage(std::vector<Entry>& entries, bool compact)
{
    std::size_t size = 0;
    for (const auto& entry : entries)
        size += entry.isRemoval ? entry.removalSize : entry.frameSize();
    Bytes image(kHeaderSize + size, 0);
    const std::array<std::uint8_t, 6> head{'I', 'D', '3', 3, 0, 0};
    std::copy(head.begin(), head.end(), image.begin());
    Merger merger(image, entries);
    merger.fillFreeSpace();
    merger.finish(compact);
    return image;
}

// ---- Moving bytes inside the file -----------------------------------------------------------

class Mover {
public:
    explicit Mover(FileIo& file) : m_file(file) {}

    // Moves [from, end) to start at to: toward the end back to front, toward the start front to
    // back, so that overlapping source and destination never clobber unread bytes. On failure
    // every byte already moved is put back (as far as the file lets us) and false is returned.
    [[nodiscard]] bool move(std::uint64_t from, std::uint64_t end, std::uint64_t to);

    // The reason of the first failure, kept across the undo steps that may fail after it.
    void noteFailure()
    {
        if (m_error.empty()) m_error = m_file.errorText();
    }
    [[nodiscard]] const std::string& error() const { return m_error; }

private:
    bool moveUp(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing);
    bool moveDown(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing);
    std::span<std::uint8_t> block(std::uint64_t size)
    {
        // Only a write that moves audio needs the block; one that fits the tag never does.
        if (m_buffer.empty()) m_buffer.resize(CopyChunkSize);
        return std::span(m_buffer.data(), static_cast<std::size_t>(size));
    }

    FileIo& m_file;
    Bytes m_buffer;
    std::string m_error;
};

bool Mover::move(std::uint64_t from, std::uint64_t end, std::uint64_t to)
{
    if (to > from) return moveUp(from, end, to - from, false);
    if (to < from) return moveDown(from, end, from - to, false);
    return true;
}

bool Mover::moveUp(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing)
{
    for (std::uint64_t pos = end; pos > from;) {
        const auto n = std::min<std::uint64_t>(CopyChunkSize, pos - from);
        pos -= n;
        const bool read = m_file.readExactAt(pos, block(n));
        if (read && m_file.writeAt(pos + delta, block(n))) continue;
        noteFailure();
        if (undoing) return false;
        // A failed write may have reached into this block's source when delta < n; the buffer
        // still holds it. Everything above it already sits delta higher.
        if (read) (void)m_file.writeAt(pos, block(n));
        (void)moveDown(pos + n + delta, end + delta, delta, true);
        return false;
    }
    return true;
}

bool Mover::moveDown(std::uint64_t from, std::uint64_t end, std::uint64_t delta, bool undoing)
{
    for (std::uint64_t pos = from; pos < end;) {
        const auto n = std::min<std::uint64_t>(CopyChunkSize, end - pos);
        const bool read = m_file.readExactAt(pos, block(n));
        if (read && m_file.writeAt(pos - delta, block(n))) {
            pos += n;
            continue;
        }
        noteFailure();
        if (undoing) return false;
        if (read) (void)m_file.writeAt(pos, block(n));
        (void)moveUp(from - delta, pos - delta, delta, true);
        return false;
    }
    return true;
}

// Writes only the bytes of image that differ from old (compared over their common length, the
// rest of image always written), in one write.
bool writeChanged(FileIo& file, const Bytes& image, const Bytes& old)
{
    // Compared a cache line at a time: most of a tag is padding that stays as it is.
    constexpr std::size_t kStep = 64;
    const std::size_t common = std::min(image.size(), old.size());
    std::size_t first = 0;
    while (first + kStep <= common && std::memcmp(&image[first], &old[first], kStep) == 0)
        first += kStep;
    while (first < common && image[first] == old[first]) ++first;
    std::size_t last = image.size();
    if (image.size() <= old.size()) {
        while (last >= first + kStep &&
               std::memcmp(&image[last - kStep], &old[last - kStep], kStep) == 0)
            last -= kStep;
        while (last > first && image[last - 1] == old[last - 1]) --last;
    }
    if (first >= last) return true;
    return file.writeAt(first, std::span(image.data() + first, last - first));
}

// ---- Putting a new tag image in place -------------------------------------------------------

// Replaces [0, oldImage.size()) of a file of the given length with image, moving what follows.
// On failure the file is put back as it was, as far as the file lets us.
WriteResult replaceTag(FileIo& file, const Bytes& oldImage, const Bytes& image)
{
    const std::uint64_t oldEnd = oldImage.size();
    const std::uint64_t newEnd = image.size();
    Mover mover(file);
    if (newEnd == oldEnd) {
        if (writeChanged(file, image, oldImage)) return WriteResult::success();
        mover.noteFailure();
        (void)file.writeAt(0, oldImage);
        return WriteResult::failure(WriteStatus::IoError, mover.error());
    }
    const auto fileLength = file.length();
    if (!fileLength) return WriteResult::failure(WriteStatus::IoError, file.errorText());
    const std::uint64_t length = *fileLength;
    const std::uint64_t newLength = length - oldEnd + newEnd;
    auto fail = [&](bool audioMoved) {
        mover.noteFailure();
        if (audioMoved) (void)mover.move(newEnd, newLength, oldEnd);
        (void)file.writeAt(0, oldImage);
        if (file.length() != length) (void)file.truncate(length);
        return WriteResult::failure(WriteStatus::IoError, mover.error());
    };

    if (newEnd > oldEnd) {
        // Claim the space first: a full disk is found before a byte of the file has changed.
        if (!file.reserve(newLength)) {
            mover.noteFailure();
            if (file.length() != length) (void)file.truncate(length);
            return WriteResult::failure(WriteStatus::IoError, mover.error());
        }
        if (!mover.move(oldEnd, length, newEnd)) return fail(false);
        if (!file.writeAt(0, image)) return fail(true);
        return WriteResult::success();
    }
    if (!mover.move(oldEnd, length, newEnd)) return fail(false);
    if (!writeChanged(file, image, oldImage) || !file.truncate(newLength)) return fail(true);
    return WriteResult::success();
}

// ---- Reading the tag that is there ----------------------------------------------------------

struct ExistingTag {
    WriteStatus status = WriteStatus::Ok;
    Bytes image;  // [0, tag end); empty when the file has no tag
    Id3v2Header header;
};

// Reads the whole tag, usually in one read. The size field is trusted only as far as the file
// goes: a tag that claims more than the file holds is damaged, and nothing is allocated for it.
ExistingTag readExistingTag(FileIo& file, bool withFooter)
{
    ExistingTag tag;
    Bytes head(kFirstRead);
    const auto got = file.readAt(0, head);
    if (!got) {
        tag.status = WriteStatus::IoError;
        return tag;
    }
    head.resize(*got);
    const auto header = parseId3v2Header(head);
    if (!header) return tag;
    tag.header = *header;
    std::uint64_t end = kHeaderSize + std::uint64_t{header->tagSize};
    // A version 4 tag may end in a ten-byte footer that belongs to it.
    if (withFooter && header->major == 4 && (header->flags & 0x10) != 0) end += kHeaderSize;
    if (end > head.size()) {
        const auto length = *got < kFirstRead ? std::optional<std::uint64_t>(*got) : file.length();
        if (!length) {
            tag.status = WriteStatus::IoError;
            return tag;
        }
        if (end > *length) {
            tag.status = WriteStatus::Malformed;
            return tag;
        }
        const auto have = head.size();
        head.resize(static_cast<std::size_t>(end));
        if (!file.readExactAt(have, std::span(head.data() + have, head.size() - have))) {
            tag.status = WriteStatus::IoError;
            return tag;
        }
    }
    head.resize(static_cast<std::size_t>(end));
    tag.image = std::move(head);
    return tag;
}

WriteResult ioFailure(FileIo& file)
{
    return WriteResult::failure(WriteStatus::IoError, file.errorText());
}

}  // namespace

WriteResult writeId3v2(FileIo& file, const SlotList& writeList, bool compact)
{
    ExistingTag tag = readExistingTag(file, false);
    if (tag.status == WriteStatus::IoError) return ioFailure(file);
    if (tag.status != WriteStatus::Ok) return WriteResult::failure(tag.status);
    // Frames of other versions have other header layouts; writing ours among them would
    // corrupt the tag.
    if (!tag.image.empty() && tag.header.major != 3)
        return WriteResult::failure(WriteStatus::Unsupported);

    std::vector<Entry> entries = encodeEntries(writeList);
    Bytes image;
    if (tag.image.empty()) {
        image = newTagImage(entries, compact);
    } else {
        image = tag.image;
        Merger merger(image, entries);
        if (!merger.mergeExisting(tag.header)) return WriteResult::failure(WriteStatus::Malformed);
        merger.fillFreeSpace();
        merger.finish(compact);
    }
    if (image.size() - kHeaderSize > kMaxTagSize)
        return WriteResult::failure(WriteStatus::IoError,
                                    "the ID3v2 tag would be larger than 256 MB");
    putSyncsafe(image.data() + 6, static_cast<std::uint32_t>(image.size() - kHeaderSize));
    return replaceTag(file, tag.image, image);
}

WriteResult removeId3v2(FileIo& file)
{
    const ExistingTag tag = readExistingTag(file, true);
    if (tag.status == WriteStatus::IoError) return ioFailure(file);
    if (tag.status != WriteStatus::Ok) return WriteResult::failure(tag.status);
    if (tag.image.empty()) return WriteResult::success();
    return replaceTag(file, tag.image, {});
}

}  // namespace corvane::tags
