#pragma once
// One-pixel lines for the etched look of the painted controls. Both ends are inclusive, which
// keeps the pixel arithmetic of frames and grips readable without pen and cap subtleties.

#include <QColor>
#include <QPainter>
#include <QRect>
#include <algorithm>

namespace corvane::pixel {

// A horizontal line from x1 to x2 (either order) at y.
inline void hline(QPainter& painter, int x1, int x2, int y, const QColor& colour)
{
    painter.fillRect(QRect(QPoint(std::min(x1, x2), y), QPoint(std::max(x1, x2), y)), colour);
}

// A vertical line from y1 to y2 (either order) at x.
inline void vline(QPainter& painter, int x, int y1, int y2, const QColor& colour)
{
    painter.fillRect(QRect(QPoint(x, std::min(y1, y2)), QPoint(x, std::max(y1, y2))), colour);
}

}  // namespace corvane::pixel
