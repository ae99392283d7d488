#include "controls/menubar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <climits>
#include <cstdlib>

#include "controls/pixel_lines.h"
#include "controls/toolbar.h"

namespace corvane {

namespace {

// A grip click slides the bands at least 8 pixels per step, and in no more than about 16 steps
// over a long way, so that the slide is seen but never keeps the user waiting.
constexpr int kClickStepPixels = 8;
constexpr int kClickMaxSteps = 16;
constexpr int kClickStepMilliseconds = 8;

}  // namespace

Menubar::Menubar(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setGeometry(0, 0, parent ? parent->width() : 0, 0);
    m_layout.setWidth(width());
    m_clickTimer.setInterval(kClickStepMilliseconds);
    m_clickTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_clickTimer, &QTimer::timeout, this, &Menubar::stepGripClick);
}

Menubar::~Menubar() = default;

Toolbar* Menubar::band(int index) const
{
    return index >= 0 && index < bandCount() ? m_bands[static_cast<std::size_t>(index)] : nullptr;
}

void Menubar::setButtonToolTip(int band, int button, const QString& text)
{
    if (Toolbar* bar = this->band(band)) bar->setItemToolTip(button, text);
}

void Menubar::addBandTextItem(int band, const QString& caption, int command)
{
    addToBand(band, [&](Toolbar& bar) { bar.addTextItem(caption, command); });
}

void Menubar::addBandPictureItem(int band, const QPixmap& picture, int command)
{
    addToBand(band, [&](Toolbar& bar) { bar.addPictureItem(picture, command); });
}

void Menubar::addBandPictureItem(int band, const QPixmap& picture, const QColor& transparentColour,
                                 int command)
{
    addToBand(band, [&](Toolbar& bar) { bar.addPictureItem(picture, transparentColour, command); });
}

void Menubar::addBandPictureItem(int band, const QIcon& icon, const QSize& size, int command)
{
    addToBand(band, [&](Toolbar& bar) { bar.addPictureItem(icon, size, command); });
}

template <typename AddItem>
void Menubar::addToBand(int band, AddItem addItem)
{
    if (band < 0 || band > bandCount()) {
        qWarning("Menubar: no band %d to add a button to", band);
        return;
    }
    finishGripClick();
    m_layout.setWidth(width());
    if (band == bandCount()) {
        m_bands.push_back(createBand());
        m_layout.addBand();
    }
    Toolbar* bar = m_bands[static_cast<std::size_t>(band)];
    addItem(*bar);
    m_layout.resizeBand(band, bar->barWidth(), bar->itemLayout().tallestItem());
    applyLayout();
}

Toolbar* Menubar::createBand()
{
    auto* bar = new Toolbar(this);
    bar->installEventFilter(this);
    connect(bar, &Toolbar::commandTriggered, this, &Menubar::commandTriggered);
    connect(bar, &Toolbar::gripHovered, this, [this, bar] {
        const auto it = std::find(m_bands.begin(), m_bands.end(), bar);
        if (it != m_bands.end()) showGripHover(static_cast<int>(it - m_bands.begin()));
    });
    bar->show();
    return bar;
}

void Menubar::applyLayout()
{
    for (int i = 0; i < bandCount(); ++i) {
        const QRect r = m_layout.bandRect(i);
        Toolbar* bar = m_bands[static_cast<std::size_t>(i)];
        bar->setBarHeight(r.height());
        bar->move(r.topLeft());
    }
    const int h = m_layout.height();
    if (h != height()) {
        resize(width(), h);
        updateGeometry();
        emit heightChanged(h);
    }
}

void Menubar::fitToParent(int parentWidth)
{
    if (parentWidth == width()) return;
    setGeometry(0, 0, parentWidth, m_layout.height());
    m_layout.setWidth(width());
}

QPoint Menubar::localButtonAnchor(int band, int button) const
{
    const Toolbar* bar = this->band(band);
    if (!bar) return QPoint(0, height());
    return m_layout.anchor(band, bar->itemLayout().itemLeft(button));
}

QPoint Menubar::buttonAnchor(int band, int button) const
{
    return mapToGlobal(localButtonAnchor(band, button));
}

QSize Menubar::sizeHint() const { return QSize(width(), m_layout.height()); }

QSize Menubar::minimumSizeHint() const { return QSize(0, m_layout.height()); }

void Menubar::resizeEvent(QResizeEvent* event)
{
    // A hidden bar gets its resize events only when shown; the places that change the width
    // while it may be hidden set the layout's width themselves.
    m_layout.setWidth(width());
    QWidget::resizeEvent(event);
}

void Menubar::paintEvent(QPaintEvent* /*event*/)
{
    const int right = width() - 1;
    const int bottom = height() - 1;
    if (right < 3 || bottom < 3) return;
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    // Etched frame: a shadow rectangle one pixel in from the right and bottom, with light lines
    // just inside its top-left and just outside its bottom-right.
    pixel::hline(painter, 0, right - 1, 0, shadow);
    pixel::vline(painter, 0, 0, bottom - 1, shadow);
    pixel::vline(painter, right - 1, 0, bottom - 1, shadow);
    pixel::hline(painter, 0, right - 1, bottom - 1, shadow);
    pixel::hline(painter, 1, right - 2, 1, light);
    pixel::vline(painter, 1, 1, bottom - 2, light);
    pixel::hline(painter, 0, right, bottom, light);
    pixel::vline(painter, right, 0, bottom, light);
    paintSeparators(painter);
}

void Menubar::paintSeparators(QPainter& painter) const
{
    const int right = width() - 1;
    const int bottom = height() - 1;
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    int y = MenubarLayout::kEdge;
    for (int r = 0; r + 1 < m_layout.rowCount(); ++r) {
        const int rowHeight = m_layout.row(r).height;
        y += rowHeight;
        if (rowHeight == 0 || y + 2 >= bottom) continue;
        pixel::hline(painter, 2, right - 2, y, shadow);
        pixel::hline(painter, 2, right - 2, y + 1, light);
        y += 2;
    }
}

void Menubar::mousePressEvent(QMouseEvent* event)
{
    // Ours even between the bands: the window behind would take it for a divider drag.
    event->accept();
}

bool Menubar::eventFilter(QObject* watched, QEvent* event)
{
    auto* bar = qobject_cast<Toolbar*>(watched);
    if (!bar || bar->parentWidget() != this) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return handleToolbarMouse(bar, static_cast<QMouseEvent*>(event));
        case QEvent::Leave:
            if (!m_drag.pressed) clearGripHover();
            return false;
        default:
            return false;
    }
}

bool Menubar::handleToolbarMouse(Toolbar* bar, QMouseEvent* event)
{
    const QPoint p = bar->mapTo(this, event->position().toPoint());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (event->button() != Qt::LeftButton || !pressOnGrip(p)) return false;
            event->accept();
            return true;
        case QEvent::MouseMove:
            if (m_drag.pressed) {
                dragTo(p, event->buttons());
                return true;
            }
            // The toolbar reports the grip again while the pointer stays on it.
            if (m_drag.band >= 0 && m_layout.gripAt(p) != m_drag.band) clearGripHover();
            return false;
        case QEvent::MouseButtonRelease:
            if (event->button() != Qt::LeftButton || !m_drag.pressed) return false;
            releaseAt(p);
            return true;
        default:
            return false;
    }
}

void Menubar::showGripHover(int band)
{
    if (m_drag.band >= 0 && m_drag.band != band) clearGripHover();
    m_drag.band = band;
    m_bands[static_cast<std::size_t>(band)]->setCursor(Qt::SizeAllCursor);
}

void Menubar::clearGripHover()
{
    if (Toolbar* bar = band(m_drag.band)) bar->unsetCursor();
    m_drag = Drag{};
}

bool Menubar::pressOnGrip(QPoint p)
{
    finishGripClick();
    m_layout.setWidth(width());
    const int grip = m_layout.gripAt(p);
    if (grip < 0) return false;
    showGripHover(grip);
    m_drag.grabOffset = p.x() - m_layout.band(grip).left;
    m_drag.pressPoint = p;
    m_drag.pressed = true;
    m_drag.moving = false;
    return true;
}

void Menubar::dragTo(QPoint p, Qt::MouseButtons buttons)
{
    if (!(buttons & Qt::LeftButton)) {
        // The release happened where we could not see it.
        m_drag.pressed = false;
        m_drag.moving = false;
        return;
    }
    if (!m_drag.moving) {
        if ((p - m_drag.pressPoint).manhattanLength() < QApplication::startDragDistance()) return;
        m_drag.moving = true;
    }
    const int dragged = m_drag.band;
    const int target = m_layout.rowAt(p.y());
    if (target != m_layout.rowOfBand(dragged)) {
        if (m_layout.moveToRow(dragged, target) == RowMove::Moved) {
            applyLayout();
            update();
        }
        return;
    }
    m_layout.moveWithinRow(dragged, p.x(), m_drag.grabOffset);
    applyLayout();
}

void Menubar::releaseAt(QPoint p)
{
    const int pressedBand = m_drag.band;
    const bool click = !m_drag.moving && m_layout.gripAt(p) == pressedBand;
    m_drag.pressed = false;
    m_drag.moving = false;
    if (m_layout.gripAt(p) != pressedBand) clearGripHover();
    if (click) startGripClick(pressedBand);
}

void Menubar::startGripClick(int band)
{
    m_clickTargets = m_layout.gripClickTargets(band);
    if (m_clickTargets.empty()) return;
    int distance = 0;
    for (const BandTarget& target : m_clickTargets)
        distance = std::max(distance, std::abs(target.left - m_layout.band(target.band).left));
    m_clickStep = std::max(kClickStepPixels, (distance + kClickMaxSteps - 1) / kClickMaxSteps);
    m_clickTimer.start();
}

void Menubar::stepGripClick()
{
    const bool arrived = m_layout.stepTowards(m_clickTargets, m_clickStep);
    applyLayout();
    if (arrived) {
        m_clickTimer.stop();
        m_clickTargets.clear();
    }
}

void Menubar::finishGripClick()
{
    if (!m_clickTimer.isActive()) return;
    m_layout.stepTowards(m_clickTargets, INT_MAX);
    m_clickTimer.stop();
    m_clickTargets.clear();
    applyLayout();
}

}  // namespace corvane
