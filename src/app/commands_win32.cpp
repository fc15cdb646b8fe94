// Menu commands (transparency, colour style, visibility, About, Exit), the popup menu and the tray icon.
#include "app/app_win32.h"

#include "input/hover.h"
#include "input/input.h"
#include "input/scan.h"
#include "layout/options.h"
#include "platform/system_calls_win32.h"
#include "platform/window_win32.h"

#include "render/render_win32.h"
#include "resource.h"

namespace {

constexpr int GROUP_SIZE = 6;
using CommandGroup = WORD[GROUP_SIZE];

// The transparency group in menu order, with the alpha of each item; "50%" is 127 although the panel
// starts at 128.
constexpr CommandGroup ALPHA_GROUP = {IDM_ALPHA_10, IDM_ALPHA_20, IDM_ALPHA_30,
                                      IDM_ALPHA_50, IDM_ALPHA_80, IDM_ALPHA_100};
constexpr BYTE ALPHA_VALUES[GROUP_SIZE] = {25, 51, 76, 127, 204, 255};
// The percent each item stands for, as the keymap's Transparency option names it.
constexpr int32_t ALPHA_PERCENTS[GROUP_SIZE] = {10, 20, 30, 50, 80, 100};
constexpr CommandGroup STYLE_GROUP = {IDM_STYLE_1, IDM_STYLE_2, IDM_STYLE_3, IDM_STYLE_4, IDM_STYLE_5, IDM_STYLE_6};

// "Hover Typing", Off and the hover times of its items.
constexpr CommandGroup HOVER_GROUP = {IDM_HOVER_OFF,  IDM_HOVER_500,  IDM_HOVER_1000,
                                      IDM_HOVER_1500, IDM_HOVER_2000, IDM_HOVER_3000};
constexpr int32_t HOVER_TIMES[GROUP_SIZE] = {0, 500, 1000, 1500, 2000, 3000};

int indexIn(const CommandGroup& group, WORD id)
{
    for (int i = 0; i < GROUP_SIZE; ++i) {
        if (group[i] == id)
            return i;
    }
    return -1;
}

// Radio-style marks: the chosen item checked, the rest of its group unchecked.
void checkOneOf(const CommandGroup& group, WORD chosen)
{
    for (WORD id : group)
        CheckMenuItem(app.popupMenu, id, MF_BYCOMMAND | (id == chosen ? MF_CHECKED : MF_UNCHECKED));
}

// The item of the hover time in force is checked; none when the keymap gave a time no item has.
void checkHoverTime()
{
    WORD chosen = 0;
    for (int i = 0; i < GROUP_SIZE; ++i) {
        if (HOVER_TIMES[i] == keymapOptions.hoverTimeMs)
            chosen = HOVER_GROUP[i];
    }
    checkOneOf(HOVER_GROUP, chosen);
}

// Hidden from the menu, the panel comes back from the icon's menu or when the program is started
// again. Nothing stays pressed behind a hidden panel: it comes back with every key up.
void toggleVisible(HWND window)
{
    bool wasVisible = ShowWindow(window, SW_SHOWNA) != FALSE;
    if (wasVisible) {
        releaseEverything(platformWindow(window));
        ShowWindow(window, SW_HIDE);
        CheckMenuItem(app.popupMenu, IDM_VISIBLE, MF_BYCOMMAND | MF_UNCHECKED);
    } else {
        ShowWindow(window, SW_SHOW);
        CheckMenuItem(app.popupMenu, IDM_VISIBLE, MF_BYCOMMAND | MF_CHECKED);
    }
    setScanPanelShown(platformWindow(window), !wasVisible);
}

INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

// The panel never keeps the focus: after a menu or a command, the application the user was typing
// into gets the foreground back.
void returnForeground(HWND window)
{
    HWND previous = app.foregroundBeforeMenu;
    if (previous && previous != window && IsWindow(previous) && GetForegroundWindow() != previous)
        SetForegroundWindow(previous);
}

} // namespace

void showPanel(HWND window)
{
    if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOWNOACTIVATE);
    CheckMenuItem(app.popupMenu, IDM_VISIBLE, MF_BYCOMMAND | MF_CHECKED);
    setScanPanelShown(platformWindow(window), true);
    slidePanelIntoView(platformWindow(window));
}

void applyStartOptions(HWND window)
{
    for (int i = 0; i < GROUP_SIZE; ++i) {
        if (ALPHA_PERCENTS[i] != keymapOptions.transparency)
            continue;
        checkOneOf(ALPHA_GROUP, ALPHA_GROUP[i]);
        SetLayeredWindowAttributes(window, 0, ALPHA_VALUES[i], LWA_ALPHA);
    }
    const bool styled = keymapOptions.style >= 1 && keymapOptions.style <= GROUP_SIZE;
    if (styled)
        checkOneOf(STYLE_GROUP, STYLE_GROUP[keymapOptions.style - 1]);
    applyColorStyle(window, styled ? keymapOptions.style : 1);
    checkHoverTime();
}

void runCommand(HWND window, WORD id, bool* handled)
{
    *handled = true;
    // Whoever has the foreground now gets it back after the command, the About box included.
    HWND foreground = GetForegroundWindow();
    if (foreground && foreground != window)
        app.foregroundBeforeMenu = foreground;
    if (int alpha = indexIn(ALPHA_GROUP, id); alpha >= 0) {
        checkOneOf(ALPHA_GROUP, id);
        SetLayeredWindowAttributes(window, 0, ALPHA_VALUES[alpha], LWA_ALPHA);
        keymapOptions.transparency = ALPHA_PERCENTS[alpha];
    } else if (int style = indexIn(STYLE_GROUP, id); style >= 0) {
        checkOneOf(STYLE_GROUP, id);
        applyColorStyle(window, style + 1);
        keymapOptions.style = style + 1;
    } else if (int hover = indexIn(HOVER_GROUP, id); hover >= 0) {
        setHoverTime(platformWindow(window), HOVER_TIMES[hover]);
        checkHoverTime();
    } else if (id == IDM_VISIBLE) {
        toggleVisible(window);
    } else if (id == IDM_AUTO_SHOW) {
        toggleAutoShow(window);
    } else if (id == IDM_SCAN) {
        toggleScanning(window);
    } else if (id == IDM_ABOUT) {
        DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), window, aboutProcedure, 0);
    } else if (id == IDM_EXIT) {
        DestroyWindow(window);
        return;
    } else {
        *handled = false;
        return;
    }
    returnForeground(window);
}

void showPopupMenu(HWND window)
{
    POINT cursor;
    GetCursorPos(&cursor);
    HWND foreground = GetForegroundWindow();
    if (foreground != window)
        app.foregroundBeforeMenu = foreground;
    SetForegroundWindow(window);
    TrackPopupMenu(GetSubMenu(app.popupMenu, 0), 0, cursor.x - 2, cursor.y - 2, 0, window, nullptr);
    // Without this the menu may not close when the user taps elsewhere.
    PostMessageW(window, WM_NULL, 0, 0);
    returnForeground(window);
}

void addTrayIcon()
{
    if (loaded::Shell_NotifyIconW)
        loaded::Shell_NotifyIconW(NIM_ADD, &app.icon);
}

void removeTrayIcon()
{
    if (loaded::Shell_NotifyIconW)
        loaded::Shell_NotifyIconW(NIM_DELETE, &app.icon);
}
