// Switch scanning on Windows: the switch key's hook, the right-click switch and the "Scan Keys" item.
#include "app/app_win32.h"

#include "input/input.h"
#include "input/scan.h"
#include "layout/options.h"
#include "platform/window_win32.h"
#include "resource.h"

namespace {

// Only while scanning is on. Auto-show's keyboard hook is a separate one: it lives as long as auto-show
// is on, lets every key through, and must not take the switch for typing on a physical keyboard.
struct ScanHook {
    HHOOK keyboard;
    bool switchDown; // the switch's first key-down went to the window; its repeats are swallowed with it
};

ScanHook scanHook = {};

// Returns at once: the switch is only posted, and handled when the window's messages get to it, so
// that no input waits for the keyboard. The switch's key-downs, repeats and key-up reach no program.
LRESULT CALLBACK onScanKeyHook(int code, WPARAM message, LPARAM data)
{
#ifdef PLUMTIDE_BENCH
    ++app.hookCalls;
#endif
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        if (isScanSwitchEvent(*key)) {
            const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
            if (down && !scanHook.switchDown)
                PostMessageW(app.window, WM_SCAN_SWITCH, 0, 0);
            scanHook.switchDown = down;
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

void removeScanHook()
{
    if (scanHook.keyboard)
        UnhookWindowsHookEx(scanHook.keyboard);
    scanHook = {};
}

} // namespace

bool isScanSwitchEvent(const KBDLLHOOKSTRUCT& key)
{
    // What the keyboard injects itself (a key of the panel that is the scan key) is never the switch;
    // a switch interface whose driver injects its key is one.
    const bool own = (key.flags & LLKHF_INJECTED) != 0 && key.dwExtraInfo == KEYBOARD_INPUT_SIGNATURE;
    return scanState.on && !own && isScanKey(keymapOptions.scanKey, key.vkCode);
}

void setScanningForRun(HWND window, bool on)
{
    if (on && !scanHook.keyboard)
        scanHook.keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, onScanKeyHook, app.instance, 0);
    if (!on)
        removeScanHook();
    setScanning(platformWindow(window), on);
    CheckMenuItem(app.popupMenu, IDM_SCAN, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void toggleScanning(HWND window)
{
    setScanningForRun(window, !scanState.on);
}

void stopScanning(HWND window)
{
    removeScanHook();
    setScanning(platformWindow(window), false);
}

void onRightButton(HWND window)
{
    // While scanning runs the whole panel is the switch; the menu is still the tray icon's.
    if (scanState.on)
        scanSwitch(platformWindow(window));
    else
        showPopupMenu(window);
}

void onScanSwitch(HWND window)
{
    scanSwitch(platformWindow(window));
}
