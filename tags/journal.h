#pragma once
// Carrying out a write under a journal beside the file, so that a kill (and, when asked, a power
// cut) at any instant leaves a file that recovery completes to exactly the new content; and that
// recovery.
//
// A write is a fixed list of steps: claim the room the file needs, move one stretch of it (the
// audio) by a distance, write new bytes at some places (the new tags), cut the file to its final
// length. Before the file is touched the journal holds all of them: the file's identity and
// lengths, the move, every new byte; then the progress of the move. It lies beside the file under
// a hidden name and is removed once the write is complete.
//
// The move goes in blocks, toward the end of the file back to front and toward its start front
// to back, so that each block's source is intact when its turn comes. A block clear of its own
// source is recorded as done after it is written. A block whose destination overlaps its source
// (a move by less than a block) would destroy bytes that exist nowhere else if it were cut short,
// so its bytes go into the journal first. Progress is written with plain writes, in order with
// the data, which is all a reader of the file sees after a process is killed; the durable policy
// adds a flush of the file and of the journal at each step, for power cuts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tags/byte_image.h"
#include "tags/file.h"
#include "tags/tag_result.h"

namespace corvane::tags {

// The journal's name for a file: a hidden file in the same folder.
[[nodiscard]] std::string journalPathFor(const std::string& path);
// The file a journal name belongs to, or nullopt when the name is no journal's.
[[nodiscard]] std::optional<std::string> fileOfJournal(const std::string& journalPath);

// Image bytes [from, to) go to the file at offset base + from.
struct WritePatch {
    const ByteImage* image = nullptr;
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::uint64_t base = 0;

    [[nodiscard]] std::uint64_t size() const { return to - from; }
};

struct WriteSteps {
    std::uint64_t oldLength = 0;
    std::uint64_t peakLength = 0;  // claimed before anything moves (at least oldLength)
    std::uint64_t finalLength = 0;
    // [moveFrom, moveEnd) moves to start at moveTo.
    std::uint64_t moveFrom = 0;
    std::uint64_t moveEnd = 0;
    std::uint64_t moveTo = 0;
    std::vector<WritePatch> patches;  // written after the move
    // What a failure part-way writes back once the audio is back: the old bytes of every place
    // the move or the patches may have overwritten.
    std::vector<WritePatch> undoPatches;

    [[nodiscard]] bool moves() const { return moveFrom != moveTo && moveEnd > moveFrom; }
};

// Carries the steps out on the open file: under a journal when the file has a path and its
// policy asks for one (a file whose journal cannot be created is refused, unchanged), with the
// advisory write lock held throughout. Before the new bytes are written the file's length is
// checked against the one the write started from, so a file another program changed meanwhile
// is put back and refused. On a failure part-way every step already taken is undone.
[[nodiscard]] WriteResult runWriteSteps(FileIo& file, const WriteSteps& steps);

// What became of a journal found beside a file.
enum class RecoveryStatus {
    Completed,   // the interrupted write was carried to its end
    Discarded,   // the journal was never finished, so the file was never touched
    Mismatched,  // the file is not the one the journal was written for, or it changed since:
                 // the journal is left alone
    Failed,      // the write could not be completed (reason says why); the journal is kept
};
struct Recovery {
    std::string file;     // the file the journal belongs to
    std::string journal;
    RecoveryStatus status = RecoveryStatus::Failed;
    std::string reason;
};

// Finishes the interrupted write a journal records, holding the file's write lock.
[[nodiscard]] Recovery recoverJournal(const std::string& journalPath);
// Recovers the journal of path, when there is one.
[[nodiscard]] std::optional<Recovery> recoverFileJournal(const std::string& path);
// Recovers every journal in folder (and in the folders below it when recursive), in name order.
[[nodiscard]] std::vector<Recovery> recoverJournalsIn(const std::string& folder, bool recursive);
// What a recovery did, in a sentence for the status bar or stderr ("completed an interrupted
// write", "left a journal that does not match the file alone: ...").
[[nodiscard]] std::string describe(const Recovery& recovery);

}  // namespace corvane::tags
