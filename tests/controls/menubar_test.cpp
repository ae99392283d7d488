#include "controls/menubar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "controls/toolbar.h"

namespace corvane {
namespace {

// The main window's buttons: three text buttons in band 0, three 16 x 16 pictures in band 1.
void addStartupBands(Menubar& bar)
{
    bar.addBandTextItem(0, QStringLiteral("&Action"), 1001);
    bar.addBandTextItem(0, QStringLiteral("&View"), 1002);
    bar.addBandTextItem(0, QStringLiteral("&About"), 1003);
    QPixmap picture(16, 16);
    picture.fill(QColor(255, 0, 0));
    for (int command = 1004; command <= 1006; ++command)
        bar.addBandPictureItem(1, picture, QColor(255, 0, 0), command);
}

// Natural widths as the toolbar measures them: 15 + each item's width.
int textBandWidth()
{
    const QFontMetrics metrics(QApplication::font());
    int width = 15;
    for (const char* text : {"Action", "View", "About"})
        width += metrics.horizontalAdvance(QString::fromLatin1(text)) + 15;
    return width;
}
constexpr int kPictureBandWidth = 15 + 3 * (16 + 7);
constexpr int kTextRowHeight = 19;
constexpr int kPictureRowHeight = 22;

class MenubarTest : public ::testing::Test {
protected:
    void build(int width)
    {
        m_window.resize(width, 300);
        m_bar = new Menubar(&m_window);
        m_heights = std::make_unique<QSignalSpy>(m_bar, &Menubar::heightChanged);
        addStartupBands(*m_bar);
        m_heights->clear();
    }

    [[nodiscard]] QRect bandGeometry(int band) const { return m_bar->band(band)->geometry(); }

    // Left-button gestures on a band's toolbar, given in the bar's coordinates, as the real
    // pointer grab delivers them: to the toolbar that took the press.
    void press(int band, QPoint p)
    {
        m_pressed = m_bar->band(band);
        QTest::mousePress(m_pressed, Qt::LeftButton, {}, m_pressed->mapFrom(m_bar, p));
    }
    void moveTo(QPoint p) { QTest::mouseMove(m_pressed, m_pressed->mapFrom(m_bar, p)); }
    void release(QPoint p)
    {
        QTest::mouseRelease(m_pressed, Qt::LeftButton, {}, m_pressed->mapFrom(m_bar, p));
    }
    void drag(int band, QPoint from, QPoint to)
    {
        press(band, from);
        moveTo(to);
        release(to);
    }
    void clickGrip(int band)
    {
        const QPoint grip = bandGeometry(band).topLeft() + QPoint(5, 8);
        press(band, grip);
        release(grip);
    }

    QWidget m_window;
    Menubar* m_bar = nullptr;
    Toolbar* m_pressed = nullptr;
    std::unique_ptr<QSignalSpy> m_heights;
};

TEST_F(MenubarTest, StartupBandsShareTheFirstRowWhenWideEnough)
{
    build(640);
    const int first = textBandWidth();
    EXPECT_EQ(bandGeometry(0), QRect(0, 2, first, kPictureRowHeight));
    EXPECT_EQ(bandGeometry(1), QRect(first, 2, kPictureBandWidth, kPictureRowHeight));
    EXPECT_EQ(m_bar->geometry(), QRect(0, 0, 640, 2 + kPictureRowHeight + 2));
    EXPECT_EQ(m_bar->sizeHint().height(), m_bar->height());
    // The popup of "&View" opens below its button, under the row.
    EXPECT_EQ(m_bar->localButtonAnchor(0, 1),
              QPoint(11 + m_bar->band(0)->itemLayout().item(0).width, 2 + kPictureRowHeight + 2));
    EXPECT_EQ(m_bar->buttonAnchor(0, 1), m_bar->mapToGlobal(m_bar->localButtonAnchor(0, 1)));
}

TEST_F(MenubarTest, SecondBandStartsANewRowWithoutStrictRoom)
{
    const int both = textBandWidth() + kPictureBandWidth;
    build(both + 1);
    EXPECT_EQ(bandGeometry(1).topLeft(), QPoint(textBandWidth(), 2));

    Menubar narrow(nullptr);
    narrow.fitToParent(both);
    addStartupBands(narrow);
    EXPECT_EQ(narrow.band(0)->geometry(), QRect(0, 2, textBandWidth(), kTextRowHeight));
    const int secondTop = 2 + kTextRowHeight + 2;
    EXPECT_EQ(narrow.band(1)->geometry(),
              QRect(0, secondTop, kPictureBandWidth, kPictureRowHeight));
    EXPECT_EQ(narrow.height(), secondTop + kPictureRowHeight + 2);
    EXPECT_EQ(narrow.localButtonAnchor(1, 2),
              QPoint(11 + 2 * 23, secondTop + kPictureRowHeight + 2));
}

TEST_F(MenubarTest, ABandTooWideForAnyRowStillGetsItsOwnRow)
{
    build(60);
    EXPECT_EQ(m_bar->bandLayout().rowOfBand(0), 0);
    EXPECT_EQ(m_bar->bandLayout().rowOfBand(1), 1);
    EXPECT_EQ(bandGeometry(1).topLeft(), QPoint(0, 2 + kTextRowHeight + 2));
}

TEST_F(MenubarTest, FitToParentKeepsBandsAndHeight)
{
    build(640);
    const QRect second = bandGeometry(1);
    const int slack = m_bar->bandLayout().slack(1);
    m_bar->fitToParent(800);
    EXPECT_EQ(m_bar->geometry(), QRect(0, 0, 800, 2 + kPictureRowHeight + 2));
    EXPECT_EQ(bandGeometry(1), second);
    EXPECT_EQ(m_bar->bandLayout().slack(1), slack + 160);
    EXPECT_EQ(m_heights->count(), 0);
}

TEST_F(MenubarTest, GripIsTheStripInsideTheBandsLeftEnd)
{
    build(640);
    const MenubarLayout& layout = m_bar->bandLayout();
    const int left = textBandWidth();  // band 1; its rectangle spans y 2..23
    EXPECT_EQ(layout.gripAt(QPoint(left + 2, 10)), -1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 3, 10)), 1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 8, 10)), 1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 9, 10)), -1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 5, 4)), -1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 5, 5)), 1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 5, 21)), 1);
    EXPECT_EQ(layout.gripAt(QPoint(left + 5, 22)), -1);
    EXPECT_EQ(layout.gripAt(QPoint(5, 10)), 0);

    // Just outside the strip the toolbar keeps the press: nothing is dragged.
    drag(1, QPoint(left + 2, 10), QPoint(left + 2, 60));
    EXPECT_EQ(layout.rowOfBand(1), 0);
    EXPECT_EQ(m_heights->count(), 0);
}

TEST_F(MenubarTest, DraggingABandDownOpensAndClosesRows)
{
    build(640);
    const int first = textBandWidth();

    // One of two bands of a row, below it: a new row, and the owner hears of the new height.
    drag(1, QPoint(first + 5, 10), QPoint(first + 5, 40));
    const int secondTop = 2 + kTextRowHeight + 2;
    EXPECT_EQ(bandGeometry(0), QRect(0, 2, first, kTextRowHeight));
    EXPECT_EQ(bandGeometry(1), QRect(0, secondTop, kPictureBandWidth, kPictureRowHeight));
    const int twoRows = secondTop + kPictureRowHeight + 2;
    EXPECT_EQ(m_bar->height(), twoRows);
    ASSERT_EQ(m_heights->count(), 1);
    EXPECT_EQ(m_heights->at(0).at(0).toInt(), twoRows);

    // The only band of the last row, further down: nothing changes.
    drag(1, QPoint(5, secondTop + 8), QPoint(5, 200));
    EXPECT_EQ(bandGeometry(1).topLeft(), QPoint(0, secondTop));
    EXPECT_EQ(m_bar->height(), twoRows);
    EXPECT_EQ(m_heights->count(), 1);

    // Back up: the row closes up from x = 0 and the newcomer sits at its right end.
    drag(1, QPoint(5, secondTop + 8), QPoint(40, 10));
    EXPECT_EQ(bandGeometry(0).topLeft(), QPoint(0, 2));
    EXPECT_EQ(bandGeometry(1).topLeft(), QPoint(640 - 2 - kPictureBandWidth, 2));
    EXPECT_EQ(m_bar->height(), 2 + kPictureRowHeight + 2);
    EXPECT_EQ(m_heights->count(), 2);
}

TEST_F(MenubarTest, RowWithoutRoomKeepsTheBandOut)
{
    const int both = textBandWidth() + kPictureBandWidth;
    build(both + 1);
    drag(1, QPoint(textBandWidth() + 5, 10), QPoint(textBandWidth() + 5, 40));
    ASSERT_EQ(m_bar->bandLayout().rowOfBand(1), 1);

    const QPoint grip = bandGeometry(1).topLeft() + QPoint(5, 8);
    drag(1, grip, QPoint(grip.x(), 10));
    EXPECT_EQ(m_bar->bandLayout().rowOfBand(1), 1);
    EXPECT_EQ(bandGeometry(1).topLeft(), QPoint(0, 2 + kTextRowHeight + 2));
}

TEST_F(MenubarTest, DraggingWithinARowUsesFreeSpaceThenTradesPlaces)
{
    build(640);
    const int first = textBandWidth();
    press(1, QPoint(first + 5, 10));
    moveTo(QPoint(first + 65, 10));
    EXPECT_EQ(bandGeometry(1).left(), first + 60);

    // Left past the first band's right edge: stops against it.
    moveTo(QPoint(first - 35, 10));
    EXPECT_EQ(bandGeometry(1).left(), first);
    moveTo(QPoint(2, 10));
    EXPECT_EQ(bandGeometry(0).left(), 0);
    EXPECT_EQ(bandGeometry(1).left(), first);

    // Beyond the bar's left edge: the bands change places, each keeping its slot.
    moveTo(QPoint(-1, 10));
    release(QPoint(-1, 10));
    EXPECT_EQ(bandGeometry(1).left(), 0);
    EXPECT_EQ(bandGeometry(0).left(), 640 - 2 - first);
    EXPECT_EQ(m_bar->bandLayout().row(0).bands, (std::vector<int>{1, 0}));
    EXPECT_EQ(m_heights->count(), 0);
}

TEST_F(MenubarTest, GripClickClosesTheGapOrOpensOne)
{
    build(640);
    const int first = textBandWidth();
    const int rightEnd = 640 - 2 - kPictureBandWidth;

    clickGrip(0);
    QTRY_COMPARE(bandGeometry(1).left(), rightEnd);
    clickGrip(0);
    QTRY_COMPARE(bandGeometry(1).left(), first);

    // The last band of a row has no gap to close.
    EXPECT_TRUE(m_bar->bandLayout().gripClickTargets(1).empty());
    clickGrip(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(bandGeometry(1).left(), first);
}

TEST_F(MenubarTest, ButtonsReachTheOwner)
{
    build(640);
    QSignalSpy commands(m_bar, &Menubar::commandTriggered);
    Toolbar* pictures = m_bar->band(1);
    QTest::mouseClick(pictures, Qt::LeftButton, {}, pictures->itemLayout().itemRect(2).center());
    Toolbar* texts = m_bar->band(0);
    QTest::mouseClick(texts, Qt::LeftButton, {}, texts->itemLayout().itemRect(1).center());
    ASSERT_EQ(commands.count(), 2);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 1006);
    EXPECT_EQ(commands.at(1).at(0).toInt(), 1002);
}

TEST_F(MenubarTest, PointerOnAGripShowsTheMoveCursor)
{
    build(640);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    Toolbar* pictures = m_bar->band(1);
    QTest::mouseMove(pictures, pictures->itemLayout().itemRect(0).center());
    EXPECT_EQ(pictures->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(pictures, QPoint(5, 8));
    EXPECT_EQ(pictures->cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(pictures, pictures->itemLayout().itemRect(1).center());
    EXPECT_EQ(pictures->cursor().shape(), Qt::ArrowCursor);
    m_window.hide();
}

TEST_F(MenubarTest, PaintsAnEtchedFrameAndRowSeparators)
{
    build(640);
    drag(1, QPoint(textBandWidth() + 5, 10), QPoint(textBandWidth() + 5, 40));
    const QImage image = m_bar->grab().toImage();
    const QColor light = m_bar->palette().color(QPalette::Light);
    const QColor shadow = m_bar->palette().color(QPalette::Dark);
    const int bottom = m_bar->height() - 1;

    EXPECT_EQ(image.pixelColor(300, 0).rgb(), shadow.rgb());
    EXPECT_EQ(image.pixelColor(300, 1).rgb(), light.rgb());
    EXPECT_EQ(image.pixelColor(300, bottom - 1).rgb(), shadow.rgb());
    EXPECT_EQ(image.pixelColor(300, bottom).rgb(), light.rgb());
    EXPECT_EQ(image.pixelColor(638, 10).rgb(), shadow.rgb());
    EXPECT_EQ(image.pixelColor(639, 10).rgb(), light.rgb());
    // Between the rows, right of the bands.
    EXPECT_EQ(image.pixelColor(300, 2 + kTextRowHeight).rgb(), shadow.rgb());
    EXPECT_EQ(image.pixelColor(300, 2 + kTextRowHeight + 1).rgb(), light.rgb());
    EXPECT_EQ(image.pixelColor(300, 10).rgb(), m_bar->palette().color(QPalette::Button).rgb());
}

TEST_F(MenubarTest, TransparentColourShowsTheBackground)
{
    build(640);
    const QImage image = m_bar->band(1)->grab().toImage();
    const QRect item = m_bar->band(1)->itemLayout().itemRect(0);
    EXPECT_EQ(image.pixelColor(item.center()).rgb(),
              m_bar->palette().color(QPalette::Button).rgb());
}

}  // namespace
}  // namespace corvane
