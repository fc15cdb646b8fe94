// Keystroke injection: the one place the program produces keyboard input, and the bulk release of latched modifiers.
#include "input/input.h"
#include "layout/keytable.h"

void sendKeyEvent(uint8_t virtualKey, bool up)
{
    uint32_t scan = platformScanCode(virtualKey);
    uint32_t flags = up ? KEY_EVENT_UP : 0;
    // The layout names an extended key (right Ctrl and Alt, arrows, the navigation block) by a prefix
    // above the low byte; the event carries that prefix as a flag, or applications see another key.
    if (scan > 0xFF) {
        scan &= 0xFF;
        flags |= KEY_EVENT_EXTENDED;
    }
    platformSendKeyEvent(virtualKey, static_cast<uint16_t>(scan), flags);
}

void releaseAllLatchingKeys()
{
    if (!keyTable)
        return;
    // Whatever the state, so that nothing the panel ever pressed can stay held in the system; always
    // the first virtual key, as the modifiers of a layout are the same in both layers.
    for (int i = 0; i < keyTable->count; ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Latching)
            continue;
        sendKeyEvent(key.vk, true);
        key.state = KeyState::Up;
    }
}

void releaseDownLatchingKeys(PlatformWindow* window)
{
    if (!keyTable)
        return;
    // Locked keys are left alone: they stay held until tapped again.
    for (int i = 0; i < keyTable->count; ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Latching || key.state != KeyState::Down)
            continue;
        sendKeyEvent(key.vk, true);
        key.state = KeyState::Up;
        platformInvalidateRect(window, key.bounds);
    }
}
