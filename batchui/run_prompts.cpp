#include "batchui/run_prompts.h"

#include "gui/display_text.h"
#include "gui/prompt.h"
#include "gui/wait_cursor.h"
#include "gui/write_failure_message.h"

namespace corvane {

namespace {

const QString kReadingFile = QStringLiteral("Reading File: ");
const QString kContinueSetting =
    QStringLiteral("\nWould you like to continue setting remaining file tags?");
const QString kContinueUpdating =
    QStringLiteral("\nWould you like to continue with the remaining file(s)?");
constexpr qint64 kProgressIntervalMs = 100;

}  // namespace

RunPrompts::RunPrompts(QWidget* parent, Prompter& prompter, std::vector<std::string> names,
                       Form form)
    : m_parent(parent), m_prompter(prompter), m_names(std::move(names)), m_form(form)
{
}

void RunPrompts::setProgress(Progress when, ShowProgress show)
{
    m_progressWhen = when;
    m_showProgress = std::move(show);
}

void RunPrompts::setAfterFile(AfterFile afterFile)
{
    m_afterFile = std::move(afterFile);
}

void RunPrompts::setWriting(tags::WritePolicy policy, batch::UndoRecorder* undo)
{
    m_policy = policy;
    m_undo = undo;
}

void RunPrompts::recovered(const batch::RunFile& file, const tags::Recovery& recovery)
{
    if (!m_recoveries.isEmpty()) m_recoveries += QStringLiteral("; ");
    m_recoveries += nameOf(file) + QStringLiteral(": ") + fromUtf8(tags::describe(recovery));
}

QString RunPrompts::nameOf(const batch::RunFile& file) const
{
    return displayName(m_names.at(file.index));
}

void RunPrompts::showProgress(const QString& text)
{
    m_lastProgress = text;
    m_lastShown = false;
    if (m_progressClock.isValid() && m_progressClock.elapsed() < kProgressIntervalMs) return;
    m_progressClock.start();
    showLastProgress();
}

void RunPrompts::showLastProgress()
{
    if (m_lastShown || !m_showProgress) return;
    m_showProgress(m_lastProgress);
    m_lastShown = true;
}

bool RunPrompts::startFile(const batch::RunFile& file)
{
    if (m_progressWhen == Progress::ReadingName) showProgress(kReadingFile + nameOf(file));
    return true;
}

void RunPrompts::accessGranted(const batch::RunFile& file)
{
    if (m_progressWhen == Progress::PathWhenAccessible) showProgress(displayName(file.path));
}

bool RunPrompts::finishFile(const batch::RunFile& file, const batch::FileOutcome& outcome)
{
    if (m_afterFile) m_afterFile(file, outcome);
    switch (outcome.status) {
    case batch::FileStatus::Written:
    case batch::FileStatus::Skipped: return true;
    case batch::FileStatus::NotWritable:
        return askToGoOn(readOnlyMessage(nameOf(file)), file.anotherFollows());
    case batch::FileStatus::Failed:
        return askToGoOn(m_form == Form::Extracting ? extractFailureMessage(nameOf(file), outcome.reason)
                                                    : writeFailureMessage(nameOf(file), outcome.reason),
                         file.anotherFollows());
    }
    return true;
}

bool RunPrompts::askToGoOn(const QString& message, bool anotherFollows)
{
    const ScopedCursor arrow(Qt::ArrowCursor);  // the run's wait cursor would sit over the buttons
    showLastProgress();                         // the status bar names the file asked about
    if (m_form == Form::Updating) {
        return m_prompter.ask(m_parent, message + kContinueUpdating, PromptIcon::Warning,
                              PromptButtons::YesNo) == PromptAnswer::Yes;
    }
    if (!anotherFollows) {
        m_prompter.information(m_parent, message);
        return false;
    }
    return m_prompter.yesNo(m_parent,
                            message + (m_form == Form::Extracting ? kContinueUpdating : kContinueSetting));
}

}  // namespace corvane
