#pragma once
// The dialogs of the picture operations: which pictures Remove Pictures takes, and where Extract
// Covers puts each file's cover.

#include <QDialog>
#include <optional>
#include <string>

#include "batch/picture_work.h"
#include "tags/id3v2_pictures.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace corvane {

class Prompter;

// "Remove Pictures": all of them, or those above a size in kilobytes.
class RemovePicturesDialog final : public QDialog {
    Q_OBJECT

public:
    explicit RemovePicturesDialog(QWidget* parent = nullptr);

    // The pictures to remove.
    [[nodiscard]] tags::PictureMatch match() const;

private:
    QRadioButton* m_all = nullptr;
    QRadioButton* m_larger = nullptr;
    QSpinBox* m_kilobytes = nullptr;
};

// "Extract Covers": into a folder under names made from a format, or as cover.jpg beside the
// files, which is offered only when they share one album.
class ExtractCoversDialog final : public QDialog {
    Q_OBJECT

public:
    // folder: where the files are (file-system bytes, ending with "/"), the folder offered first;
    // album: the album the files share, if they do. prompter must outlive the dialog.
    ExtractCoversDialog(const std::string& folder, std::optional<std::string> album,
                        Prompter& prompter, QWidget* parent = nullptr);

    [[nodiscard]] batch::ExtractOptions options() const;

    // Refuses a folder that does not exist.
    void accept() override;

private:
    void chooseFolder();
    void applyChoice();

    Prompter& m_prompter;
    QRadioButton* m_intoFolder = nullptr;
    QRadioButton* m_beside = nullptr;
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_format = nullptr;
};

}  // namespace corvane
