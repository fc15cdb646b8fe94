// The slide-away panel: a tap beside the dock tab pushes the panel off the screen, a tap on the tab pulls it back.
#include <cstdint>

#include "input/input.h"
#include "input/tab_area.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

void startSlide(PlatformWindow* window, SlideDirection direction)
{
    // A key a finger or the mouse holds goes up before the panel moves away under it; off the screen,
    // nothing may stay held behind it.
    if (direction == SlideDirection::Hide)
        releaseEverything(window);
    else
        releasePresses(window);
    slideState.step = 1;
    slideState.direction = direction;
    keepSlideTimer(window);
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

void advanceSlide(PlatformWindow* window)
{
    if (slideState.step < 1)
        return;
    if (slideState.step > SLIDE_STEPS) {
        // The tick after the last move ends the slide, and presses count again from here.
        slideState.step = 0;
        return;
    }
    TabPlace tab{};
    if (!findTab(tab)) {
        slideState.step = 0;
        return;
    }
    // Every position is the docked one shifted toward the docked edge: by n moves when hiding, by
    // the moves still to come when showing, so the fourth Show move lands exactly on the docked place.
    const int64_t step = slideState.step;
    const int64_t moves = slideState.direction == SlideDirection::Hide ? step : SLIDE_STEPS - step;
    const int64_t shift = -tab.outward * moves * tab.move;
    int64_t x = -int64_t{windowOrigin.x};
    int64_t y = -int64_t{windowOrigin.y};
    (tab.acrossIsY ? y : x) += shift;
    platformMoveWindow(window, static_cast<int32_t>(x), static_cast<int32_t>(y), windowSize.width, windowSize.height,
                       true);
    ++slideState.step;
}
