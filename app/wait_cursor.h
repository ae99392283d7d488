#pragma once
// The wait cursor for the length of a scope: scans, saves and batch runs are synchronous, so the
// user sees the hourglass until the work returns, whichever way it returns.

#include <QApplication>

namespace corvane {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace corvane
