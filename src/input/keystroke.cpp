// Keystroke injection: the one place that makes keyboard input, what each key holds down, bulk releases.
#include "input/input.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"

void sendKeyEvent(uint8_t virtualKey, bool up)
{
    // The program's own codes act inside the keyboard only; no application may receive them.
    if (virtualKey == VK_FN || virtualKey == VK_EXIT)
        return;
    uint32_t scan = platformScanCode(virtualKey);
    uint32_t flags = up ? KEY_EVENT_UP : 0;
    // The layout names an extended key (right Ctrl and Alt, arrows, the navigation block) by an 0xE0
    // prefix above the low byte; the event carries that prefix as a flag, or applications see another
    // key. A key with any other prefix (Pause's 0xE1) has no scan code of its own that an event can
    // carry: its low byte is another key's (Pause's would be Right Ctrl's), so it goes by its virtual
    // key alone.
    if (scan > 0xFF) {
        if ((scan >> 8) == 0xE0) {
            scan &= 0xFF;
            flags |= KEY_EVENT_EXTENDED;
        } else {
            scan = 0;
        }
    }
    platformSendKeyEvent(virtualKey, static_cast<uint16_t>(scan), flags);
}

void pressKeyCode(int index, uint8_t code)
{
    if (index < 0 || index >= MAX_KEYS || code == VK_EXIT)
        return;
    HeldCode& held = heldCodes[index];
    // A key pressed again before its release (a release the system lost) lets go of what it held
    // first when it now sends another code.
    if (held.held && held.code != code && held.code != VK_FN)
        sendKeyEvent(held.code, true);
    held = {true, code};
    if (code == VK_FN)
        fnLayer = 1;
    else
        sendKeyEvent(code, false);
}

void releaseKeyCode(PlatformWindow* window, int index)
{
    if (index < 0 || index >= MAX_KEYS || !heldCodes[index].held)
        return;
    if (heldCodes[index].code == VK_FN) {
        turnFnLayerOff(window);
        return;
    }
    heldCodes[index].held = false;
    sendKeyEvent(heldCodes[index].code, true);
}

bool holdsFnLayer(int index)
{
    return index >= 0 && index < MAX_KEYS && heldCodes[index].held && heldCodes[index].code == VK_FN;
}

void turnFnLayerOff(PlatformWindow* window)
{
    fnLayer = 0;
    if (!keyTable)
        return;
    // Every key that shows the layer shows it off with it, a second Fn key included.
    for (int i = 0; i < keyTable->count; ++i) {
        if (!holdsFnLayer(i))
            continue;
        heldCodes[i].held = false;
        keyTable->keys[i].state = KeyState::Up;
        if (window)
            platformInvalidateRect(window, keyTable->keys[i].bounds);
    }
}

void releaseAllLatchingKeys()
{
    if (!keyTable)
        return;
    // Whatever the state, so that nothing the panel pressed can stay held in the system; each with
    // the code its key-down sent. A key that never went down has nothing to let go of.
    for (int i = 0; i < keyTable->count; ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Latching)
            continue;
        releaseKeyCode(nullptr, i);
        key.state = KeyState::Up;
    }
}

void releaseDownLatchingKeys(PlatformWindow* window)
{
    if (!keyTable)
        return;
    // Locked keys are left alone: they stay held until tapped again. So are keys a finger holds down.
    for (int i = 0; i < keyTable->count; ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Latching || key.state != KeyState::Down || heldByPress(i))
            continue;
        releaseKeyCode(window, i);
        key.state = KeyState::Up;
        platformInvalidateRect(window, key.bounds);
    }
}
