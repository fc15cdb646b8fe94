// The keyboard window's own messages, which the platform seam sends it and its window procedure answers.
#pragma once

#include <windows.h>

#include "platform/platform.h"

// The seam's window is the keyboard's HWND itself.
inline PlatformWindow* platformWindow(HWND window)
{
    return reinterpret_cast<PlatformWindow*>(window);
}

// Mouse input that the system makes of a touch or pen contact carries a signature in its extra
// information (GetMessageExtraInfo, or a low-level hook's dwExtraInfo).
inline bool madeFromContact(ULONG_PTR extraInfo)
{
    return (extraInfo & 0xFFFFFF00) == 0xFF515700;
}

// The extra information of every key event the keyboard sends: its own low-level hooks know their
// program's events by it from those of the keyboards, switch interfaces and programs of the user.
constexpr ULONG_PTR KEYBOARD_INPUT_SIGNATURE = 0x504C5444;

// Fit the panel to the screen rectangle at lParam (a RECT), before the send returns.
constexpr UINT WM_FIT_TO_SCREEN = WM_APP + 16;
