#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// Room that a window manager's frame takes around the window's own area: the title bar above,
// thin borders elsewhere. A window whose own area fills the screen would lose its title bar
// or its status bar past the screen's edge.
constexpr QMargins kFrameRoom(8, 40, 8, 8);

bool fitsWithFrame(QSize size, const QRect& available)
{
    const QSize framed = size.grownBy(kFrameRoom);
    return framed.width() <= available.width() && framed.height() <= available.height();
}

// A stored scale of 0 comes from a store that did not keep one: any screen will do.
bool sameScale(const AppSettings& stored, const ScreenArea& screen)
{
    return stored.scalePercent == 0 || stored.scalePercent == screen.scalePercent;
}

// The stored rectangle, when a screen of the same scale holds all of it. A window closed on a
// monitor that is gone, or at another scale factor (where its numbers mean another size), does
// not come back there.
std::optional<QRect> storedRectThatFits(const AppSettings& stored,
                                        const std::vector<ScreenArea>& screens)
{
    const QSize size(stored.width, stored.height);
    if (!stored.position) {
        // Only a size was kept: centred on the primary screen, if it fits there.
        const ScreenArea& primary = screens.front();
        if (!sameScale(stored, primary) || !fitsWithFrame(size, primary.available))
            return std::nullopt;
        return initialWindowRect(size, primary.available);
    }
    const QRect rect(*stored.position, size);
    const auto holds = [&](const ScreenArea& screen) {
        return sameScale(stored, screen) && screen.available.contains(rect);
    };
    if (std::none_of(screens.begin(), screens.end(), holds))
        return std::nullopt;
    return rect;
}

}  // namespace

QRect initialWindowRect(QSize size, const QRect& available)
{
    const int x = (available.width() - size.width()) / 2;
    const int y = (available.height() - size.height()) / 2;
    if (x < 0 || y < 0)
        return available;
    return {available.x() + x, available.y() + y, size.width(), size.height()};
}

WindowPlacement windowPlacement(const AppSettings& stored, const std::vector<ScreenArea>& screens)
{
    const std::vector<ScreenArea> known =
        screens.empty() ? std::vector<ScreenArea>{{QRect(0, 0, 1024, 768), 100}} : screens;
    WindowPlacement placement{{}, stored.maximized};
    if (const auto rect = storedRectThatFits(stored, known)) {
        placement.rect = *rect;
        return placement;
    }
    const AppSettings defaults;
    const QSize size(defaults.width, defaults.height);
    const QRect& available = known.front().available;
    if (fitsWithFrame(size, available)) {
        placement.rect = initialWindowRect(size, available);
    } else {
        // Maximised, the window manager fits frame, menu bar and status bar in.
        placement.rect = available;
        placement.maximized = true;
    }
    return placement;
}

std::vector<ScreenArea> currentScreens()
{
    const auto areaOf = [](const QScreen* screen) {
        return ScreenArea{screen->availableGeometry(), scalePercentOf(screen->devicePixelRatio())};
    };
    std::vector<ScreenArea> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr)
        screens.push_back(areaOf(primary));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            screens.push_back(areaOf(screen));
    }
    return screens;
}

int scalePercentOf(qreal devicePixelRatio)
{
    return static_cast<int>(std::lround(devicePixelRatio * 100));
}

}  // namespace corvane
