#pragma once
// Geometry of a toolbar: its items, their rectangles, the grip and the hit tests. Kept apart
// from the widget so that sizes and hit tests can be checked without painting.

#include <QFontMetrics>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <vector>

namespace corvane {

enum class ToolbarItemKind { Text, Picture };

// One button of a toolbar.
struct ToolbarItem {
    ToolbarItemKind kind = ToolbarItemKind::Text;
    QString text;          // the caption without its access marks (text items)
    int accessIndex = -1;  // position in text of the underlined letter, -1 for none
    int underlineOffset = 0;
    int underlineWidth = 0;  // 0 when nothing is underlined
    QPixmap picture;         // picture items
    int command = 0;
    QString toolTip;  // empty for none
    int width = 0;
    int height = 0;
};

// A caption split into its shown text and the position of its access letter.
struct CaptionParts {
    QString text;
    // Position in text of the letter that followed the last single "&"; -1 without one. A
    // trailing "&" gives text.size(), which has no letter to underline.
    int accessIndex = -1;
};

// "&" marks the next letter as the access letter and is dropped; "&&" stands for one "&".
[[nodiscard]] CaptionParts parseCaption(const QString& caption);

// A text button measured with metrics: width = text advance + 15, height 19 (more only when the
// font is too tall for it). The underline spans the access letter as drawn.
[[nodiscard]] ToolbarItem makeTextItem(const QString& caption, int command,
                                       const QFontMetrics& metrics);

// A picture button: width = picture width + 7, height = picture height + 6, in device-independent
// pixels.
[[nodiscard]] ToolbarItem makePictureItem(const QPixmap& picture, int command);

// picture with every pixel of exactly colour made fully transparent.
[[nodiscard]] QPixmap withTransparentColour(const QPixmap& picture, const QColor& colour);

class ToolbarLayout {
public:
    static constexpr int kFirstItemLeft = 11;  // the grip and its margin come first
    static constexpr int kEmptyWidth = 15;     // grip plus margins, without items
    static constexpr int kTextItemHeight = 19;

    void append(ToolbarItem item);
    // Gives the bar a height of its own (a row of bands shares one height). Returns true when
    // it changed.
    bool setBarHeight(int height);

    [[nodiscard]] int barWidth() const { return m_barWidth; }
    [[nodiscard]] int barHeight() const { return m_barHeight; }
    // The largest item height; 0 without items.
    [[nodiscard]] int tallestItem() const;
    [[nodiscard]] int itemCount() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] const ToolbarItem& item(int index) const { return m_items.at(index); }
    [[nodiscard]] ToolbarItem& item(int index) { return m_items.at(index); }

    // Left edge of item index (index == itemCount() gives the right end of the last item).
    [[nodiscard]] int itemLeft(int index) const;
    // The item's own rectangle, centred vertically in the bar.
    [[nodiscard]] QRect itemRect(int index) const;
    // The full-height column of the bar that the item occupies: what must be repainted when
    // its look changes.
    [[nodiscard]] QRect itemColumn(int index) const;
    // Index of the item whose horizontal span contains x, or -1.
    [[nodiscard]] int hitTest(int x) const;
    // True when p lies on the grip strip at the left end, where a band is taken to be dragged.
    [[nodiscard]] bool isOnGrip(QPoint p) const;

private:
    std::vector<ToolbarItem> m_items;
    int m_barWidth = kEmptyWidth;
    int m_barHeight = 0;
};

}  // namespace corvane
