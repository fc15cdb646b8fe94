// The keyboard window's timers: their ticks, routed here alike by the window procedure and the tests,
// and when each one runs.
#include "input/input.h"
#include "input/auto_show.h"
#include "input/hover.h"
#include "input/key_repeat.h"
#include "input/scan.h"

void onWindowTimer(PlatformWindow* window, uint32_t id)
{
    // Each timer's ticks go to its own handler, so a repeating key never speeds up a slide.
    if (id == SLIDE_TIMER_ID) {
        checkPointerStillDown(window);
        advanceSlide(window);
        keepSlideTimer(window);
    } else if (id == KEY_REPEAT_TIMER_ID) {
        advanceKeyRepeat(window);
    } else if (id == FOLLOW_UP_TIMER_ID) {
        followUpPresses(window);
    } else if (id == AUTO_SHOW_TIMER_ID) {
        advanceAutoShow(window);
    } else if (id == HOVER_TIMER_ID) {
        advanceHover(window);
    } else if (id == SCAN_TIMER_ID) {
        advanceScan(window);
    }
}

void keepSlideTimer(PlatformWindow* window)
{
    const bool needed = slideState.step != 0 || presses[MOUSE_PRESS].held;
    if (needed == slideTimerRunning)
        return;
    slideTimerRunning = needed;
    if (needed)
        platformStartTimer(window, SLIDE_TIMER_ID, SLIDE_TIMER_MS, SLIDE_TIMER_TOLERANCE_MS);
    else
        platformStopTimer(window, SLIDE_TIMER_ID);
}

void followUpPresses(PlatformWindow* window)
{
    platformStopTimer(window, FOLLOW_UP_TIMER_ID);
    // The capture makes sure the release reaches the window wherever the pointer is lifted; one lifted
    // before it is taken came to the window anyway.
    if (presses[MOUSE_PRESS].held && !pointerCaptured) {
        pointerCaptured = true;
        platformCapturePointer(window);
    }
    scheduleKeyRepeat(window);
    keepSlideTimer(window);
    for (int i = 0; keyTable && i < keyTable->count; ++i) {
        if (repaintDue[i])
            platformInvalidateRect(window, keyTable->keys[i].bounds);
        repaintDue[i] = false;
    }
    platformUpdateWindow(window);
}
