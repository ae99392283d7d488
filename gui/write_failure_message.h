#pragma once
// The messages for a file that could not be written, worded the same wherever a write is refused:
// the tag editor's save and every batch run.

#include <QString>
#include <string>

namespace corvane {

// "The file <name> could not be written to. Please ensure it is not set to Read-Only and try
// again." — for a file that failed the access test before anything was opened.
[[nodiscard]] QString readOnlyMessage(const QString& name);

// "The file <name> could not be written to." and, on a line of its own, the core's reason as a
// sentence ("the ID3v2 tag is damaged" becomes "The ID3v2 tag is damaged."). For a file that
// passed the access test but whose open or write then failed.
[[nodiscard]] QString writeFailureMessage(const QString& name, const std::string& reason);

// "The picture of <name> could not be extracted." and the reason as a sentence, likewise.
[[nodiscard]] QString extractFailureMessage(const QString& name, const std::string& reason);

}  // namespace corvane
