// The keyboard window's own messages, which the platform seam sends it and its window procedure answers.
#pragma once

#include <windows.h>

// The extra information of every key event the keyboard sends: its own low-level hooks know their
// program's events by it from those of the keyboards, switch interfaces and programs of the user.
constexpr ULONG_PTR KEYBOARD_INPUT_SIGNATURE = 0x504C5444;

// Fit the panel to the screen rectangle at lParam (a RECT), before the send returns.
constexpr UINT WM_FIT_TO_SCREEN = WM_APP + 16;
