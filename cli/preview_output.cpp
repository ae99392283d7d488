#include "cli/preview_output.h"

#include "cli/json_writer.h"
#include "cli/terminal_text.h"

namespace corvane::cli {

namespace {

std::string fieldName(const batch::ValueChange& change)
{
    switch (change.target) {
        case batch::ChangeTarget::FileName: return "name";
        case batch::ChangeTarget::Id3v1: return "v1." + change.field;
        case batch::ChangeTarget::Id3v2: return "v2." + change.field;
    }
    return change.field;
}

// A value as one TAB-separated cell: TABs and line breaks inside it would split the line, and no
// other control character reaches the terminal raw.
std::string cellText(std::string_view cell)
{
    std::string spaced(cell);
    for (char& c : spaced) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return escapeControls(spaced);
}

void appendCell(std::string& line, std::string_view cell)
{
    line += '\t';
    line += cellText(cell);
}

std::string jsonOrNull(const std::string& text)
{
    return text.empty() ? "null" : jsonString(text);
}

}  // namespace

std::string previewText(std::span<const batch::FilePlan> plans)
{
    std::string out;
    for (const auto& plan : plans) {
        std::string line = cellText(plan.path);
        if (plan.hasProblem()) {
            appendCell(line, "problem");
            appendCell(line, plan.reason);
        } else {
            for (const auto& change : plan.changes) {
                appendCell(line, fieldName(change));
                appendCell(line, change.before);
                appendCell(line, change.after);
            }
        }
        if (!plan.note.empty()) {
            appendCell(line, "note");
            appendCell(line, plan.note);
        }
        out += line + '\n';
    }
    return out;
}

std::string previewJson(std::span<const batch::FilePlan> plans)
{
    std::string out = "[";
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const auto& plan = plans[i];
        out += i == 0 ? "\n  {" : ",\n  {";
        out += "\"file\": " + jsonString(plan.path) + ", \"new_file\": " + jsonString(plan.newPath) +
               ", \"changes\": [";
        for (std::size_t k = 0; k < plan.changes.size(); ++k) {
            const auto& change = plan.changes[k];
            out += std::string(k == 0 ? "" : ", ") + "{\"field\": " + jsonString(fieldName(change)) +
                   ", \"old\": " + jsonString(change.before) + ", \"new\": " + jsonString(change.after) + "}";
        }
        out += "], \"problem\": " + jsonOrNull(plan.hasProblem() ? plan.reason : std::string()) +
               ", \"note\": " + jsonOrNull(plan.note) + "}";
    }
    out += plans.empty() ? "]\n" : "\n]\n";
    return out;
}

}  // namespace corvane::cli
