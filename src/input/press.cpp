// Presses of the mouse and of touch contacts: which key a press hits, each key's state machine, releases.
#include "input/input.h"
#include "input/key_repeat.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"

namespace {

constexpr int PRESSES = MAX_CONTACTS + 1;

int keyCount()
{
    return keyTable ? keyTable->count : 0;
}

uint8_t activeVirtualKey(const KeyRecord& key, int layer)
{
    return layer == 1 ? key.fnVk : key.vk;
}

bool isLatching(int key)
{
    return key >= 0 && key < keyCount() && keyTable->keys[key].kind == KeyKind::Latching;
}

// Whether a press other than `except` holds the key: it goes up only when the last of them lets go.
bool heldByAnotherPress(int key, int except)
{
    for (int i = 0; i < PRESSES; ++i) {
        if (i != except && presses[i].held && presses[i].key == key)
            return true;
    }
    return false;
}

// The press of the contact with this id, or -1.
int contactPress(uint32_t contact)
{
    for (int i = MOUSE_PRESS + 1; i < PRESSES; ++i) {
        if (presses[i].held && presses[i].contact == contact)
            return i;
    }
    return -1;
}

int freeContactPress()
{
    for (int i = MOUSE_PRESS + 1; i < PRESSES; ++i) {
        if (!presses[i].held)
            return i;
    }
    return -1;
}

// Holds the press until its release. The mouse's press takes the pointer's capture, so that its
// release reaches the window wherever the pointer is lifted; the system captures a touch or pen contact
// for the window by itself. True when the caller is to take the capture, which it does once the key's
// event is on its way: the capture costs the system a round trip that the key need not wait for.
bool holdPress(int press, uint32_t contact, int key)
{
    const bool capture = press == MOUSE_PRESS && !presses[press].held;
    presses[press] = {true, contact, key, false};
    return capture;
}

void letGoOfPointer()
{
    if (!presses[MOUSE_PRESS].held)
        return;
    // Cleared first: the system reports the capture's loss synchronously, and that report must not
    // release the keys a second time.
    presses[MOUSE_PRESS] = NO_PRESS;
    platformReleasePointer();
}

// A Normal key went down: a modifier that another finger holds meanwhile has modified it, as a
// physical modifier held down does, and goes up when that finger lifts.
void noteTypedDuringHolds(int press)
{
    for (int i = 0; i < PRESSES; ++i) {
        if (i != press && presses[i].held && isLatching(presses[i].key))
            presses[i].typedDuringHold = true;
    }
}

// A quick second tap locks every Latching key under the point. A key locked from Up goes down as a
// tap would send it, so that a key the panel shows held is held in the system too, and a locked Fn
// key has its layer on; the Exit key only locks.
void lockLatchingKeysAt(PlatformWindow* window, int32_t x, int32_t y)
{
    const int layer = fnLayer;
    for (int i = 0; i < keyCount(); ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Latching || !fittedKeyContainsPoint(i, x, y))
            continue;
        if (key.state == KeyState::Up)
            pressKeyCode(i, activeVirtualKey(key, layer));
        key.state = KeyState::Locked;
        platformInvalidateRect(window, key.bounds);
    }
}

// The press at client point (x, y), by the mouse or by a contact, held as `press` when it hits a key:
// the slide check, the dock tab, the key walk and the key's state machine.
void pressAt(PlatformWindow* window, int press, uint32_t contact, int32_t x, int32_t y)
{
    if (slideState.step != 0)
        return;
    if (handleTabPress(window, x, y))
        return;

    int hit = -1;
    for (int i = 0; i < keyCount() && hit < 0; ++i) {
        if (fittedKeyContainsPoint(i, x, y))
            hit = i;
    }
    if (hit < 0) {
        platformUpdateWindow(window);
        return;
    }
    KeyRecord& key = keyTable->keys[hit];
    if (key.kind == KeyKind::Normal)
        key.state = KeyState::Down;

    const uint32_t now = platformMilliseconds();
    // A quick second tap on the same key locks it; a modifier tapped soon after a letter is an
    // ordinary tap. The difference is unsigned: right across the clock's wrap at 2^32.
    const bool secondTap = hit == lastPressKey && now - lastPressTime < DOUBLE_PRESS_MS;
    lastPressTime = now;
    lastPressKey = hit;
    if (key.kind == KeyKind::Latching && secondTap) {
        const bool capture = holdPress(press, contact, hit);
        lockLatchingKeysAt(window, x, y);
        if (capture)
            platformCapturePointer(window);
        platformStartTimer(window, REPAINT_TIMER_ID, REPAINT_DELAY_MS);
        return;
    }

    const uint8_t code = activeVirtualKey(key, fnLayer);
    if (code == VK_EXIT) {
        // The window's teardown runs inside the destroy call and frees the key table: nothing may be
        // touched after it, and a capture given back later would report to a window that is gone.
        letGoOfPointer();
        platformDestroyWindow(window);
        return;
    }
    const bool capture = holdPress(press, contact, hit);
    if (code == VK_FN && fnLayer == 1) {
        turnFnLayerOff(window);
        key.state = KeyState::Up;
    } else if (code == VK_FN) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
    } else if (key.kind == KeyKind::Normal) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
        startKeyRepeat(window, hit, code, now, press);
        noteTypedDuringHolds(press);
    } else if (key.state == KeyState::Up) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
    } else {
        releaseKeyCode(window, hit);
        key.state = KeyState::Up;
    }
    if (capture)
        platformCapturePointer(window);
    platformInvalidateRect(window, key.bounds);
    platformStartTimer(window, REPAINT_TIMER_ID, REPAINT_DELAY_MS);
}

// Lets go of `press`: key-ups for the Normal keys it releases, each followed by the latched
// modifiers, then for a modifier it held down while another key was typed. The mouse's release lets
// go of every Normal key that is down (lifting the pointer anywhere releases them all) but those a
// contact still holds; a contact's lets go of its own key alone, once no other contact holds it.
// A Normal key that turned the Fn layer on stays down while the layer is on, to show it; its own
// release still lets go of the latched modifiers, as any Normal key's does.
void releasePress(PlatformWindow* window, int press)
{
    const Press released = presses[press];
    presses[press] = NO_PRESS;
    if (keyRepeat.press == press)
        stopKeyRepeat(window);
    // After the teardown there is neither a key nor a window left to release or repaint.
    if (!keyTable)
        return;
    for (int i = 0; i < keyCount(); ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Normal || key.state == KeyState::Up || heldByAnotherPress(i, press))
            continue;
        if ((press != MOUSE_PRESS || holdsFnLayer(i)) && i != released.key)
            continue;
        if (!holdsFnLayer(i)) {
            releaseKeyCode(window, i);
            key.state = KeyState::Up;
        }
        releaseDownLatchingKeys(window);
        platformInvalidateRect(window, key.bounds);
    }
    if (released.typedDuringHold && isLatching(released.key) && !heldByAnotherPress(released.key, press)) {
        KeyRecord& modifier = keyTable->keys[released.key];
        if (modifier.state != KeyState::Up) {
            releaseKeyCode(window, released.key);
            modifier.state = KeyState::Up;
            platformInvalidateRect(window, modifier.bounds);
        }
    }
    platformUpdateWindow(window);
}

} // namespace

bool heldByPress(int key)
{
    return heldByAnotherPress(key, -1);
}

void handlePointerPress(PlatformWindow* window, int32_t x, int32_t y)
{
    pressAt(window, MOUSE_PRESS, 0, x, y);
}

void handlePointerRelease(PlatformWindow* window, int32_t x, int32_t y)
{
    // Lifting the pointer anywhere releases every Normal key that is down.
    (void)x;
    (void)y;
    const bool captured = presses[MOUSE_PRESS].held;
    releasePress(window, MOUSE_PRESS);
    // Given back after the press is let go of: the system reports the capture's loss at once, and
    // that report must not release the keys a second time.
    if (captured)
        platformReleasePointer();
}

void handlePointerCaptureLost(PlatformWindow* window)
{
    // Only a capture taken at a press and not yet given back counts: that button release will never
    // arrive, so this is the release.
    if (!presses[MOUSE_PRESS].held)
        return;
    releasePress(window, MOUSE_PRESS);
}

void releaseHeldPress(PlatformWindow* window)
{
    if (!presses[MOUSE_PRESS].held)
        return;
    releasePress(window, MOUSE_PRESS);
    platformReleasePointer();
}

void checkPointerStillDown(PlatformWindow* window)
{
    // The button's state is asked of the system only while a press is held: not at every idle tick.
    if (presses[MOUSE_PRESS].held && !platformPointerButtonDown())
        releaseHeldPress(window);
}

void handleContactDown(PlatformWindow* window, uint32_t contact, int32_t x, int32_t y)
{
    // A contact the system reports down twice lets go of its first press.
    if (int earlier = contactPress(contact); earlier >= 0)
        releasePress(window, earlier);
    // Beyond the contacts that can be told apart, a press is not made: it could not be released.
    const int press = freeContactPress();
    if (press >= 0)
        pressAt(window, press, contact, x, y);
}

void handleContactUp(PlatformWindow* window, uint32_t contact)
{
    if (int press = contactPress(contact); press >= 0)
        releasePress(window, press);
}

void releaseContacts(PlatformWindow* window)
{
    for (int i = MOUSE_PRESS + 1; i < PRESSES; ++i) {
        if (presses[i].held)
            releasePress(window, i);
    }
}
