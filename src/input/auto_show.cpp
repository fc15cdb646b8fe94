// Auto-show's decision: which presses and focus changes bring the panel in, which take it away, and where.
#include "input/auto_show.h"

#include "input/input.h"

AutoShowState autoShowState = {};

namespace {

bool hasArea(const Rect& rect)
{
    return rect.left < rect.right && rect.top < rect.bottom;
}

bool contains(const Rect& rect, Point point)
{
    return rect.left <= point.x && point.x < rect.right && rect.top <= point.y && point.y < rect.bottom;
}

bool sameRect(const Rect& a, const Rect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool on()
{
    return keymapOptions.autoShow != AutoShow::Off;
}

bool counts(PointerKind kind)
{
    return kind == PointerKind::TouchOrPen || keymapOptions.autoShow == AutoShow::AnyPointer;
}

// Either may come first: a press is reported by the system's input hook, a focus change by the
// application that took it, and each by its own way to this thread.
bool nearInTime(uint32_t a, uint32_t b)
{
    return a - b < PRESS_FOCUS_MS || b - a < PRESS_FOCUS_MS;
}

bool panelInView()
{
    return slideState.direction == SlideDirection::Show;
}

void stopTimer(PlatformWindow* window)
{
    if (!autoShowState.timerRunning)
        return;
    autoShowState.timerRunning = false;
    platformStopTimer(window, AUTO_SHOW_TIMER_ID);
}

void cancelHide(PlatformWindow* window)
{
    autoShowState.hidePending = false;
    stopTimer(window);
}

void hideNow(PlatformWindow* window)
{
    cancelHide(window);
    slidePanelOutOfView(window);
}

// The timer is started for what is left of the delay, and again at a tick that comes early (one the
// system queued before the timer was last started).
void waitForHide(PlatformWindow* window)
{
    const auto left = static_cast<int32_t>(autoShowState.hideDue - platformMilliseconds());
    if (left <= 0) {
        hideNow(window);
        return;
    }
    autoShowState.timerRunning = true;
    platformStartTimer(window, AUTO_SHOW_TIMER_ID, static_cast<uint32_t>(left));
}

// The panel comes for a text field: fitted first to the field's monitor when it is fitted to another
// (what it holds is let go of before it moves there), then slid in as the tab slides it.
void showFor(PlatformWindow* window, const FocusChange& field)
{
    cancelHide(window);
    if (hasArea(field.screen) && !sameRect(field.screen, fittedScreen)) {
        releasePresses(window);
        platformFitWindowToScreen(window, field.screen);
    }
    slidePanelIntoView(window);
}

// A field whose place is unknown is judged by the time alone.
bool pressedOn(const UserPress& press, const FocusChange& field)
{
    return !hasArea(field.field) || contains(field.field, press.at);
}

} // namespace

void resetAutoShow()
{
    autoShowState = {};
}

void setAutoShow(PlatformWindow* window, AutoShow mode)
{
    keymapOptions.autoShow = mode;
    if (mode != AutoShow::Off)
        return;
    cancelHide(window);
    autoShowState.pressSeen = false;
    autoShowState.focusSeen = false;
}

void autoShowUserPress(PlatformWindow* window, const UserPress& press)
{
    if (!on() || !counts(press.kind))
        return;
    autoShowState.lastPress = press;
    autoShowState.pressSeen = true;
    // A press on the text field that has the focus: the focus will not move, and the user asks for
    // the panel all the same (after typing on a hardware keyboard took it away, for one). Reported
    // after the focus change it caused, it is that change's press.
    const FocusChange& focus = autoShowState.focus;
    if (autoShowState.focusSeen && focus.text && hasArea(focus.field) && contains(focus.field, press.at))
        showFor(window, focus);
}

void autoShowFocusChange(PlatformWindow* window, const FocusChange& change)
{
    if (!on())
        return;
    autoShowState.focus = change;
    autoShowState.focusSeen = true;
    if (!change.text) {
        if (!panelInView() || autoShowState.hidePending)
            return;
        autoShowState.hidePending = true;
        autoShowState.hideDue = change.time + AUTO_HIDE_DELAY_MS;
        waitForHide(window);
        return;
    }
    // Back to text before the delay ran out: the panel stays. Text focused by a program (SetFocus, a
    // dialog opening, Tab on a hardware keyboard) brings nothing; the user's press does.
    cancelHide(window);
    const UserPress& press = autoShowState.lastPress;
    if (autoShowState.pressSeen && nearInTime(change.time, press.time) && pressedOn(press, change))
        showFor(window, change);
}

void autoShowHardwareKey(PlatformWindow* window)
{
    if (!on())
        return;
    // The user types on a keyboard of their own: the panel goes, and only a new press on a text field
    // brings it back, not one made before the key.
    autoShowState.pressSeen = false;
    if (panelInView() || autoShowState.hidePending)
        hideNow(window);
}

void cancelAutoHide(PlatformWindow* window)
{
    cancelHide(window);
}

void advanceAutoShow(PlatformWindow* window)
{
    stopTimer(window);
    if (autoShowState.hidePending)
        waitForHide(window);
}

bool autoShowWantsHardwareKeys()
{
    return on() && (panelInView() || autoShowState.hidePending);
}
