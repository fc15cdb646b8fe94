// Pointer press and release: which key a tap hits, and each key's state machine of down, latched and locked.
#include "input/input.h"
#include "input/key_repeat.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"
#include "state.h"

namespace {

int keyCount()
{
    return keyTable ? keyTable->count : 0;
}

uint8_t activeVirtualKey(const KeyRecord& key, int layer)
{
    return layer == 1 ? key.fnVk : key.vk;
}

void holdPointer(PlatformWindow* window)
{
    if (pointerPress.held)
        return;
    pointerPress.held = true;
    platformCapturePointer(window);
}

void letGoOfPointer()
{
    if (!pointerPress.held)
        return;
    // Cleared first: the system reports the capture's loss synchronously, and that report must not
    // release the keys a second time.
    pointerPress.held = false;
    platformReleasePointer();
}

// A quick second tap locks every Latching key under the point. A key locked from Up goes down as a
// tap would send it, so that a key the panel shows held is held in the system too, and a locked Fn
// key has its layer on; the Exit key only locks.
void lockLatchingKeysAt(PlatformWindow* window, int32_t x, int32_t y)
{
    const int layer = fnLayer;
    for (int i = 0; i < keyCount(); ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Latching || !keyContainsPoint(key, x, y))
            continue;
        if (key.state == KeyState::Up)
            pressKeyCode(i, activeVirtualKey(key, layer));
        key.state = KeyState::Locked;
        platformInvalidateRect(window, key.bounds);
    }
}

// Key-ups for every Normal key that is down, each followed by the latched modifiers. A Normal key
// that turned the Fn layer on stays down while the layer is on, to show it; its own release still
// lets go of the latched modifiers, as any Normal key's does.
void releaseNormalKeys(PlatformWindow* window)
{
    stopKeyRepeat(window);
    const int released = pointerPress.key;
    pointerPress.key = -1;
    // After the teardown there is neither a key nor a window left to release or repaint.
    if (!keyTable)
        return;
    for (int i = 0; i < keyCount(); ++i) {
        KeyRecord& key = keyTable->keys[i];
        if (key.kind != KeyKind::Normal || key.state == KeyState::Up)
            continue;
        if (holdsFnLayer(i)) {
            if (i != released)
                continue;
        } else {
            releaseKeyCode(window, i);
            key.state = KeyState::Up;
        }
        releaseDownLatchingKeys(window);
        platformInvalidateRect(window, key.bounds);
    }
    platformUpdateWindow(window);
}

} // namespace

void handlePointerPress(PlatformWindow* window, int32_t x, int32_t y)
{
    if (slideState.step != 0)
        return;
    if (handleTabPress(window, x, y))
        return;

    int hit = -1;
    for (int i = 0; i < keyCount() && hit < 0; ++i) {
        if (keyContainsPoint(keyTable->keys[i], x, y))
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
        holdPointer(window);
        pointerPress.key = hit;
        lockLatchingKeysAt(window, x, y);
        platformUpdateWindow(window);
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
    holdPointer(window);
    pointerPress.key = hit;
    if (code == VK_FN && fnLayer == 1) {
        turnFnLayerOff(window);
        key.state = KeyState::Up;
    } else if (code == VK_FN) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
    } else if (key.kind == KeyKind::Normal) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
        startKeyRepeat(window, hit, code, now);
    } else if (key.state == KeyState::Up) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
    } else {
        releaseKeyCode(window, hit);
        key.state = KeyState::Up;
    }
    platformInvalidateRect(window, key.bounds);
    platformUpdateWindow(window);
}

void handlePointerRelease(PlatformWindow* window, int32_t x, int32_t y)
{
    // Lifting the pointer anywhere releases every Normal key that is down.
    (void)x;
    (void)y;
    releaseNormalKeys(window);
    letGoOfPointer();
}

void handlePointerCaptureLost(PlatformWindow* window)
{
    // Only a capture taken at a press and not yet given back counts: that button release will never
    // arrive, so this is the release.
    if (!pointerPress.held)
        return;
    pointerPress.held = false;
    releaseNormalKeys(window);
}

void releaseHeldPress(PlatformWindow* window)
{
    if (!pointerPress.held)
        return;
    letGoOfPointer();
    releaseNormalKeys(window);
}

void checkPointerStillDown(PlatformWindow* window)
{
    if (!platformPointerButtonDown())
        releaseHeldPress(window);
}
