#include "batch/file_names.h"

#include <filesystem>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "batch/text_case.h"
#include "tags/text_rules.h"

namespace corvane::batch {

namespace {

bool refusedEverywhere(char c)
{
    return c == '/' || c == '\0';
}

bool refusedElsewhere(char c)
{
    constexpr std::string_view kRefused = "\\:*?\"<>|";
    return kRefused.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20;
}

// The names in a folder now, or nullopt when it cannot be read.
std::optional<std::unordered_set<std::string>> namesIn(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::unordered_set<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec);
    if (ec) return std::nullopt;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return std::nullopt;
        names.insert(it->path().filename().native());
    }
    return names;
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

// The path that names the same file however it was given ("a.mp3", "./a.mp3", "/music/a.mp3");
// current is the current folder.
std::string normalPath(const std::string& path, const std::string& current)
{
    const std::string whole = path.starts_with('/') || current.empty() ? path : current + "/" + path;
    // Most paths are plain already; making them so costs far more than looking.
    const bool plain = whole.find("//") == std::string::npos && whole.find("/.") == std::string::npos;
    return plain ? whole : std::filesystem::path(whole).lexically_normal().string();
}

// Two files to one new name: every one of them is left alone.
void markSameNewNames(std::span<FilePlan> plans, const std::vector<std::size_t>& renames,
                      const std::vector<std::string>& newPaths)
{
    std::unordered_map<std::string_view, std::vector<std::size_t>> byNewPath;
    for (std::size_t k = 0; k < renames.size(); ++k) byNewPath[newPaths[k]].push_back(renames[k]);
    for (const auto& [newPath, group] : byNewPath) {
        if (group.size() < 2) continue;
        const std::string why =
            std::to_string(group.size()) + " files would be named " + std::string(nameOf(newPath));
        for (const auto i : group) plans[i].setProblem(PlanProblem::Collision, why);
    }
}

// The renames into one folder: a name a file has now is taken; a new name that differs only in
// case from another name of the folder as the renames leave it gets a note.
void checkFolder(std::span<FilePlan> plans, const std::vector<std::size_t>& renames,
                 const std::string& folder)
{
    auto names = namesIn(folder);
    for (const auto i : renames) {
        FilePlan& plan = plans[i];
        if (plan.hasProblem()) continue;
        const std::string name(nameOf(plan.newPath));
        if (names ? names->contains(name) : exists(plan.newPath))
            plan.setProblem(PlanProblem::Collision, "a file named " + name + " exists");
    }
    // The folder as the renames leave it, by folded name: two spellings of each are enough to
    // tell a new name whether another one differs from it only in case.
    std::unordered_set<std::string> after = names ? std::move(*names) : std::unordered_set<std::string>{};
    for (const auto i : renames) {
        if (plans[i].hasProblem()) continue;
        after.erase(std::string(nameOf(plans[i].path)));
        after.insert(std::string(nameOf(plans[i].newPath)));
    }
    struct Spellings {
        std::string_view first;
        std::string_view second;
    };
    std::unordered_map<std::string, Spellings> byFolded;
    for (const auto& name : after) {
        auto& spellings = byFolded[foldCase(name)];
        (spellings.first.empty() ? spellings.first : spellings.second) = name;
    }
    for (const auto i : renames) {
        FilePlan& plan = plans[i];
        if (plan.hasProblem()) continue;
        const auto name = nameOf(plan.newPath);
        const auto& spellings = byFolded[foldCase(name)];
        const auto other = spellings.first == name ? spellings.second : spellings.first;
        if (other.empty()) continue;
        plan.note = "differs only in case from " + std::string(other) +
                    ": on a case-insensitive file system (a USB stick) the two are one file";
    }
}

}  // namespace

std::string cleanNameStem(std::string_view text, bool portable)
{
    std::string stem;
    stem.reserve(text.size());
    for (const char c : text)
        stem += refusedEverywhere(c) || (portable && refusedElsewhere(c)) ? kNameReplacement : c;
    const auto first = stem.find_first_not_of(" .");
    if (first == std::string::npos) return {};
    const auto last = stem.find_last_not_of(" .");
    return stem.substr(first, last - first + 1);
}

std::string_view mp3Ending(std::string_view name)
{
    if (tags::isMp3FileName(name)) return name.substr(name.size() - 4);
    return ".mp3";
}

std::string_view folderOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view nameOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void markCollisions(std::span<FilePlan> plans)
{
    std::error_code ec;
    const std::string current = std::filesystem::current_path(ec).string();
    std::vector<std::size_t> renames;
    std::vector<std::string> newPaths;
    std::unordered_map<std::string, std::vector<std::size_t>> renamesByFolder;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (!plans[i].writes() || plans[i].newPath == plans[i].path) continue;
        renames.push_back(i);
        newPaths.push_back(normalPath(plans[i].newPath, current));
        renamesByFolder[std::string(folderOf(newPaths.back()))].push_back(i);
    }
    markSameNewNames(plans, renames, newPaths);
    for (const auto& [folder, group] : renamesByFolder) checkFolder(plans, group, folder);
}

}  // namespace corvane::batch
