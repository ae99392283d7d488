#pragma once
// The structure of the ID3v2 tag at the start of a file, read once for the reader and the writer
// alike: header, extended header, each frame with its stored bytes, where the frames end, and
// whether what follows them is padding a write may reuse.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tags/file.h"
#include "tags/id3v2_frames.h"
#include "tags/id3v2_header.h"

namespace corvane::tags {

// One frame with the bytes it has in the tag (header and body; for a tag that was unsynchronised
// as a whole, as they are once that is undone).
struct RawFrame {
    FrameRef ref;                     // identifier (2.2 ids mapped to 2.3), flags, sizes
    std::string storedId;             // the identifier as stored (three characters in 2.2)
    std::vector<std::uint8_t> bytes;  // header and body; empty when the body was not wanted

    [[nodiscard]] std::string_view id() const { return ref.id(); }
    [[nodiscard]] std::span<const std::uint8_t> body() const
    {
        if (bytes.size() < ref.headerSize) return {};
        return std::span(bytes).subspan(ref.headerSize);
    }
    [[nodiscard]] std::uint64_t size() const { return ref.headerSize + std::uint64_t{ref.size}; }
};

enum class LayoutStatus {
    Absent,       // the file does not start with "ID3"
    Present,      // read (see damage)
    Unsupported,  // a major version other than 2, 3 and 4
    Failed,       // an I/O error stopped the read
};

struct Id3v2Layout {
    LayoutStatus status = LayoutStatus::Absent;
    std::string damage;  // why a present tag cannot be rewritten safely; empty when it can
    Id3v2Header header;
    std::array<std::uint8_t, kId3v2HeaderSize> headerBytes{};  // as stored
    std::optional<std::array<std::uint8_t, kId3v2FooterSize>> footerBytes;  // read by writers
    std::optional<ExtendedHeader> ext;
    std::vector<RawFrame> frames;
    std::uint64_t framesStart = 0;  // body offset of the first frame
    std::uint64_t framesEnd = 0;    // body offset just after the last frame
    // Body offset just after the last byte that is not zero past the frames: leftovers some
    // taggers leave that no reader takes for a frame. Equal to framesEnd when the rest is padding.
    std::uint64_t dirtyEnd = 0;
    // The tag was unsynchronised as a whole (2.2, 2.3): frames hold the bytes with that undone,
    // and storedBody the body as it is in the file.
    bool unsynchronised = false;
    std::vector<std::uint8_t> storedBody;

    [[nodiscard]] bool isPresent() const { return status == LayoutStatus::Present; }
    [[nodiscard]] bool isIntact() const { return isPresent() && damage.empty(); }
    // Where the audio starts: 0 without a tag.
    [[nodiscard]] std::uint64_t endInFile() const { return isPresent() ? header.totalSize() : 0; }
};

// How much of the tag a read looks at.
enum class LayoutCheck {
    Frames,      // the frames a reader shows; stops at the first padding byte
    Everything,  // a writer's read: also what follows the frames, so damage is never overwritten
};

// Which frame bodies to keep in memory (by mapped id); every frame is kept when empty.
using FrameFilter = std::function<bool(std::string_view id)>;

// Reads the tag structure. Sizes are never trusted past the tag end or the end of the file;
// padding is looked at in fixed-size pieces and never held in memory. A tag whose frames run
// past its end or the file's, whose extended header has an impossible size, or whose leftovers
// hold a frame header further on, is Present with damage set.
[[nodiscard]] Id3v2Layout readId3v2Layout(FileIo& file, LayoutCheck check,
                                          const FrameFilter& wanted = {});

// A tag body read from a file through a window, so a header or value inside the window costs no
// system call and one outside it moves the window there. Nothing past available is read. A
// window read takes at least minimumRead bytes: frame headers lie close together, the few header
// bytes of a picture's segments far apart.
class FileTagBytes final : public TagBytes {
public:
    static constexpr std::size_t kDefaultRead = 8192;

    FileTagBytes(FileIo& file, std::uint64_t available, std::span<const std::uint8_t> firstWindow = {},
                 std::size_t minimumRead = kDefaultRead);

    [[nodiscard]] std::optional<std::span<const std::uint8_t>> at(std::uint64_t offset,
                                                                  std::size_t n) override;
    // Copies out.size() bytes at offset, from the window when it holds them, else straight from
    // the file without going through the window.
    [[nodiscard]] bool copy(std::uint64_t offset, std::span<std::uint8_t> out);

private:
    [[nodiscard]] bool load(std::uint64_t offset, std::size_t wanted);

    FileIo& m_file;
    std::uint64_t m_available;
    std::uint64_t m_start = 0;
    std::vector<std::uint8_t> m_window;
    std::size_t m_minimumRead;
};

}  // namespace corvane::tags
