// The input module's process-wide state, defined in one place and put back as at start by resetInput.
#include "input/input.h"

#include "input/auto_show.h"
#include "input/hover.h"
#include "input/scan.h"

int fnLayer = 0;
uint32_t lastPressTime = 0;
int lastPressKey = -1;
SlideState slideState = {0, SlideDirection::Show};
Press presses[PRESS_SLOTS] = {NO_PRESS, NO_PRESS, NO_PRESS, NO_PRESS, NO_PRESS, NO_PRESS,
                              NO_PRESS, NO_PRESS, NO_PRESS, NO_PRESS, NO_PRESS, NO_PRESS};
KeyRepeat keyRepeat = NO_REPEAT;
HeldCode heldCodes[MAX_KEYS] = {};
bool pointerCaptured = false;
bool slideTimerRunning = false;
Rect fittedScreen = {0, 0, 0, 0};
bool repaintDue[MAX_KEYS] = {};

void resetInput()
{
    fnLayer = 0;
    lastPressTime = 0;
    lastPressKey = -1;
    slideState = {0, SlideDirection::Show};
    for (Press& press : presses)
        press = NO_PRESS;
    keyRepeat = NO_REPEAT;
    for (HeldCode& held : heldCodes)
        held = {false, 0, false};
    pointerCaptured = false;
    slideTimerRunning = false;
    fittedScreen = {0, 0, 0, 0};
    for (bool& due : repaintDue)
        due = false;
    resetAutoShow();
    resetHover();
    resetScan();
}
