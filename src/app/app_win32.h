// The application shell's process-wide state and the operations of start-up and the window procedure.
#pragma once

#include <windows.h>
#include <shellapi.h>

constexpr UINT WM_TRAY_ICON = WM_USER + 1;
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
#ifdef PLUMTIDE_BENCH
    UINT timerTicksQuery; // a message of the benchmarks' own: its answer is timerTicks
    LRESULT timerTicks;   // every timer tick so far
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
