#pragma once
// How the desktop program's changes are written: with the write policy of the settings (the
// journal beside each file, flushed or not) and into the undo record, so that "Undo" in the
// Action menu can take the last one back. A change is a batch run or one save of the editor.

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "tags/file.h"

class QWidget;

namespace corvane {

namespace batch {
class UndoRecorder;
class UndoStore;
}  // namespace batch

class Prompter;

struct WriteSettings {
    tags::WritePolicy policy;
    std::string undoFolder;  // where the undo record is kept
};

// The undo record of one change while it is written.
class UndoableChange {
public:
    // Starts the record of a change labelled label over paths. When their old tags are too large
    // for the record, the user is asked whether to go on without undo; nullptr when the answer
    // is No (nothing is to be written then). The size is found off the GUI thread.
    [[nodiscard]] static std::unique_ptr<UndoableChange> begin(QWidget* parent, Prompter& prompter,
                                                               const WriteSettings& settings,
                                                               const std::vector<std::string>& paths,
                                                               const std::string& label);
    ~UndoableChange();
    UndoableChange(const UndoableChange&) = delete;
    UndoableChange& operator=(const UndoableChange&) = delete;

    // What the run driver notes the change in; nullptr for a change that goes on without undo.
    [[nodiscard]] batch::UndoRecorder* recorder() const { return m_recorder.get(); }
    // Stores the change once its files are written; a text for the status bar when it cannot be
    // stored, else empty.
    [[nodiscard]] QString finish();

private:
    UndoableChange() = default;

    std::unique_ptr<batch::UndoStore> m_store;
    std::unique_ptr<batch::UndoRecorder> m_recorder;
};

// The label of the change Undo would take back now ("Set Data", "Undo Set Data", ...), or empty
// when there is none.
[[nodiscard]] QString lastChangeLabel(const WriteSettings& settings);

// The Action menu's text for undoing a change of that label: "Undo Set Data", and "Redo Set
// Data" for the undo of an undo.
[[nodiscard]] QString undoMenuText(const QString& label);

}  // namespace corvane
