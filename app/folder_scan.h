#pragma once
// The reading of a folder's rows off the GUI thread: one thread lists the folder's "*.mp3"
// entries while several others read their rows, so that the latencies of a cold disk or a
// network share overlap and the window keeps answering. The GUI thread takes the rows as they
// come (takeRows) and never waits for a worker: a scan that is stopped or dropped leaves its
// threads to finish the file they are on, even one whose read hangs, and throws their rows away.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/file_row.h"
#include "gui/column_layout.h"
#include "tags/journal.h"

namespace corvane {

class FolderScan {
public:
    // Threads reading rows at once. A cold disk serves several requests in one sweep and a
    // network share hides its round trips behind the others; the rows themselves cost little
    // processor time.
    static constexpr int kReaderThreads = 8;

    // Starts listing and reading folder (file-system bytes ending with "/") for the layout and
    // view, each row with its key for sortColumn (see readFileRow).
    FolderScan(std::string folder, ColumnLayout layout, TagView view, int sortColumn);
    // Stops the scan without waiting for its threads.
    ~FolderScan();
    FolderScan(const FolderScan&) = delete;
    FolderScan& operator=(const FolderScan&) = delete;

    // At most `most` of the rows read since the last call, in the order they were read; each
    // row's listingOrder is its place in the folder's listing.
    [[nodiscard]] std::vector<FileRow> takeRows(std::size_t most);

    struct Progress {
        std::size_t listed = 0;    // entries found so far
        std::size_t taken = 0;     // rows handed out by takeRows
        bool listingDone = false;  // listed is the final count
        [[nodiscard]] bool isDone() const { return listingDone && taken == listed; }
    };
    [[nodiscard]] Progress progress() const;

    // Journals of interrupted writes are finished as a listing meets them, one at a time in the
    // whole program (two scans of one folder may meet the same journal). What recovery did is
    // kept until a scan's end takes it: from any scan, also one dropped meanwhile.
    [[nodiscard]] static std::vector<tags::Recovery> takeRecoveries();
    // The names of this scan's files that had a journal beside them (finished by this scan or
    // by another at the same time): their rows are to be read again once the scan is done.
    [[nodiscard]] std::vector<std::string> filesWithJournals() const;

    // Ends the reading at once: no row is read after the files the threads are on, and
    // takeRows gives nothing more.
    void stop();

private:
    struct Shared;
    static void listEntries(const std::shared_ptr<Shared>& shared);
    static void readRows(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
};

}  // namespace corvane
