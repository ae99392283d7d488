#include "tags/id3v2_layout.h"

#include <algorithm>

namespace corvane::tags {

namespace {

// The first read of a tag takes this much: the header and, in a typical file, every frame up to
// the padding, so that most tags cost one read.
constexpr std::size_t kFirstRead = FileTagBytes::kDefaultRead;
// What follows the frames is looked at in pieces of this size.
constexpr std::size_t kScanPiece = 65536;

std::uint64_t bodyAvailable(const Id3v2Header& header, std::uint64_t fileLength)
{
    const std::uint64_t afterHeader =
        fileLength > kId3v2HeaderSize ? fileLength - kId3v2HeaderSize : 0;
    return std::min<std::uint64_t>(header.tagSize, afterHeader);
}

// Looks at the bytes between the last frame and the tag end. Zeros are padding. Bytes that are
// not zero but hold no frame header are leftovers the next write may clear; a frame header among
// them means frames the walk could not reach, and a write would destroy them.
void inspectRest(TagBytes& bytes, Id3v2Layout& layout, std::uint64_t tagEnd)
{
    const std::size_t headerSize = frameHeaderSize(layout.header.major);
    for (std::uint64_t at = layout.framesEnd; at < tagEnd; at += kScanPiece) {
        const auto want = static_cast<std::size_t>(
            std::min<std::uint64_t>(kScanPiece + headerSize - 1, tagEnd - at));
        const auto piece = bytes.at(at, want);
        if (!piece) {
            layout.status = LayoutStatus::Failed;
            return;
        }
        const std::size_t scan = std::min(piece->size(), kScanPiece);
        for (std::size_t i = 0; i < scan; ++i) {
            if ((*piece)[i] == 0) continue;
            const std::uint64_t pos = at + i;
            layout.dirtyEnd = pos + 1;
            if (pos + headerSize <= tagEnd && i + headerSize <= piece->size() &&
                looksLikeFrameHeader(piece->subspan(i), layout.header.major,
                                     tagEnd - pos - headerSize)) {
                layout.damage = "a frame of the ID3v2 tag follows bytes that are no frame";
                return;
            }
        }
        if (piece->size() < want) {
            layout.damage = "the ID3v2 tag runs past the end of the file";
            return;
        }
    }
}

void noteWalkEnd(const FrameWalk& walk, Id3v2Layout& layout)
{
    switch (walk.end()) {
        case WalkEnd::Truncated:
            layout.damage = "a frame of the ID3v2 tag runs past its end";
            break;
        case WalkEnd::BadExtendedHeader:
            layout.damage = "the extended header of the ID3v2 tag is damaged";
            break;
        case WalkEnd::Ignored:
            layout.damage = "the ID3v2.2 tag is compressed";
            break;
        case WalkEnd::IoError:
            layout.status = LayoutStatus::Failed;
            break;
        default:
            break;
    }
}

// Reads every frame the walk finds; false when a read failed (the layout then says so).
bool readFrames(TagBytes& tagBytes, FileTagBytes* fileBytes, const Id3v2Header& walkHeader,
                std::uint64_t available, const FrameFilter& wanted, Id3v2Layout& layout)
{
    FrameWalk walk(tagBytes, walkHeader, available);
    const auto failed = [&layout] {
        layout.status = LayoutStatus::Failed;
        return false;
    };
    while (const auto ref = walk.next()) {
        RawFrame frame;
        frame.ref = *ref;
        if (walkHeader.major == 2) {
            const auto stored = tagBytes.at(ref->offset, 3);
            if (!stored || stored->size() < 3) return failed();
            frame.storedId.assign(stored->begin(), stored->end());
        } else {
            frame.storedId = std::string(ref->id());
        }
        if (!wanted || wanted(ref->id())) {
            frame.bytes.resize(static_cast<std::size_t>(ref->endOffset() - ref->offset));
            if (fileBytes != nullptr) {
                if (!fileBytes->copy(ref->offset, frame.bytes)) return failed();
            } else {
                const auto got = tagBytes.at(ref->offset, frame.bytes.size());
                if (!got || got->size() != frame.bytes.size()) return failed();
                std::copy(got->begin(), got->end(), frame.bytes.begin());
            }
        }
        layout.frames.push_back(std::move(frame));
    }
    // Readers step over a frame with an identifier that is no identifier, but whether they can
    // depends on what follows it, which a write would change: such a tag is not rewritten.
    const bool oddFrame = std::any_of(layout.frames.begin(), layout.frames.end(),
                                      [](const RawFrame& f) { return !f.ref.hasValidId; });
    layout.ext = walk.extendedHeader();
    layout.framesStart = walk.framesStart();
    layout.framesEnd = walk.position();
    layout.dirtyEnd = layout.framesEnd;
    noteWalkEnd(walk, layout);
    if (oddFrame && layout.damage.empty())
        layout.damage = "a frame of the ID3v2 tag has an identifier that is no identifier";
    return layout.isPresent();
}

bool needsInspection(const Id3v2Layout& layout, LayoutCheck check, std::uint64_t tagEnd)
{
    return check == LayoutCheck::Everything && layout.isIntact() && layout.framesEnd < tagEnd;
}

}  // namespace

FileTagBytes::FileTagBytes(FileIo& file, std::uint64_t available,
                           std::span<const std::uint8_t> firstWindow, std::size_t minimumRead)
    : m_file(file),
      m_available(available),
      m_window(firstWindow.begin(), firstWindow.end()),
      m_minimumRead(minimumRead)
{
    if (m_window.size() > available) m_window.resize(static_cast<std::size_t>(available));
}

std::optional<std::span<const std::uint8_t>> FileTagBytes::at(std::uint64_t offset, std::size_t n)
{
    if (offset >= m_available) return std::span<const std::uint8_t>{};
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(n, m_available - offset));
    if (offset < m_start || offset + wanted > m_start + m_window.size()) {
        if (!load(offset, wanted)) return std::nullopt;
    }
    // The file may have shrunk since its length was taken: give what the window holds.
    const auto from = static_cast<std::size_t>(offset - m_start);
    return std::span<const std::uint8_t>(m_window).subspan(from,
                                                           std::min(wanted, m_window.size() - from));
}

bool FileTagBytes::copy(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (offset + out.size() > m_available) return false;
    if (offset >= m_start && offset + out.size() <= m_start + m_window.size()) {
        std::copy_n(m_window.begin() + static_cast<std::ptrdiff_t>(offset - m_start), out.size(),
                    out.begin());
        return true;
    }
    return m_file.readExactAt(kId3v2HeaderSize + offset, out);
}

bool FileTagBytes::load(std::uint64_t offset, std::size_t wanted)
{
    const auto size = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(wanted, m_minimumRead), m_available - offset));
    m_window.resize(size);
    const auto got = m_file.readAt(kId3v2HeaderSize + offset, m_window);
    if (!got) return false;
    m_window.resize(*got);
    m_start = offset;
    return true;
}

Id3v2Layout readId3v2Layout(FileIo& file, LayoutCheck check, const FrameFilter& wanted)
{
    Id3v2Layout layout;
    const auto length = file.length();
    if (!length) {
        layout.status = LayoutStatus::Failed;
        return layout;
    }
    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(*length, kId3v2HeaderSize + kFirstRead)));
    const auto got = file.readAt(0, head);
    if (!got) {
        layout.status = LayoutStatus::Failed;
        return layout;
    }
    head.resize(*got);
    const auto header = parseId3v2Header(head);
    if (!header) return layout;
    layout.header = *header;
    std::copy_n(head.begin(), kId3v2HeaderSize, layout.headerBytes.begin());
    if (!header->isSupported()) {
        layout.status = LayoutStatus::Unsupported;
        return layout;
    }
    layout.status = LayoutStatus::Present;
    const std::uint64_t available = bodyAvailable(*header, *length);
    if (check == LayoutCheck::Everything && header->totalSize() > *length) {
        layout.damage = "the ID3v2 tag runs past the end of the file";
        return layout;
    }
    if (check == LayoutCheck::Everything && header->hasFooter()) {
        std::array<std::uint8_t, kId3v2FooterSize> footer{};
        if (!file.readExactAt(header->bodyEnd(), footer)) {
            layout.status = LayoutStatus::Failed;
            return layout;
        }
        layout.footerBytes = footer;
    }

    const auto firstWindow =
        std::span<const std::uint8_t>(head).subspan(std::min<std::size_t>(head.size(), kId3v2HeaderSize));
    if (header->isUnsynchronised() && header->major < 4) {
        // Unsynchronisation was applied to the whole body, frame sizes included; undo it before
        // the walk. Such tags are rare and small, so the body is taken whole.
        layout.unsynchronised = true;
        layout.storedBody.resize(static_cast<std::size_t>(available));
        FileTagBytes fileBytes(file, available, firstWindow);
        if (!fileBytes.copy(0, layout.storedBody)) {
            layout.status = LayoutStatus::Failed;
            return layout;
        }
        const auto body = removeUnsynchronisation(layout.storedBody);
        MemoryTagBytes bytes(body);
        Id3v2Header walkHeader = *header;
        walkHeader.tagSize = static_cast<std::uint32_t>(body.size());
        if (readFrames(bytes, nullptr, walkHeader, body.size(), wanted, layout) &&
            needsInspection(layout, check, body.size()))
            inspectRest(bytes, layout, body.size());
        return layout;
    }
    FileTagBytes bytes(file, available, firstWindow);
    if (readFrames(bytes, &bytes, *header, available, wanted, layout) &&
        needsInspection(layout, check, header->tagSize))
        inspectRest(bytes, layout, header->tagSize);
    return layout;
}

}  // namespace corvane::tags
