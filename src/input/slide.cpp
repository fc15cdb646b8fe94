// The slide-away panel: a tap beside the dock tab pushes the panel off the screen, a tap on the tab pulls it back.
#include <cstdint>

#include "input/auto_show.h"
#include "input/hover.h"
#include "input/input.h"
#include "input/scan.h"
#include "input/tab_area.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

// The window's place after `moves` of the four toward the docked edge: 0 shows the panel, 4 leaves only
// the outer tab on the screen. Each is n quarters of the panel, n x extent / 4, so the fourth is exact.
Point slidPosition(const TabPlace& tab, int64_t moves)
{
    const int64_t shift = -tab.outward * (moves * tab.panel / SLIDE_STEPS);
    const Point shown = shownWindowPosition();
    int64_t x = shown.x;
    int64_t y = shown.y;
    (tab.acrossIsY ? y : x) += shift;
    return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

void startSlide(PlatformWindow* window, SlideDirection direction)
{
    // A key a finger or the mouse holds goes up before the panel moves away under it; off the screen,
    // nothing may stay held behind it. Nothing hovers while the panel moves under the pointer (letting
    // go of everything ends a rest too).
    if (direction == SlideDirection::Hide) {
        releaseEverything(window);
        // Whoever slides the panel away, auto-show has nothing left to take away.
        cancelAutoHide(window);
    } else {
        endHover(window);
        releasePresses(window);
    }
    slideState.step = 1;
    slideState.direction = direction;
    keepSlideTimer(window);
    // No highlight moves while the panel does.
    keepScan(window);
}

} // namespace

bool handleTabPress(PlatformWindow* window, int32_t x, int32_t y)
{
    switch (tabAreaAt(x, y)) {
    case TabArea::Show: startSlide(window, SlideDirection::Show); return true;
    case TabArea::Hide: startSlide(window, SlideDirection::Hide); return true;
    case TabArea::None: break;
    }
    return false;
}

void slidePanelIntoView(PlatformWindow* window)
{
    // The direction of the last slide is all the program knows of where the panel is.
    if (slideState.direction == SlideDirection::Hide)
        startSlide(window, SlideDirection::Show);
}

void slidePanelOutOfView(PlatformWindow* window)
{
    if (slideState.direction == SlideDirection::Show)
        startSlide(window, SlideDirection::Hide);
}

void advanceSlide(PlatformWindow* window)
{
    if (slideState.step < 1)
        return;
    if (slideState.step > SLIDE_STEPS) {
        // The tick after the last move ends the slide, and presses count again from here.
        slideState.step = 0;
        keepScan(window);
        return;
    }
    TabPlace tab{};
    if (!findTab(tab)) {
        slideState.step = 0;
        keepScan(window);
        return;
    }
    // Every position is the docked one shifted toward the docked edge: by n moves when hiding, by
    // the moves still to come when showing, so the fourth Show move lands exactly on the docked place.
    const int64_t step = slideState.step;
    const int64_t moves = slideState.direction == SlideDirection::Hide ? step : SLIDE_STEPS - step;
    const Point at = slidPosition(tab, moves);
    platformMoveWindow(window, at.x, at.y, windowSize.width, windowSize.height, true);
    ++slideState.step;
}

bool refitPanel(PlatformWindow* window, Rect screen)
{
    if (!fitPanelToScreen(screen))
        return false;
    fittedScreen = screen;
    // The keys are no longer where the pointer rests.
    endHover(window);
    // A slide under way ends where it was going; the panel stays shown or hidden as it was, since the
    // last slide's direction is all that says which. Presses count again from here.
    slideState.step = 0;
    keepSlideTimer(window);
    keepScan(window);
    TabPlace tab{};
    const bool hidden = findTab(tab) && slideState.direction == SlideDirection::Hide;
    const Point at = hidden ? slidPosition(tab, SLIDE_STEPS) : shownWindowPosition();
    platformMoveWindow(window, at.x, at.y, windowSize.width, windowSize.height, true);
    // Everything is drawn anew at the new scale, and each key's bounds with it.
    platformInvalidateRect(window, {0, 0, windowSize.width, windowSize.height});
    return true;
}
