// The slide-away panel: a tap beside the dock tab pushes the panel off the screen, a tap on the tab pulls it back.
#include <cstdint>

#include "input/input.h"
#include "layout/keytable.h"
#include "render/geometry.h"

SlideState slideState = {0, SlideDirection::Show};

namespace {

// The tab of a dock side in client coordinates. "Across" is the coordinate that crosses the panel's
// edge at the tab (y for Top and Bottom, x for Right and Left), "along" the one that runs beside it.
struct TabPlace {
    bool acrossIsY;
    int64_t outward; // +1 when the tab lies at larger across values than the panel, else -1
    int64_t edge;    // across value of the panel's edge under the tab
    int64_t depth;   // the tab's extent across the edge, and the depth of the hide area
    int64_t length;  // the tab's extent along the edge, from tabOffset
    int64_t move;    // one of the four moves of a slide
};

bool findTab(TabPlace& place)
{
    const int64_t tw = panelLayout.tabWidth;
    const int64_t th = panelLayout.tabHeight;
    const int64_t quarterHeight = PANEL_HEIGHT / SLIDE_STEPS;
    const int64_t quarterWidth = PANEL_WIDTH / SLIDE_STEPS;
    switch (panelLayout.dockSide) {
    case DockSide::Top: // tab below the panel
        place = {true, +1, PANEL_HEIGHT, th, tw, quarterHeight};
        return true;
    case DockSide::Bottom: // tab above the panel, which begins below it
        place = {true, -1, th, th, tw, quarterHeight};
        return true;
    case DockSide::Right: // tab left of the panel, which begins right of it
        place = {false, -1, tw, tw, th, quarterWidth};
        return true;
    case DockSide::Left: // tab right of the panel
        place = {false, +1, PANEL_WIDTH, tw, th, quarterWidth};
        return true;
    default:
        return false;
    }
}

void startSlide(PlatformWindow* window, SlideDirection direction)
{
    stopKeyRepeat(window);
    slideState.step = 1;
    slideState.direction = direction;
}

} // namespace

bool handleTabPress(PlatformWindow* window, int32_t x, int32_t y)
{
    TabPlace tab{};
    if (!findTab(tab))
        return false;
    const int64_t across = tab.acrossIsY ? y : x;
    const int64_t along = tab.acrossIsY ? x : y;
    // How far beyond the panel's edge the press lies, toward the tab; every bound is strict, so a
    // press on the edge itself or on a side of the hide area goes on to the keys.
    const int64_t beyond = (across - tab.edge) * tab.outward;
    if (beyond > 0) {
        // Only the outer tab lies beyond the panel on that side, so its position along is not asked.
        startSlide(window, SlideDirection::Show);
        return true;
    }
    const int64_t offset = panelLayout.tabOffset;
    if (beyond < 0 && -beyond < tab.depth && offset < along && along < offset + tab.length) {
        startSlide(window, SlideDirection::Hide);
        // The panel is about to leave the screen: no modifier may stay held behind it.
        releaseAllLatchingKeys();
        return true;
    }
    return false;
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
