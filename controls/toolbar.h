#pragma once
// A flat bar of buttons, each a text caption with an underlined access letter or a picture,
// painted by hand with a grip at its left end. A click counts only when the left button is
// released on the item it went down on. The menu bar uses one Toolbar per band. Captions are
// measured and drawn in the font the bar inherits (the application's), like the rest of the
// desktop.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include "controls/toolbar_layout.h"

namespace corvane {

class Toolbar : public QWidget {
    Q_OBJECT

public:
    // An empty bar: 15 pixels wide, 0 high, at (0, 2) of parent.
    explicit Toolbar(QWidget* parent = nullptr);

    // Appends a text button; "&" marks the access letter ("&&" shows one "&").
    void addTextItem(const QString& caption, int command);
    // Appends a picture button showing picture as it is (its alpha channel included).
    void addPictureItem(const QPixmap& picture, int command);
    // Appends a picture button whose pixels of transparentColour are shown as background.
    void addPictureItem(const QPixmap& picture, const QColor& transparentColour, int command);
    // Appends a picture button showing icon at size (device-independent pixels).
    void addPictureItem(const QIcon& icon, const QSize& size, int command);

    // The tooltip shown over item index (empty for none).
    void setItemToolTip(int index, const QString& text);

    // Gives the bar another height (the bands of a row share one); the items stay centred.
    void setBarHeight(int height);

    // Index of the item under x (widget coordinates), or -1.
    [[nodiscard]] int hitTest(int x) const { return m_layout.hitTest(x); }
    [[nodiscard]] int barWidth() const { return m_layout.barWidth(); }
    [[nodiscard]] int barHeight() const { return m_layout.barHeight(); }
    [[nodiscard]] const ToolbarLayout& itemLayout() const { return m_layout; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The left button went down and up on the item carrying command.
    void commandTriggered(int command);
    // The pointer rests on the grip strip (no button held).
    void gripHovered();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void appendItem(ToolbarItem item);
    void pressAt(QPoint p);
    void moveTo(QPoint p, Qt::MouseButtons buttons);
    void changeHot(int index);
    void setHover(bool hover);
    void updateItem(int index);
    void paintGrip(QPainter& painter) const;
    void paintItem(QPainter& painter, int index) const;

    ToolbarLayout m_layout;
    int m_hot = -1;          // the item under the pointer or being pressed
    bool m_hover = false;    // the pointer is over the hot item
    bool m_pressed = false;  // the left button went down on the hot item and is still down
};

}  // namespace corvane
