#pragma once
// The wait cursor for the length of a scope: work that holds the GUI thread (a save, the rows read
// again after an edit, the first moment of a batch run before its dialog shows) shows the
// hourglass until it returns, whichever way it returns.

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
