// `list`: the file list of a folder as the desktop list shows it, one TAB-separated line a file.

#include <dirent.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "tags/field_catalogue.h"
#include "tags/file.h"
#include "tags/journal.h"
#include "tags/list_row_reader.h"
#include "tags/text_rules.h"

namespace corvane::cli {

namespace {

using tags::equalsIgnoringAsciiCase;

// Header names, also in the spelling `set` uses for its fields ("orig-artist").
std::optional<tags::Column> columnByName(std::string_view name)
{
    for (int c = 0; c < tags::kColumnCount; ++c) {
        const std::string_view header = tags::ColumnTable[static_cast<std::size_t>(c)].name;
        std::string dashed;
        for (const char ch : header) {
            if (ch == '.') continue;
            dashed += ch == ' ' ? '-' : ch;
        }
        if (equalsIgnoringAsciiCase(name, header) || equalsIgnoringAsciiCase(name, dashed))
            return static_cast<tags::Column>(c);
    }
    return std::nullopt;
}

std::optional<std::vector<tags::Column>> parseColumns(std::string_view list, std::string& error)
{
    std::vector<tags::Column> layout;
    std::size_t start = 0;
    while (true) {
        const auto comma = list.find(',', start);
        const auto name =
            list.substr(start, comma == std::string_view::npos ? comma : comma - start);
        const auto column = columnByName(name);
        if (!column) {
            error = "unknown column \"" + std::string(name) + "\"";
            return std::nullopt;
        }
        layout.push_back(*column);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return layout;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The names of the folder's entries that end in .mp3, sorted byte-wise. Folders so named are
// listed too, as the desktop list shows them (without tags).
std::optional<std::vector<std::string>> mp3Names(const std::string& folder, std::string& error)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) {
        error = tags::errorString(errno);
        return std::nullopt;
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (tags::isMp3FileName(name)) names.emplace_back(name);
    }
    if (errno != 0) {
        error = tags::errorString(errno);
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A cell as one TAB-separated field: TABs and line breaks inside a value would split the line,
// and no other control character reaches the terminal raw.
void appendCell(std::string& line, std::string_view cell)
{
    std::string spaced(cell);
    for (char& c : spaced) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    line += escapeControls(spaced);
}

}  // namespace

int runList(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 2> kSpecs{{{"--view", true}, {"--columns", true}}};
    std::string error;
    const auto parsed = parseArguments(args, kSpecs, error);
    if (!parsed) return usageError("list", error);
    if (parsed->help) {
        std::cout << commandUsage("list");
        return kExitOk;
    }
    const std::string view = parsed->value("--view").value_or("v1");
    if (view != "v1" && view != "v2") return usageError("list", "--view must be v1 or v2");
    const auto layout =
        parseColumns(parsed->value("--columns").value_or("Filename,Title,Artist,Album"), error);
    if (!layout) return usageError("list", error);
    if (parsed->operands.size() != 1) return usageError("list", "give exactly one folder");

    std::string folder = parsed->operands.front();
    // Writes of files here that were cut short are finished before the files are read.
    for (const auto& recovery : tags::recoverJournalsIn(folder, false))
        reportFileError(recovery.file, tags::describe(recovery));
    const auto names = mp3Names(folder, error);
    if (!names) {
        reportFileError(folder, error);
        return kExitFileFailed;
    }
    if (folder.back() != '/') folder += '/';
    const bool v2 = view == "v2";
    std::string line;
    for (const auto& name : *names) {
        const std::string path = folder + name;
        const tags::ListRow row = v2 ? tags::readListRowV2(path, name, *layout)
                                     : tags::readListRowV1(path, name, *layout);
        line.assign(1, static_cast<char>('0' + row.presence));
        for (std::size_t i = 0; i < layout->size(); ++i) {
            std::string_view cell = i < row.cells.size() ? row.cells[i] : std::string_view();
            // The ID3v2 view shows a genre as the desktop list does, without its "(n)" reference.
            std::string genre;
            if (v2 && (*layout)[i] == tags::Column::Genre) {
                genre = tags::genreDisplayText(cell);
                cell = genre;
            }
            line += '\t';
            appendCell(line, cell);
        }
        line += '\n';
        // Once the output is lost, reading more files is of no use (main reports it).
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) break;
    }
    return kExitOk;
}

}  // namespace corvane::cli
