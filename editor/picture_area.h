#pragma once
// The tag editor's picture area: the pictures of the file one at a time (the cover first), scaled
// to the area with their aspect ratio, "n of m" with buttons to step between them, each one's
// type, description, MIME type, pixel size and byte size, and Add..., Replace..., Extract... and
// Remove. An image file dropped on the area is added. Changes go into the editor's picture list
// and reach the file only with the editor's save.

#include <QWidget>

#include <cstddef>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

namespace batch {
class EditorPictures;
}
class Prompter;

class PictureArea final : public QWidget {
    Q_OBJECT

public:
    explicit PictureArea(QWidget* parent = nullptr);

    // The pictures shown and changed, and the prompts; both must outlive the area. folder is the
    // shown file's folder (ending with "/"), where Extract offers to put a picture.
    void attach(batch::EditorPictures& pictures, Prompter& prompter);
    // Shows the cover of the pictures just loaded or reverted.
    void showCover(const QString& folder);
    // Whether pictures can be added, replaced, retyped or removed (the ID3v2 box is checked).
    void setEditable(bool editable);

    // The controls that take the focus, in tab order.
    [[nodiscard]] QList<QWidget*> tabSequence() const;
    // The place of the picture shown, from 0; -1 without pictures.
    [[nodiscard]] int currentIndex() const { return m_current; }

    // Adds the image file at path as a new picture and shows it; says why when it cannot.
    bool addImageFile(const QString& path);
    // Takes the type and description shown into the pictures, as a save needs them; false
    // (after saying why) when they cannot be.
    [[nodiscard]] bool commitPending();

signals:
    // The pictures were changed.
    void changed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void show(int index);
    void showEmpty();
    void step(int by);
    void addPicture();
    void replacePicture();
    void extractPicture();
    void removePicture();

    void enableControls();

    batch::EditorPictures* m_pictures = nullptr;
    Prompter* m_prompter = nullptr;
    QString m_folder;
    int m_current = -1;
    bool m_editable = true;

    QLabel* m_image = nullptr;
    QPushButton* m_prev = nullptr;
    QLabel* m_position = nullptr;
    QPushButton* m_next = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_description = nullptr;
    QLabel* m_details = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_replace = nullptr;
    QPushButton* m_extract = nullptr;
    QPushButton* m_remove = nullptr;
};

}  // namespace corvane
