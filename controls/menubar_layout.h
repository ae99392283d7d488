#pragma once
// Geometry of the menu bar: bands arranged in rows, with the placement of a new band, the row
// heights, the grip hit test and the band moves of a drag or a grip click. Pure arithmetic on
// rectangles in the bar's coordinates; the widget copies the result onto its toolbars.
//
// Terms: a band's natural width is its toolbar's width. Its slot reaches from its left edge to
// the next band of its row, or for the last band to the bar's width minus 2; slack = slot -
// natural width. Rows keep the bands from left to right; rows holding bands come before empty
// rows, and there are as many row records as bands.

#include <QPoint>
#include <QRect>
#include <vector>

namespace corvane {

struct MenubarBand {
    int naturalWidth = 0;
    int tallestItem = 0;
    int left = 0;
    int top = 2;
    int height = 0;  // the height of its row
};

struct MenubarRow {
    int height = 0;          // the tallest item of its bands; 0 for an empty row
    std::vector<int> bands;  // band indices, left to right
};

// Outcome of dragging a band to another row.
enum class RowMove {
    Unchanged,  // the band was alone and the target row is the empty one below: nothing to do
    NoRoom,     // the target row cannot take the band's natural width; the band stays
    Moved,
};

// Where a band should end up after a grip click.
struct BandTarget {
    int band = -1;
    int left = 0;
};

class MenubarLayout {
public:
    static constexpr int kEdge = 2;  // frame width; also the gap between rows

    [[nodiscard]] int width() const { return m_width; }
    // The bar's width. Bands stay where they are; only the slot of each row's last band follows.
    void setWidth(int width) { m_width = width; }
    // 2 plus, for each row holding bands, its height + 2.
    [[nodiscard]] int height() const;

    [[nodiscard]] int bandCount() const { return static_cast<int>(m_bands.size()); }
    [[nodiscard]] const MenubarBand& band(int index) const { return m_bands.at(index); }
    [[nodiscard]] QRect bandRect(int index) const;
    [[nodiscard]] int rowCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] const MenubarRow& row(int index) const { return m_rows.at(index); }
    // The row listing band, or -1.
    [[nodiscard]] int rowOfBand(int band) const;
    // y of the top edge of the bands of row index.
    [[nodiscard]] int rowTop(int index) const;

    // Adds an unplaced band with a new empty row; returns its index.
    int addBand();
    // Gives band new measures (after an item was added to it), takes it out of its row and
    // places it again: into the first row with room for its natural width strictly left over,
    // else alone into the first empty row.
    void resizeBand(int band, int naturalWidth, int tallestItem);

    [[nodiscard]] int slotWidth(int band) const;
    [[nodiscard]] int slack(int band) const;
    // The band whose grip strip contains p (x from left + 3 to left + 8, y from 3 below its top
    // to 3 above its bottom), or -1.
    [[nodiscard]] int gripAt(QPoint p) const;
    // The row a band dragged to y goes to: the row spanning y, the first empty row below the
    // bands, or the last row.
    [[nodiscard]] int rowAt(int y) const;

    // Moves band to the right end of row target (alone: to x = 0), closing up both rows.
    [[nodiscard]] RowMove moveToRow(int band, int target);
    // Follows a drag within the band's row: the band's left edge wants to be pointerX -
    // grabOffset. It takes free space from its neighbours and trades places with a neighbour
    // once the pointer has passed it.
    void moveWithinRow(int band, int pointerX, int grabOffset);

    // The moves of a click on band's grip: when a gap follows it, the bands after it close up
    // to it; when none does, they move to the right end of the row (packed), leaving the band
    // room to grow. Empty when there is nothing to move.
    [[nodiscard]] std::vector<BandTarget> gripClickTargets(int band) const;
    // Moves each band of targets at most step pixels towards its target; true once all are there.
    bool stepTowards(const std::vector<BandTarget>& targets, int step);

    // Point below the item at itemLeft (relative to the band) where its popup opens: the
    // item's left edge, 2 pixels below the band's row.
    [[nodiscard]] QPoint anchor(int band, int itemLeft) const;

private:
    [[nodiscard]] int positionInRow(int band, int row) const;
    [[nodiscard]] int rowWidthSum(int row) const;
    void takeOutOfRow(int band);
    void removeEmptyRow(int row);
    void placeBand(int band);
    void computeRowHeights();
    void restack();
    void shiftBands(const std::vector<int>& bands, std::size_t from, std::size_t to, int dx);
    int takeSlackRight(const std::vector<int>& bands, std::size_t position, int wanted);
    int takeSlackLeft(const std::vector<int>& bands, std::size_t position, int wanted);
    void moveRight(int row, std::size_t position, int pointerX, int dx);
    void moveLeft(int row, std::size_t position, int pointerX, int dx);

    int m_width = 0;
    std::vector<MenubarBand> m_bands;
    std::vector<MenubarRow> m_rows;
};

}  // namespace corvane
