#include "tags/list_row_reader.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/id3v2_frames.h"
#include "tags/id3v2_read.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

// The first read of a row takes this much from the start of the file: the tag header and, in a
// typical file, every frame header up to the padding, so most rows need no further read.
constexpr std::size_t kWindowSize = 4096;

// Enough bytes of a value for kMaxCellChars characters in any encoding (four bytes a character
// at most, plus the encoding byte, language, a byte-order mark and an empty description before
// a comment text), so a long value is never read whole.
constexpr std::size_t kValueReadLimit = 16 + 4 * kMaxCellChars;

// The ID3v1 trailer layout the list shows.
constexpr std::size_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93, kCommentAt = 97;
constexpr std::size_t kTrackAt = 126, kGenreAt = 127;

// A tag body read from the file through a window: a header or value inside the window costs no
// system call, one outside it moves the window there. Nothing past `available` is read.
class WindowedTagBytes final : public TagBytes {
public:
    WindowedTagBytes(File& file, std::span<const std::uint8_t> firstWindow, std::uint64_t available)
        : m_file(file), m_available(available), m_window(firstWindow.begin(), firstWindow.end())
    {
        if (m_window.size() > available) m_window.resize(static_cast<std::size_t>(available));
    }

    std::optional<std::span<const std::uint8_t>> at(std::uint64_t offset, std::size_t n) override
    {
        if (offset >= m_available) return std::span<const std::uint8_t>{};
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(n, m_available - offset));
        if (offset < m_start || offset + wanted > m_start + m_window.size()) {
            if (!load(offset, wanted)) return std::nullopt;
        }
        // The file may have shrunk since its length was taken: give what the window holds.
        const auto from = static_cast<std::size_t>(offset - m_start);
        return std::span<const std::uint8_t>(m_window).subspan(
            from, std::min(wanted, m_window.size() - from));
    }

private:
    bool load(std::uint64_t offset, std::size_t wanted)
    {
        const std::size_t size = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max(wanted, kWindowSize), m_available - offset));
        m_window.resize(size);
        const auto got = m_file.readAt(kId3v2HeaderSize + offset, m_window);
        if (!got) return false;
        m_window.resize(*got);
        m_start = offset;
        return true;
    }

    File& m_file;
    std::uint64_t m_available;
    std::uint64_t m_start = 0;
    std::vector<std::uint8_t> m_window;
};

// The list shows a non-empty COMM or WXXX description in place of the comment or URL (the row is
// meant as a quick look, and a description is usually the shorter text); an empty description
// gives way to the value itself.
std::string describedValue(std::string_view id, std::span<const std::uint8_t> body)
{
    const bool comment = id == "COMM";
    const std::size_t prefix = comment ? 4 : 1;
    if (body.size() < prefix) return {};
    const std::uint8_t encoding = body[0];
    auto description = splitTerminated(encoding, body.subspan(prefix));
    if (!description.text.empty()) return std::move(description.text);
    return comment ? decodeId3Text(encoding, description.rest) : latin1ToUtf8(description.rest);
}

std::string cellValue(std::string_view id, std::span<const std::uint8_t> body)
{
    if (id == "COMM" || id == "WXXX") return describedValue(id, body);
    return frameValue(id, body).value_or(std::string{});
}

std::span<const std::uint8_t> field(std::span<const std::uint8_t> trailer, std::size_t at,
                                    std::size_t width)
{
    return trailer.subspan(at, width);
}

void fillFromTrailer(ListRow& row, std::span<const Column> layout,
                     std::span<const std::uint8_t, kId3v1Size> trailer)
{
    setCellText(row, layout, Column::Title, latin1ToUtf8(field(trailer, kTitleAt, 30)));
    setCellText(row, layout, Column::Artist, latin1ToUtf8(field(trailer, kArtistAt, 30)));
    setCellText(row, layout, Column::Album, latin1ToUtf8(field(trailer, kAlbumAt, 30)));
    setCellText(row, layout, Column::Year, latin1ToUtf8(field(trailer, kYearAt, 4)));
    setCellText(row, layout, Column::Comment, latin1ToUtf8(field(trailer, kCommentAt, 29)));
    if (trailer[kTrackAt] != 0)
        setCellText(row, layout, Column::Track, std::to_string(trailer[kTrackAt]));
    setCellText(row, layout, Column::Genre, genreName(trailer[kGenreAt]));
}

bool isTrailer(std::span<const std::uint8_t> bytes)
{
    return bytes.size() == kId3v1Size && bytes[0] == 'T' && bytes[1] == 'A' && bytes[2] == 'G';
}

// The last 128 bytes of the file, taken from head when it already holds them.
std::optional<std::array<std::uint8_t, kId3v1Size>> readTrailer(File& file, std::uint64_t length,
                                                                std::span<const std::uint8_t> head)
{
    if (length < kId3v1Size) return std::nullopt;
    std::array<std::uint8_t, kId3v1Size> trailer{};
    const std::uint64_t at = length - kId3v1Size;
    if (at + kId3v1Size <= head.size()) {
        std::copy_n(head.begin() + static_cast<std::ptrdiff_t>(at), kId3v1Size, trailer.begin());
    } else if (!file.readExactAt(at, trailer)) {
        return std::nullopt;
    }
    if (!isTrailer(trailer)) return std::nullopt;
    return trailer;
}

bool hasReadableTag(const std::optional<Id3v2Header>& header)
{
    return header && header->major < 4;
}

// The length of a row's file, or nullopt when it did not open or cannot be measured: such a file
// is listed without tags, as the caller's empty row shows it.
std::optional<std::uint64_t> rowFileLength(File& file)
{
    if (!file.isOpen()) return std::nullopt;
    return file.length();
}

ListRow emptyRow(std::string_view fileName, std::span<const Column> layout)
{
    ListRow row;
    row.cells.assign(layout.size(), {});
    setCellText(row, layout, Column::Filename, fileName);
    return row;
}

void fillFromFrames(ListRow& row, std::span<const Column> layout, File& file,
                    const Id3v2Header& header, std::span<const std::uint8_t> head,
                    std::uint64_t length)
{
    const std::uint64_t available = std::min<std::uint64_t>(
        header.tagSize, length > kId3v2HeaderSize ? length - kId3v2HeaderSize : 0);
    WindowedTagBytes bytes(file, head.subspan(kId3v2HeaderSize), available);
    FrameWalk walk(bytes, header, available);
    while (const auto frame = walk.next()) {
        const int col = columnForFrame(frame->id(), layout);
        if (col < 0) continue;
        const auto body =
            bytes.at(frame->bodyOffset(), std::min<std::size_t>(frame->size, kValueReadLimit));
        if (!body) return;  // a read error mid-walk: show what was found so far
        row.cells[static_cast<std::size_t>(col)] =
            std::string(utf8Prefix(cellValue(frame->id(), *body), kMaxCellChars));
    }
}

}  // namespace

int columnForFrame(std::string_view frameId, std::span<const Column> layout)
{
    const auto column = columnOfFrame(frameId);
    if (!column) return -1;
    const auto it = std::find(layout.begin(), layout.end(), *column);
    return it == layout.end() ? -1 : static_cast<int>(it - layout.begin());
}

void setCellText(ListRow& row, std::span<const Column> layout, Column field, std::string_view text)
{
    const auto it = std::find(layout.begin(), layout.end(), field);
    if (it == layout.end()) return;
    const auto index = static_cast<std::size_t>(it - layout.begin());
    if (row.cells.size() < layout.size()) row.cells.resize(layout.size());
    row.cells[index] = std::string(utf8Prefix(text, kMaxCellChars));
}

ListRow readListRowV1(const std::string& path, std::string_view fileName,
                      std::span<const Column> layout)
{
    ListRow row = emptyRow(fileName, layout);
    File file = File::open(path, OpenMode::Read);
    const auto length = rowFileLength(file);
    if (!length) return row;
    if (const auto trailer = readTrailer(file, *length, {})) {
        fillFromTrailer(row, layout, *trailer);
        row.presence |= kPresenceId3v1;
    }
    if (hasReadableTag(readId3v2Header(file))) row.presence |= kPresenceId3v2;
    return row;
}

ListRow readListRowV2(const std::string& path, std::string_view fileName,
                      std::span<const Column> layout)
{
    ListRow row = emptyRow(fileName, layout);
    File file = File::open(path, OpenMode::Read);
    const auto length = rowFileLength(file);
    if (!length) return row;
    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(*length, kId3v2HeaderSize + kWindowSize)));
    const auto got = file.readAt(0, head);
    if (!got) return row;
    head.resize(*got);
    const auto header = parseId3v2Header(head);
    if (hasReadableTag(header)) {
        row.presence |= kPresenceId3v2;
        if (header->isSupported()) fillFromFrames(row, layout, file, *header, head, *length);
    }
    if (readTrailer(file, *length, head)) row.presence |= kPresenceId3v1;
    return row;
}

}  // namespace corvane::tags
