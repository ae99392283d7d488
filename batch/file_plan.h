#pragma once
// What an operation with a preview would do to each file (Tag from File Name, Rename from Tags,
// Case and Replace): worked out for every file before anything is written, shown to the user,
// and then carried out only where the file still gives the very same plan.

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "batch/file_work.h"
#include "batch/run_driver.h"
#include "tags/file.h"
#include "tags/tag_write.h"

namespace corvane::batch {

enum class ChangeTarget { FileName, Id3v1, Id3v2 };

// One value that would change.
struct ValueChange {
    ChangeTarget target = ChangeTarget::FileName;
    std::string field;  // the field's name ("title"); "name" for the file name
    std::string label;  // as the editor names it ("Title"); "Name" for the file name
    std::string before;
    std::string after;

    friend bool operator==(const ValueChange&, const ValueChange&) = default;
};

// Why a file is left alone.
enum class PlanProblem {
    None,
    NoMatch,       // its name does not match the format
    NotText,       // its name gives a value that is not UTF-8 text
    MissingValue,  // the tag lacks a field the format names
    EmptyName,     // the new name would be empty
    TooLong,       // the new name is longer than a folder entry can be
    Collision,     // another file has or would get the new name
    Unreadable,    // the file or its tag cannot be read, or the tag cannot be rewritten
    NotSearched,   // a value cannot be searched (too long for a regular expression)
};

struct FilePlan {
    std::string path;
    std::vector<ValueChange> changes;  // in field order; empty when nothing would change
    PlanProblem problem = PlanProblem::None;
    std::string reason;  // the problem, as the user reads it
    std::string note;    // something to know about a file that is handled all the same
    tags::TagChanges tagChanges;  // what the write asks of the tags
    std::string newPath;  // the file's path after the operation (its path when not renamed)

    // The plan of a file that nothing is known of yet: no change.
    [[nodiscard]] static FilePlan of(const std::string& path);

    [[nodiscard]] bool hasProblem() const { return problem != PlanProblem::None; }
    // The file is written (or renamed) when the plan is carried out.
    [[nodiscard]] bool writes() const { return !hasProblem() && !changes.empty(); }

    // Leaves the file alone for the reason given.
    void setProblem(PlanProblem kind, std::string why);
};

// Works out the plan of one file, open for reading (preview) or for update (the write).
using Planner = std::function<FilePlan(tags::FileIo& file, const std::string& path)>;

// The plan of every file, in order; a file that cannot be opened is Unreadable.
[[nodiscard]] std::vector<FilePlan> buildPreview(std::span<const std::string> paths,
                                                 const Planner& planner);

// The files a preview writes, in order.
[[nodiscard]] std::vector<std::string> pathsToWrite(std::span<const FilePlan> preview);

// The per-file work of a run over pathsToWrite(preview): the file's plan is worked out again and
// carried out only when it is the one previewed (else Failed: "changed since the preview"): the
// tag changes are written as one change, or the file is renamed under its write lock, never over
// another file, and the rename noted for undo.
[[nodiscard]] FileWork previewedWork(std::span<const FilePlan> preview, Planner planner);

}  // namespace corvane::batch
