// Presses of the mouse and of touch contacts: which key a press hits, each key's state machine, releases.
#include "input/hover.h"
#include "input/input.h"
#include "input/key_repeat.h"
#include "input/scan.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"

namespace {

constexpr int PRESSES = PRESS_SLOTS;

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
    for (int i = MOUSE_PRESS + 1; i <= MAX_CONTACTS; ++i) {
        if (presses[i].held && presses[i].contact == contact)
            return i;
    }
    return -1;
}

// A free place for a new contact's press. When all are taken, a contact that holds no key gives its
// place up: its lift may have been lost, and a finger that types matters more.
int freeContactPress()
{
    int idle = -1;
    for (int i = MOUSE_PRESS + 1; i <= MAX_CONTACTS; ++i) {
        if (!presses[i].held)
            return i;
        if (presses[i].key < 0)
            idle = i;
    }
    return idle;
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

// A Latching key locked by a quick second tap. One locked from Up goes down as a tap would send it,
// so that a key the panel shows held is held in the system too, and a locked Fn key has its layer on;
// the Exit key only locks.
void lockKey(PlatformWindow* window, int index, int layer)
{
    KeyRecord& key = keyTable->keys[index];
    if (key.state == KeyState::Up)
        pressKeyCode(index, activeVirtualKey(key, layer));
    key.state = KeyState::Locked;
    platformInvalidateRect(window, key.bounds);
}

// A quick second tap locks every Latching key under the point.
void lockLatchingKeysAt(PlatformWindow* window, int32_t x, int32_t y)
{
    const int layer = fnLayer;
    for (int i = 0; i < keyCount(); ++i) {
        if (keyTable->keys[i].kind == KeyKind::Latching && fittedKeyContainsPoint(i, x, y))
            lockKey(window, i, layer);
    }
}

// The state machine of the key a press hit, once the press holds it. Returns whether the key now
// repeats.
bool runKey(PlatformWindow* window, int press, int hit, uint32_t now)
{
    KeyRecord& key = keyTable->keys[hit];
    const uint8_t code = activeVirtualKey(key, fnLayer);
    if (code == VK_FN && fnLayer == 1) {
        // The layer goes off, and the key with it: it lets go of whatever it holds, unless another
        // press still holds it down. A key locked on the layer keeps it on.
        releaseFnLayer(window);
        if (!heldByAnotherPress(hit, press))
            letGoOfKey(window, hit);
    } else if (code == VK_FN || key.kind == KeyKind::Normal || key.state == KeyState::Up) {
        pressKeyCode(hit, code);
        key.state = KeyState::Down;
        if (key.kind == KeyKind::Normal && code != VK_FN) {
            startKeyRepeat(window, hit, code, now, press);
            noteTypedDuringHolds(press);
            return true;
        }
    } else {
        letGoOfKey(window, hit);
    }
    return false;
}

// Whether a press of `hit` now is a second tap that locks it: a quick second tap on the same Latching
// key (the time's difference is unsigned: right across the clock's wrap at 2^32). For a key chosen by
// hovering or scanning, whose choices come seconds apart, a latched key that was the last one chosen
// or pressed: choosing it on and on latches, locks and unlocks it in turn.
bool locksKey(int hit, int press, uint32_t now, bool mayLock)
{
    if (!isLatching(hit) || !mayLock || hit != lastPressKey)
        return false;
    if (press == SELECTION_PRESS)
        return keyTable->keys[hit].state == KeyState::Down;
    return now - lastPressTime < DOUBLE_PRESS_MS;
}

// `press` takes the key it hit: the Exit key, the lock of a second tap or the key's state machine.
// `lockAt` is the point whose Latching keys a second tap locks; a chosen key locks alone. False when
// the Exit key ended the program.
bool pressKey(PlatformWindow* window, int press, uint32_t contact, int hit, bool mayLock, const Point* lockAt)
{
    KeyRecord& key = keyTable->keys[hit];
    const uint32_t now = platformMilliseconds();
    // A modifier tapped soon after a letter is an ordinary tap.
    const bool lock = locksKey(hit, press, now, mayLock);
    lastPressTime = now;
    lastPressKey = hit;
    if (!lock && activeVirtualKey(key, fnLayer) == VK_EXIT) {
        // The window's teardown runs inside the destroy call: it lets go of everything the presses
        // hold and frees the key table, so nothing may be touched after it.
        platformDestroyWindow(window);
        return false;
    }

    presses[press] = {true, contact, hit, false};
    bool repeats = false;
    if (lock && lockAt)
        lockLatchingKeysAt(window, lockAt->x, lockAt->y);
    else if (lock)
        lockKey(window, hit, fnLayer);
    else
        repeats = runKey(window, press, hit, now);
    // After the key's event is on its way, which nothing here may delay: the most recent key pressed
    // is the one that repeats, as on a physical keyboard, so any other key stops a repeat; the rest
    // waits for the follow-up.
    if (!repeats)
        stopKeyRepeat(window);
    repaintDue[hit] = true;
    platformStartTimer(window, FOLLOW_UP_TIMER_ID, FOLLOW_UP_DELAY_MS);
    return true;
}

// The press at client point (x, y), by the mouse or by a contact, held as `press` when it hits a key:
// the slide check, the dock tab, the key walk and the key's press. A press that may not lock is no
// second tap, whatever the time.
void pressAt(PlatformWindow* window, int press, uint32_t contact, int32_t x, int32_t y, bool mayLock)
{
    if (slideState.step != 0)
        return;
    if (handleTabPress(window, x, y))
        return;
    const int hit = fittedKeyAt(x, y);
    if (hit < 0) {
        platformUpdateWindow(window);
        return;
    }
    const Point point = {x, y};
    pressKey(window, press, contact, hit, mayLock, &point);
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
        releaseKeyCode(i);
        if (!holdsFnLayer(i))
            key.state = KeyState::Up;
        releaseDownLatchingKeys(window);
        platformInvalidateRect(window, key.bounds);
    }
    // A modifier held while a key was typed goes up with its finger, as a physical one does; one
    // locked meanwhile stays locked, and one whose key is still held down goes with that key.
    if (released.typedDuringHold && isLatching(released.key) && !heldByAnotherPress(released.key, press) &&
        keyTable->keys[released.key].state == KeyState::Down && !typingHeldByPress())
        letGoOfKey(window, released.key);
    platformUpdateWindow(window);
}

// The one way the mouse's press ends, as at its button's release: its keys go up, then the capture
// taken for it is given back, unless the system has taken it already.
void letGoOfMouse(PlatformWindow* window)
{
    releasePress(window, MOUSE_PRESS);
    // After the press is let go of: the system reports the capture's loss at once, and that report
    // must find nothing left to release.
    if (pointerCaptured) {
        pointerCaptured = false;
        platformReleasePointer();
    }
    keepSlideTimer(window);
}

} // namespace

bool heldByPress(int key)
{
    return heldByAnotherPress(key, -1);
}

bool typingHeldByPress()
{
    for (const Press& press : presses) {
        if (press.held && press.key >= 0 && press.key < keyCount() &&
            keyTable->keys[press.key].kind == KeyKind::Normal && heldCodes[press.key].held)
            return true;
    }
    return false;
}

void handlePointerPress(PlatformWindow* window, int32_t x, int32_t y)
{
    // A button that comes down again while its press is held came up on a way the window never saw.
    if (presses[MOUSE_PRESS].held)
        letGoOfMouse(window);
    hoverPointerPress(window);
    pressAt(window, MOUSE_PRESS, 0, x, y, true);
}

void handlePointerRelease(PlatformWindow* window, int32_t x, int32_t y)
{
    // Lifting the pointer anywhere releases every Normal key that is down.
    (void)x;
    (void)y;
    letGoOfMouse(window);
    hoverPointerRelease(window);
}

void handlePointerCaptureLost(PlatformWindow* window)
{
    // Only a capture taken at a press and not yet given back counts: that button release will never
    // arrive, so this is the release.
    pointerCaptured = false;
    if (presses[MOUSE_PRESS].held)
        letGoOfMouse(window);
}

void checkPointerStillDown(PlatformWindow* window)
{
    // The button's state is asked of the system only while a press is held: not at every idle tick.
    if (presses[MOUSE_PRESS].held && !platformPointerButtonDown())
        letGoOfMouse(window);
}

void handleContactDown(PlatformWindow* window, uint32_t contact, int32_t x, int32_t y)
{
    bool mayLock = true;
    if (int earlier = contactPress(contact); earlier >= 0) {
        // A contact reported down again on its key is still down there, as a contact that moves keeps
        // its key. Reported down elsewhere, its lift was lost: it lets go of its first press and
        // presses anew, but a contact that never lifted makes no second tap.
        if (fittedKeyAt(x, y) == presses[earlier].key)
            return;
        releasePress(window, earlier);
        mayLock = false;
    }
    // Beyond the contacts that can be told apart, a press is not made: it could not be released. A
    // contact is remembered from its landing to its lift wherever it lands, so that a report of it down
    // again is known for what it is.
    const int press = freeContactPress();
    if (press < 0)
        return;
    presses[press] = {true, contact, -1, false};
    pressAt(window, press, contact, x, y, mayLock);
}

void handleContactUp(PlatformWindow* window, uint32_t contact)
{
    if (int press = contactPress(contact); press >= 0)
        releasePress(window, press);
}

void handleContactMessage(PlatformWindow* window, ContactMessage message, uint32_t contact, bool canceled, int32_t x,
                          int32_t y)
{
    switch (message) {
    case ContactMessage::Down:
        if (!canceled)
            handleContactDown(window, contact, x, y);
        break;
    case ContactMessage::Update:
        if (canceled)
            handleContactUp(window, contact);
        break;
    case ContactMessage::Up:
    case ContactMessage::CaptureLost: handleContactUp(window, contact); break;
    }
}

void typeSelectedKey(PlatformWindow* window, int key)
{
    if (slideState.step != 0 || key < 0 || key >= keyCount() || presses[SELECTION_PRESS].held)
        return;
    if (pressKey(window, SELECTION_PRESS, 0, key, true, nullptr))
        releasePress(window, SELECTION_PRESS);
}

void releasePresses(PlatformWindow* window)
{
    stopKeyRepeat(window);
    // Whatever comes next starts anew, and is no second tap.
    lastPressKey = -1;
    for (int i = 0; i < PRESSES; ++i) {
        if (!presses[i].held)
            continue;
        if (i == MOUSE_PRESS) {
            letGoOfMouse(window);
            continue;
        }
        // The finger is still on the panel, holding nothing now: its lift, or a report of it down
        // again, is still known for what it is.
        const uint32_t contact = presses[i].contact;
        releasePress(window, i);
        presses[i] = {true, contact, -1, false};
    }
}

// In this order: a repeat must not send another key-down after its key went up, and the keys held
// under the pointer and the contacts go up before the modifiers they were typed with. Last, every key
// that still holds anything: a Normal key that holds the Fn layer, or one no press holds any longer.
void releaseEverything(PlatformWindow* window)
{
    endHover(window);
    releasePresses(window);
    releaseAllLatchingKeys();
    for (int i = 0; i < keyCount(); ++i) {
        if (heldCodes[i].held || heldCodes[i].layer)
            letGoOfKey(nullptr, i);
    }
    // A row the switch picked is forgotten with everything else.
    restartScan(window);
}
