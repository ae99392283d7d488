#pragma once
// "MP3 Tag Info": edits both tags of one MP3 file at a time and steps through the files that
// were selected when it opened. A file is read when it becomes current and written only by
// "Update", by a Yes to the save prompt of Prev and Next, or by Update All.

#include "batch/field_selection.h"
#include "editor/update_all_hook.h"
#include "tags/editor_fields.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

namespace Ui {
class TagEditorDialog;
}

namespace corvane {

namespace tags {
class TagRecord;
}
namespace batch {
struct EditorTexts;
struct FileOutcome;
}
class Prompter;

class TagEditorDialog : public QDialog {
    Q_OBJECT

public:
    // folder ends with "/"; names (at least one) are the file names in list order. expanded is
    // the main window's layout setting, which More/Less changes; compact is the incoming value of
    // the Compact setting; selection is the Update All field selection. All references must
    // outlive the dialog. The first file is loaded here; when it cannot be read the dialog moves
    // on or, for the last file, is already rejected (exec() then returns at once).
    TagEditorDialog(const std::string& folder, std::vector<std::string> names, bool& expanded,
                    bool compact, batch::FieldSelection& selection, Prompter& prompter,
                    QWidget* parent = nullptr);
    ~TagEditorDialog() override;

    // The Compact choice to take back: the state of "Compact ID3v2 Tag" at the last "Update", or
    // the incoming value when "Update" was never pressed.
    [[nodiscard]] bool compact() const { return m_compact; }
    // 0-based position of the current file among the names.
    [[nodiscard]] int currentIndex() const { return m_index; }

    // Until a handler is set, "Update All..." does nothing.
    void setUpdateAllHandler(UpdateAllHandler handler);

    int exec() override;
    void open() override;

private:
    void initialise();
    void connectSignals();
    void markModified() { m_modified = true; }

    std::string currentPath() const;
    QString currentName() const;
    void updateTitle();
    bool loadCurrentFile();
    void fillControls();
    void applyId3v1Enabling();
    void applyId3v2Enabling();
    void applyLayout();
    void selectFocusedText();

    batch::EditorTexts editorTexts() const;
    batch::EditorLayout editorLayout() const;
    bool saveCurrentFile();
    void reportSaveFailure(const batch::FileOutcome& outcome);

    void stepTo(int index);
    void goPrev();
    void goNext();
    bool offerSave();
    void moveOnAfterFailedLoad();

    void update();
    void revert();
    void copyFromId3v1();
    void copyToId3v1();
    void toggleLayout();
    void clearCounter();
    void updateAll();

    // The one-line edit of a field; nullptr for the multi-line ID3v2 comment and the genre boxes.
    QLineEdit* lineEdit(tags::EditorField field) const;
    void setText(tags::EditorField field, const QString& text);
    QString text(tags::EditorField field) const;

    std::unique_ptr<Ui::TagEditorDialog> m_ui;
    std::array<QLineEdit*, tags::kEditorFieldCount> m_edits{};  // by EditorField
    QPlainTextEdit* m_v2Comment = nullptr;

    std::string m_folder;
    std::vector<std::string> m_names;
    int m_index = 0;
    bool& m_expanded;
    bool m_compact;
    batch::FieldSelection& m_selection;
    Prompter& m_prompter;
    bool m_modified = false;
    // The current file as loaded; Revert restores it, saves never go through it.
    std::unique_ptr<tags::TagRecord> m_record;
    UpdateAllHandler m_updateAll;
    // Set when the first file could not be read and there was no other: the dialog is over before
    // it was shown.
    bool m_finished = false;
    // The width the user had before "< Less", given back by "More >".
    int m_expandedWidth = 0;
};

}  // namespace corvane
