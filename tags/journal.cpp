#include "tags/journal.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <zlib.h>

#include "tags/block_mover.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::array<std::uint8_t, 8> kMagic{'C', 'V', 'J', 'N', 'L', '0', '0', '1'};
constexpr std::string_view kJournalPrefix = ".";
constexpr std::string_view kJournalSuffix = ".corvane-journal";
constexpr std::uint64_t kPage = 4096;
constexpr std::uint64_t kNoSlot = ~std::uint64_t{0};
// Patch bytes are copied through a buffer of this size.
constexpr std::size_t kPatchBuffer = 256 * 1024;

enum class Phase : std::uint32_t { Moving = 0, Moved = 1, Patched = 2 };
// blocks done, slot block, phase, and the CRC of those.
constexpr std::size_t kProgressSize = 24;

// ---- little-endian fields -------------------------------------------------------------------

void put64(Bytes& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t u64() { return take(8); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    [[nodiscard]] bool ok() const { return m_ok; }
    [[nodiscard]] std::size_t position() const { return m_at; }

private:
    std::uint64_t take(std::size_t n)
    {
        if (m_at + n > m_bytes.size()) {
            m_ok = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{m_bytes[m_at + i]} << (8 * i);
        m_at += n;
        return v;
    }
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
    bool m_ok = true;
};

std::uint32_t crcOf(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0)
{
    return static_cast<std::uint32_t>(
        crc32(crc, bytes.data(), static_cast<uInt>(bytes.size())));
}

std::uint64_t roundUp(std::uint64_t v) { return (v + kPage - 1) / kPage * kPage; }

// ---- the journal's contents -----------------------------------------------------------------

struct PatchPlace {
    std::uint64_t offset = 0;  // in the file
    std::uint64_t length = 0;
};

struct Header {
    FileIdentity identity;
    std::uint64_t oldLength = 0, peakLength = 0, finalLength = 0;
    std::uint64_t moveFrom = 0, moveEnd = 0, moveTo = 0;
    std::uint32_t blockSize = 0;
    bool copyBlocks = false;
    bool durable = false;
    std::vector<PatchPlace> patches;
    std::uint32_t patchCrc = 0;

    [[nodiscard]] std::uint64_t patchBytes() const
    {
        std::uint64_t total = 0;
        for (const auto& p : patches) total += p.length;
        return total;
    }
    [[nodiscard]] std::uint64_t progressOffset() const { return roundUp(kPage + patchBytes()); }
    [[nodiscard]] std::uint64_t slotOffset() const { return progressOffset() + kPage; }
    // Where the progress is recorded: for copied blocks right after the slot, so that one write
    // puts a block's bytes and the record that they are whole, in that order.
    [[nodiscard]] std::uint64_t recordOffset() const
    {
        return copyBlocks ? slotOffset() + blockSize : progressOffset();
    }
};

Bytes encodeHeader(const Header& h)
{
    Bytes out(kMagic.begin(), kMagic.end());
    for (const std::uint64_t v : {h.identity.device, h.identity.inode, h.oldLength, h.peakLength,
                                  h.finalLength, h.moveFrom, h.moveEnd, h.moveTo})
        put64(out, v);
    put32(out, h.blockSize);
    put32(out, (h.copyBlocks ? 1u : 0u) | (h.durable ? 2u : 0u));
    put32(out, static_cast<std::uint32_t>(h.patches.size()));
    put32(out, h.patchCrc);
    for (const auto& p : h.patches) {
        put64(out, p.offset);
        put64(out, p.length);
    }
    put32(out, crcOf(out));
    return out;
}

std::optional<Header> decodeHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin()))
        return std::nullopt;
    Reader r(bytes.subspan(kMagic.size()));
    Header h;
    h.identity.device = r.u64();
    h.identity.inode = r.u64();
    h.oldLength = r.u64();
    h.peakLength = r.u64();
    h.finalLength = r.u64();
    h.moveFrom = r.u64();
    h.moveEnd = r.u64();
    h.moveTo = r.u64();
    h.blockSize = r.u32();
    const auto flags = r.u32();
    h.copyBlocks = (flags & 1) != 0;
    h.durable = (flags & 2) != 0;
    const auto count = r.u32();
    h.patchCrc = r.u32();
    if (!r.ok() || count > 64 || h.blockSize == 0) return std::nullopt;
    for (std::uint32_t i = 0; i < count; ++i) h.patches.push_back({r.u64(), r.u64()});
    const auto end = kMagic.size() + r.position();
    const auto crc = r.u32();
    if (!r.ok() || crc != crcOf(bytes.first(end))) return std::nullopt;
    return h;
}

struct Progress {
    std::uint64_t blocksDone = 0;
    std::uint64_t slotBlock = kNoSlot;
    Phase phase = Phase::Moving;
};

Bytes encodeProgress(const Progress& p)
{
    Bytes out;
    put64(out, p.blocksDone);
    put64(out, p.slotBlock);
    put32(out, static_cast<std::uint32_t>(p.phase));
    put32(out, crcOf(out));
    return out;
}

std::optional<Progress> decodeProgress(std::span<const std::uint8_t> bytes)
{
    Reader r(bytes);
    Progress p;
    p.blocksDone = r.u64();
    p.slotBlock = r.u64();
    const auto phase = r.u32();
    const auto crc = r.u32();
    if (!r.ok() || crc != crcOf(bytes.first(kProgressSize - 4)) || phase > 2) return std::nullopt;
    p.phase = static_cast<Phase>(phase);
    return p;
}

// ---- the blocks of a move -------------------------------------------------------------------

struct Range {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    [[nodiscard]] std::uint64_t size() const { return to - from; }
};

class Blocks {
public:
    Blocks(std::uint64_t from, std::uint64_t end, std::uint64_t to, std::uint64_t blockSize)
        : m_from(from), m_end(end), m_to(to), m_n(blockSize)
    {
    }
    [[nodiscard]] bool up() const { return m_to > m_from; }
    [[nodiscard]] std::uint64_t distance() const { return up() ? m_to - m_from : m_from - m_to; }
    [[nodiscard]] std::uint64_t count() const { return (m_end - m_from + m_n - 1) / m_n; }
    // Toward the end of the file back to front, toward its start front to back.
    [[nodiscard]] Range source(std::uint64_t i) const
    {
        if (up()) {
            const std::uint64_t hi = m_end - i * m_n;
            return {hi - std::min(m_n, hi - m_from), hi};
        }
        const std::uint64_t lo = m_from + i * m_n;
        return {lo, std::min(m_end, lo + m_n)};
    }
    [[nodiscard]] std::uint64_t destination(const Range& source) const
    {
        return up() ? source.from + distance() : source.from - distance();
    }

private:
    std::uint64_t m_from, m_end, m_to, m_n;
};

// Blocks of a move by at least CopyChunkSize are as large as the distance allows (up to a few
// megabytes), so that no block overlaps its own source and fewer calls do the work. A shorter move
// copies each block through the journal, in large blocks for the same reason.
constexpr std::uint64_t kLargestBlock = CopyChunkSize;

std::uint64_t distanceOf(const WriteSteps& steps)
{
    return steps.moveTo > steps.moveFrom ? steps.moveTo - steps.moveFrom : steps.moveFrom - steps.moveTo;
}

std::uint64_t blockSizeFor(const WriteSteps& steps)
{
    const std::uint64_t distance = distanceOf(steps);
    return distance >= CopyChunkSize ? std::min(distance, kLargestBlock) : kLargestBlock;
}

bool copiesBlocks(const WriteSteps& steps)
{
    return steps.moves() && distanceOf(steps) < blockSizeFor(steps);
}

// ---- the journal file -----------------------------------------------------------------------

// The journal file. The progress record, and the slot of a copied block, are written through a
// mapping of the file: a store there is in the file's pages as soon as it is made, so it survives
// a kill of the process, and it costs no system call, which a write per block would.
class Journal {
public:
    Journal(File file, Header header, FileMapping progress)
        : m_file(std::move(file)), m_header(std::move(header)), m_progress(std::move(progress))
    {
    }

    // The journal file must reach mappedEnd(header).
    [[nodiscard]] static std::optional<Journal> open(File file, const Header& header)
    {
        const auto size = static_cast<std::size_t>(mappedEnd(header) - header.progressOffset());
        auto mapping = FileMapping::map(file, header.progressOffset(), size);
        if (!mapping) return std::nullopt;
        return Journal(std::move(file), header, std::move(*mapping));
    }
    [[nodiscard]] static std::uint64_t mappedEnd(const Header& header)
    {
        return header.recordOffset() + kProgressSize;
    }

    [[nodiscard]] const Header& header() const { return m_header; }
    [[nodiscard]] File& file() { return m_file; }

    [[nodiscard]] bool writeProgress(const Progress& p)
    {
        const auto bytes = encodeProgress(p);
        std::atomic_thread_fence(std::memory_order_seq_cst);
        std::copy(bytes.begin(), bytes.end(), at(m_header.recordOffset()));
        return flush();
    }
    // A copied block: its source bytes go into the slot first, then the record saying that the
    // slot holds block `index` and that the blocks before it are done. The fence keeps the
    // compiler from moving the record's stores before the slot's.
    // The block is read straight into the slot (slotForReading), which spares a copy of every
    // block; slotFilled then records it.
    [[nodiscard]] std::span<std::uint8_t> slotForReading(std::size_t n)
    {
        return {at(m_header.slotOffset()), n};
    }
    [[nodiscard]] bool slotFilled(std::uint64_t index)
    {
        if (m_header.durable && !m_progress.sync()) return false;
        std::atomic_thread_fence(std::memory_order_seq_cst);
        return writeProgress({index, index, Phase::Moving});
    }
    [[nodiscard]] std::span<const std::uint8_t> slot(std::size_t n)
    {
        return {at(m_header.slotOffset()), n};
    }
    [[nodiscard]] std::optional<Progress> readProgress()
    {
        return decodeProgress(std::span<const std::uint8_t>(at(m_header.recordOffset()), kProgressSize));
    }

private:
    std::uint8_t* at(std::uint64_t offset)
    {
        return m_progress.bytes().data() + (offset - m_header.progressOffset());
    }
    bool flush() { return !m_header.durable || m_progress.sync(); }

    File m_file;
    Header m_header;
    FileMapping m_progress;
};

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

WriteResult refused(std::string why) { return WriteResult::failure(WriteStatus::Refused, std::move(why)); }

WriteResult ioFailure(const FileIo& file) { return WriteResult::failure(WriteStatus::IoError, file.errorText()); }

// Writes the journal of a write: the new bytes first, the progress, and the header last, so that
// a header that reads back whole means a whole journal.
std::optional<Journal> createJournal(FileIo& file, const WriteSteps& steps, WriteResult& failure)
{
    const std::string path = journalPathFor(file.path());
    File journalFile = createNewFile(path);
    if (!journalFile.isOpen()) {
        failure = journalFile.error() == EEXIST
                      ? refused("the journal of an unfinished write lies beside the file (" +
                                nameOf(path) + "); recover it or remove it first")
                      : refused("the journal beside the file cannot be created: " +
                                errorString(journalFile.error()));
        return std::nullopt;
    }
    Header header;
    const auto identity = file.identity();
    if (identity) header.identity = *identity;
    header.oldLength = steps.oldLength;
    header.peakLength = steps.peakLength;
    header.finalLength = steps.finalLength;
    header.moveFrom = steps.moveFrom;
    header.moveEnd = steps.moveEnd;
    header.moveTo = steps.moveTo;
    header.blockSize = static_cast<std::uint32_t>(blockSizeFor(steps));
    header.copyBlocks = copiesBlocks(steps);
    header.durable = file.writePolicy().durable;

    const auto fail = [&](const File& which) {
        failure = refused("the journal beside the file cannot be written: " + which.errorText());
        journalFile.close();
        (void)removeFile(path);
        return std::nullopt;
    };
    Bytes buffer;
    std::uint64_t at = kPage;
    std::uint32_t crc = 0;
    for (const auto& patch : steps.patches) {
        header.patches.push_back({patch.base + patch.from, patch.size()});
        for (std::uint64_t from = patch.from; from < patch.to;) {
            buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPatchBuffer, patch.to - from)));
            patch.image->copyTo(from, buffer);
            crc = crcOf(buffer, crc);
            if (!journalFile.writeAt(at, buffer)) return fail(journalFile);
            at += buffer.size();
            from += buffer.size();
        }
    }
    header.patchCrc = crc;
    const auto headerBytes = encodeHeader(header);
    // The mapped part is written with zeros rather than allocated: written pages hold their room
    // as allocated ones do (a store through the mapping cannot fail for want of space), and a
    // journal whose blocks were never written back is removed for nearly nothing, where freeing
    // allocated blocks costs a millisecond or more on each write.
    if (headerBytes.size() > kPage) return fail(journalFile);
    const std::uint64_t mappedEnd = Journal::mappedEnd(header);
    buffer.assign(static_cast<std::size_t>(std::min<std::uint64_t>(kPatchBuffer, mappedEnd - at)), 0);
    for (; at < mappedEnd; at += buffer.size()) {
        buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), mappedEnd - at)));
        if (!journalFile.writeAt(at, buffer)) return fail(journalFile);
    }
    auto journal = Journal::open(std::move(journalFile), header);
    if (!journal) {
        failure = refused("the journal beside the file cannot be written");
        (void)removeFile(path);
        return std::nullopt;
    }
    if (!journal->writeProgress(Progress{}) || !journal->file().writeAt(0, headerBytes) ||
        (header.durable && !journal->file().sync()))
        return fail(journal->file());
    if (header.durable) (void)syncFolderOf(path);
    return journal;
}

// ---- carrying the steps out -----------------------------------------------------------------

class Runner {
public:
    Runner(FileIo& file, const WriteSteps& steps, std::optional<Journal> journal)
        : m_file(file),
          m_steps(steps),
          m_journal(std::move(journal)),
          m_blocks(steps.moveFrom, steps.moveEnd, steps.moveTo, blockSizeFor(steps))
    {
    }

    [[nodiscard]] WriteResult run()
    {
        const auto stopAt = m_file.writePolicy().stopAfterBlocks;
        if (m_journal && stopAt && *stopAt == 0 && !m_steps.moves()) return stopped();
        if (!claimRoom()) return fail();
        if (m_steps.moves()) {
            const auto moved = moveBlocks(0);
            if (moved == MoveEnd::Stopped) return stopped();
            if (moved == MoveEnd::Failed) return fail();
        }
        if (!notePhase(Phase::Moved)) return fail();
        // Another program may have cut or grown the file meanwhile; writing the tags then would
        // scramble both changes.
        if (m_file.currentLength() != std::max(m_steps.peakLength, m_steps.oldLength)) {
            m_error = "the file was changed by another program during the write";
            return fail();
        }
        if (!writePatches() || !notePhase(Phase::Patched)) return fail();
        if (m_file.length() != m_steps.finalLength && !m_file.truncate(m_steps.finalLength))
            return fail();
        if (durable() && !m_file.sync()) return fail();
        removeJournal();
        return WriteResult::success();
    }

private:
    enum class MoveEnd { Done, Failed, Stopped };

    [[nodiscard]] bool durable() const { return m_journal && m_journal->header().durable; }
    [[nodiscard]] bool copyBlocks() const { return copiesBlocks(m_steps); }

    [[nodiscard]] bool claimRoom()
    {
        if (m_steps.peakLength <= m_steps.oldLength) return true;
        // The whole destination of a move is claimed, not only the new tail: in a sparse file the
        // holes on the way would otherwise run out of room half-way.
        const std::uint64_t from = m_steps.moves() && m_blocks.up() ? m_steps.moveTo : m_steps.oldLength;
        return m_file.allocate(from, m_steps.peakLength - from);
    }

    [[nodiscard]] bool notePhase(Phase phase)
    {
        m_progress.phase = phase;
        return !m_journal || m_journal->writeProgress(m_progress);
    }

    MoveEnd moveBlocks(std::uint64_t first)
    {
        const auto stopAt = m_file.writePolicy().stopAfterBlocks;
        for (std::uint64_t i = first; i < m_blocks.count(); ++i) {
            if (m_journal && stopAt && i >= *stopAt) return MoveEnd::Stopped;
            const Range source = m_blocks.source(i);
            const auto size = static_cast<std::size_t>(source.size());
            const bool viaSlot = m_journal && copyBlocks();
            if (!viaSlot) m_buffer.resize(size);
            const auto block = viaSlot ? m_journal->slotForReading(size) : std::span(m_buffer).first(size);
            if (!m_file.readExactAt(source.from, block)) return MoveEnd::Failed;
            if (viaSlot) {
                if (!m_journal->slotFilled(i)) return MoveEnd::Failed;
                m_progress.slotBlock = i;
            }
            m_inFlight = i;
            if (!m_file.writeAt(m_blocks.destination(source), block)) return MoveEnd::Failed;
            if (durable() && !m_file.sync()) return MoveEnd::Failed;
            m_done = i + 1;
            m_inFlight.reset();
            // Recorded before the next block touches the slot or the sources.
            m_progress.blocksDone = i + 1;
            if (m_journal && !m_journal->writeProgress(m_progress)) return MoveEnd::Failed;
        }
        return MoveEnd::Done;
    }

    [[nodiscard]] bool writePatches()
    {
        for (const auto& patch : m_steps.patches) {
            m_patched = true;
            if (!patch.image->writeTo(m_file, patch.from, patch.to, patch.base)) return false;
        }
        return true;
    }

    // A killed process leaves everything as it is; so does this, for the crash trials.
    WriteResult stopped() { return refused("stopped on purpose after a number of blocks"); }

    WriteResult fail()
    {
        if (m_error.empty()) m_error = m_file.errorText();
        undo();
        removeJournal();
        return WriteResult::failure(WriteStatus::IoError, m_error);
    }

    // Puts the file back as it was, as far as it lets us.
    void undo()
    {
        if (m_inFlight) {
            // The buffer (or the slot) still holds the source of the block whose write failed.
            const Range source = m_blocks.source(*m_inFlight);
            const auto size = static_cast<std::size_t>(source.size());
            const bool viaSlot = m_journal && copyBlocks();
            (void)m_file.writeAt(source.from, viaSlot ? m_journal->slotForReading(size) : std::span(m_buffer).first(size));
        }
        for (std::uint64_t i = m_done; i-- > 0;) {
            const Range source = m_blocks.source(i);
            m_buffer.resize(static_cast<std::size_t>(source.size()));
            if (!m_file.readExactAt(m_blocks.destination(source), m_buffer) ||
                !m_file.writeAt(source.from, m_buffer))
                break;
        }
        if (m_done > 0 || m_inFlight || m_patched) {
            for (const auto& patch : m_steps.undoPatches)
                (void)patch.image->writeTo(m_file, patch.from, patch.to, patch.base);
        }
        if (m_file.length() != m_steps.oldLength) (void)m_file.truncate(m_steps.oldLength);
    }

    void removeJournal()
    {
        if (!m_journal) return;
        const std::string path = m_journal->file().path();
        m_journal->file().close();
        (void)removeFile(path);
        if (durable()) (void)syncFolderOf(path);
        m_journal.reset();
    }

    FileIo& m_file;
    const WriteSteps& m_steps;
    std::optional<Journal> m_journal;
    Blocks m_blocks;
    Progress m_progress;
    Bytes m_buffer;
    std::uint64_t m_done = 0;
    std::optional<std::uint64_t> m_inFlight;
    bool m_patched = false;
    std::string m_error;
};

// ---- recovery -------------------------------------------------------------------------------

class Recoverer {
public:
    Recoverer(File& file, Journal& journal) : m_file(file), m_journal(journal) {}

    [[nodiscard]] std::optional<std::string> run(Progress progress)
    {
        const Header& h = m_journal.header();
        if (progress.phase == Phase::Moving) {
            const std::uint64_t peak = std::max(h.peakLength, h.oldLength);
            if (m_file.length() < peak && !m_file.allocate(h.oldLength, peak - h.oldLength))
                return m_file.errorText();
            if (auto failure = finishMove(progress)) return failure;
            progress.phase = Phase::Moved;
            if (!m_journal.writeProgress(progress)) return m_journal.file().errorText();
        }
        if (progress.phase == Phase::Moved) {
            if (auto failure = copyPatches()) return failure;
            progress.phase = Phase::Patched;
            if (!m_journal.writeProgress(progress)) return m_journal.file().errorText();
        }
        if (m_file.length() != h.finalLength && !m_file.truncate(h.finalLength)) return m_file.errorText();
        if (h.durable && !m_file.sync()) return m_file.errorText();
        return std::nullopt;
    }

private:
    std::optional<std::string> finishMove(const Progress& progress)
    {
        const Header& h = m_journal.header();
        if (h.moveFrom == h.moveTo || h.moveEnd <= h.moveFrom) return std::nullopt;
        const Blocks blocks(h.moveFrom, h.moveEnd, h.moveTo, h.blockSize);
        std::uint64_t next = progress.blocksDone;
        Bytes buffer;
        if (h.copyBlocks && progress.slotBlock == progress.blocksDone) {
            // The block in the slot was being written when the write stopped: its own source may
            // be gone, the slot has it whole (its record came after it). When the block is done,
            // the slot may already hold part of the next one, which starts over from its source.
            const Range source = blocks.source(progress.slotBlock);
            const auto slot = m_journal.slot(static_cast<std::size_t>(source.size()));
            if (!m_file.writeAt(blocks.destination(source), slot)) return m_file.errorText();
            next = progress.slotBlock + 1;
            if (!m_journal.writeProgress({next, progress.slotBlock, Phase::Moving}))
                return m_journal.file().errorText();
        }
        for (std::uint64_t i = next; i < blocks.count(); ++i) {
            const Range source = blocks.source(i);
            const auto size = static_cast<std::size_t>(source.size());
            if (!h.copyBlocks) buffer.resize(size);
            const auto block = h.copyBlocks ? m_journal.slotForReading(size) : std::span(buffer).first(size);
            if (!m_file.readExactAt(source.from, block)) return m_file.errorText();
            // The same order as the write itself: a kill during recovery is recovered too.
            if (h.copyBlocks && !m_journal.slotFilled(i)) return m_journal.file().errorText();
            if (!m_file.writeAt(blocks.destination(source), block) || (h.durable && !m_file.sync()))
                return m_file.errorText();
            if (!m_journal.writeProgress({i + 1, h.copyBlocks ? i : kNoSlot, Phase::Moving}))
                return m_journal.file().errorText();
        }
        return std::nullopt;
    }

    std::optional<std::string> copyPatches()
    {
        const Header& h = m_journal.header();
        Bytes buffer;
        std::uint64_t at = kPage;
        for (const auto& patch : h.patches) {
            for (std::uint64_t done = 0; done < patch.length;) {
                buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPatchBuffer, patch.length - done)));
                if (!m_journal.file().readExactAt(at, buffer)) return m_journal.file().errorText();
                if (!m_file.writeAt(patch.offset + done, buffer)) return m_file.errorText();
                at += buffer.size();
                done += buffer.size();
            }
        }
        return std::nullopt;
    }

    File& m_file;
    Journal& m_journal;
};

bool patchesIntact(File& journal, const Header& h)
{
    Bytes buffer;
    std::uint32_t crc = 0;
    const std::uint64_t total = h.patchBytes();
    for (std::uint64_t done = 0; done < total;) {
        buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPatchBuffer, total - done)));
        if (!journal.readExactAt(kPage + done, buffer)) return false;
        crc = crcOf(buffer, crc);
        done += buffer.size();
    }
    return crc == h.patchCrc;
}

}  // namespace

std::string journalPathFor(const std::string& path)
{
    return folderOf(path) + std::string(kJournalPrefix) + nameOf(path) + std::string(kJournalSuffix);
}

std::optional<std::string> fileOfJournal(const std::string& journalPath)
{
    const std::string name = nameOf(journalPath);
    if (name.size() <= kJournalPrefix.size() + kJournalSuffix.size() ||
        !name.starts_with(kJournalPrefix) || !name.ends_with(kJournalSuffix))
        return std::nullopt;
    return folderOf(journalPath) +
           name.substr(kJournalPrefix.size(), name.size() - kJournalPrefix.size() - kJournalSuffix.size());
}

namespace {

// A change that is one write inside one page of the file, moving nothing and changing no length:
// the kernel copies a page whole or, when a process is killed before it begins, not at all, so
// such a write is its own journal. Only a power cut could tear it, which the durable policy
// guards against with a journal all the same.
bool isOneAtomicWrite(const WriteSteps& steps, const WritePolicy& policy)
{
    if (policy.durable || steps.moves() || steps.patches.size() != 1) return false;
    if (steps.peakLength != steps.oldLength || steps.finalLength != steps.oldLength) return false;
    const auto& patch = steps.patches.front();
    const std::uint64_t first = patch.base + patch.from;
    const std::uint64_t last = patch.base + patch.to - 1;
    return patch.to > patch.from && first / kPage == last / kPage;
}

}  // namespace

WriteResult runWriteSteps(FileIo& file, const WriteSteps& steps)
{
    // A caller that read the tags under the lock (the run driver takes it at the open) keeps it
    // until it closes the file; otherwise the lock covers the write.
    const bool held = file.holdsLock();
    switch (file.lockForWriting()) {
        case LockResult::Locked: break;
        case LockResult::InUse: return refused("in use by another program");
        case LockResult::Failed: return ioFailure(file);
    }
    const auto release = [&] {
        if (!held) file.unlock();
    };
    WriteResult result;
    std::optional<Journal> journal;
    if (file.writePolicy().journal && !file.path().empty() &&
        !isOneAtomicWrite(steps, file.writePolicy())) {
        journal = createJournal(file, steps, result);
        if (!journal) {
            release();
            return result;
        }
    }
    result = Runner(file, steps, std::move(journal)).run();
    release();
    return result;
}

Recovery recoverJournal(const std::string& journalPath)
{
    Recovery recovery;
    recovery.journal = journalPath;
    recovery.file = fileOfJournal(journalPath).value_or(std::string());
    File journalFile = File::open(journalPath, OpenMode::Update);
    if (!journalFile.isOpen()) {
        recovery.reason = errorString(journalFile.error());
        return recovery;
    }
    std::array<std::uint8_t, kPage> headerBytes{};
    const auto got = journalFile.readAt(0, headerBytes);
    const auto header = got ? decodeHeader(std::span(headerBytes).first(*got)) : std::nullopt;
    if (!header) {
        // The header is written last: without it the file was never touched.
        journalFile.close();
        (void)removeFile(journalPath);
        recovery.status = RecoveryStatus::Discarded;
        return recovery;
    }
    File file = File::open(recovery.file, OpenMode::Update);
    if (!file.isOpen()) {
        recovery.status = RecoveryStatus::Mismatched;
        recovery.reason = errorString(file.error());
        return recovery;
    }
    if (file.lockForWriting() != LockResult::Locked) {
        recovery.reason = "in use by another program";
        return recovery;
    }
    const auto identity = file.identity();
    const auto length = file.length();
    const auto fits = [&](std::uint64_t l) {
        return l == header->oldLength || l == header->peakLength || l == header->finalLength;
    };
    if (!identity || *identity != header->identity || !length || !fits(*length)) {
        recovery.status = RecoveryStatus::Mismatched;
        recovery.reason = "another file, or one changed since";
        return recovery;
    }
    const auto journalLength = journalFile.length();
    auto opened = journalLength && *journalLength >= Journal::mappedEnd(*header)
                      ? Journal::open(std::move(journalFile), *header)
                      : std::nullopt;
    if (!opened) {
        recovery.reason = "the journal is damaged";
        return recovery;
    }
    Journal& journal = *opened;
    const auto progress = journal.readProgress();
    if (!progress || !patchesIntact(journal.file(), *header)) {
        recovery.reason = "the journal is damaged";
        return recovery;
    }
    if (auto failure = Recoverer(file, journal).run(*progress)) {
        recovery.reason = *failure;
        return recovery;
    }
    journal.file().close();
    (void)removeFile(journalPath);
    if (header->durable) (void)syncFolderOf(journalPath);
    file.unlock();
    recovery.status = RecoveryStatus::Completed;
    return recovery;
}

std::vector<Recovery> recoverJournalsIn(const std::string& folder, bool recursive)
{
    std::vector<std::string> journals;
    std::error_code ec;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    const auto collect = [&](const std::filesystem::directory_entry& entry) {
        const std::string path = entry.path().string();
        if (fileOfJournal(path) && entry.is_regular_file(ec)) journals.push_back(path);
    };
    // A folder that cannot be read holds no journal we could finish anyway.
    if (recursive) {
        for (auto it = std::filesystem::recursive_directory_iterator(folder, options, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            collect(*it);
    } else {
        for (auto it = std::filesystem::directory_iterator(folder, options, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            collect(*it);
    }
    std::sort(journals.begin(), journals.end());
    std::vector<Recovery> recoveries;
    for (const auto& journal : journals) recoveries.push_back(recoverJournal(journal));
    return recoveries;
}

std::string describe(const Recovery& recovery)
{
    switch (recovery.status) {
        case RecoveryStatus::Completed: return "completed an interrupted write";
        case RecoveryStatus::Discarded: return "removed the journal of a write that never began";
        case RecoveryStatus::Mismatched:
            return "left the journal " + nameOf(recovery.journal) +
                   " alone: it does not match the file (" + recovery.reason + ")";
        case RecoveryStatus::Failed:
            return "could not complete an interrupted write: " + recovery.reason;
    }
    return {};
}

std::optional<Recovery> recoverFileJournal(const std::string& path)
{
    const std::string journal = journalPathFor(path);
    if (File::open(journal, OpenMode::Read).isOpen() == false) return std::nullopt;
    return recoverJournal(journal);
}

}  // namespace corvane::tags
