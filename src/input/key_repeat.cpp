// Hold to repeat: a held Normal key repeats at the user's keyboard delay and speed, like a physical key.
#include "input/key_repeat.h"

#include <algorithm>

#include "input/input.h"
#include "layout/keytable.h"

uint32_t keyRepeatDelayMs(int32_t delaySetting)
{
    // The system documents 0 as about 250 ms and 3 as about 1 s, in equal steps.
    return 250u * static_cast<uint32_t>(std::clamp(delaySetting, 0, 3) + 1);
}

uint32_t keyRepeatPeriodMs(int32_t speedSetting)
{
    // The system documents 0 as about 2.5 and 31 as about 30 repeats a second, linear between:
    // (2.5 + 27.5 s / 31) per second is (155 + 55 s) / 62, so a period of 62000 / (155 + 55 s) ms.
    const int32_t speed = std::clamp(speedSetting, 0, 31);
    return static_cast<uint32_t>(62000 / (155 + 55 * speed));
}

void startKeyRepeat(PlatformWindow* window, int keyIndex, uint8_t virtualKey, uint32_t now, int press)
{
    stopKeyRepeat(window);
    keyRepeat = NO_REPEAT;
    keyRepeat.keyIndex = keyIndex;
    keyRepeat.virtualKey = virtualKey;
    keyRepeat.startTime = now;
    keyRepeat.press = press;
}

void scheduleKeyRepeat(PlatformWindow* window)
{
    if (keyRepeat.keyIndex < 0 || keyRepeat.scheduled)
        return;
    const KeyboardRepeatSettings settings = platformKeyboardRepeatSettings();
    keyRepeat.delayMs = keyRepeatDelayMs(settings.delay);
    keyRepeat.periodMs = keyRepeatPeriodMs(settings.speed);
    keyRepeat.scheduled = true;
    // The delay counts from the press, not from now.
    const uint32_t elapsed = platformMilliseconds() - keyRepeat.startTime;
    platformStartTimer(window, KEY_REPEAT_TIMER_ID, elapsed < keyRepeat.delayMs ? keyRepeat.delayMs - elapsed : 1);
}

void stopKeyRepeat(PlatformWindow* window)
{
    if (keyRepeat.keyIndex < 0)
        return;
    if (keyRepeat.scheduled)
        platformStopTimer(window, KEY_REPEAT_TIMER_ID);
    keyRepeat = NO_REPEAT;
}

void advanceKeyRepeat(PlatformWindow* window)
{
    // The system never repeats synthesised key-downs, so the repeats are sent from here.
    // Stopping a timer does not take back a tick already queued, so ticks can come after the stop.
    if (keyRepeat.keyIndex < 0 || !keyRepeat.scheduled)
        return;
    if (!keyTable || keyRepeat.keyIndex >= keyTable->count ||
        keyTable->keys[keyRepeat.keyIndex].state != KeyState::Down) {
        stopKeyRepeat(window);
        return;
    }
    if (!keyRepeat.pastDelay) {
        // A queued tick of the previous repeat can arrive right after a new key's press; the new
        // key's first repeat is not due for a whole delay, so a tick this early is not its own.
        if (platformMilliseconds() - keyRepeat.startTime < keyRepeat.delayMs / 2)
            return;
        keyRepeat.pastDelay = true;
        platformStartTimer(window, KEY_REPEAT_TIMER_ID, keyRepeat.periodMs);
    }
    sendKeyEvent(keyRepeat.virtualKey, false);
}
