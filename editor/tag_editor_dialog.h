#pragma once
// "MP3 Tag Info": edits both tags of one MP3 file at a time and steps through the files that
// were selected when it opened. A file is read when it becomes current and written only by
// "Update", by a Yes to the save prompt of Prev and Next, or by Update All.

#include "batch/editor_pictures.h"
#include "batch/field_selection.h"
#include "editor/update_all_hook.h"
#include "gui/undoable_change.h"
#include "tags/editor_fields.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>
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
    // folder ends with "/"; names are the file names in list order. expanded is the main
    // window's layout setting, which More/Less changes; compact is the incoming value of the
    // Compact setting; selection is the Update All field selection. All references must outlive
    // the dialog. Nothing is read here: the caller runs loadFirstFile before showing it.
    TagEditorDialog(const std::string& folder, std::vector<std::string> names, bool& expanded,
                    bool compact, batch::FieldSelection& selection, Prompter& prompter,
                    QWidget* parent = nullptr);
    ~TagEditorDialog() override;

    // The Compact choice to take back: the state of "Compact ID3v2 Tag" at the last "Update", or
    // the incoming value when "Update" was never pressed.
    [[nodiscard]] bool compact() const { return m_compact; }
    // 0-based position of the current file among the names.
    [[nodiscard]] int currentIndex() const { return m_index; }
    // The pictures of the current file as the picture area shows and changes them.
    [[nodiscard]] const batch::EditorPictures& pictures() const { return m_pictures; }

    // Loads the first file of the list that can be read; each one before it that cannot is
    // reported ("Unable to read the file ..."). False when none could be read: the dialog has
    // nothing to show and is not to be shown.
    [[nodiscard]] bool loadFirstFile();

    // Until a handler is set, "Update All..." does nothing.
    void setUpdateAllHandler(UpdateAllHandler handler);
    // How "Update" writes, and where it notes each save as a change Undo takes back. Until set,
    // saves are journalled and not recorded.
    void setWriteSettings(WriteSettings writing) { m_writing = std::move(writing); }

private:
    void setUpControls();
    void setUpPictureArea();
    void connectSignals();
    void markModified() { m_modified = true; }

    std::string currentPath() const;
    QString currentName() const;
    void updateTitle();
    // Loads the current file or, when it cannot be read, says so and moves on to the next one;
    // false when no file from the current one on could be read.
    [[nodiscard]] bool loadCurrentFile();
    // loadCurrentFile for a dialog on the screen: it closes when no file is left to show.
    void showCurrentFile();
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

    void saveAndMoveOn();
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
    // Tags of the current file that are there but could not be read: a cleared box then means
    // "leave it", never "remove it".
    struct Unreadable {
        bool id3v1 = false;
        bool id3v2 = false;
    } m_unreadable;
    // Fields whose frame in the current file cannot be read (encrypted): shown as not editable.
    std::vector<std::string> m_lockedKeys;
    std::uint8_t m_v2Major = 0;  // the version of the current file's ID3v2 tag, 0 without one
    // The current file as loaded; Revert restores it, saves never go through it.
    std::unique_ptr<tags::TagRecord> m_record;
    batch::EditorPictures m_pictures;  // the current file's, with the changes not yet saved
    UpdateAllHandler m_updateAll;
    std::optional<WriteSettings> m_writing;
    // The width the user had before "< Less", given back by "More >".
    int m_expandedWidth = 0;
};

}  // namespace corvane
