#pragma once
// Work the GUI thread waits for without freezing the window: reading a few thousand files again,
// or the size of their tags, takes seconds on a cold disk or a network share.

#include <functional>

namespace corvane {

// Runs job on a thread of its own and returns when it is done. Meanwhile the event loop goes on
// painting and taking timers and queued calls, with the wait cursor shown; input waits until the
// job is done, so nothing the job depends on can change under it.
void runAside(const std::function<void()>& job);

}  // namespace corvane
