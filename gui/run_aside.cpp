#include "gui/run_aside.h"

#include <QCoreApplication>
#include <thread>

#include "gui/wait_cursor.h"

namespace corvane {

void runAside(const std::function<void()>& job)
{
    bool done = false;
    QObject receiver;  // lives on the GUI thread, so the call below runs there
    std::thread worker([&] {
        job();
        QMetaObject::invokeMethod(&receiver, [&done] { done = true; }, Qt::QueuedConnection);
    });
    {
        const WaitCursor wait;
        // Sleeps until an event comes; the job's end is one.
        while (!done)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
    }
    worker.join();
}

}  // namespace corvane
