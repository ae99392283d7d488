#pragma once
// "Select MP3 Fields to Update": which of the tag editor's fields Update All copies into every
// file the editor was opened on, or, for a tag whose box is cleared in the editor, whether that
// tag is removed from every file.

#include <QDialog>
#include <QIcon>
#include <array>
#include <memory>
#include <vector>

#include "batch/field_lists.h"
#include "batch/field_selection.h"

class QTreeWidget;

namespace Ui {
class FieldSelectDialog;
}

namespace corvane {

class Prompter;

// The rows of each list, top to bottom, while the tag's box is checked.
inline constexpr std::array<tags::EditorField, 7> kId3v1Rows{
    tags::EditorField::V1Track, tags::EditorField::V1Title, tags::EditorField::V1Artist,
    tags::EditorField::V1Album, tags::EditorField::V1Year,  tags::EditorField::V1Genre,
    tags::EditorField::V1Comment};
inline constexpr std::array<tags::EditorField, 20> kId3v2Rows{
    tags::EditorField::Track,        tags::EditorField::Title,      tags::EditorField::Artist,
    tags::EditorField::Album,        tags::EditorField::Year,       tags::EditorField::V2Genre,
    tags::EditorField::Comment,      tags::EditorField::Composer,   tags::EditorField::Lyricist,
    tags::EditorField::Copyright,    tags::EditorField::Url,        tags::EditorField::EncodedBy,
    tags::EditorField::SubTitle,     tags::EditorField::OrigArtist, tags::EditorField::OrigAlbum,
    tags::EditorField::OrigYear,     tags::EditorField::OrigLyricist, tags::EditorField::Publisher,
    tags::EditorField::Band,         tags::EditorField::Conductor};

class FieldSelectDialog final : public QDialog {
    Q_OBJECT

public:
    // texts: what the editor shows; a cleared tag box offers the removal of that tag instead of
    // its fields. The rows start chosen as selection says. On "Update" every shown row's state
    // is stored into selection (also when the dialog then refuses to close because nothing is
    // chosen); fields of rows not shown keep their state. selection and prompter must outlive
    // the dialog.
    FieldSelectDialog(const batch::EditorTexts& texts, batch::FieldSelection& selection,
                      Prompter& prompter, QWidget* parent = nullptr);
    ~FieldSelectDialog() override;

    // Stores the rows, then refuses to close while no row of either list is chosen.
    void accept() override;

private:
    struct ListSpec;
    // Fills one list and returns the field of each of its rows: the tag's fields while its box
    // is checked, else the one row that removes the tag.
    std::vector<tags::EditorField> fillList(QTreeWidget& list, const ListSpec& form,
                                            bool tagChecked, const batch::EditorTexts& texts);
    void fillFieldRows(QTreeWidget& list, const std::vector<tags::EditorField>& fields,
                       const batch::EditorTexts& texts, int fieldWidth, int dataWidth);
    void fillRemoveRow(QTreeWidget& list, tags::EditorField field, const QString& text);
    void showTicks(QTreeWidget& list) const;
    void connectButtons();
    void storeRows(const QTreeWidget& list, const std::vector<tags::EditorField>& fields);

    std::unique_ptr<Ui::FieldSelectDialog> m_ui;
    batch::FieldSelection& m_selection;
    Prompter& m_prompter;
    QIcon m_ticked;
    QIcon m_unticked;
    std::vector<tags::EditorField> m_id3v1Fields;  // the field of each row shown, row by row
    std::vector<tags::EditorField> m_id3v2Fields;
};

}  // namespace corvane
