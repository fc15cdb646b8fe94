// Keystroke injection: the one place that makes keyboard input, what each key holds down, bulk releases.
#include "input/input.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"

namespace {

// Whether a key other than `except` holds `code` down: two keys may send one code, and the system
// holds it until the last of them lets go.
bool heldByAnotherKey(uint8_t code, int except)
{
    for (int i = 0; keyTable && i < keyTable->count; ++i) {
        if (i != except && heldCodes[i].held && heldCodes[i].code == code)
            return true;
    }
    return false;
}

} // namespace

void sendKeyEvent(uint8_t virtualKey, bool up)
{
    // The program's own codes act inside the keyboard only; no application may receive them. A key
    // whose name the keymap did not know has code 0, which names no key at all.
    if (virtualKey == 0 || virtualKey == VK_FN || virtualKey == VK_EXIT)
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
    if (!keyTable || index < 0 || index >= keyTable->count || code == VK_EXIT)
        return;
    HeldCode& held = heldCodes[index];
    if (code == VK_FN) {
        held.layer = true;
        fnLayer = 1;
        return;
    }
    // A key pressed again while it holds another code (a second finger in the other layer) lets go of
    // that code first: a key holds one code at a time.
    if (held.held && held.code != code)
        releaseKeyCode(index);
    // A Normal key types its code again, as a held key's repeat does; a modifier already held down by
    // another key of the same code is not pressed twice.
    if (keyTable->keys[index].kind == KeyKind::Normal || !heldByAnotherKey(code, index))
        sendKeyEvent(code, false);
    held.held = true;
    held.code = code;
}

void releaseKeyCode(int index)
{
    if (index < 0 || index >= MAX_KEYS || !heldCodes[index].held)
        return;
    heldCodes[index].held = false;
    if (!heldByAnotherKey(heldCodes[index].code, index))
        sendKeyEvent(heldCodes[index].code, true);
}

void letGoOfKey(PlatformWindow* window, int index)
{
    if (!keyTable || index < 0 || index >= keyTable->count)
        return;
    releaseKeyCode(index);
    if (holdsFnLayer(index)) {
        heldCodes[index].layer = false;
        releaseFnLayer(window);
    }
    KeyRecord& key = keyTable->keys[index];
    key.state = KeyState::Up;
    if (window)
        platformInvalidateRect(window, key.bounds);
}

bool holdsFnLayer(int index)
{
    return index >= 0 && index < MAX_KEYS && heldCodes[index].layer;
}

void releaseFnLayer(PlatformWindow* window)
{
    fnLayer = 0;
    if (!keyTable)
        return;
    // Every key that shows the layer lets go of it, a second Fn key included; one that also holds a
    // code stays down for that code until its own release. A Locked key holds the layer until it is
    // tapped itself, as a Locked Shift holds Shift: the layer stays on for it.
    for (int i = 0; i < keyTable->count; ++i) {
        if (!holdsFnLayer(i))
            continue;
        if (keyTable->keys[i].state == KeyState::Locked) {
            fnLayer = 1;
            continue;
        }
        heldCodes[i].layer = false;
        if (heldCodes[i].held)
            continue;
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
        if (keyTable->keys[i].kind == KeyKind::Latching)
            letGoOfKey(nullptr, i);
    }
}

void releaseDownLatchingKeys(PlatformWindow* window)
{
    if (!keyTable || typingHeldByPress())
        return;
    // Locked keys are left alone: they stay held until tapped again. So are keys a finger holds down.
    for (int i = 0; i < keyTable->count; ++i) {
        const KeyRecord& key = keyTable->keys[i];
        if (key.kind == KeyKind::Latching && key.state == KeyState::Down && !heldByPress(i))
            letGoOfKey(window, i);
    }
}
