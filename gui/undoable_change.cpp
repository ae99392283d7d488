#include "gui/undoable_change.h"

#include "batch/undo_store.h"
#include "gui/display_text.h"
#include "gui/prompt.h"
#include "gui/run_aside.h"

namespace corvane {

std::unique_ptr<UndoableChange> UndoableChange::begin(QWidget* parent, Prompter& prompter,
                                                      const WriteSettings& settings,
                                                      const std::vector<std::string>& paths,
                                                      const std::string& label,
                                                      bool keepsTags)
{
    std::unique_ptr<UndoableChange> change(new UndoableChange);
    bool fits = true;
    std::uint64_t bytes = 0;
    if (keepsTags) runAside([&] { fits = batch::fitsUndoRecord(paths, &bytes); });
    if (!fits) {
        const QString question =
            QStringLiteral("The old tags of these files take ") + QString::number(bytes >> 20) +
            QStringLiteral(" MB, more than the undo record keeps, so this change cannot be undone. "
                           "Go on without undo?");
        if (!prompter.yesNo(parent, question)) return nullptr;
        return change;
    }
    change->m_store = std::make_unique<batch::UndoStore>(settings.undoFolder);
    change->m_recorder = std::make_unique<batch::UndoRecorder>(*change->m_store, label);
    return change;
}

UndoableChange::~UndoableChange() = default;

QString UndoableChange::finish()
{
    std::string why;
    if (m_recorder && !m_recorder->commit(&why))
        return QStringLiteral("The change cannot be undone: ") + fromUtf8(why);
    return {};
}

QString lastChangeLabel(const WriteSettings& settings)
{
    const auto label = batch::UndoStore(settings.undoFolder).lastLabel();
    return label ? fromUtf8(*label) : QString();
}

QString undoMenuText(const QString& label)
{
    const QString undo = QStringLiteral("Undo ");
    if (label.startsWith(undo)) return QStringLiteral("Redo ") + label.mid(undo.size());
    return undo + label;
}

}  // namespace corvane
