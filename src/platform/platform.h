// The only way the portable core reaches the operating system: plain functions, one implementation linked per target.
#pragma once

#include <cstddef>
#include <cstdint>

// A point and an upright rectangle in pixels, laid out like the platform's POINT and RECT.
struct Point {
    int32_t x;
    int32_t y;
};

struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Opaque handles: a window is an HWND on Windows, anything a fake likes in tests.
struct PlatformFile;
struct PlatformWindow;

// --- Files -------------------------------------------------------------------------------------
// Opens an existing file for reading with no sharing; null when it cannot be opened.
PlatformFile* platformOpenFile(const char16_t* path);
// Reads up to capacity bytes; false on a read error.
bool platformReadFile(PlatformFile* file, void* buffer, size_t capacity, size_t* bytesRead);
void platformCloseFile(PlatformFile* file);
// Creates or replaces the file at `path` with `size` bytes; false when it cannot be written whole.
// For the tools: the keyboard itself writes no files.
bool platformWriteFile(const char16_t* path, const void* data, size_t size);

// --- Messages ----------------------------------------------------------------------------------
// The only message the program ever shows: "out of memory", with no owner window.
void platformShowOutOfMemory();

// --- Keyboard input ----------------------------------------------------------------------------
// Event flags of a synthesised key event, with the platform's own values.
constexpr uint32_t KEY_EVENT_EXTENDED = 0x0001;
constexpr uint32_t KEY_EVENT_UP = 0x0002;

// Queues one keyboard event for the focused application: the system stamps the time, nothing else is set.
void platformSendKeyEvent(uint16_t virtualKey, uint16_t scanCode, uint32_t flags);
// The scan code of a virtual key in the keyboard layout of the program's own thread, 0 when it has
// none. Extended keys carry their 0xE0 (or 0xE1) prefix in the high byte, so they come out above 255.
uint32_t platformScanCode(uint8_t virtualKey);

// The user's keyboard repeat settings as the system stores them: delay 0 (shortest) to 3, speed 0
// (slowest) to 31.
struct KeyboardRepeatSettings {
    int32_t delay;
    int32_t speed;
};
KeyboardRepeatSettings platformKeyboardRepeatSettings();

// --- Clock -------------------------------------------------------------------------------------
// Milliseconds since the system started, wrapping at 2^32.
uint32_t platformMilliseconds();

// --- Window ------------------------------------------------------------------------------------
// Marks a client rectangle for repainting, with its background erased first.
void platformInvalidateRect(PlatformWindow* window, const Rect& rect);
// Paints whatever is marked, at once.
void platformUpdateWindow(PlatformWindow* window);
void platformMoveWindow(PlatformWindow* window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint);
// Destroys the window; its teardown runs inside this call.
void platformDestroyWindow(PlatformWindow* window);
// Routes every pointer message to the window until released, wherever the pointer goes.
void platformCapturePointer(PlatformWindow* window);
// Gives the capture back. The window is told synchronously that it lost the capture.
void platformReleasePointer();
// Asks the system to report once when the mouse pointer leaves the window's client area.
void platformTrackPointerLeave(PlatformWindow* window);
// Whether the button that presses keys (the primary one) is down in the system right now.
bool platformPointerButtonDown();
// Starts or restarts timer `id` of the window: a tick every intervalMs from now on. With a tolerance,
// the system may deliver a tick up to that much later, to wake the processor once for several timers,
// where it can.
void platformStartTimer(PlatformWindow* window, uint32_t id, uint32_t intervalMs, uint32_t toleranceMs = 0);
void platformStopTimer(PlatformWindow* window, uint32_t id);
// The window fits its panel to this screen rectangle, as at a display change, before the call returns,
// and keeps to that screen's monitor at later display changes.
void platformFitWindowToScreen(PlatformWindow* window, const Rect& screen);
