// The application shell's process-wide state and the operations of start-up and the window procedure.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "layout/options.h"

constexpr UINT WM_TRAY_ICON = WM_USER + 1;
// What auto-show's hooks note for the window: a press of the mouse, or of a finger or a pen, with its
// time in wParam and its screen point in lParam; a hardware key.
constexpr UINT WM_AUTO_SHOW_MOUSE_PRESS = WM_APP + 1;
constexpr UINT WM_AUTO_SHOW_CONTACT_PRESS = WM_APP + 2;
constexpr UINT WM_AUTO_SHOW_KEY = WM_APP + 3;
// The scan's switch key went down (posted by its hook).
constexpr UINT WM_SCAN_SWITCH = WM_APP + 8;
constexpr int TEXT_UNITS = 100;
// The message a second copy posts to the first copy's window to have its panel shown.
constexpr wchar_t SHOW_PANEL_MESSAGE[] = L"Plumtide.ShowPanel";

struct AppState {
    HINSTANCE instance;
    HANDLE singleInstanceEvent; // named "Quillmoor.Plumtide", open for the whole run: one copy runs
    wchar_t windowTitle[TEXT_UNITS];
    wchar_t className[TEXT_UNITS];
    wchar_t keymapFileName[TEXT_UNITS];
    HWND window;
    NOTIFYICONDATAW icon;
    HMENU popupMenu;
    UINT taskbarCreated;       // Explorer's broadcast after it restarts: the icon must be added again
    UINT showPanelMessage;     // a second copy's request to show the panel
    HWND foregroundBeforeMenu; // given the foreground back once a menu command has run
    AutoShow autoShowMode;     // what "Show When Typing" turns on: the keymap's mode, else any pointer
    HMONITOR panelMonitor;     // the monitor auto-show fitted the panel to; null: the primary one
#ifdef PLUMTIDE_BENCH
    UINT timerTicksQuery; // a message of the benchmarks' own: its answer is timerTicks
    LRESULT timerTicks;   // every timer tick so far
    UINT hookCallsQuery;  // likewise for hookCalls
    LRESULT hookCalls;    // every call of auto-show's hooks so far
#endif
};

extern AppState app;

// Start-up after the single-instance check and class registration; false ends the program.
bool initialiseApp(HINSTANCE instance);

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Commands and menus.
// The start transparency and colour style, from the keymap's options where it gives them, with their
// menu items checked; the window's creation has set alpha 128 already, and "50%" is checked in the menu.
void applyStartOptions(HWND window);
void runCommand(HWND window, WORD id, bool* handled);
void showPopupMenu(HWND window);
// Brings the panel back for a copy of the program started while this one runs: visible, "Visible"
// checked, slid into view; without taking the focus.
void showPanel(HWND window);
// Add and remove the notification-area icon; nothing happens before shell32 is loaded.
void addTrayIcon();
void removeTrayIcon();

// Auto-show for the rest of the run, and the check mark of "Show When Typing": on, its hooks are set;
// off, they are removed.
void setAutoShowForRun(HWND window, AutoShow mode);
// "Show When Typing": on in app.autoShowMode, or off.
void toggleAutoShow(HWND window);
// Every hook of auto-show removed, and what it loaded let go of: at the window's end and the session's.
void stopAutoShow();
// A message auto-show's hooks posted; false for any other message.
bool onAutoShowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The tick of CARET_CHECK_TIMER_ID: the focused window that had no caret yet may have one now.
void onCaretCheck(HWND window);

// Switch scanning for the rest of the run, and the check mark of "Scan Keys": on, the switch key's
// hook is set; off, it is removed.
void setScanningForRun(HWND window, bool on);
void toggleScanning(HWND window);
// The hook removed and the scan stopped: at the window's end and the session's.
void stopScanning(HWND window);
// Whether a key event the system reports to a low-level hook is the scan's switch: the scan key, not
// one the keyboard sent itself, while scanning is on.
bool isScanSwitchEvent(const KBDLLHOOKSTRUCT& key);
// WM_RBUTTONDOWN on the panel: the switch while scanning is on, else the popup menu.
void onRightButton(HWND window);
// WM_SCAN_SWITCH.
void onScanSwitch(HWND window);
