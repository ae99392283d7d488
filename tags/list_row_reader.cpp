#include "tags/list_row_reader.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/id3v2_fields.h"
#include "tags/id3v2_frames.h"
#include "tags/id3v2_layout.h"
#include "tags/id3v2_pictures.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

// The first read of a row takes this much from the start of the file: the tag header and, in a
// typical file, every frame header up to the padding, so most rows need no further read.
constexpr std::size_t kWindowSize = 4096;

// Enough bytes of a value for kMaxCellChars characters in any encoding (four bytes a character
// at most, plus the encoding byte, language, a byte-order mark, a description and the stored
// form's own additions before a comment text), so a long value is never read whole.
constexpr std::size_t kValueReadLimit = 64 + 4 * kMaxCellChars;
// A compressed value must be inflated whole; one longer than this is left out of the row.
constexpr std::size_t kCompressedReadLimit = 65536;

// How settled a cell is: a field shows its own frame (the first one, a comment or URL the first
// without a description) over the frame it falls back to, and the first of each kind wins.
enum class CellState : std::uint8_t { Empty, Provisional, Final };

void fillFromTrailer(ListRow& row, std::span<const Column> layout, const Id3v1Trailer& trailer)
{
    const Id3v1Values values = parseId3v1(trailer);
    setCellText(row, layout, Column::Title, values.title);
    setCellText(row, layout, Column::Artist, values.artist);
    setCellText(row, layout, Column::Album, values.album);
    setCellText(row, layout, Column::Year, values.year);
    setCellText(row, layout, Column::Comment, values.comment);
    if (values.track != 0) setCellText(row, layout, Column::Track, std::to_string(values.track));
    setCellText(row, layout, Column::Genre, genreName(values.genre));
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

class FrameCells {
public:
    FrameCells(ListRow& row, std::span<const Column> layout, std::uint8_t major)
        : m_row(row), m_layout(layout), m_major(major), m_states(layout.size(), CellState::Empty)
    {
    }

    // The cell a frame would fill, or -1 when it shows nothing or its cell is settled already.
    [[nodiscard]] int wants(const FrameRef& frame) const
    {
        const FrameRole role = frameRole(frame.id(), m_major);
        const int col = columnForFrame(role.key, m_layout);
        if (col < 0) return -1;
        const auto state = m_states[static_cast<std::size_t>(col)];
        if (state == CellState::Final) return -1;
        if (state == CellState::Provisional && !role.own) return -1;
        return col;
    }

    void take(const FrameRef& frame, int col, std::span<const std::uint8_t> body)
    {
        const FrameRole role = frameRole(frame.id(), m_major);
        bool settles = role.own;
        if (hasDescription(frame.id())) {
            const auto description = frameDescription(frame.id(), body);
            settles = description && description->empty();
            // A described comment only stands in until one without a description turns up.
            if (m_states[static_cast<std::size_t>(col)] == CellState::Provisional && !settles) return;
        }
        m_row.cells[static_cast<std::size_t>(col)] =
            std::string(utf8Prefix(frameValue(frame.id(), body).value_or(std::string{}), kMaxCellChars));
        m_states[static_cast<std::size_t>(col)] = settles ? CellState::Final : CellState::Provisional;
    }

private:
    static bool hasDescription(std::string_view id) { return id == "COMM" || id == "WXXX"; }

    ListRow& m_row;
    std::span<const Column> m_layout;
    std::uint8_t m_major;
    std::vector<CellState> m_states;
};

// The Cover cell: the pixel size of the first front cover, else of the first picture, read from
// the image's header bytes ("yes" when they do not tell it); empty without a picture.
class CoverCell {
public:
    CoverCell(ListRow& row, std::span<const Column> layout, std::uint8_t major)
        : m_row(row), m_column(std::find(layout.begin(), layout.end(), Column::Cover) - layout.begin()),
          m_wanted(static_cast<std::size_t>(m_column) < layout.size()), m_major(major)
    {
    }

    [[nodiscard]] bool wants(const FrameRef& frame) const
    {
        return m_wanted && !m_settled && frame.id() == kPictureFrameId;
    }

    // False when a read failed.
    bool take(TagBytes& bytes, const FrameRef& frame)
    {
        std::optional<PictureInfo> picture;
        bool failed = false;
        if (!needsDecoding(frame.flags, m_major)) {
            picture = peekPicture(bytes, frame, m_major, kValueReadLimit, failed);
        } else if (frame.size <= kCompressedReadLimit) {
            picture = decoded(bytes, frame, failed);
        }
        if (failed) return false;
        const bool front = picture && picture->fields.type == kFrontCoverType;
        if (m_found && !front) return true;
        m_found = true;
        m_settled = front;
        const auto& pixels = picture ? picture->pixels : std::nullopt;
        m_row.cells[static_cast<std::size_t>(m_column)] =
            pixels ? std::to_string(pixels->width) + "x" + std::to_string(pixels->height) : "yes";
        return true;
    }

private:
    std::optional<PictureInfo> decoded(TagBytes& bytes, const FrameRef& frame, bool& failed) const
    {
        const auto stored = bytes.at(frame.bodyOffset(), frame.size);
        if (!stored) {
            failed = true;
            return std::nullopt;
        }
        const std::vector<std::uint8_t> copy(stored->begin(), stored->end());
        const auto body = decodeFrameBody(copy, frame.flags, m_major);
        if (!body.isReadable()) return std::nullopt;
        MemoryTagBytes memory(body.data);
        FrameRef plain = frame;
        plain.offset = 0;
        plain.headerSize = 0;
        plain.size = static_cast<std::uint32_t>(body.data.size());
        return peekPicture(memory, plain, m_major, body.data.size(), failed);
    }

    ListRow& m_row;
    std::ptrdiff_t m_column;
    bool m_wanted;
    std::uint8_t m_major;
    bool m_found = false;
    bool m_settled = false;  // a front cover was found
};

// Which cells a walk of the frames fills: the ID3v1 view takes only the cover from them.
enum class FrameCellsWanted { All, CoverOnly };

void fillFromFrames(ListRow& row, std::span<const Column> layout, File& file,
                    const Id3v2Header& header, std::span<const std::uint8_t> head,
                    std::uint64_t length, FrameCellsWanted wanted = FrameCellsWanted::All)
{
    const std::uint64_t available = std::min<std::uint64_t>(
        header.tagSize, length > kId3v2HeaderSize ? length - kId3v2HeaderSize : 0);
    std::vector<std::uint8_t> unsynchronised;
    std::optional<MemoryTagBytes> memoryBytes;
    std::optional<FileTagBytes> fileBytes;
    TagBytes* bytes = nullptr;
    Id3v2Header walkHeader = header;
    std::uint64_t walkAvailable = available;
    if (header.isUnsynchronised() && header.major < 4) {
        // Rare, and small: the whole body has to be taken to undo the scheme.
        std::vector<std::uint8_t> stored(static_cast<std::size_t>(available));
        if (!file.readExactAt(kId3v2HeaderSize, stored)) return;
        unsynchronised = removeUnsynchronisation(stored);
        walkHeader.tagSize = static_cast<std::uint32_t>(unsynchronised.size());
        walkAvailable = unsynchronised.size();
        bytes = &memoryBytes.emplace(unsynchronised);
    } else {
        bytes = &fileBytes.emplace(file, available, head.subspan(kId3v2HeaderSize));
    }
    FrameWalk walk(*bytes, walkHeader, walkAvailable);
    FrameCells cells(row, layout, header.major);
    CoverCell cover(row, layout, header.major);
    // A picture's header bytes lie far apart: they get small reads of their own.
    std::optional<FileTagBytes> pictureBytes;
    TagBytes* coverBytes = bytes;
    if (fileBytes) coverBytes = &pictureBytes.emplace(file, available, std::span<const std::uint8_t>{}, kPictureWindowRead);
    while (const auto frame = walk.next()) {
        if (cover.wants(*frame)) {
            if (!cover.take(*coverBytes, *frame)) return;
            continue;
        }
        const int col = wanted == FrameCellsWanted::All ? cells.wants(*frame) : -1;
        if (col < 0) continue;
        const bool compressed = needsDecoding(frame->flags, header.major) &&
                                (frame->flags & (header.major == 4 ? kFrameV24Compressed
                                                                   : kFrameV23Compressed)) != 0;
        const std::size_t limit = compressed ? kCompressedReadLimit : kValueReadLimit;
        if (compressed && frame->size > limit) continue;
        const auto stored = bytes->at(frame->bodyOffset(), std::min<std::size_t>(frame->size, limit));
        if (!stored) return;  // a read error mid-walk: show what was found so far
        const std::vector<std::uint8_t> copy(stored->begin(), stored->end());
        const auto body = decodeFrameBody(copy, frame->flags, header.major);
        if (!body.isReadable()) continue;
        cells.take(*frame, col, body.data);
    }
}

// The trailer, taken from head when it already holds the end of the file.
std::optional<Id3v1Trailer> readTrailer(File& file, std::uint64_t length,
                                        std::span<const std::uint8_t> head, std::uint64_t v2End)
{
    if (length < kId3v1Size || length - kId3v1Size < v2End) return std::nullopt;
    Id3v1Trailer trailer{};
    const std::uint64_t at = length - kId3v1Size;
    if (at + kId3v1Size <= head.size()) {
        std::copy_n(head.begin() + static_cast<std::ptrdiff_t>(at), kId3v1Size, trailer.begin());
    } else if (!file.readExactAt(at, trailer)) {
        return std::nullopt;
    }
    if (trailer[0] != 'T' || trailer[1] != 'A' || trailer[2] != 'G') return std::nullopt;
    return trailer;
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
    // The cover comes from the ID3v2 frames in either view; without its column the header will do.
    const bool coverShown = std::find(layout.begin(), layout.end(), Column::Cover) != layout.end();
    std::vector<std::uint8_t> head(static_cast<std::size_t>(
        std::min<std::uint64_t>(*length, kId3v2HeaderSize + (coverShown ? kWindowSize : 0))));
    const auto got = file.readAt(0, head);
    if (!got) return row;
    head.resize(*got);
    const auto header = parseId3v2Header(head);
    if (header && header->isSupported()) {
        row.presence |= kPresenceId3v2;
        if (coverShown)
            fillFromFrames(row, layout, file, *header, head, *length, FrameCellsWanted::CoverOnly);
    }
    if (const auto trailer = readTrailer(file, *length, {}, header ? header->totalSize() : 0)) {
        fillFromTrailer(row, layout, *trailer);
        row.presence |= kPresenceId3v1;
    }
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
    if (header && header->isSupported()) {
        row.presence |= kPresenceId3v2;
        fillFromFrames(row, layout, file, *header, head, *length);
    }
    if (readTrailer(file, *length, head, header ? header->totalSize() : 0))
        row.presence |= kPresenceId3v1;
    return row;
}

}  // namespace corvane::tags
