#include "controls/toolbar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace corvane {
namespace {

QPixmap solidPixmap(int width, int height, const QColor& colour)
{
    QPixmap pixmap(width, height);
    pixmap.fill(colour);
    return pixmap;
}

// True when some row of image is exactly colour over x = from..to.
bool hasSolidRow(const QImage& image, int from, int to, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y) {
        bool solid = true;
        for (int x = from; x <= to && solid; ++x)
            solid = image.pixelColor(x, y).rgb() == colour.rgb();
        if (solid) return true;
    }
    return false;
}

TEST(ToolbarItems, CaptionsSplitIntoTextAndAccessLetter)
{
    const QFontMetrics metrics(QApplication::font());

    const ToolbarItem action = makeTextItem(QStringLiteral("&Action"), 1001, metrics);
    EXPECT_EQ(action.text, QStringLiteral("Action"));
    EXPECT_EQ(action.accessIndex, 0);
    EXPECT_EQ(action.underlineOffset, 0);
    EXPECT_EQ(action.underlineWidth, metrics.horizontalAdvance(QStringLiteral("A")));
    EXPECT_EQ(action.width, metrics.horizontalAdvance(QStringLiteral("Action")) + 15);
    EXPECT_EQ(action.height, 19);
    EXPECT_EQ(action.command, 1001);

    const ToolbarItem middle = makeTextItem(QStringLiteral("Se&ttings"), 1, metrics);
    EXPECT_EQ(middle.accessIndex, 2);
    EXPECT_EQ(middle.underlineOffset, metrics.horizontalAdvance(QStringLiteral("Se")));
    EXPECT_EQ(middle.underlineWidth, metrics.horizontalAdvance(QStringLiteral("t")));

    const ToolbarItem plain = makeTextItem(QStringLiteral("About"), 1, metrics);
    EXPECT_EQ(plain.accessIndex, -1);
    EXPECT_EQ(plain.underlineWidth, 0);

    const ToolbarItem trailing = makeTextItem(QStringLiteral("About&"), 1, metrics);
    EXPECT_EQ(trailing.text, QStringLiteral("About"));
    EXPECT_EQ(trailing.accessIndex, 5);
    EXPECT_EQ(trailing.underlineWidth, 0);

    const ToolbarItem ampersand = makeTextItem(QStringLiteral("Tag && &Go"), 1, metrics);
    EXPECT_EQ(ampersand.text, QStringLiteral("Tag & Go"));
    EXPECT_EQ(ampersand.accessIndex, 6);
}

TEST(ToolbarItems, TransparentColourBecomesAlpha)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    image.setPixelColor(1, 1, QColor(0, 128, 0));
    image.setPixelColor(2, 1, QColor(254, 0, 0));

    const QImage result =
        withTransparentColour(QPixmap::fromImage(image), QColor(255, 0, 0)).toImage();
    EXPECT_EQ(qAlpha(result.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(result.pixel(3, 1)), 0);
    EXPECT_EQ(result.pixelColor(1, 1), QColor(0, 128, 0));
    EXPECT_EQ(result.pixelColor(2, 1), QColor(254, 0, 0));
}

TEST(Toolbar, GrowsWithItsItems)
{
    Toolbar bar;
    EXPECT_EQ(bar.size(), QSize(15, 0));

    bar.addTextItem(QStringLiteral("&Action"), 1001);
    const int actionWidth = bar.fontMetrics().horizontalAdvance(QStringLiteral("Action")) + 15;
    EXPECT_EQ(bar.size(), QSize(15 + actionWidth, 19));
    EXPECT_EQ(bar.sizeHint(), bar.size());

    // A 16 x 16 picture is a 23 x 22 button; the text button is centred in the taller bar.
    bar.addPictureItem(solidPixmap(16, 16, Qt::blue), 1004);
    EXPECT_EQ(bar.size(), QSize(15 + actionWidth + 23, 22));
    EXPECT_EQ(bar.itemLayout().itemRect(0), QRect(11, 1, actionWidth, 19));
    EXPECT_EQ(bar.itemLayout().itemRect(1), QRect(11 + actionWidth, 0, 23, 22));

    bar.setBarHeight(30);
    EXPECT_EQ(bar.size(), QSize(15 + actionWidth + 23, 30));
    EXPECT_EQ(bar.itemLayout().itemRect(1).top(), 4);
}

TEST(Toolbar, HitTestFollowsItemSpans)
{
    Toolbar bar;
    bar.addTextItem(QStringLiteral("&Action"), 1001);
    bar.addTextItem(QStringLiteral("&View"), 1002);
    const int first = bar.itemLayout().item(0).width;
    const int second = bar.itemLayout().item(1).width;

    EXPECT_EQ(bar.hitTest(0), -1);
    EXPECT_EQ(bar.hitTest(10), -1);
    EXPECT_EQ(bar.hitTest(11), 0);
    EXPECT_EQ(bar.hitTest(11 + first - 1), 0);
    EXPECT_EQ(bar.hitTest(11 + first), 1);
    EXPECT_EQ(bar.hitTest(11 + first + second - 1), 1);
    EXPECT_EQ(bar.hitTest(11 + first + second), -1);
}

class ToolbarMouse : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_bar.addTextItem(QStringLiteral("&Action"), 1001);
        m_bar.addTextItem(QStringLiteral("&View"), 1002);
    }

    [[nodiscard]] QPoint centreOf(int item) const
    {
        return m_bar.itemLayout().itemRect(item).center();
    }

    Toolbar m_bar;
    QSignalSpy m_commands{&m_bar, &Toolbar::commandTriggered};
};

TEST_F(ToolbarMouse, ClickSendsTheItemsCommand)
{
    QTest::mouseClick(&m_bar, Qt::LeftButton, {}, centreOf(1));
    ASSERT_EQ(m_commands.count(), 1);
    EXPECT_EQ(m_commands.at(0).at(0).toInt(), 1002);

    // The grip and the margin before the first item are no button.
    QTest::mouseClick(&m_bar, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(&m_bar, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(m_commands.count(), 1);
}

TEST_F(ToolbarMouse, ReleaseCountsOnlyOnThePressedItem)
{
    // Off the bar below it.
    QTest::mousePress(&m_bar, Qt::LeftButton, {}, centreOf(0));
    QTest::mouseMove(&m_bar, centreOf(0) + QPoint(0, 40));
    QTest::mouseRelease(&m_bar, Qt::LeftButton, {}, centreOf(0) + QPoint(0, 40));
    EXPECT_EQ(m_commands.count(), 0);

    // Onto the neighbouring item.
    QTest::mousePress(&m_bar, Qt::LeftButton, {}, centreOf(0));
    QTest::mouseMove(&m_bar, centreOf(1));
    QTest::mouseRelease(&m_bar, Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(m_commands.count(), 0);

    // Off and back again before the release.
    QTest::mousePress(&m_bar, Qt::LeftButton, {}, centreOf(0));
    QTest::mouseMove(&m_bar, centreOf(0) + QPoint(0, 40));
    QTest::mouseMove(&m_bar, centreOf(0));
    QTest::mouseRelease(&m_bar, Qt::LeftButton, {}, centreOf(0));
    ASSERT_EQ(m_commands.count(), 1);
    EXPECT_EQ(m_commands.at(0).at(0).toInt(), 1001);
}

TEST_F(ToolbarMouse, PointerOnTheGripIsReported)
{
    ASSERT_EQ(m_bar.height(), 19);
    QSignalSpy grip(&m_bar, &Toolbar::gripHovered);
    m_bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_bar));

    QTest::mouseMove(&m_bar, centreOf(0));
    QTest::mouseMove(&m_bar, QPoint(5, 17));
    QTest::mouseMove(&m_bar, QPoint(2, 5));
    QTest::mouseMove(&m_bar, QPoint(9, 5));
    EXPECT_EQ(grip.count(), 0);

    QTest::mouseMove(&m_bar, QPoint(5, 5));
    EXPECT_EQ(grip.count(), 1);
    QTest::mouseMove(&m_bar, QPoint(3, 16));
    EXPECT_EQ(grip.count(), 2);
    m_bar.hide();
}

TEST(ToolbarPainting, UnderlinesOnlyTheAccessLetter)
{
    Toolbar bar;
    bar.addTextItem(QStringLiteral("&Action"), 1);
    bar.addTextItem(QStringLiteral("Action"), 2);
    const QColor text = bar.palette().color(QPalette::ButtonText);
    const QImage image = bar.grab().toImage();
    const int letter = bar.fontMetrics().horizontalAdvance(QStringLiteral("A"));

    const int firstText = bar.itemLayout().itemLeft(0) + 8;
    EXPECT_TRUE(hasSolidRow(image, firstText, firstText + letter - 1, text));
    const int secondText = bar.itemLayout().itemLeft(1) + 8;
    EXPECT_FALSE(hasSolidRow(image, secondText, secondText + letter - 1, text));
}

}  // namespace
}  // namespace corvane
