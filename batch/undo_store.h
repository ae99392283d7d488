#pragma once
// The record of the last changes, so that the last one can be undone.
//
// Before a run writes a file, what restores its tags exactly is recorded: the whole old ID3v2
// tag (its padding only counted) and the old trailer, or, for a rename, the old name. After the
// write the file's identity, length and a fingerprint of its tags are noted, so that an undo can
// tell a file that changed since and leave it alone. Changes live in the user's state folder
// ($XDG_STATE_HOME/corvane, by default ~/.local/state/corvane), the last 20 within 500 MB.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "batch/file_work.h"
#include "tags/file.h"

namespace corvane::batch {

inline constexpr std::size_t kUndoChangesKept = 20;
inline constexpr std::uint64_t kUndoBytesKept = std::uint64_t{500} << 20;

// The tags of a file at one moment, as an undo puts them back.
struct TagSnapshot {
    std::vector<std::uint8_t> tag;  // the ID3v2 tag up to its last byte that is not padding
    std::uint64_t padding = 0;      // zeros after that, up to the audio
    std::optional<std::array<std::uint8_t, 128>> trailer;
};
// Reads the snapshot of an open file; nullopt on an I/O error. The padding is counted, not kept.
[[nodiscard]] std::optional<TagSnapshot> takeSnapshot(tags::FileIo& file);

// How a file looked after a change: an undo touches it only while it still looks so.
struct FileState {
    tags::FileIdentity identity;
    std::uint64_t size = 0;
    std::uint32_t fingerprint = 0;  // of the ID3v2 tag and the trailer
    friend bool operator==(const FileState&, const FileState&) = default;
};
[[nodiscard]] std::optional<FileState> stateOf(const std::string& path);

struct UndoEntry {
    enum class Kind : std::uint8_t { Tags, Rename };
    Kind kind = Kind::Tags;
    std::string path;     // the file as the change left it
    std::string oldPath;  // a rename: the name before
    TagSnapshot before;   // Tags: what the change replaced
    FileState after;

    [[nodiscard]] std::uint64_t bytes() const;
};

struct UndoChange {
    std::string id;     // the folder it is stored in; set by the store
    std::string label;  // "Set Data", "Tag editor", ...
    std::int64_t time = 0;  // seconds since the epoch
    std::size_t fileCount = 0;  // the entries' number, also where they were not read
    std::vector<UndoEntry> entries;

    [[nodiscard]] std::uint64_t bytes() const;
};

class UndoStore {
public:
    // folder: where changes are kept (created when needed).
    explicit UndoStore(std::string folder);
    // The user's state folder for undo records.
    [[nodiscard]] static std::string defaultFolder();

    // Stores change as the newest and drops the oldest beyond the limits; false when it cannot be
    // written (reason says why).
    [[nodiscard]] bool save(UndoChange change, std::string* reason = nullptr);
    // The changes kept, newest first; without their entries unless entriesToo.
    [[nodiscard]] std::vector<UndoChange> changes(bool entriesToo = true) const;
    [[nodiscard]] std::optional<UndoChange> last() const;
    // The label of the newest change, read without its entries (what a menu shows).
    [[nodiscard]] std::optional<std::string> lastLabel() const;

private:
    void prune() const;
    std::string m_folder;
};

// The label of the change that undoes a change labelled label: "Undo Set Data" for "Set Data",
// and "Set Data" again for "Undo Set Data", so that undo and redo alternate in the menu.
[[nodiscard]] std::string undoLabel(const std::string& label);

// Notes a change as a run writes its files; commit() stores it once a file was written.
class UndoRecorder {
public:
    UndoRecorder(UndoStore& store, std::string label);

    // The file, open for update, is about to be written.
    void before(tags::FileIo& file, const std::string& path);
    // The file is closed; written says whether the run changed it.
    void after(const std::string& path, bool written);
    // A rename the change made of the file, which is open (so that what it holds is noted
    // without opening it again). The work that renames a file writes no tags into it.
    void renamed(tags::FileIo& file, const std::string& from, const std::string& to);
    // Stores the change; false (reason set) when it cannot be stored.
    [[nodiscard]] bool commit(std::string* reason = nullptr);

private:
    UndoStore& m_store;
    UndoChange m_change;
    std::optional<TagSnapshot> m_pending;
    std::filesystem::path m_folder;  // the current folder, against which paths are made whole
};

// Whether a change over these files fits the undo record (their tags at most kUndoBytesKept);
// the size it would take comes back in bytes.
[[nodiscard]] bool fitsUndoRecord(const std::vector<std::string>& paths, std::uint64_t* bytes = nullptr);

// Puts the tags of one file back as entry recorded them, or its old name, when the file still is
// what the change left. Failed ("changed since the change") when it is not, and left alone; a
// rename back never replaces a file that took the old name meanwhile. A rename back is noted in
// undo, when given, so that the undo can be undone in turn.
[[nodiscard]] FileOutcome undoFile(tags::FileIo& file, const UndoEntry& entry,
                                   UndoRecorder* undo = nullptr);

}  // namespace corvane::batch
