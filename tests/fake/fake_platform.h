// The recording fake of the platform seam: in-memory files, a simulated clock and a log of every call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct PlatformWindow;
struct Rect;

namespace fake {

// Forgets every file, recorded call, timer, held key and hook; the clock goes back to 0, the
// keyboard repeat settings to the system's defaults (delay 1, speed 31). Each test starts from here.
void reset();

// The bytes of `text` as a keymap file holds them: UTF-16LE, no byte-order mark.
std::string utf16le(std::u16string_view text);

// Makes `path` readable with the given bytes. Paths not added are read from the real file system.
void addFile(const std::u16string& path, const std::string& bytes);
// Makes `path` open but fail to read.
void addUnreadableFile(const std::u16string& path);

// How often the out-of-memory box was shown.
int outOfMemoryShown();
// Files opened and not yet closed.
int openFiles();

// The window handle that tests pass to the code under test.
PlatformWindow* window();

// --- Recorded calls ----------------------------------------------------------------------------
// Every call of the keyboard, clock, window and timer seam, in order, one compact string each:
//   "down A", "up LSHIFT"             a key event, by the virtual key's name without "VK_"
//   "scan A", "clock", "repeat settings"   the look-ups
//   "invalidate 43,45,113,131", "update", "move 0,-169 1024x679" (" norepaint" without repaint),
//   "destroy", "capture", "release capture", "track leave", "timer 2 start 500", "timer 1 start 50 ~10" (with a
//   tolerance), "timer 2 stop", "fit 1920,0,3840,1080"
const std::vector<std::string>& calls();
void clearCalls();
// Whether calls are written down as strings (on unless turned off): the fuzzer, which reads only the
// events and counters, goes faster without.
void recordCalls(bool on);
// How often the window was moved.
int windowMoves();

// A key event as the seam received it.
struct KeyEvent {
    uint16_t virtualKey;
    uint16_t scanCode;
    uint32_t flags;
};
const std::vector<KeyEvent>& keyEvents();
// The name the calls use for a virtual key: "LSHIFT" for VK_LSHIFT, "0x3C" for a code without a name.
std::string keyName(uint16_t virtualKey);
// Virtual keys that the events sent so far leave held down in the system, by name, in code order.
std::vector<std::string> keysHeld();

// --- The system's answers ----------------------------------------------------------------------
// What the layout answers for a virtual key (0, no scan code, unless set).
void setScanCode(uint8_t virtualKey, uint32_t scanCode);
void setKeyboardRepeat(int32_t delay, int32_t speed);

// --- Window procedure --------------------------------------------------------------------------
// What the window does with the messages the system sends it; a test routes them as the real window
// procedure does. Unset handlers drop the message.
using TimerHandler = void (*)(PlatformWindow* window, uint32_t id);
using WindowHandler = void (*)(PlatformWindow* window);
void onTimer(TimerHandler handler);
// The report that the window lost the pointer capture, sent synchronously as the system does.
void onCaptureLost(WindowHandler handler);
// The window's teardown, run inside the destroy call.
void onDestroy(WindowHandler handler);
// The window's fit to another screen, run inside the call that asks for it.
using FitHandler = void (*)(PlatformWindow* window, const Rect& screen);
void onFit(FitHandler handler);

bool captured();
// Another window takes the pointer capture: the capture-loss report goes out at once.
void takeCaptureAway();
// The system's state of the primary pointer button (down until a test says otherwise).
void setPointerButton(bool down);
bool pointerButton();
bool destroyed();

// --- Simulated clock and timers ----------------------------------------------------------------
uint32_t clock();
// Moves the clock forward to `time` (across the wrap at 2^32 when `time` is below the clock) and
// delivers, in time order and each at its own time, the ticks due before it. A tick due exactly at
// `time` waits for the next move: a timer's tick comes after the input that arrives with it.
void advanceTo(uint32_t time);
// A tick the system queued for timer `id` before the program stopped or restarted it while it ran,
// which the program receives afterwards: delivered now, and only within STALE_TICK_MS of that stop or
// restart (the tick waited behind other messages, no longer). False when there was none to deliver.
constexpr uint32_t STALE_TICK_MS = 50;
bool deliverStaleTick(uint32_t id);
bool timerRunning(uint32_t id);
uint32_t timerInterval(uint32_t id);

} // namespace fake
