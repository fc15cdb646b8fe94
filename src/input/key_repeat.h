// The key repeat's start and reset, shared by the press handling within the input folder.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Starts repeating the Normal key at keyIndex, just sent down as virtualKey by `press` at the time
// `now`; the settings are read and the timer started later, by scheduleKeyRepeat. Any earlier repeat
// is stopped first: the most recent key pressed repeats, as on a physical keyboard.
void startKeyRepeat(PlatformWindow* window, int keyIndex, uint8_t virtualKey, uint32_t now, int press);
