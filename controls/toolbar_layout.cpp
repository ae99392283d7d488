#include "controls/toolbar_layout.h"

#include <QImage>
#include <algorithm>

namespace corvane {

namespace {

constexpr int kTextPadding = 15;  // 8 before the text, 7 after it
constexpr int kPictureWidthPadding = 7;
constexpr int kPictureHeightPadding = 6;
constexpr int kTextVerticalPadding = 4;  // keeps a tall font inside the hover frame

// Grip strip: x from 3 to 8, y from 3 to 3 pixels above the bottom edge.
constexpr int kGripLeft = 3;
constexpr int kGripRight = 8;
constexpr int kGripTop = 3;
constexpr int kGripBottomMargin = 2;

}  // namespace

CaptionParts parseCaption(const QString& caption)
{
    CaptionParts parts;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) != u'&') {
            parts.text.append(caption.at(i));
        } else if (i + 1 < caption.size() && caption.at(i + 1) == u'&') {
            parts.text.append(u'&');
            ++i;
        } else {
            parts.accessIndex = static_cast<int>(parts.text.size());
        }
    }
    return parts;
}

ToolbarItem makeTextItem(const QString& caption, int command, const QFontMetrics& metrics)
{
    CaptionParts parts = parseCaption(caption);
    ToolbarItem item;
    item.kind = ToolbarItemKind::Text;
    item.text = std::move(parts.text);
    item.accessIndex = parts.accessIndex;
    item.command = command;
    item.width = metrics.horizontalAdvance(item.text) + kTextPadding;
    item.height = std::max(ToolbarLayout::kTextItemHeight, metrics.height() + kTextVerticalPadding);
    if (item.accessIndex >= 0 && item.accessIndex < item.text.size()) {
        // A letter outside the basic plane is two code units; underline both halves together.
        const qsizetype letterLength = item.text.at(item.accessIndex).isHighSurrogate() ? 2 : 1;
        item.underlineOffset = metrics.horizontalAdvance(item.text.left(item.accessIndex));
        item.underlineWidth =
            metrics.horizontalAdvance(item.text.mid(item.accessIndex, letterLength));
    }
    return item;
}

ToolbarItem makePictureItem(const QPixmap& picture, int command)
{
    const QSize size = picture.deviceIndependentSize().toSize();
    ToolbarItem item;
    item.kind = ToolbarItemKind::Picture;
    item.picture = picture;
    item.command = command;
    item.width = size.width() + kPictureWidthPadding;
    item.height = size.height() + kPictureHeightPadding;
    return item;
}

QPixmap withTransparentColour(const QPixmap& picture, const QColor& colour)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = colour.rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == key) line[x] = qRgba(0, 0, 0, 0);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result;
}

void ToolbarLayout::append(ToolbarItem item)
{
    m_barHeight = std::max(m_barHeight, item.height);
    m_barWidth += item.width;
    m_items.push_back(std::move(item));
}

bool ToolbarLayout::setBarHeight(int height)
{
    if (height == m_barHeight) return false;
    m_barHeight = height;
    return true;
}

int ToolbarLayout::tallestItem() const
{
    int tallest = 0;
    for (const ToolbarItem& item : m_items) tallest = std::max(tallest, item.height);
    return tallest;
}

int ToolbarLayout::itemLeft(int index) const
{
    int left = kFirstItemLeft;
    for (int i = 0; i < index && i < itemCount(); ++i)
        left += m_items[static_cast<std::size_t>(i)].width;
    return left;
}

QRect ToolbarLayout::itemRect(int index) const
{
    const ToolbarItem& it = item(index);
    return QRect(itemLeft(index), (m_barHeight - it.height) / 2, it.width, it.height);
}

QRect ToolbarLayout::itemColumn(int index) const
{
    return QRect(itemLeft(index), 0, item(index).width, m_barHeight);
}

int ToolbarLayout::hitTest(int x) const
{
    int left = kFirstItemLeft;
    for (int i = 0; i < itemCount(); ++i) {
        const int width = m_items[static_cast<std::size_t>(i)].width;
        if (x >= left && x < left + width) return i;
        left += width;
    }
    return -1;
}

bool ToolbarLayout::isOnGrip(QPoint p) const
{
    return p.x() >= kGripLeft && p.x() <= kGripRight && p.y() >= kGripTop &&
           p.y() < m_barHeight - kGripBottomMargin;
}

}  // namespace corvane
