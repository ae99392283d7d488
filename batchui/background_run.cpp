#include "batchui/background_run.h"

#include <QCoreApplication>
#include <QTimer>
#include <thread>

#include "batchui/run_progress_dialog.h"
#include "gui/display_text.h"
#include "gui/wait_cursor.h"

namespace corvane {

namespace {

// A run that ends within this time shows no dialog.
constexpr int kDialogDelayMs = 300;

// The worker thread's observer: every call goes to the GUI thread and waits there, but the
// accessGranted notice, which needs no answer.
class GuiBridge final : public batch::RunObserver {
public:
    GuiBridge(RunProgressDialog& dialog, batch::RunObserver& observer)
        : m_dialog(dialog), m_observer(observer)
    {
    }

    bool startFile(const batch::RunFile& file) override
    {
        bool goOn = false;
        onGui([&] {
            if (m_dialog.isCancelled()) return;
            m_dialog.showFile(file.index, displayName(file.path));
            goOn = m_observer.startFile(file);
        });
        return goOn;
    }

    void accessGranted(const batch::RunFile& file) override
    {
        QMetaObject::invokeMethod(
            &m_dialog, [this, file] { m_observer.accessGranted(file); }, Qt::QueuedConnection);
    }

    bool finishFile(const batch::RunFile& file, const batch::FileOutcome& outcome) override
    {
        bool goOn = false;
        onGui([&] {
            goOn = m_observer.finishFile(file, outcome);
            m_dialog.finishFile(file.index);
        });
        return goOn;
    }

    void recovered(const batch::RunFile& file, const tags::Recovery& recovery) override
    {
        onGui([&] { m_observer.recovered(file, recovery); });
    }

    // Set before the run and only read during it.
    [[nodiscard]] tags::WritePolicy writePolicy() const override
    {
        return m_observer.writePolicy();
    }
    [[nodiscard]] batch::UndoRecorder* undoRecorder() override { return m_observer.undoRecorder(); }

private:
    template <typename F>
    void onGui(F call)
    {
        QMetaObject::invokeMethod(&m_dialog, call, Qt::BlockingQueuedConnection);
    }

    RunProgressDialog& m_dialog;
    batch::RunObserver& m_observer;
};

}  // namespace

batch::RunReport runInBackground(RunProgressDialog& dialog, std::span<const std::string> paths,
                                 const batch::FileWork& work, batch::RunObserver& observer,
                                 tags::OpenMode mode)
{
    dialog.beginRun(paths.size());
    GuiBridge bridge(dialog, observer);
    bool done = false;
    batch::RunReport report;
    std::thread worker([&] {
        report = batch::runFiles(paths, work, bridge, mode);
        QMetaObject::invokeMethod(&dialog, [&] { done = true; }, Qt::QueuedConnection);
    });

    // The loops below take their turns from the application's event loop but never end it, so
    // that the worker, which may be waiting for an answer, is always heard to the end.
    bool delayPassed = false;
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, [&] { delayPassed = true; });
    delay.start(kDialogDelayMs);
    {
        // Input that arrives meanwhile waits for the dialog, which then refuses it for the
        // window, or for the end of the run.
        const WaitCursor wait;
        while (!done && !delayPassed)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
    }
    if (!done) {
        dialog.show();
        dialog.raise();
        while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    worker.join();  // it has nothing left to do but return
    dialog.endRun();
    return report;
}

}  // namespace corvane
