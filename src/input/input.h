// Input and interaction: key events, the press and release state machine, and the slide-away panel.
#pragma once

#include <cstdint>

#include "layout/keytable.h"
#include "platform/platform.h"

constexpr uint32_t DOUBLE_PRESS_MS = 500;
constexpr int SLIDE_STEPS = 4;

// The window's timers, each running only while it has work, so that an idle keyboard is never woken.
// The slide timer (50 ms) runs while a slide runs or the mouse's press is held (a lost button-up is
// noticed at its next tick); the key repeat timer while a held key repeats; the follow-up timer ticks
// once after a press. Each one's ticks go to its own handler only.
constexpr uint32_t SLIDE_TIMER_ID = 1;
constexpr uint32_t SLIDE_TIMER_MS = 50;
// How late the system may deliver a slide tick to wake the processor once for several timers: a move
// of the slide a few milliseconds late is not seen.
constexpr uint32_t SLIDE_TIMER_TOLERANCE_MS = 10;
constexpr uint32_t KEY_REPEAT_TIMER_ID = 2;
constexpr uint32_t FOLLOW_UP_TIMER_ID = 3;
// What a press does beyond its key event (the capture, the repeat's settings and timer, the slide
// timer, the repaint of its key) waits this long: any of it done right away competes with the key's
// way to the focused application (markedly under Wine), and a key is felt when it types, while a
// change of colour within a frame's time is not seen late.
constexpr uint32_t FOLLOW_UP_DELAY_MS = 10;
// Auto-show's timer runs while the panel waits to slide away after the focus left text (auto_show.h).
constexpr uint32_t AUTO_SHOW_TIMER_ID = 4;
// The system's side of auto-show looks once more, a moment after a focus change, for a caret that the
// newly focused window had not made yet; its ticks do not come here.
constexpr uint32_t CARET_CHECK_TIMER_ID = 5;
// Hover typing's timer runs while the mouse pointer rests on a key or the tab, filling its ring.
constexpr uint32_t HOVER_TIMER_ID = 6;
// Switch scanning's timer runs while scanning is on and the panel is shown, moving the highlight.
constexpr uint32_t SCAN_TIMER_ID = 7;

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
// A key chosen by hovering on it or by the scan's switch: pressed and let go at once, as a tap.
constexpr int SELECTION_PRESS = MAX_CONTACTS + 1;
constexpr int PRESS_SLOTS = MAX_CONTACTS + 2;

// A press that hit a key, from the press until its release; a touch or pen contact is held from its
// landing to its lift, also where it hit no key. While the mouse's is held the pointer is
// captured, so that the release reaches the window wherever the pointer is lifted and no key is left
// held in the system; the system captures a touch or pen contact for the window by itself.
struct Press {
    bool held;
    uint32_t contact;     // the system's pointer id of a touch or pen contact
    int key;              // the key the press hit, -1 for none
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
    bool scheduled; // the settings are read and the timer runs: done in the press's follow-up
};

constexpr KeyRepeat NO_REPEAT = {-1, 0, 0, 0, 0, false, -1, false};

// What a key holds down, from its key-down until its key-up: the one record of what the system holds
// from the panel. A key-up always goes out for the code that went down, whatever the layer is by then,
// and every bulk release goes through this record, so nothing the panel pressed can outlive it.
struct HeldCode {
    bool held; // the key-down of `code` went out and its key-up has not
    uint8_t code;
    bool layer; // the key turned the Fn layer on: it shows the layer, and letting go of it turns it off
};

// One synthetic key-down or key-up for a virtual key, with the scan code of the current layout.
// VK_FN, VK_EXIT and 0 are never sent: they act inside the keyboard only, or name no key.
void sendKeyEvent(uint8_t virtualKey, bool up);
// The key at `index` goes down as `code`, held until its key-up. VK_FN turns the Fn layer on instead,
// held by the key; VK_EXIT does nothing here.
void pressKeyCode(int index, uint8_t code);
// The key-up of the code the key holds, if it holds one. The Fn layer it may hold stays.
void releaseKeyCode(int index);
// The key lets go of everything it holds, the Fn layer included, and shows Up; invalidated when a
// window is given.
void letGoOfKey(PlatformWindow* window, int index);
// Whether the key at `index` turned the Fn layer on and shows it.
bool holdsFnLayer(int index);
// The Fn layer goes off: every key that holds it lets go of it, and those that held nothing else
// become Up, invalidated when a window is given. A Locked key keeps it, and the layer stays on.
void releaseFnLayer(PlatformWindow* window);
// Every Latching key lets go of what it holds, whatever its state; all become Up. Repaints nothing.
void releaseAllLatchingKeys();
// Every Latching key that is Down lets go and becomes Up, invalidated; Locked ones stay. Latched keys
// go with the last key typed with them: none goes while a press still holds a key that typed.
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
// Whether a press of the mouse or of a contact holds the key down: a modifier held so is not released
// with the next key, as a physical modifier held down is not.
bool heldByPress(int key);
// Whether a press holds a key down that sent a code: the latched modifiers and the Fn layer it was
// typed with stay until it goes up.
bool typingHeldByPress();

// A touch or pen contact lands at a client point: it presses what is there exactly as the mouse does.
void handleContactDown(PlatformWindow* window, uint32_t contact, int32_t x, int32_t y);
// The contact lifts, is canceled or loses its capture: the Normal key it pressed goes up unless
// another contact still holds it, then the latched modifiers; a modifier it held goes up if a key was
// typed meanwhile, else it stays as the tap left it.
void handleContactUp(PlatformWindow* window, uint32_t contact);
// The system's pointer messages of a touch or pen contact.
enum class ContactMessage {
    Down,        // WM_POINTERDOWN
    Update,      // WM_POINTERUPDATE: moved, or canceled by the system
    Up,          // WM_POINTERUP
    CaptureLost, // WM_POINTERCAPTURECHANGED
};
// A pointer message of a touch or pen contact, with the contact's client point (read for Down only).
// A contact that moves keeps its key, as the mouse does; only one the system cancels lets go, and a
// landing that comes canceled presses nothing.
void handleContactMessage(PlatformWindow* window, ContactMessage message, uint32_t contact, bool canceled, int32_t x,
                          int32_t y);
// A key chosen without a press on it, by the mouse pointer resting on it or by the scan's switch,
// typed as a tap types it: its key-down, then its key-up and the latched modifiers, with latching,
// locking and the Fn layer as a tap has them. A latched key chosen again as the next key chosen or
// pressed is a second tap however long the choosing took, and locks alone. Nothing during a slide;
// the Exit key ends the program, as its tap does.
void typeSelectedKey(PlatformWindow* window, int key);
// Every press lets go of its keys, the mouse's as at its button's release and each contact's as at its
// lift (the contact stays known until it lifts), and the repeat stops.
void releasePresses(PlatformWindow* window);

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
// Slides a panel that is in view, or coming into view, off the screen, as the tab's hide area does.
void slidePanelOutOfView(PlatformWindow* window);
// Fits the panel to a screen rectangle anew (a change of resolution, orientation, DPI or primary
// monitor): the window takes the new size, and a slide under way ends at its end, so the panel is
// shown, or hidden with its tab at the new edge, as it was; everything is to be repainted. Keys held
// stay held. The caller gives the window its new region (applyPanelShape). False, with nothing
// changed, for a screen without area.
bool refitPanel(PlatformWindow* window, Rect screen);

// The repeat of a key pressed a moment ago: reads the user's repeat settings and starts its timer, for
// the first repeat a whole delay after the press. Nothing without a repeat or once it is scheduled.
void scheduleKeyRepeat(PlatformWindow* window);
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
// Starts the slide timer when a slide runs or the mouse's press is held, stops it when neither.
void keepSlideTimer(PlatformWindow* window);
// The rest of the presses made since the last follow-up, once their key events are on their way: the
// capture of the mouse's press still held, the repeat, the slide timer, the repaint of their keys.
void followUpPresses(PlatformWindow* window);
// Nothing stays pressed: the repeat stops, a press the pointer holds goes up as at its release, then
// every Latching key, and the Fn layer turns off. For the window's end, the session's end, hiding the
// panel and sliding it off the screen.
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
extern Press presses[PRESS_SLOTS];
// The held key that repeats, if any.
extern KeyRepeat keyRepeat;
// What each key's key-down sent, from that key-down until its key-up: the one record of what the
// system holds from the panel.
extern HeldCode heldCodes[MAX_KEYS];
// Whether the window holds the pointer's capture, taken in the follow-up of the mouse's press.
extern bool pointerCaptured;
// Whether the slide timer runs.
extern bool slideTimerRunning;
// The screen rectangle the panel was last fitted to by refitPanel; empty before the first fit.
extern Rect fittedScreen;
// The keys whose look a press changed, repainted in its follow-up.
extern bool repaintDue[MAX_KEYS];

// Back to the state at start: Fn layer off, no press yet, no slide, no repeat, no capture held,
// nothing held down, no fit, auto-show with nothing remembered, no rest of the mouse pointer.
void resetInput();
