// The keyboard window's procedure: a thin switch that hands each message to the code that owns it.
#include "app/app_win32.h"

#include "platform/system_calls_win32.h"
#include "platform/window_win32.h"

#include "input/hover.h"
#include "input/input.h"
#include "layout/keytable.h"
#include "render/geometry.h"
#include "render/render_win32.h"

namespace {

constexpr BYTE START_ALPHA = 128;

// Holding a key on a touch screen must neither turn into a right click nor wait for a gesture.
constexpr UINT WM_TABLET_QUERY_GESTURES = 0x02CC;
constexpr DWORD TABLET_GESTURES_OFF = 0x00000001    // press and hold
                                      | 0x00000008  // pen tap feedback
                                      | 0x00000010  // pen barrel feedback
                                      | 0x00000100  // touch UI forced on
                                      | 0x00010000  // flicks
                                      | 0x00100000; // flick fallback keys
constexpr wchar_t TABLET_PROPERTY[] = L"MicrosoftTabletPenServiceProperty";

// Touch and pen feedback visuals (Windows 8 and later).
constexpr DWORD FEEDBACK_KINDS_OFF[] = {1 /* touch contact */,
                                        2 /* pen barrel */,
                                        3 /* pen tap */,
                                        4 /* pen double tap */,
                                        5 /* pen press and hold */,
                                        6 /* pen right tap */,
                                        7 /* touch tap */,
                                        8 /* touch double tap */,
                                        9 /* touch press and hold */,
                                        10 /* touch right tap */,
                                        11 /* press and tap */};

// Touch and pen contacts arrive as pointer messages on Windows 8 and later; the system headers
// declare them only for builds that target it. Windows 7 turns the first contact into mouse messages.
#ifndef WM_POINTERDOWN
#define WM_POINTERUPDATE 0x0245
#define WM_POINTERDOWN 0x0246
#define WM_POINTERUP 0x0247
#define WM_POINTERACTIVATE 0x024B
#define WM_POINTERCAPTURECHANGED 0x024C
#define POINTER_MESSAGE_FLAG_CANCELED 0x00008000
#define PA_NOACTIVATE MA_NOACTIVATE
#endif
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Everything is read from the message itself: the contact's id from wParam's low word, its flags from
// the high word, its position on the screen from lParam. Handled here, a contact is never turned
// into mouse messages, which carry the first contact only.
void onPointer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const uint32_t contact = LOWORD(wParam);
    const bool canceled = (HIWORD(wParam) & POINTER_MESSAGE_FLAG_CANCELED) != 0;
    ContactMessage kind = ContactMessage::CaptureLost;
    POINT point = {0, 0};
    switch (message) {
    case WM_POINTERDOWN:
        kind = ContactMessage::Down;
        point = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        ScreenToClient(window, &point);
        break;
    case WM_POINTERUPDATE: kind = ContactMessage::Update; break;
    case WM_POINTERUP: kind = ContactMessage::Up; break;
    default: break;
    }
    handleContactMessage(platformWindow(window), kind, contact, canceled, point.x, point.y);
}

// The mouse pointer's own moves go to hover typing: not those the system makes from a touch or a pen,
// and not those with the button held, which belong to the press.
void onMouseMove(HWND window, WPARAM wParam, LPARAM lParam)
{
    if ((wParam & MK_LBUTTON) != 0 || madeFromContact(static_cast<ULONG_PTR>(GetMessageExtraInfo())))
        return;
    hoverPointerMove(platformWindow(window), static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
}

void optOutOfTouchGestures(HWND window)
{
    ATOM atom = GlobalAddAtomW(TABLET_PROPERTY);
    SetPropW(window, TABLET_PROPERTY, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(TABLET_GESTURES_OFF)));
    GlobalDeleteAtom(atom);

    loaded::loadUser();
    if (!loaded::SetWindowFeedbackSetting)
        return;
    const BOOL off = FALSE;
    for (DWORD kind : FEEDBACK_KINDS_OFF)
        loaded::SetWindowFeedbackSetting(window, kind, 0, sizeof off, &off);
}

// How far below the window's top its client area begins: below the class menu's bar, whose height is
// the system's to decide (on themed Windows it is not the caption height, and it follows the DPI).
int32_t measureClientOffset(HWND window)
{
    RECT frame;
    POINT client = {0, 0};
    if (!GetWindowRect(window, &frame) || !ClientToScreen(window, &client))
        return clientOffset;
    return client.y - frame.top;
}

// The whole rectangle in physical pixels, taskbar included, of the panel's monitor (the panel is
// top-most over it): the primary monitor, unless auto-show took the panel to another one that is still
// there.
Rect panelScreen()
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!app.panelMonitor || !GetMonitorInfoW(app.panelMonitor, &info)) {
        app.panelMonitor = nullptr;
        if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
            return {0, 0, 0, 0};
    }
    return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

// The panel is fitted to its monitor, then drawn, hit-tested, shaped and placed with the
// client offset of the window itself. The first estimate is the offset known so far; the window is
// fitted again with the offset measured on it at its full width (a narrower one could fold its menu
// bar) until the two agree. A monitor without area (seen while displays change) keeps the last fit.
void fitToScreen(HWND window)
{
    constexpr int ATTEMPTS = 3;
    Rect screen = panelScreen();
    // Before the first fit there is no last one to keep: the panel takes the screen it is designed for.
    if (windowSize.width <= 0 && (screen.right <= screen.left || screen.bottom <= screen.top))
        screen = {0, 0, PANEL_WIDTH, PANEL_HEIGHT};
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        if (!refitPanel(platformWindow(window), screen))
            return;
        applyPanelShape(window);
        const int32_t offset = measureClientOffset(window);
        if (offset == clientOffset || windowSize.width <= 0 || windowSize.height <= 0)
            return;
        clientOffset = offset;
    }
}

// Resolution, orientation, DPI or primary monitor changed: the panel fits its monitor anew, whatever
// rectangle the system suggests for the window, and is drawn anew at once with fonts and pens of the
// new scale.
void onDisplayChange(HWND window)
{
    fitToScreen(window);
    rescalePalette();
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

// Auto-show takes the panel to the monitor of a text field, which it keeps to from then on; the
// primary monitor is followed as such, wherever it moves.
void onFitToScreen(HWND window, const RECT& screen)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST);
    const bool primary = !GetMonitorInfoW(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    app.panelMonitor = primary ? nullptr : monitor;
    onDisplayChange(window);
}

void onCreate(HWND window)
{
    fitToScreen(window);
    SetLayeredWindowAttributes(window, 0, START_ALPHA, LWA_ALPHA);
    createFonts();
    optOutOfTouchGestures(window);
}

void onPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    paintPanel(dc);
    EndPaint(window, &paint);
}

LRESULT onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = false;
    runCommand(window, LOWORD(wParam), &handled);
    return handled ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

void onTrayIcon(HWND window, LPARAM event)
{
    if (event == WM_RBUTTONDOWN)
        showPopupMenu(window);
}

// Nothing may stay pressed in the system once the keyboard is gone: a key held under the pointer
// goes up as at a release, then every modifier.
void onDestroy(HWND window)
{
    // No hook may call into a keyboard that is going.
    stopAutoShow();
    stopScanning(window);
    releaseEverything(platformWindow(window));
    KillTimer(window, SLIDE_TIMER_ID);
    removeTrayIcon();
    CloseHandle(app.singleInstanceEvent);
    app.singleInstanceEvent = nullptr;
    RemovePropW(window, TABLET_PROPERTY);
    releasePalette();
    freeKeyTable();
    PostQuitMessage(0);
}

} // namespace

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto x = static_cast<int32_t>(LOWORD(lParam));
    auto y = static_cast<int32_t>(HIWORD(lParam));
    switch (message) {
    case WM_CREATE: onCreate(window); return 0;
    case WM_ERASEBKGND: return 0;
    case WM_PAINT: onPaint(window); return 0;
    case WM_COMMAND: return onCommand(window, message, wParam, lParam);
    case WM_TIMER:
#ifdef PLUMTIDE_BENCH
        ++app.timerTicks;
#endif
        if (wParam == CARET_CHECK_TIMER_ID)
            onCaretCheck(window);
        else
            onWindowTimer(platformWindow(window), static_cast<uint32_t>(wParam));
        return 0;
    case WM_LBUTTONDOWN: handlePointerPress(platformWindow(window), x, y); return 0;
    case WM_LBUTTONUP: handlePointerRelease(platformWindow(window), x, y); return 0;
    case WM_MOUSEMOVE: onMouseMove(window, wParam, lParam); return 0;
    case WM_MOUSELEAVE: hoverPointerLeave(platformWindow(window)); return 0;
    case WM_CAPTURECHANGED: handlePointerCaptureLost(platformWindow(window)); return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED: onDisplayChange(window); return 0;
    case WM_RBUTTONDOWN: onRightButton(window); return 0;
    case WM_SCAN_SWITCH: onScanSwitch(window); return 0;
    case WM_TRAY_ICON: onTrayIcon(window, lParam); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_POINTERACTIVATE: return PA_NOACTIVATE;
    case WM_POINTERDOWN:
    case WM_POINTERUPDATE:
    case WM_POINTERUP:
    case WM_POINTERCAPTURECHANGED: onPointer(window, message, wParam, lParam); return 0;
    case WM_TABLET_QUERY_GESTURES: return TABLET_GESTURES_OFF;
    case WM_FIT_TO_SCREEN: onFitToScreen(window, *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_DESTROY: onDestroy(window); return 0;
    case WM_ENDSESSION:
        // The system ends the process without destroying the window: what the panel holds down
        // must go up now, or it stays held for whatever runs next. An installer that must replace
        // the program asks it to close the same way (through the Restart Manager): it ends as Exit does.
        if (wParam && (lParam & ENDSESSION_CLOSEAPP)) {
            DestroyWindow(window);
        } else if (wParam) {
            stopAutoShow();
            stopScanning(window);
            releaseEverything(platformWindow(window));
        }
        return 0;
    default: break;
    }
    if (onAutoShowMessage(window, message, wParam, lParam))
        return 0;
    if (message == app.taskbarCreated && message != 0) {
        addTrayIcon();
        return 0;
    }
    if (message == app.showPanelMessage && message != 0) {
        showPanel(window);
        return 0;
    }
#ifdef PLUMTIDE_BENCH
    if (message == app.timerTicksQuery && message != 0)
        return app.timerTicks;
    if (message == app.hookCallsQuery && message != 0)
        return app.hookCalls;
#endif
    return DefWindowProcW(window, message, wParam, lParam);
}
