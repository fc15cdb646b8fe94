// Input and interaction: key events, the press and release state machine, and the slide-away panel.
#pragma once

#include <cstdint>

#include "layout/keytable.h"
#include "platform/platform.h"

constexpr uint32_t DOUBLE_PRESS_MS = 500;
constexpr int SLIDE_STEPS = 4;

// The window's timers. The slide timer (50 ms) runs for the whole life of the window; the key repeat
// timer runs only while a held key repeats; the repaint timer ticks once after a press that changed
// a key's look. Each one's ticks go to its own handler only.
constexpr uint32_t SLIDE_TIMER_ID = 1;
constexpr uint32_t SLIDE_TIMER_MS = 50;
constexpr uint32_t KEY_REPEAT_TIMER_ID = 2;
constexpr uint32_t REPAINT_TIMER_ID = 3;
// A press repaints its key this long after its key event, not at once: painting right away competes
// with the key's way to the focused application (markedly under Wine), and a key is felt when it
// types, while a change of colour within a frame's time is not seen late.
constexpr uint32_t REPAINT_DELAY_MS = 10;

enum class SlideDirection : int32_t {
    Show = 0, // into view
    Hide = 1, // off the screen
};

struct SlideState {
    int32_t step; // 0 idle; 1 to 4 the next move; 5 the slide ends at the next tick
    SlideDirection direction;
};

// Touch and pen contacts that press keys at once, each with its own press; the mouse has one more.
constexpr int MAX_CONTACTS = 10;
constexpr int MOUSE_PRESS = 0; // the mouse's press; 1 to MAX_CONTACTS are the contacts'

// A press that hit a key, from the press until its release. While the mouse's is held the pointer is
// captured, so that the release reaches the window wherever the pointer is lifted and no key is left
// held in the system; the system captures a touch or pen contact for the window by itself.
struct Press {
    bool held;
    uint32_t contact;     // the system's pointer id of a touch or pen contact
    int key;              // the key the press hit
    bool typedDuringHold; // a Normal key went down while this press held a Latching key
};

constexpr Press NO_PRESS = {false, 0, -1, false};

// The held Normal key that repeats.
struct KeyRepeat {
    int keyIndex; // -1 while no key repeats
    uint8_t virtualKey;
    uint32_t startTime;
    uint32_t delayMs;
    uint32_t periodMs;
    bool pastDelay; // the first repeat has gone out; the timer now runs at the period
    int press;      // the press that holds the key: its release stops the repeat
};

constexpr KeyRepeat NO_REPEAT = {-1, 0, 0, 0, 0, false, -1};

// What a key's key-down sent, from that key-down until its key-up. A key-up always goes out for this
// code, whatever the layer is by then, so that nothing the panel pressed stays held in the system.
// A key that turned the Fn layer on holds VK_FN: it shows the layer, and its release turns it off.
struct HeldCode {
    bool held;
    uint8_t code;
};

// One synthetic key-down or key-up for a virtual key, with the scan code of the current layout.
// VK_FN and VK_EXIT are never sent: they act inside the keyboard only.
void sendKeyEvent(uint8_t virtualKey, bool up);
// The key-down of the key at `index` for `code`, remembered until its key-up. VK_FN turns the Fn layer
// on instead (the key then holds the layer); VK_EXIT does nothing here.
void pressKeyCode(int index, uint8_t code);
// The key-up for whatever the key's key-down sent, if it sent anything; for a key that holds the Fn
// layer, the layer goes off.
void releaseKeyCode(PlatformWindow* window, int index);
// Whether the key at `index` turned the Fn layer on and shows it.
bool holdsFnLayer(int index);
// The Fn layer off: every key that holds it becomes Up, invalidated when a window is given.
void turnFnLayerOff(PlatformWindow* window);
// A key-up for every Latching key that holds a key down, whatever its state; all become Up. Repaints
// nothing.
void releaseAllLatchingKeys();
// A key-up for every Latching key that is Down; each becomes Up and is invalidated.
void releaseDownLatchingKeys(PlatformWindow* window);

// WM_LBUTTONDOWN and WM_LBUTTONUP, in client coordinates (unsigned 16-bit values).
void handlePointerPress(PlatformWindow* window, int32_t x, int32_t y);
void handlePointerRelease(PlatformWindow* window, int32_t x, int32_t y);
// WM_CAPTURECHANGED: the pointer capture taken on a press was lost before the button came up.
void handlePointerCaptureLost(PlatformWindow* window);
// On each slide timer tick: a press still held whose button is up in the system lost its release on
// the way (a capture the system does not honour for a window that is not in the foreground), and is
// released now.
void checkPointerStillDown(PlatformWindow* window);
// The press the pointer holds, if any, goes up as at its release, and its capture is given back.
void releaseHeldPress(PlatformWindow* window);
// Whether a press of the mouse or of a contact holds the key down: a modifier held so is not released
// with the next key, as a physical modifier held down is not.
bool heldByPress(int key);

// A touch or pen contact lands at a client point: it presses what is there exactly as the mouse does.
void handleContactDown(PlatformWindow* window, uint32_t contact, int32_t x, int32_t y);
// The contact lifts, is canceled or loses its capture: the Normal key it pressed goes up unless
// another contact still holds it, then the latched modifiers; a modifier it held goes up if a key was
// typed meanwhile, else it stays as the tap left it.
void handleContactUp(PlatformWindow* window, uint32_t contact);
// Every contact's press goes up, as at its lift.
void releaseContacts(PlatformWindow* window);

enum class TabArea {
    None, // the keys' business
    Show, // the outer tab, beyond the panel: slides the panel into view
    Hide, // the strip of the panel beside the tab: slides it off the screen
};

// Which area of the dock tab a client point lies in; a press there moves the panel, not a key.
TabArea tabAreaAt(int32_t x, int32_t y);
// The dock tab: true when a press lay in the show or hide area and started a slide.
bool handleTabPress(PlatformWindow* window, int32_t x, int32_t y);
// One tick of the 50 ms slide timer.
void advanceSlide(PlatformWindow* window);
// Slides a panel that was slid off the screen, or is sliding off, back into view.
void slidePanelIntoView(PlatformWindow* window);
// Fits the panel to a screen rectangle anew (a change of resolution, orientation, DPI or primary
// monitor): the window takes the new size, and a slide under way ends at its end, so the panel is
// shown, or hidden with its tab at the new edge, as it was; everything is to be repainted. Keys held
// stay held. The caller gives the window its new region (applyPanelShape). False, with nothing
// changed, for a screen without area.
bool refitPanel(PlatformWindow* window, Rect screen);

// One tick of the key repeat timer: a further key-down for the Normal key the pointer holds.
void advanceKeyRepeat(PlatformWindow* window);
// Ends the repeat of a held key, if one runs. The release, the capture loss, the start of a slide
// and the window's destruction call it before anything else they do.
void stopKeyRepeat(PlatformWindow* window);
// The repeat's first delay and later period in milliseconds for the system's delay (0 to 3) and
// speed (0 to 31) settings; settings out of range count as the nearest end.
uint32_t keyRepeatDelayMs(int32_t delaySetting);
uint32_t keyRepeatPeriodMs(int32_t speedSetting);

// A tick of one of the window's timers, handed to that timer's handler only.
void onWindowTimer(PlatformWindow* window, uint32_t id);
// Nothing stays pressed: the repeat stops, a press the pointer holds goes up as at its release, then
// every Latching key, and the Fn layer turns off. For the window's end, the session's end and hiding
// the panel.
void releaseEverything(PlatformWindow* window);

// --- The input module's process-wide state (input_state.cpp), put back as at start by resetInput ---
// 1 while the Fn layer is on: keys then send their fnVk.
extern int fnLayer;
// Clock value of the last press that hit a key, and the index of that key (-1 before the first).
extern uint32_t lastPressTime;
extern int lastPressKey;
// The slide-away panel's animation.
extern SlideState slideState;
// The presses that hit a key and are held, the mouse's at MOUSE_PRESS and each contact's.
extern Press presses[MAX_CONTACTS + 1];
// The held key that repeats, if any.
extern KeyRepeat keyRepeat;
// What each key's key-down sent, from that key-down until its key-up: the one record of what the
// system holds from the panel.
extern HeldCode heldCodes[MAX_KEYS];

// Back to the state at start: Fn layer off, no press yet, no slide, no repeat, no capture held,
// nothing held down.
void resetInput();
