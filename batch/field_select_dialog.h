#pragma once
// "Select MP3 Fields to Update": which of the tag editor's fields Update All copies into every
// file the editor was opened on, or, for a tag whose box is cleared in the editor, whether that
// tag is removed from every file.

#include <QDialog>
#include <QIcon>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/field_selection.h"

class QTreeWidget;

namespace Ui {
class FieldSelectDialog;
}

namespace corvane {

class Prompter;

// Bits of FieldSelectTexts::tagMask.
inline constexpr int kFieldSelectId3v1 = 1;  // the editor's "ID3v1 Tag" box is checked
inline constexpr int kFieldSelectId3v2 = 2;  // the editor's "ID3v2 Tag" box is checked

// What the editor shows, as plain data: the texts of its 26 text controls in control order
// (0..5 the ID3v1 Track No to Comment, 6..24 the ID3v2 Track No to Conductor, 25 the play
// counter, which has no row here), its two genre boxes, and which tag boxes are checked.
struct FieldSelectTexts {
    std::array<std::string, 26> fields;
    std::string id3v1Genre;
    std::string id3v2Genre;
    int tagMask = kFieldSelectId3v1 | kFieldSelectId3v2;
};

// The flags the rows of each list stand for, row by row, when the tag's box is checked.
inline constexpr std::array<int, 7> kId3v1RowFlags{0, 1, 2, 3, 4, 25, 5};
inline constexpr std::array<int, 20> kId3v2RowFlags{6,  7,  8,  9,  10, 26, 11, 12, 13, 14,
                                                    15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
// The flags that stand for "Remove ID3v1 Tag" and "Remove ID3v2 Tag" when the box is cleared.
inline constexpr int kRemoveId3v1Flag = 0;
inline constexpr int kRemoveId3v2Flag = 6;

class FieldSelectDialog final : public QDialog {
    Q_OBJECT

public:
    // The rows start chosen as selection says. On "Update" every shown row's state is stored
    // into selection (also when the dialog then refuses to close because nothing is chosen);
    // flags of rows not shown keep their values. selection and prompter must outlive the dialog.
    FieldSelectDialog(const FieldSelectTexts& texts, FieldSelection& selection, Prompter& prompter,
                      QWidget* parent = nullptr);
    ~FieldSelectDialog() override;

    // Stores the rows, then refuses to close while no row of either list is chosen.
    void accept() override;

private:
    void fillFieldRows(QTreeWidget& list, const FieldSelectTexts& texts,
                       const std::vector<int>& flags, int fieldWidth, int dataWidth);
    void fillRemoveRow(QTreeWidget& list, const QString& text, int flag);
    void showTicks(QTreeWidget& list) const;
    void connectButtons();
    void storeRows(const QTreeWidget& list, const std::vector<int>& flags);

    std::unique_ptr<Ui::FieldSelectDialog> m_ui;
    FieldSelection& m_selection;
    Prompter& m_prompter;
    QIcon m_ticked;
    QIcon m_unticked;
    std::vector<int> m_id3v1Flags;  // the flag of each row shown, row by row
    std::vector<int> m_id3v2Flags;
};

}  // namespace corvane
