#include "controls/menubar_layout.h"

#include <algorithm>

namespace corvane {

namespace {

// The grip strip lies strictly inside these margins of a band's rectangle.
constexpr int kGripLeftMargin = 2;
constexpr int kGripRightLimit = 9;
constexpr int kGripVerticalMargin = 2;

}  // namespace

int MenubarLayout::height() const
{
    if (m_bands.empty()) return 0;
    int height = kEdge;
    for (const MenubarRow& row : m_rows) {
        if (row.height != 0) height += row.height + kEdge;
    }
    return height;
}

QRect MenubarLayout::bandRect(int index) const
{
    const MenubarBand& b = band(index);
    return QRect(b.left, b.top, b.naturalWidth, b.height);
}

int MenubarLayout::rowOfBand(int band) const
{
    for (int r = 0; r < rowCount(); ++r) {
        const std::vector<int>& bands = m_rows[static_cast<std::size_t>(r)].bands;
        if (std::find(bands.begin(), bands.end(), band) != bands.end()) return r;
    }
    return -1;
}

int MenubarLayout::positionInRow(int band, int row) const
{
    const std::vector<int>& bands = m_rows.at(static_cast<std::size_t>(row)).bands;
    return static_cast<int>(std::find(bands.begin(), bands.end(), band) - bands.begin());
}

int MenubarLayout::rowTop(int index) const
{
    int top = kEdge;
    for (int r = 0; r < index && r < rowCount(); ++r) {
        const int h = m_rows[static_cast<std::size_t>(r)].height;
        if (h != 0) top += h + kEdge;
    }
    return top;
}

int MenubarLayout::rowWidthSum(int row) const
{
    int sum = 0;
    for (int b : m_rows.at(static_cast<std::size_t>(row)).bands) sum += band(b).naturalWidth;
    return sum;
}

int MenubarLayout::addBand()
{
    m_bands.push_back(MenubarBand{});
    m_rows.push_back(MenubarRow{});
    return bandCount() - 1;
}

void MenubarLayout::resizeBand(int band, int naturalWidth, int tallestItem)
{
    takeOutOfRow(band);
    MenubarBand& b = m_bands.at(static_cast<std::size_t>(band));
    b.naturalWidth = naturalWidth;
    b.tallestItem = tallestItem;
    placeBand(band);
}

void MenubarLayout::takeOutOfRow(int band)
{
    const int row = rowOfBand(band);
    if (row < 0) return;
    std::vector<int>& bands = m_rows[static_cast<std::size_t>(row)].bands;
    bands.erase(std::find(bands.begin(), bands.end(), band));
    if (bands.empty()) removeEmptyRow(row);
}

void MenubarLayout::removeEmptyRow(int row)
{
    // Rows holding bands must come first, so the empty row goes to the end.
    m_rows.erase(m_rows.begin() + row);
    m_rows.push_back(MenubarRow{});
}

void MenubarLayout::placeBand(int band)
{
    MenubarBand& b = m_bands.at(static_cast<std::size_t>(band));
    int target = -1;
    for (int r = 0; r < rowCount() && target < 0; ++r) {
        if (m_width - rowWidthSum(r) > b.naturalWidth) target = r;
    }
    if (target < 0) {
        // Too wide for every row, even an empty one: it still gets a row of its own, so that
        // it is shown and can be dragged, instead of lying unlisted on top of another band.
        for (int r = 0; r < rowCount() && target < 0; ++r) {
            if (m_rows[static_cast<std::size_t>(r)].bands.empty()) target = r;
        }
    }
    b.left = rowWidthSum(target);
    m_rows[static_cast<std::size_t>(target)].bands.push_back(band);
    computeRowHeights();
    restack();
}

void MenubarLayout::computeRowHeights()
{
    for (MenubarRow& row : m_rows) {
        row.height = 0;
        for (int b : row.bands) row.height = std::max(row.height, band(b).tallestItem);
        for (int b : row.bands) m_bands[static_cast<std::size_t>(b)].height = row.height;
    }
}

void MenubarLayout::restack()
{
    int y = kEdge;
    for (const MenubarRow& row : m_rows) {
        for (int b : row.bands) m_bands[static_cast<std::size_t>(b)].top = y;
        if (row.height != 0) y += row.height + kEdge;
    }
}

int MenubarLayout::slotWidth(int band) const
{
    const int row = rowOfBand(band);
    if (row < 0) return this->band(band).naturalWidth;
    const std::vector<int>& bands = m_rows[static_cast<std::size_t>(row)].bands;
    const auto position = static_cast<std::size_t>(positionInRow(band, row));
    const int left = this->band(band).left;
    if (position + 1 < bands.size()) return this->band(bands[position + 1]).left - left;
    return m_width - left - kEdge;
}

int MenubarLayout::slack(int band) const { return slotWidth(band) - this->band(band).naturalWidth; }

int MenubarLayout::gripAt(QPoint p) const
{
    for (int i = 0; i < bandCount(); ++i) {
        if (rowOfBand(i) < 0) continue;
        const MenubarBand& b = band(i);
        const int bottom = b.top + b.height;
        if (b.left + kGripLeftMargin < p.x() && p.x() < b.left + kGripRightLimit &&
            b.top + kGripVerticalMargin < p.y() && p.y() < bottom - kGripVerticalMargin)
            return i;
    }
    return -1;
}

int MenubarLayout::rowAt(int y) const
{
    if (y < 0 || m_rows.empty()) return 0;
    int sum = 0;
    for (int r = 0; r < rowCount(); ++r) {
        const int h = m_rows[static_cast<std::size_t>(r)].height;
        if (h != 0) sum += h + kEdge;
        if (y < sum || h == 0) return r;
    }
    return rowCount() - 1;
}

RowMove MenubarLayout::moveToRow(int band, int target)
{
    const int source = rowOfBand(band);
    if (source < 0 || target < 0 || target >= rowCount() || target == source)
        return RowMove::Unchanged;
    if (m_rows[static_cast<std::size_t>(target)].bands.empty()) {
        // Only the first empty row directly below the bands can be the new row.
        target = source;
        while (target < rowCount() && !m_rows[static_cast<std::size_t>(target)].bands.empty())
            ++target;
        if (m_rows[static_cast<std::size_t>(source)].bands.size() == 1) return RowMove::Unchanged;
    }
    MenubarBand& moving = m_bands[static_cast<std::size_t>(band)];
    if (rowWidthSum(target) + moving.naturalWidth >= m_width - kEdge) return RowMove::NoRoom;

    // Out of its row: the bands after it close the hole it leaves.
    const int slot = slotWidth(band);
    std::vector<int>& sourceBands = m_rows[static_cast<std::size_t>(source)].bands;
    const auto position = static_cast<std::size_t>(positionInRow(band, source));
    shiftBands(sourceBands, position + 1, sourceBands.size(), -slot);
    sourceBands.erase(sourceBands.begin() + static_cast<std::ptrdiff_t>(position));
    if (sourceBands.empty()) {
        removeEmptyRow(source);
        if (target > source) --target;
    }

    // Into the target row: its bands pack from the left, the newcomer takes the right end.
    std::vector<int>& targetBands = m_rows[static_cast<std::size_t>(target)].bands;
    int x = 0;
    for (int b : targetBands) {
        m_bands[static_cast<std::size_t>(b)].left = x;
        x += this->band(b).naturalWidth;
    }
    moving.left = targetBands.empty() ? 0 : std::max(x, m_width - kEdge - moving.naturalWidth);
    targetBands.push_back(band);

    computeRowHeights();
    restack();
    return RowMove::Moved;
}

void MenubarLayout::shiftBands(const std::vector<int>& bands, std::size_t from, std::size_t to,
                               int dx)
{
    for (std::size_t i = from; i < to && i < bands.size(); ++i)
        m_bands[static_cast<std::size_t>(bands[i])].left += dx;
}

int MenubarLayout::takeSlackRight(const std::vector<int>& bands, std::size_t position, int wanted)
{
    int total = 0;
    for (std::size_t j = position; j < bands.size() && total < wanted; ++j) {
        const int take = std::min(std::max(slack(bands[j]), 0), wanted - total);
        // Free space after a later band is reached by pushing the bands up to it to the right.
        if (j > position) shiftBands(bands, position + 1, j + 1, take);
        total += take;
    }
    return total;
}

int MenubarLayout::takeSlackLeft(const std::vector<int>& bands, std::size_t position, int wanted)
{
    int total = 0;
    for (std::size_t j = position; j-- > 0 && total < wanted;) {
        const int take = std::min(std::max(slack(bands[j]), 0), wanted - total);
        // The bands between the one giving space and the dragged one move left into it.
        shiftBands(bands, j + 1, position, -take);
        total += take;
    }
    return total;
}

void MenubarLayout::moveWithinRow(int band, int pointerX, int grabOffset)
{
    const int row = rowOfBand(band);
    if (row < 0) return;
    const auto position = static_cast<std::size_t>(positionInRow(band, row));
    const int dx = pointerX - grabOffset - this->band(band).left;
    if (dx > 0)
        moveRight(row, position, pointerX, dx);
    else if (dx < 0)
        moveLeft(row, position, pointerX, dx);
}

void MenubarLayout::moveRight(int row, std::size_t position, int pointerX, int dx)
{
    std::vector<int>& bands = m_rows[static_cast<std::size_t>(row)].bands;
    MenubarBand& moving = m_bands[static_cast<std::size_t>(bands[position])];
    // The first band of a row keeps x = 0 and only moves right by trading places.
    if (position > 0) {
        if (dx > std::max(slack(bands[position]), 0)) dx = takeSlackRight(bands, position, dx);
        if (dx > 0) {
            moving.left += dx;
            return;
        }
    }
    if (position + 1 >= bands.size() || moving.left + slotWidth(bands[position]) > pointerX) return;
    const int next = bands[position + 1];
    const int movingSlot = slotWidth(bands[position]);
    const int nextSlot = slotWidth(next);
    m_bands[static_cast<std::size_t>(next)].left -= movingSlot;
    moving.left += nextSlot;
    std::swap(bands[position], bands[position + 1]);
}

void MenubarLayout::moveLeft(int row, std::size_t position, int pointerX, int dx)
{
    std::vector<int>& bands = m_rows[static_cast<std::size_t>(row)].bands;
    MenubarBand& moving = m_bands[static_cast<std::size_t>(bands[position])];
    const MenubarBand* previous =
        position > 0 ? &m_bands[static_cast<std::size_t>(bands[position - 1])] : nullptr;
    const int limit = previous ? previous->left + previous->naturalWidth : 0;
    if (moving.left + dx < limit) dx = -takeSlackLeft(bands, position, -dx);
    if (dx < 0) {
        moving.left += dx;
        return;
    }
    if (!previous || pointerX >= previous->left) return;
    const int previousIndex = bands[position - 1];
    const int previousLeft = previous->left;
    m_bands[static_cast<std::size_t>(previousIndex)].left += slotWidth(bands[position]);
    moving.left = previousLeft;
    std::swap(bands[position - 1], bands[position]);
}

std::vector<BandTarget> MenubarLayout::gripClickTargets(int band) const
{
    std::vector<BandTarget> targets;
    const int row = rowOfBand(band);
    if (row < 0) return targets;
    const std::vector<int>& bands = m_rows[static_cast<std::size_t>(row)].bands;
    const auto position = static_cast<std::size_t>(positionInRow(band, row));
    if (position + 1 >= bands.size()) return targets;

    const MenubarBand& clicked = this->band(band);
    const int gap = this->band(bands[position + 1]).left - (clicked.left + clicked.naturalWidth);
    if (gap > 0) {
        for (std::size_t j = position + 1; j < bands.size(); ++j)
            targets.push_back({bands[j], this->band(bands[j]).left - gap});
        return targets;
    }
    int x = m_width - kEdge;
    for (std::size_t j = bands.size(); j-- > position + 1;) {
        x -= this->band(bands[j]).naturalWidth;
        targets.push_back({bands[j], x});
    }
    // Nothing to do when the bands after it already sit packed at the right end, or when the
    // bar is too narrow to give the clicked band more room.
    const bool moves = std::any_of(targets.begin(), targets.end(), [this](const BandTarget& t) {
        return t.left != this->band(t.band).left;
    });
    if (!moves || targets.back().left < clicked.left + clicked.naturalWidth) targets.clear();
    return targets;
}

bool MenubarLayout::stepTowards(const std::vector<BandTarget>& targets, int step)
{
    bool arrived = true;
    for (const BandTarget& target : targets) {
        if (target.band < 0 || target.band >= bandCount()) continue;
        MenubarBand& b = m_bands[static_cast<std::size_t>(target.band)];
        b.left += std::clamp(target.left - b.left, -step, step);
        arrived = arrived && b.left == target.left;
    }
    return arrived;
}

QPoint MenubarLayout::anchor(int band, int itemLeft) const
{
    const int row = rowOfBand(band);
    if (row < 0) return QPoint(itemLeft, height());
    const int rowHeight = m_rows[static_cast<std::size_t>(row)].height;
    return QPoint(this->band(band).left + itemLeft, rowTop(row) + rowHeight + kEdge);
}

}  // namespace corvane
