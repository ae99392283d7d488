#include "controls/toolbar.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "controls/pixel_lines.h"

namespace corvane {

namespace {

// Offsets of an item's content inside its frame; the pressed look shifts it by one pixel.
constexpr int kTextLeft = 8;
constexpr int kPictureInset = 3;

}  // namespace

Toolbar::Toolbar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setGeometry(0, 2, m_layout.barWidth(), m_layout.barHeight());
}

void Toolbar::addTextItem(const QString& caption, int command)
{
    appendItem(makeTextItem(caption, command, fontMetrics()));
}

void Toolbar::addPictureItem(const QPixmap& picture, int command)
{
    appendItem(makePictureItem(picture, command));
}

void Toolbar::addPictureItem(const QPixmap& picture, const QColor& transparentColour, int command)
{
    appendItem(makePictureItem(withTransparentColour(picture, transparentColour), command));
}

void Toolbar::addPictureItem(const QIcon& icon, const QSize& size, int command)
{
    appendItem(makePictureItem(icon.pixmap(size, devicePixelRatioF()), command));
}

void Toolbar::appendItem(ToolbarItem item)
{
    m_layout.append(std::move(item));
    resize(m_layout.barWidth(), m_layout.barHeight());
    updateGeometry();
    update();
}

void Toolbar::setItemToolTip(int index, const QString& text)
{
    if (index >= 0 && index < m_layout.itemCount()) m_layout.item(index).toolTip = text;
}

bool Toolbar::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPoint at = help->pos();
    const int index = at.y() < m_layout.barHeight() ? m_layout.hitTest(at.x()) : -1;
    if (index < 0 || m_layout.item(index).toolTip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // Tied to the item's rectangle, so the tip goes when the pointer moves to another button.
    QToolTip::showText(help->globalPos(), m_layout.item(index).toolTip, this,
                       m_layout.itemRect(index));
    return true;
}

void Toolbar::setBarHeight(int height)
{
    if (!m_layout.setBarHeight(height)) return;
    resize(m_layout.barWidth(), m_layout.barHeight());
    updateGeometry();
    update();
}

QSize Toolbar::sizeHint() const { return QSize(m_layout.barWidth(), m_layout.barHeight()); }

void Toolbar::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    if (event->rect().left() < ToolbarLayout::kFirstItemLeft) paintGrip(painter);
    for (int i = 0; i < m_layout.itemCount(); ++i) {
        if (m_layout.itemColumn(i).intersects(event->rect())) paintItem(painter, i);
    }
}

void Toolbar::paintGrip(QPainter& painter) const
{
    const int h = m_layout.barHeight();
    if (h <= 0) return;
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    // An etched line at the left edge, then a raised bar from y = 2 to h - 3 at x = 4..6.
    pixel::vline(painter, 0, 0, h - 1, shadow);
    pixel::vline(painter, 1, 0, h - 1, light);
    pixel::hline(painter, 4, 5, 2, light);
    pixel::vline(painter, 4, 2, h - 4, light);
    pixel::hline(painter, 4, 6, h - 3, shadow);
    pixel::vline(painter, 6, 2, h - 3, shadow);
}

void Toolbar::paintItem(QPainter& painter, int index) const
{
    const ToolbarItem& item = m_layout.item(index);
    const QRect r = m_layout.itemRect(index);
    const bool hot = index == m_hot && m_hover;
    const bool down = hot && m_pressed;
    const int shift = down ? 1 : 0;

    if (hot) {
        const QColor light = palette().color(QPalette::Light);
        const QColor shadow = palette().color(QPalette::Dark);
        const QColor& topLeft = down ? shadow : light;
        const QColor& bottomRight = down ? light : shadow;
        pixel::vline(painter, r.left(), r.top(), r.bottom(), topLeft);
        pixel::hline(painter, r.left(), r.right(), r.top(), topLeft);
        pixel::vline(painter, r.right(), r.top(), r.bottom(), bottomRight);
        pixel::hline(painter, r.left(), r.right(), r.bottom(), bottomRight);
    }

    if (item.kind == ToolbarItemKind::Picture) {
        painter.drawPixmap(
            QPoint(r.left() + kPictureInset + shift, r.top() + kPictureInset + shift),
            item.picture);
        return;
    }

    const QFontMetrics metrics = fontMetrics();
    const int textLeft = r.left() + kTextLeft + shift;
    const int textTop = r.top() + (r.height() - metrics.height()) / 2 + shift;
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(QPoint(textLeft, textTop + metrics.ascent()), item.text);
    if (item.underlineWidth > 0) {
        // Just below the baseline, but never on the frame of the item.
        const int baseline = textTop + metrics.ascent();
        const int y =
            std::min(baseline + std::max(1, metrics.underlinePos()), r.bottom() - 2 + shift);
        pixel::hline(painter, textLeft + item.underlineOffset,
                     textLeft + item.underlineOffset + item.underlineWidth - 1, y,
                     palette().color(QPalette::ButtonText));
    }
}

void Toolbar::mousePressEvent(QMouseEvent* event)
{
    // Accepted even off the items, so that a press here never reaches the window behind us
    // (where it would start dragging the pane divider).
    event->accept();
    if (event->button() == Qt::LeftButton) pressAt(event->position().toPoint());
}

void Toolbar::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) pressAt(event->position().toPoint());
}

void Toolbar::pressAt(QPoint p)
{
    const int index = m_layout.hitTest(p.x());
    if (index < 0) return;
    // The pointer is on the item as it goes down, also when no move preceded the press (a tap
    // on a touch screen, a synthesised click).
    changeHot(index);
    m_hover = true;
    m_pressed = true;
    updateItem(index);
}

void Toolbar::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const bool clicked = m_pressed && m_hover && m_hot >= 0;
    const int command = clicked ? m_layout.item(m_hot).command : 0;
    m_pressed = false;
    updateItem(m_hot);
    // Last, because the receiver may open a popup with its own event loop.
    if (clicked) emit commandTriggered(command);
}

void Toolbar::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    moveTo(event->position().toPoint(), event->buttons());
}

void Toolbar::moveTo(QPoint p, Qt::MouseButtons buttons)
{
    if (!(buttons & Qt::LeftButton)) m_pressed = false;
    const int under = p.y() < 0 || p.y() >= m_layout.barHeight() ? -1 : m_layout.hitTest(p.x());

    if (m_pressed) {
        // While pressed the hot item stays the pressed one; only its look follows the pointer.
        setHover(under == m_hot);
    } else if (under < 0) {
        setHover(false);
    } else {
        changeHot(under);
        setHover(true);
    }

    if (!m_pressed && under < 0 && m_layout.isOnGrip(p)) {
        changeHot(-1);
        emit gripHovered();
    }
}

void Toolbar::leaveEvent(QEvent* event)
{
    if (!m_pressed) setHover(false);
    QWidget::leaveEvent(event);
}

void Toolbar::changeHot(int index)
{
    if (index == m_hot) return;
    const int previous = m_hot;
    m_hot = index;
    updateItem(previous);
    updateItem(m_hot);
}

void Toolbar::setHover(bool hover)
{
    if (hover == m_hover) return;
    m_hover = hover;
    updateItem(m_hot);
}

void Toolbar::updateItem(int index)
{
    if (index >= 0 && index < m_layout.itemCount()) update(m_layout.itemColumn(index));
}

}  // namespace corvane
