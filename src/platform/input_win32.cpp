// Win32 keyboard input, clock and keyboard settings of the platform seam.
#include <windows.h>

#include "platform/platform.h"
#include "platform/system_calls_win32.h"
#include "platform/window_win32.h"

static_assert(KEY_EVENT_EXTENDED == KEYEVENTF_EXTENDEDKEY && KEY_EVENT_UP == KEYEVENTF_KEYUP,
              "the seam's event flags are the platform's own");

namespace {

// The clock, chosen at its first reading (winmm is not loaded before it is needed).
DWORD(WINAPI* systemClock)() = nullptr;

} // namespace

void platformSendKeyEvent(uint16_t virtualKey, uint16_t scanCode, uint32_t flags)
{
    // One record per call, filled completely: a zero time lets the system stamp the event.
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scanCode;
    input.ki.dwFlags = flags;
    input.ki.time = 0;
    input.ki.dwExtraInfo = KEYBOARD_INPUT_SIGNATURE;
    SendInput(1, &input, sizeof(INPUT));
}

uint32_t platformScanCode(uint8_t virtualKey)
{
    // The extended form of the mapping is the one that reports the 0xE0 prefix of extended keys.
    return MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC_EX, GetKeyboardLayout(0));
}

KeyboardRepeatSettings platformKeyboardRepeatSettings()
{
    // The system's own defaults stand in for a setting that cannot be read.
    int delay = 1;
    DWORD speed = 31;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0))
        delay = 1;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0))
        speed = 31;
    return {delay, static_cast<int32_t>(speed)};
}

uint32_t platformMilliseconds()
{
    // The tick count counts the same milliseconds since the system started, in coarser steps.
    if (!systemClock)
        systemClock = loaded::loadMultimedia() ? loaded::timeGetTime : GetTickCount;
    return systemClock();
}
