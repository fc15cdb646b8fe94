// The keyboard window's timer ticks, routed here alike by the window procedure and the tests.
#include "input/input.h"

void onWindowTimer(PlatformWindow* window, uint32_t id)
{
    // Each timer's ticks go to its own handler, so a repeating key never speeds up a slide.
    if (id == SLIDE_TIMER_ID) {
        checkPointerStillDown(window);
        advanceSlide(window);
    } else if (id == KEY_REPEAT_TIMER_ID) {
        advanceKeyRepeat(window);
    } else if (id == REPAINT_TIMER_ID) {
        platformStopTimer(window, REPAINT_TIMER_ID);
        platformUpdateWindow(window);
    }
}
