// Win32 window services of the platform seam: repainting, placement, destruction, pointer capture and timers.
#include <windows.h>

#include "platform/platform.h"
#include "platform/system_calls_win32.h"
#include "platform/window_win32.h"

namespace {

HWND hwnd(PlatformWindow* window)
{
    return reinterpret_cast<HWND>(window);
}

} // namespace

void platformInvalidateRect(PlatformWindow* window, const Rect& rect)
{
    const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(hwnd(window), &area, TRUE);
}

void platformUpdateWindow(PlatformWindow* window)
{
    UpdateWindow(hwnd(window));
}

void platformMoveWindow(PlatformWindow* window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint)
{
    MoveWindow(hwnd(window), x, y, width, height, repaint ? TRUE : FALSE);
}

void platformDestroyWindow(PlatformWindow* window)
{
    DestroyWindow(hwnd(window));
}

void platformCapturePointer(PlatformWindow* window)
{
    SetCapture(hwnd(window));
}

void platformReleasePointer()
{
    ReleaseCapture();
}

void platformTrackPointerLeave(PlatformWindow* window)
{
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd(window);
    TrackMouseEvent(&track);
}

bool platformPointerButtonDown()
{
    // With the buttons swapped for the left hand, the primary button is the physical right one.
    int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(button) & 0x8000) != 0;
}

void platformStartTimer(PlatformWindow* window, uint32_t id, uint32_t intervalMs, uint32_t toleranceMs)
{
    if (toleranceMs > 0) {
        loaded::loadUser();
        if (loaded::SetCoalescableTimer) {
            loaded::SetCoalescableTimer(hwnd(window), id, intervalMs, nullptr, toleranceMs);
            return;
        }
    }
    SetTimer(hwnd(window), id, intervalMs, nullptr);
}

void platformStopTimer(PlatformWindow* window, uint32_t id)
{
    KillTimer(hwnd(window), id);
}

void platformFitWindowToScreen(PlatformWindow* window, const Rect& screen)
{
    RECT area = {screen.left, screen.top, screen.right, screen.bottom};
    SendMessageW(hwnd(window), WM_FIT_TO_SCREEN, 0, reinterpret_cast<LPARAM>(&area));
}
