// Times filling the desktop program's file list from a folder of 10,000 tagged files (rows read,
// model filled and sorted, offscreen) against the bare list-row reading of the same folder,
// which the list cannot avoid. Both run several times in turn, so both meet the same warm page
// cache, and the medians are compared; the goal is a list within twice the bare reading.
//
// Usage: file_list_gui_bench [folder]
//   folder: where the files are made (default: a new folder in the system's temporary folder).

#include "gui/column_layout.h"
#include "app/file_list.h"
#include "tags/list_row_reader.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using corvane::tags::Column;
using Bytes = std::vector<std::uint8_t>;

constexpr int kFileCount = 10000;
constexpr int kRuns = 5;

void appendText(Bytes& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

Bytes textFrame(std::string_view id, const std::string& text)
{
    Bytes f;
    appendText(f, id);
    const auto size = static_cast<std::uint32_t>(text.size() + 1);
    for (int shift = 24; shift >= 0; shift -= 8)
        f.push_back(static_cast<std::uint8_t>((size >> shift) & 0xFF));
    f.insert(f.end(), {0, 0, 0});
    appendText(f, text);
    return f;
}

// A file with an ID3v2.3 tag of five frames and 256 bytes of padding, 4 KB of audio and an
// ID3v1 trailer, much as a ripped album track starts and ends.
Bytes songBytes(int n)
{
    Bytes frames;
    const std::string number = std::to_string(n);
    for (const Bytes& f : {textFrame("TIT2", "Title number " + number),
                           textFrame("TPE1", "Artist " + std::to_string(n % 97)),
                           textFrame("TALB", "Album " + std::to_string(n % 13)),
                           textFrame("TYER", std::to_string(1960 + n % 60)),
                           textFrame("TRCK", std::to_string(n % 20 + 1) + "/20")})
        frames.insert(frames.end(), f.begin(), f.end());
    frames.resize(frames.size() + 256, 0);
    Bytes out;
    appendText(out, "ID3");
    out.insert(out.end(), {3, 0, 0});
    const auto size = static_cast<std::uint32_t>(frames.size());
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
    out.insert(out.end(), frames.begin(), frames.end());
    out.insert(out.end(), {0xFF, 0xFB, 0x90, 0xC0});
    for (int i = 0; i < 4096; ++i)
        out.push_back(static_cast<std::uint8_t>(1 + (i * 7 + n) % 200));
    Bytes trailer(128, 0);
    trailer[0] = 'T';
    trailer[1] = 'A';
    trailer[2] = 'G';
    const std::string title = "Title " + number;
    std::copy(title.begin(), title.end(), trailer.begin() + 3);
    trailer[127] = 17;
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

void makeFolder(const fs::path& folder)
{
    fs::create_directories(folder);
    for (int i = 0; i < kFileCount; ++i) {
        const Bytes bytes = songBytes(i);
        std::ofstream(folder / ("song" + std::to_string(i) + ".mp3"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

double secondsOf(auto&& job)
{
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// What the list cannot avoid: one directory pass and one list-row read per file.
std::size_t bareRead(const std::string& folder, const std::vector<Column>& fields)
{
    std::size_t rows = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().native();
        const auto row = corvane::tags::readListRowV2(folder + name, name, fields);
        rows += row.presence >= 0 ? 1 : 0;
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const bool ownFolder = argc < 2;
    const fs::path folder = ownFolder ? fs::temp_directory_path() / "corvane-list-bench" : fs::path(argv[1]);
    if (ownFolder || !fs::exists(folder)) {
        std::printf("making %d files in %s\n", kFileCount, folder.c_str());
        makeFolder(folder);
    }
    std::string folderText = folder.string();
    if (folderText.back() != '/')
        folderText += '/';

    corvane::ColumnLayout layout = corvane::defaultColumnLayout();
    layout.push_back({Column::Year, 80});
    std::vector<Column> fields;
    for (const auto& entry : layout)
        fields.push_back(entry.field);

    corvane::FileList list;
    list.resize(900, 600);
    list.show();
    list.setTagView(corvane::TagView::Id3v2);
    list.setCurrentFolder(folderText);
    list.applyColumnLayout(layout);
    list.setSortOrder(4, true);  // by Year: numeric keys

    std::vector<double> bare;
    std::vector<double> filled;
    for (int run = 0; run < kRuns; ++run) {
        bare.push_back(secondsOf([&] { (void)bareRead(folderText, fields); }));
        filled.push_back(secondsOf([&] {
            list.refreshFileList();
            QApplication::processEvents();  // the view's own update after the fill
        }));
    }
    const double bareMedian = median(bare);
    const double listMedian = median(filled);
    std::printf("%d rows\n", list.rowCount());
    std::printf("bare list-row reading: %8.1f ms\n", bareMedian * 1000);
    std::printf("file list filled+sorted: %6.1f ms (%.2fx)\n", listMedian * 1000,
                listMedian / bareMedian);
    std::printf("goal (within 2x of the bare reading): %s\n",
                listMedian <= 2 * bareMedian ? "met" : "missed");
    if (ownFolder)
        fs::remove_all(folder);
    // A figure, not a verdict: a missed goal must not stop make bench from running the others.
    return 0;
}
