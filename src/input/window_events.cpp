// The keyboard window's timer ticks and its end, routed here alike by the window procedure and the tests.
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

// In this order: a repeat must not send another key-down after its key went up, and the keys held
// under the pointer and the contacts go up before the modifiers they were typed with.
void releaseEverything(PlatformWindow* window)
{
    stopKeyRepeat(window);
    releaseHeldPress(window);
    releaseContacts(window);
    releaseAllLatchingKeys();
    turnFnLayerOff(window);
}
