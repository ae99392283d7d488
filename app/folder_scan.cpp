#include "app/folder_scan.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "tags/text_rules.h"

namespace corvane {

namespace {

// The scan's threads give way to the GUI thread: on a busy processor the window answers first,
// and the reading, which mostly waits for the disk, loses next to nothing.
void giveWayToTheWindow()
{
    constexpr int kNiceness = 5;
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kNiceness);
}

}  // namespace

struct FolderScan::Shared {
    Shared(std::string f, ColumnLayout l, TagView v, int s)
        : folder(std::move(f)), layout(std::move(l)), view(v), sortColumn(s)
    {
    }

    // What every thread reads and nobody changes.
    const std::string folder;
    const ColumnLayout layout;
    const TagView view;
    const int sortColumn;

    std::atomic<bool> stopped{false};
    mutable std::mutex mutex;
    std::condition_variable namesReady;
    // Guarded by mutex:
    std::deque<std::pair<std::size_t, std::string>> names;  // listed, not yet being read
    std::vector<FileRow> rows;                              // read, not yet taken
    std::size_t listed = 0;
    std::size_t taken = 0;
    bool listingDone = false;
    std::vector<std::string> filesWithJournals;
};

namespace {

std::mutex g_recoveryMutex;
std::vector<tags::Recovery> g_recoveries;  // guarded by g_recoveryMutex

}  // namespace

void FolderScan::listEntries(const std::shared_ptr<Shared>& s)
{
    giveWayToTheWindow();
    std::error_code ec;
    // A folder that cannot be read lists nothing; browsing stays silent about it.
    for (std::filesystem::directory_iterator it(s->folder, ec), end;
         !ec && it != end && !s->stopped.load(std::memory_order_relaxed); it.increment(ec)) {
        std::string name = it->path().filename().native();
        if (const auto file = tags::fileOfJournal(name)) {
            // Seldom there, and the file's row may already be read: it is read again at the end.
            {
                const std::lock_guard lock(g_recoveryMutex);
                // Another scan may have finished it while this one waited.
                std::error_code gone;
                if (std::filesystem::exists(s->folder + name, gone))
                    g_recoveries.push_back(tags::recoverJournal(s->folder + name));
            }
            const std::lock_guard lock(s->mutex);
            s->filesWithJournals.push_back(*file);
            continue;
        }
        if (!tags::isMp3FileName(name)) continue;
        {
            const std::lock_guard lock(s->mutex);
            s->names.emplace_back(s->listed++, std::move(name));
        }
        s->namesReady.notify_one();
    }
    {
        const std::lock_guard lock(s->mutex);
        s->listingDone = true;
    }
    s->namesReady.notify_all();
}

void FolderScan::readRows(const std::shared_ptr<Shared>& s)
{
    giveWayToTheWindow();
    while (true) {
        std::pair<std::size_t, std::string> next;
        {
            std::unique_lock lock(s->mutex);
            s->namesReady.wait(
                lock, [&] { return !s->names.empty() || s->listingDone || s->stopped.load(); });
            if (s->stopped.load() || s->names.empty()) return;
            next = std::move(s->names.front());
            s->names.pop_front();
        }
        // A file that changes or goes while it is read gives a row without tag values.
        FileRow row = readFileRow(s->folder, next.second, s->layout, s->view, s->sortColumn);
        row.listingOrder = next.first;
        const std::lock_guard lock(s->mutex);
        if (s->stopped.load()) return;
        s->rows.push_back(std::move(row));
    }
}

FolderScan::FolderScan(std::string folder, ColumnLayout layout, TagView view, int sortColumn)
    : m_shared(std::make_shared<Shared>(std::move(folder), std::move(layout), view, sortColumn))
{
    // Each thread holds the shared state, so a scan dropped by the window lives on until its
    // last thread has finished its file.
    std::thread(&FolderScan::listEntries, m_shared).detach();
    for (int i = 0; i < kReaderThreads; ++i) std::thread(&FolderScan::readRows, m_shared).detach();
}

FolderScan::~FolderScan() { stop(); }

std::vector<FileRow> FolderScan::takeRows(std::size_t most)
{
    std::vector<FileRow> out;
    const std::lock_guard lock(m_shared->mutex);
    std::vector<FileRow>& rows = m_shared->rows;
    if (m_shared->stopped.load() || rows.empty()) return out;
    if (rows.size() <= most) {
        out.swap(rows);
    } else {
        // The oldest rows first; the rest wait for the next turn.
        out.assign(std::make_move_iterator(rows.begin()),
                   std::make_move_iterator(rows.begin() + static_cast<std::ptrdiff_t>(most)));
        rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(most));
    }
    m_shared->taken += out.size();
    return out;
}

std::vector<tags::Recovery> FolderScan::takeRecoveries()
{
    const std::lock_guard lock(g_recoveryMutex);
    return std::exchange(g_recoveries, {});
}

std::vector<std::string> FolderScan::filesWithJournals() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->filesWithJournals;
}

FolderScan::Progress FolderScan::progress() const
{
    const std::lock_guard lock(m_shared->mutex);
    return {m_shared->listed, m_shared->taken, m_shared->listingDone};
}

void FolderScan::stop()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopped.store(true);
        m_shared->names.clear();
        m_shared->rows.clear();
    }
    m_shared->namesReady.notify_all();
}

}  // namespace corvane
