#pragma once
// Where the main window opens: the stored rectangle when it still fits a screen of the same
// scale factor (a stored size alone: centred on the primary screen, with room for the frame),
// else the default size centred on the primary screen; never larger than a screen's available
// area (a window too large for it opens maximised instead). Plain functions, so that any
// arrangement of screens can be tried.

#include "gui/app_settings.h"

#include <QRect>

#include <vector>

namespace corvane {

struct ScreenArea {
    QRect available;        // the desktop area left by panels and docks, device-independent pixels
    int scalePercent = 100;  // the screen's scale factor
};

struct WindowPlacement {
    QRect rect;  // the window's own area (without the frame)
    bool maximized = false;
};

// The placement for the stored geometry among screens (the primary screen first; none is
// taken as one of 1024 x 768).
[[nodiscard]] WindowPlacement windowPlacement(const AppSettings& stored,
                                              const std::vector<ScreenArea>& screens);
// A size centred in an available area, or the whole area when it does not fit.
[[nodiscard]] QRect initialWindowRect(QSize size, const QRect& available);
// The screens of this desktop, the primary one first.
[[nodiscard]] std::vector<ScreenArea> currentScreens();
// The scale factor of a device pixel ratio, in percent.
[[nodiscard]] int scalePercentOf(qreal devicePixelRatio);

}  // namespace corvane
