#pragma once
// Ctrl+C during a command that writes: the file being written is finished and no other is begun,
// so that every file is either written or untouched. A second Ctrl+C ends the program at once;
// the journal of the write in progress then lets the next write repair the file.

namespace corvane::cli {

class InterruptCatcher {
public:
    // Catches SIGINT for the lifetime of the object; the previous handling comes back after.
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // Whether Ctrl+C was pressed since the catcher was made.
    [[nodiscard]] static bool interrupted();
};

}  // namespace corvane::cli
