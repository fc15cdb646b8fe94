// Auto-show: when the panel slides into view for a text field the user pressed, and when it slides away.
#pragma once

#include <cstdint>

#include "layout/options.h"
#include "platform/platform.h"

// The focus that leaves text takes the panel away this long after it left, unless it comes back first:
// moving between a field and its buttons does not make the panel come and go.
constexpr uint32_t AUTO_HIDE_DELAY_MS = 500;
// A press and a focus change this close in time belong together (either may be reported first, and
// the two clocks they are stamped by differ by their grain); a press longer ago moved nothing.
constexpr uint32_t PRESS_FOCUS_MS = 500;

enum class PointerKind : uint8_t {
    Mouse,
    TouchOrPen, // a finger or a pen, also where the system turns it into mouse input
};

// A press of the user's pointer anywhere on the screen but on the panel, in screen pixels, stamped
// with the platform's millisecond clock.
struct UserPress {
    PointerKind kind;
    Point at;
    uint32_t time;
};

// The keyboard focus moved to an object of another application.
struct FocusChange {
    bool text;     // it takes typed text
    Rect field;    // where it lies on the screen; empty when the system does not say
    Rect screen;   // the whole monitor that holds it; empty when unknown
    uint32_t time; // when the focus moved, on the platform's millisecond clock
};

// What the decision remembers between events; put back as at start by resetAutoShow.
struct AutoShowState {
    bool pressSeen; // lastPress is a press of a kind that counts, and no hardware key came since
    UserPress lastPress;
    bool focusSeen; // focus is the last focus change
    FocusChange focus;
    bool hidePending; // the focus left text: the panel goes at hideDue
    uint32_t hideDue;
    bool timerRunning; // AUTO_SHOW_TIMER_ID runs: only while a hide is pending
};

extern AutoShowState autoShowState;

void resetAutoShow();

// Turns auto-show on in a mode, or off, for the rest of the run (keymapOptions.autoShow). Turned off,
// nothing is pending any more and nothing it remembers counts when it is turned on again.
void setAutoShow(PlatformWindow* window, AutoShow mode);

// The entry points, each as the system reports it. The panel shows when the focus moves to text on a
// press of a kind that counts near in time and on the field (or a press lands on the text field that
// has the focus), on the field's monitor; it goes when the focus has left text for AUTO_HIDE_DELAY_MS,
// and at once at a key of a hardware keyboard. Every slide is the tab's: what the panel holds is let
// go of first, and presses on the panel wait for its end.
void autoShowUserPress(PlatformWindow* window, const UserPress& press);
void autoShowFocusChange(PlatformWindow* window, const FocusChange& change);
// A key event of a hardware keyboard (one the keyboard did not send).
void autoShowHardwareKey(PlatformWindow* window);
// The panel slides off the screen, by auto-show or by the user's hand: a hide pending is done with.
void cancelAutoHide(PlatformWindow* window);
// A tick of AUTO_SHOW_TIMER_ID.
void advanceAutoShow(PlatformWindow* window);

// Whether a hardware key would change anything now: the panel is in view or coming. The keyboard
// hook asks this before it reports a key, so that typing into a slid-away panel costs nothing.
bool autoShowWantsHardwareKeys();
