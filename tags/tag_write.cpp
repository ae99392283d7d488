#include "tags/tag_write.h"

#include <algorithm>
#include <optional>

#include "tags/journal.h"
#include "tags/id3v1.h"
#include "tags/id3v2_layout.h"
#include "tags/id3v2_plan.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Range {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    [[nodiscard]] bool empty() const { return from >= to; }
};

// The ID3v2 side of a change: the tag as it is and as it will be.
struct V2Part {
    WriteResult refusal;
    Id3v2Layout layout;
    Bytes leftover;   // non-zero bytes after the last frame, for the old image
    Bytes removed;    // a removed tag, whole, to put back if the write fails
    Id3v2Plan plan;
    std::uint64_t oldEnd = 0;
    std::uint64_t newEnd = 0;
    Range write;  // of the new tag, to be written
};

// The ID3v1 side: the trailer before and after, and where it lies.
struct V1Part {
    std::optional<Id3v1Trailer> before;
    std::optional<Id3v1Trailer> after;
    [[nodiscard]] bool appends() const { return !before && after; }
    [[nodiscard]] bool removes() const { return before && !after; }
    [[nodiscard]] bool rewrites() const { return before && after && *before != *after; }
};

WriteResult ioFailure(const FileIo& file)
{
    return WriteResult::failure(WriteStatus::IoError, file.errorText());
}

V2Part prepareMerge(FileIo& file, const TagChanges& changes)
{
    V2Part part;
    auto read = readForWriting(file);
    part.refusal = read.refusal;
    part.layout = std::move(read.layout);
    part.leftover = std::move(read.leftover);
    if (!part.refusal.ok()) return part;
    part.plan = planId3v2Merge(part.layout, part.leftover, changes.id3v2Entries, changes.compact,
                               changes.newTagMajor, changes.pictures);
    if (part.plan.status != WriteStatus::Ok) part.refusal = WriteResult::failure(part.plan.status);
    return part;
}

// The range of the new tag that differs from the old one and so must be written.
Range changedRange(const ByteImage& oldTag, const ByteImage& newTag)
{
    const auto diff = ByteImage::differences(oldTag, newTag);
    if (oldTag.size() == newTag.size()) return diff ? Range{diff->first, diff->second} : Range{};
    return {diff ? diff->first : std::min(oldTag.size(), newTag.size()), newTag.size()};
}

V2Part prepareRemoval(FileIo& file, std::uint64_t length)
{
    V2Part part;
    std::array<std::uint8_t, kId3v2HeaderSize> head{};
    const auto got = file.readAt(0, head);
    if (!got) {
        part.refusal = ioFailure(file);
        return part;
    }
    const auto header = parseId3v2Header(std::span(head).first(*got));
    if (!header) return part;
    if (header->totalSize() > length) {
        part.refusal = WriteResult::failure(WriteStatus::Malformed);
        return part;
    }
    part.removed.resize(static_cast<std::size_t>(header->totalSize()));
    if (!file.readExactAt(0, part.removed)) {
        part.refusal = ioFailure(file);
        return part;
    }
    part.plan.oldTag.append(part.removed);
    return part;
}

V2Part prepareV2(FileIo& file, const TagChanges& changes, std::uint64_t length)
{
    V2Part part;
    if (changes.id3v2 == V2Change::Merge) {
        part = prepareMerge(file, changes);
    } else if (changes.id3v2 == V2Change::Remove) {
        part = prepareRemoval(file, length);
    } else {
        const auto header = readId3v2Header(file);
        part.oldEnd = part.newEnd = header ? header->totalSize() : 0;
        return part;
    }
    part.oldEnd = part.plan.oldTag.size();
    part.newEnd = part.refusal.ok() ? part.plan.newTag.size() : part.oldEnd;
    if (part.refusal.ok()) part.write = changedRange(part.plan.oldTag, part.plan.newTag);
    return part;
}

// The steps of a change, for the journaled runner: claim the room, move the audio, write the new
// tag and trailer, cut the file; and what undoes them.
class Execution {
public:
    Execution(FileIo& file, V2Part& v2, const V1Part& v1, std::uint64_t length)
        : m_file(file), m_v2(v2)
    {
        const auto delta = static_cast<std::int64_t>(v2.newEnd) - static_cast<std::int64_t>(v2.oldEnd);
        const auto afterMove = static_cast<std::uint64_t>(static_cast<std::int64_t>(length) + delta);
        m_steps.oldLength = length;
        m_steps.finalLength = afterMove;
        if (v1.appends()) m_steps.finalLength += kId3v1Size;
        if (v1.removes()) m_steps.finalLength -= kId3v1Size;
        m_steps.peakLength = std::max({length, afterMove, m_steps.finalLength});
        m_steps.moveFrom = v2.oldEnd;
        // A trailer that goes need not travel with the audio.
        m_steps.moveEnd = v1.removes() ? length - kId3v1Size : length;
        m_steps.moveTo = v2.newEnd;
        if (!v2.write.empty()) m_steps.patches.push_back({&v2.plan.newTag, v2.write.from, v2.write.to, 0});
        if (v1.appends() || v1.rewrites()) {
            m_newTrailer.appendOwned({v1.after->begin(), v1.after->end()});
            const std::uint64_t at = v1.appends() ? afterMove : afterMove - kId3v1Size;
            m_steps.patches.push_back({&m_newTrailer, 0, kId3v1Size, at});
        }
        planUndo(v1, length);
    }

    [[nodiscard]] WriteResult run() { return runWriteSteps(m_file, m_steps); }

private:
    // Once the audio is back, every byte of the old tag from the first one touched may have been
    // overwritten, by the new tag or by the audio on its way down; a trailer rewritten in place
    // gets its old bytes back (an appended one goes with the cut to the old length).
    void planUndo(const V1Part& v1, std::uint64_t length)
    {
        std::uint64_t touched = m_v2.write.empty() ? UINT64_MAX : m_v2.write.from;
        if (m_v2.newEnd < m_v2.oldEnd) touched = std::min(touched, m_v2.newEnd);
        const bool inPlace = m_v2.oldEnd == m_v2.newEnd;
        const std::uint64_t to = inPlace ? std::min(m_v2.write.to, m_v2.oldEnd) : m_v2.oldEnd;
        if (touched < to) m_steps.undoPatches.push_back({&m_v2.plan.oldTag, touched, to, 0});
        if (v1.rewrites()) {
            m_oldTrailer.appendOwned({v1.before->begin(), v1.before->end()});
            m_steps.undoPatches.push_back({&m_oldTrailer, 0, kId3v1Size, length - kId3v1Size});
        }
    }

    FileIo& m_file;
    V2Part& m_v2;
    WriteSteps m_steps;
    ByteImage m_newTrailer;
    ByteImage m_oldTrailer;
};

}  // namespace

WriterRead readForWriting(FileIo& file, bool allowOldVersion)
{
    WriterRead read;
    read.layout = readId3v2Layout(file, LayoutCheck::Everything);
    const auto& layout = read.layout;
    switch (layout.status) {
        case LayoutStatus::Failed: read.refusal = ioFailure(file); return read;
        case LayoutStatus::Unsupported:
            read.refusal = WriteResult::failure(WriteStatus::Unsupported);
            return read;
        case LayoutStatus::Absent: return read;
        case LayoutStatus::Present: break;
    }
    if (layout.header.major == 2 && !allowOldVersion) {
        read.refusal = WriteResult::failure(WriteStatus::OldVersion);
        return read;
    }
    if (!layout.damage.empty()) {
        read.refusal = WriteResult::failure(WriteStatus::Malformed);
        return read;
    }
    if (!layout.unsynchronised && layout.dirtyEnd > layout.framesEnd) {
        read.leftover.resize(static_cast<std::size_t>(layout.dirtyEnd - layout.framesEnd));
        if (!file.readExactAt(kId3v2HeaderSize + layout.framesEnd, read.leftover))
            read.refusal = ioFailure(file);
    }
    return read;
}

WriteResult replaceId3v2(FileIo& file, Id3v2Plan& plan)
{
    const auto length = file.length();
    if (!length) return ioFailure(file);
    V2Part v2;
    v2.plan = std::move(plan);
    v2.oldEnd = v2.plan.oldTag.size();
    v2.newEnd = v2.plan.newTag.size();
    v2.write = changedRange(v2.plan.oldTag, v2.plan.newTag);
    if (v2.oldEnd == v2.newEnd && v2.write.empty()) return WriteResult::success();
    const V1Part noTrailerChange;
    const auto result = Execution(file, v2, noTrailerChange, *length).run();
    plan = std::move(v2.plan);
    return result;
}

WriteResult restoreTags(FileIo& file, std::span<const std::uint8_t> tagBytes, std::uint64_t padding,
                        const std::optional<Id3v1Trailer>& trailer)
{
    const auto length = file.length();
    if (!length) return ioFailure(file);
    V2Part v2 = prepareRemoval(file, *length);
    if (!v2.refusal.ok()) return v2.refusal;
    v2.plan.newTag.append(tagBytes);
    v2.plan.newTag.appendZeros(tagBytes.empty() ? 0 : padding);
    v2.oldEnd = v2.plan.oldTag.size();
    v2.newEnd = v2.plan.newTag.size();
    v2.write = changedRange(v2.plan.oldTag, v2.plan.newTag);

    V1Part v1;
    const auto probe = probeId3v1(file, v2.oldEnd);
    if (!probe.ok) return ioFailure(file);
    v1.before = probe.trailer;
    v1.after = trailer;
    const bool v1Changes = v1.appends() || v1.removes() || v1.rewrites();
    if (v2.oldEnd == v2.newEnd && v2.write.empty() && !v1Changes) return WriteResult::success();
    return Execution(file, v2, v1, *length).run();
}

WriteResult writeTags(FileIo& file, const TagChanges& changes)
{
    const auto length = file.length();
    if (!length) return ioFailure(file);
    V2Part v2 = prepareV2(file, changes, *length);
    if (!v2.refusal.ok()) return v2.refusal;

    V1Part v1;
    if (changes.id3v1 != V1Change::None) {
        const auto probe = probeId3v1(file, v2.oldEnd);
        if (!probe.ok) return ioFailure(file);
        v1.before = probe.trailer;
        if (changes.id3v1 == V1Change::Write)
            v1.after = applyId3v1Entries(v1.before.value_or(emptyId3v1Trailer()), changes.id3v1Entries);
    } else {
        // Without a change the trailer simply travels with the audio.
        v1.before = v1.after = std::nullopt;
    }
    const bool v1Changes = v1.appends() || v1.removes() || v1.rewrites();
    if (v2.oldEnd == v2.newEnd && v2.write.empty() && !v1Changes) return WriteResult::success();
    return Execution(file, v2, v1, *length).run();
}

}  // namespace corvane::tags
