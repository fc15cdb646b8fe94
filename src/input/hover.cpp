// Hover typing: times the mouse pointer's rest on a key or the dock tab, fills the ring, and types the key when the
// time is up.
#include "input/hover.h"

#include <algorithm>

#include "input/input.h"
#include "layout/keytable.h"
#include "layout/options.h"
#include "render/geometry.h"
#include "render/hover_ring.h"

HoverState hoverState = {false, HoverTarget::None, -1, {0, 0}, {0, 0}, 0, false};

namespace {

bool hovering()
{
    return keymapOptions.hoverTimeMs > 0 && keyTable;
}

// The ring's rectangle does not depend on its fill, so one step repaints one rectangle.
void invalidateRing(PlatformWindow* window)
{
    if (keyTable && hoverRing.key >= 0 && hoverRing.key < keyTable->count)
        platformInvalidateRect(window, keyRingPaint(hoverRing.key, hoverRing.filled).bounds);
}

void showRing(PlatformWindow* window, int key, int32_t filled)
{
    if (hoverRing.key == key && hoverRing.filled == filled)
        return;
    if (hoverRing.key != key)
        invalidateRing(window);
    hoverRing = {key, filled};
    invalidateRing(window);
}

void clearRing(PlatformWindow* window)
{
    showRing(window, -1, 0);
}

void stopTimer(PlatformWindow* window)
{
    if (!hoverState.timerRunning)
        return;
    hoverState.timerRunning = false;
    platformStopTimer(window, HOVER_TIMER_ID);
}

// The time runs from now, and the timer's steps with it, so that the last step falls on the hover
// time itself.
void restartTime(PlatformWindow* window)
{
    hoverState.start = platformMilliseconds();
    clearRing(window);
    hoverState.timerRunning = true;
    platformStartTimer(window, HOVER_TIMER_ID, hoverStepMs(keymapOptions.hoverTimeMs));
}

// A rest begins at a client point, on what a press there would reach first: the tab, then the keys.
void startRest(PlatformWindow* window, Point point)
{
    const bool tab = tabAreaAt(point.x, point.y) != TabArea::None;
    const int key = tab ? -1 : fittedKeyAt(point.x, point.y);
    hoverState.target = tab ? HoverTarget::TabArea : key >= 0 ? HoverTarget::Key : HoverTarget::None;
    hoverState.key = key;
    hoverState.anchor = point;
    if (hoverState.target == HoverTarget::None) {
        clearRing(window);
        stopTimer(window);
        return;
    }
    restartTime(window);
}

bool withinJitter(Point a, Point b)
{
    const int64_t dx = int64_t{a.x} - b.x;
    const int64_t dy = int64_t{a.y} - b.y;
    const int64_t radius = hoverJitterRadius();
    return dx * dx + dy * dy <= radius * radius;
}

} // namespace

void resetHover()
{
    hoverState = {false, HoverTarget::None, -1, {0, 0}, {0, 0}, 0, false};
    resetHoverRing();
}

uint32_t hoverStepMs(int32_t hoverTimeMs)
{
    const uint32_t time = hoverTimeMs > 0 ? static_cast<uint32_t>(hoverTimeMs) : 0;
    return std::max(time / HOVER_RING_STEPS, HOVER_MIN_STEP_MS);
}

int32_t hoverJitterRadius()
{
    return scaleAtLeastOne(HOVER_JITTER_RADIUS, panelScale);
}

void setHoverTime(PlatformWindow* window, int32_t hoverTimeMs)
{
    endHover(window);
    keymapOptions.hoverTimeMs = hoverTimeMs > 0 ? hoverTimeMs : 0;
}

void hoverPointerMove(PlatformWindow* window, int32_t x, int32_t y)
{
    if (!hovering())
        return;
    // The leave report comes once per request: asked again at the first move after it came.
    if (!hoverState.tracking) {
        hoverState.tracking = true;
        platformTrackPointerLeave(window);
    }
    hoverState.at = {x, y};
    // The panel moves under the pointer during a slide: where it rests means nothing until the end.
    if (slideState.step != 0)
        return;
    // Within the radius the rest goes on, also across the edge of a neighbouring key.
    if (hoverState.target != HoverTarget::None && withinJitter(hoverState.anchor, hoverState.at))
        return;
    startRest(window, hoverState.at);
}

void hoverPointerLeave(PlatformWindow* window)
{
    hoverState.tracking = false;
    endHover(window);
}

void hoverPointerPress(PlatformWindow* window)
{
    if (hoverState.target != HoverTarget::None)
        restartTime(window);
}

void hoverPointerRelease(PlatformWindow* window)
{
    // The capture held for the press may have ended the system's watch for the leave.
    hoverState.tracking = false;
    hoverPointerPress(window);
}

void advanceHover(PlatformWindow* window)
{
    if (!hovering() || hoverState.target == HoverTarget::None || slideState.step != 0) {
        endHover(window);
        return;
    }
    const uint32_t now = platformMilliseconds();
    // A key held down by the mouse's button is the hand's: its rest begins when the button comes up.
    if (presses[MOUSE_PRESS].held) {
        hoverState.start = now;
        clearRing(window);
        return;
    }
    const uint32_t time = static_cast<uint32_t>(keymapOptions.hoverTimeMs);
    const uint32_t elapsed = now - hoverState.start;
    // A tick may come a little early or late: the step nearest to the hover time is the last.
    if (elapsed + hoverStepMs(keymapOptions.hoverTimeMs) / 2 < time) {
        if (hoverState.target == HoverTarget::Key)
            showRing(window, hoverState.key, static_cast<int32_t>(uint64_t{elapsed} * RING_FULL / time));
        return;
    }
    if (hoverState.target == HoverTarget::TabArea) {
        // The slide drops the rest; until the pointer moves again nothing more hovers.
        const Point at = hoverState.at;
        endHover(window);
        handleTabPress(window, at.x, at.y);
        return;
    }
    // Resting on, the key is typed again a whole hover time later, not sooner.
    hoverState.start = now;
    clearRing(window);
    // The Exit key ends the program inside: the teardown ends the rest, and nothing may be touched after.
    typeSelectedKey(window, hoverState.key);
}

void endHover(PlatformWindow* window)
{
    // A hidden or moved window may never report the leave it was asked for: the next move asks anew,
    // so that no rest goes on with the pointer away.
    hoverState.tracking = false;
    hoverState.target = HoverTarget::None;
    hoverState.key = -1;
    stopTimer(window);
    clearRing(window);
}
