#pragma once
// The wait cursor for the length of a scope: scans, saves and batch runs are synchronous, so the
// user sees the hourglass until the work returns, whichever way it returns.

#include <QApplication>

namespace corvane {

// Shows a cursor over the whole application until the end of the scope; guards nest.
class ScopedCursor {
public:
    explicit ScopedCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~ScopedCursor() { QApplication::restoreOverrideCursor(); }
    ScopedCursor(const ScopedCursor&) = delete;
    ScopedCursor& operator=(const ScopedCursor&) = delete;
};

class WaitCursor : public ScopedCursor {
public:
    WaitCursor() : ScopedCursor(Qt::WaitCursor) {}
};

}  // namespace corvane
