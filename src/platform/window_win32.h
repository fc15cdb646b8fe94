// The keyboard window's own messages, which the platform seam sends it and its window procedure answers.
#pragma once

#include <windows.h>

// Fit the panel to the screen rectangle at lParam (a RECT), before the send returns.
constexpr UINT WM_FIT_TO_SCREEN = WM_APP + 16;
