#pragma once
// How a batch run of the desktop program talks to the user between its files: the progress text
// in the status bar, and, for a file that could not be written, the message naming it with the
// question whether to go on. The files themselves go through the batch core's run driver.

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "batch/run_driver.h"

class QWidget;

namespace corvane {

class Prompter;

class RunPrompts final : public batch::RunObserver {
public:
    enum class Form {
        // The Action commands: a question (Yes/No) while another file follows, a notice for the
        // last file; the run ends after a notice or a No.
        Setting,
        // Update All: every refusal asks, with a warning, also after the last file.
        Updating,
        // Extract Covers: as Setting, but the files are read, and their pictures written out.
        Extracting,
    };
    enum class Progress {
        None,
        // The file's full path, once it passed the access test.
        PathWhenAccessible,
        // "Reading File: " and the name before anything else: the run reads before it writes.
        ReadingName,
    };
    using ShowProgress = std::function<void(const QString&)>;
    using AfterFile = std::function<void(const batch::RunFile&, const batch::FileOutcome&)>;

    // names: the bare file names of the run's files, in its order, as the messages show them.
    // parent and prompter must outlive the observer.
    RunPrompts(QWidget* parent, Prompter& prompter, std::vector<std::string> names, Form form);

    // The progress text changes at most a few times a second, as a run goes faster than anyone
    // reads; showLastProgress puts the last file's text up when the run is over.
    void setProgress(Progress when, ShowProgress show);
    void showLastProgress();
    // Called with each file's outcome before any prompt about it (rows brought up to date).
    void setAfterFile(AfterFile afterFile);
    // How the run writes (the journal beside each file) and where it notes what undoes it
    // (nullptr: not to be undone). By default journalled and not undoable.
    void setWriting(tags::WritePolicy policy, batch::UndoRecorder* undo);
    // What recovery did with journals of earlier, interrupted writes found beside the run's
    // files, "NAME: what was done", separated by "; "; empty when there were none.
    [[nodiscard]] const QString& recoveryNotes() const { return m_recoveries; }

    bool startFile(const batch::RunFile& file) override;
    void accessGranted(const batch::RunFile& file) override;
    bool finishFile(const batch::RunFile& file, const batch::FileOutcome& outcome) override;
    void recovered(const batch::RunFile& file, const tags::Recovery& recovery) override;
    [[nodiscard]] tags::WritePolicy writePolicy() const override { return m_policy; }
    [[nodiscard]] batch::UndoRecorder* undoRecorder() override { return m_undo; }

private:
    [[nodiscard]] QString nameOf(const batch::RunFile& file) const;
    [[nodiscard]] bool askToGoOn(const QString& message, bool anotherFollows);
    void showProgress(const QString& text);

    QWidget* m_parent;
    Prompter& m_prompter;
    std::vector<std::string> m_names;
    Form m_form;
    Progress m_progressWhen = Progress::None;
    ShowProgress m_showProgress;
    QElapsedTimer m_progressClock;
    QString m_lastProgress;  // the latest text, shown or not
    bool m_lastShown = true;
    AfterFile m_afterFile;
    tags::WritePolicy m_policy;
    batch::UndoRecorder* m_undo = nullptr;
    QString m_recoveries;
};

}  // namespace corvane
