// Fuzzes the press and release logic with generated layouts and pointer sequences, checking after every
// event that nothing the panel pressed is left held or held twice in the system.
//
// The input is read one byte at a time, each byte's value taken modulo 16, so that a seed can be
// written in the sixteen characters '0' to '?' ('0' + n for n):
//   layout:  key count - 1, screen and dock side (S * 5 + D: screen S of SCREENS, dock side D from 0
//            none to 4 left), then per key: kind (0 Normal, 1 Latching),
//            cell (0..11: a 4 by 3 grid 50 px apart, so 70 px keys overlap), shape (0 upright 70x86,
//            1 wide 140x86, 2 turned 45 degrees, 3 turned -15 degrees), vk and fnVk (0 A, 1 B,
//            2 LSHIFT, 3 LCONTROL, 4 FN, 5 EXIT, 6 and 7 two codes of this key's own);
//   events:  an operation and its arguments, until the input ends:
//            0 T mouse down at target T   1 mouse up             2 capture taken away
//            3 button-up lost             4 C T contact C down   5 C contact C up
//            6 C contact C canceled       7 D time + 10 + 40 D   8 D time + 1000 (D + 1)
//            9 I tick of timer 1 + I % 3  : hide command         ; show command (a second copy)
//            < S re-fit to screen S % 6 (5: a screen without area)
//            = window destroyed           > T mouse tap          ? C T contact tap
//   targets: 0..11 the centre of key T % count, 12 the hide area, 13 the show area, 14 a gap,
//            15 a point off the first key's centre (overlaps and edges).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"

namespace {

constexpr uint8_t VK_A = 0x41;
constexpr uint8_t VK_B = 0x42;
constexpr uint8_t VK_LSHIFT = 0xA0;
constexpr uint8_t VK_LCONTROL = 0xA2;
constexpr uint8_t VK_F1 = 0x70;
constexpr uint8_t VK_0 = 0x30;

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool done() const { return at >= size; }
    int next(int range) { return done() ? 0 : (data[at++] % 16) % range; }
};

[[noreturn]] void fail(const char* invariant, const std::string& detail = {})
{
    std::fprintf(stderr, "press fuzzer: %s%s%s\n", invariant, detail.empty() ? "" : ": ", detail.c_str());
    std::abort();
}

void require(bool condition, const char* invariant, const std::string& detail = {})
{
    if (!condition)
        fail(invariant, detail);
}

// The 1024x600 design, a larger screen, a smaller one, a portrait one, a large tablet's, and (for a
// re-fit only) a monitor that reports no area, as during a change of display.
constexpr Rect SCREENS[] = {{0, 0, 1024, 600}, {0, 0, 1920, 1080}, {0, 0, 800, 480},
                            {0, 0, 600, 1024}, {0, 0, 2736, 1824}, {0, 0, 0, 0}};

uint8_t codeFor(int choice, int key)
{
    static constexpr uint8_t shared[] = {VK_A, VK_B, VK_LSHIFT, VK_LCONTROL, VK_FN, VK_EXIT};
    if (choice < 6)
        return shared[choice];
    return static_cast<uint8_t>(choice == 6 ? VK_F1 + key : VK_0 + key);
}

void buildLayout(Input& in)
{
    const int count = 1 + in.next(12);
    panelLayout = PANEL_LAYOUT_DEFAULTS;
    const int placement = in.next(16);
    panelLayout.dockSide = static_cast<DockSide>(placement % 5);
    for (int i = 0; i < count; ++i) {
        KeyRecord& key = keyTable->keys[i];
        key.kind = in.next(2) == 1 ? KeyKind::Latching : KeyKind::Normal;
        const int cell = in.next(12);
        key.centerX = static_cast<int16_t>(200 + 50 * (cell % 4));
        key.centerY = static_cast<int16_t>(150 + 60 * (cell / 4));
        static constexpr int16_t widths[] = {70, 140, 70, 70};
        static constexpr int16_t angles[] = {0, 0, 450, -150};
        const int shape = in.next(4);
        key.width = widths[shape];
        key.height = 86;
        key.angle = angles[shape];
        key.vk = codeFor(in.next(8), i);
        key.fnVk = codeFor(in.next(8), i);
    }
    keyTable->count = static_cast<uint8_t>(count);
    clientOffset = 19;
    fitPanelToScreen(SCREENS[placement / 5]);
}

Point target(int choice)
{
    const int count = keyTable ? keyTable->count : 1;
    if (choice == 12 || choice == 13) {
        // The middle of the hide area, or a point beyond the panel on the tab's side.
        const PanelLayout tab = scaledPanelLayout(panelLayout, panelScale);
        const Size panel = scaledPanelSize(panelScale);
        const Point at = panelClientOrigin();
        const int32_t along =
            tab.tabOffset + (panelLayout.dockSide >= DockSide::Right ? tab.tabHeight : tab.tabWidth) / 2;
        const int32_t deep = (panelLayout.dockSide >= DockSide::Right ? tab.tabWidth : tab.tabHeight) / 2;
        const int32_t beyond = choice == 12 ? -deep : deep;
        switch (panelLayout.dockSide) {
        case DockSide::Top: return {at.x + along, at.y + panel.height + beyond};
        case DockSide::Bottom: return {at.x + along, at.y - beyond};
        case DockSide::Right: return {at.x - beyond, at.y + along};
        case DockSide::Left: return {at.x + panel.width + beyond, at.y + along};
        default: return {5, 5};
        }
    }
    if (choice == 14)
        return panelToClient({5, 5});
    const KeyRecord& key = keyTable->keys[choice == 15 ? 0 : choice % count];
    const int32_t off = choice == 15 ? 30 : 0;
    return panelToClient({key.centerX + off, key.centerY + off});
}

uint8_t activeCode(int key)
{
    const KeyRecord& record = keyTable->keys[key];
    return fnLayer == 1 ? record.fnVk : record.vk;
}

bool anyPressHeld()
{
    for (const Press& press : presses) {
        if (press.held)
            return true;
    }
    return false;
}

// What the checker remembers of the moment before an event.
struct Before {
    std::vector<KeyState> states;
    Press presses[MAX_CONTACTS + 1];
    size_t events;
    std::set<uint16_t> typed; // codes that Normal keys held
};

std::set<uint16_t> codesTyped()
{
    std::set<uint16_t> typed;
    for (int k = 0; keyTable && k < keyTable->count; ++k) {
        if (keyTable->keys[k].kind == KeyKind::Normal && heldCodes[k].held)
            typed.insert(heldCodes[k].code);
    }
    return typed;
}

Before snapshot()
{
    Before before{};
    for (int i = 0; keyTable && i < keyTable->count; ++i)
        before.states.push_back(keyTable->keys[i].state);
    for (int i = 0; i <= MAX_CONTACTS; ++i)
        before.presses[i] = presses[i];
    before.events = fake::keyEvents().size();
    before.typed = codesTyped();
    return before;
}

enum class EventKind {
    Press,        // a pointer comes down: it may change any key it hits
    RepeatedDown, // a contact already down is reported down again
    Lift,         // a pointer comes up, is canceled, loses its capture, or a timer ticks
    Bulk,         // hide, session end, destroy: everything goes up
    Refit,        // the panel fits another screen: nothing is pressed or let go of
    Other,
};

// The key events of one event, in order, against the codes held down before it.
void checkKeyEvents(const Before& before, std::set<uint16_t>& down)
{
    const auto& events = fake::keyEvents();
    for (size_t i = before.events; i < events.size(); ++i) {
        const fake::KeyEvent& event = events[i];
        const bool up = (event.flags & KEY_EVENT_UP) != 0;
        const std::string name = fake::keyName(event.virtualKey);
        require(event.virtualKey != 0 && event.virtualKey != VK_FN && event.virtualKey != VK_EXIT,
                "a pseudo key or code 0 went out", name);
        if (up) {
            require(down.erase(event.virtualKey) == 1, "a key-up for a code that is not down", name);
            continue;
        }
        if (down.insert(event.virtualKey).second)
            continue;
        // Down again while down: a Normal key typing once more (a repeat, or another key of the same
        // code); never a modifier.
        require(before.typed.contains(event.virtualKey) || codesTyped().contains(event.virtualKey),
                "a code held by a modifier went down twice", name);
    }
}

void checkState(const Before& before, EventKind kind, const std::set<uint16_t>& down)
{
    if (!keyTable) {
        require(down.empty(), "keys held after the window's end");
        require(!fake::timerRunning(SLIDE_TIMER_ID) && !fake::timerRunning(KEY_REPEAT_TIMER_ID) &&
                    !fake::timerRunning(FOLLOW_UP_TIMER_ID),
                "a timer runs after the window's end");
        return;
    }

    // The fake system holds exactly what the record says the panel holds.
    std::set<uint16_t> recorded;
    for (int k = 0; k < keyTable->count; ++k) {
        if (heldCodes[k].held && heldCodes[k].code != 0)
            recorded.insert(heldCodes[k].code);
    }
    for (int k = keyTable->count; k < MAX_KEYS; ++k)
        require(!heldCodes[k].held && !heldCodes[k].layer, "a code held for a key beyond the table");
    require(recorded == down, "the system holds other codes than the panel records");

    // Timers run only while they have work, and the work a press leaves to its follow-up waits for it.
    const bool followUpDue = fake::timerRunning(FOLLOW_UP_TIMER_ID);
    require(fake::captured() == pointerCaptured && (!pointerCaptured || presses[MOUSE_PRESS].held) &&
                (pointerCaptured || !presses[MOUSE_PRESS].held || followUpDue),
            "the pointer is captured exactly while the mouse holds a press");
    const bool slideNeeded = slideState.step != 0 || presses[MOUSE_PRESS].held;
    require(fake::timerRunning(SLIDE_TIMER_ID) == slideTimerRunning && (!slideTimerRunning || slideNeeded) &&
                (slideTimerRunning || !slideNeeded || followUpDue),
            "the slide timer runs exactly while a slide or the mouse's press needs it");
    require(fake::timerRunning(KEY_REPEAT_TIMER_ID) == (keyRepeat.keyIndex >= 0 && keyRepeat.scheduled) &&
                (keyRepeat.keyIndex < 0 || keyRepeat.scheduled || followUpDue),
            "the repeat timer runs exactly while a key repeats");
    for (int p = 1; p <= MAX_CONTACTS; ++p) {
        for (int q = p + 1; q <= MAX_CONTACTS; ++q)
            require(!presses[p].held || !presses[q].held || presses[p].contact != presses[q].contact,
                    "one contact holds two presses");
    }

    bool layerHeld = false;
    bool latched = false;
    for (int k = 0; k < keyTable->count; ++k) {
        const KeyRecord& key = keyTable->keys[k];
        const bool holdsLayer = heldCodes[k].layer;
        const bool holds = heldCodes[k].held || holdsLayer;
        layerHeld = layerHeld || holdsLayer;
        require(!holdsLayer || key.state != KeyState::Up, "a key holds the Fn layer but shows Up");
        if (key.kind == KeyKind::Latching) {
            require(key.state != KeyState::Up || !holds, "a modifier shown Up holds a code", std::to_string(k));
            latched = latched || key.state != KeyState::Up;
        } else {
            require((key.state == KeyState::Down) == holds, "a Normal key is Down exactly while it holds",
                    std::to_string(k));
        }
        const KeyState was = k < static_cast<int>(before.states.size()) ? before.states[k] : KeyState::Up;
        if (kind == EventKind::Lift || kind == EventKind::Other)
            require(was != KeyState::Locked || key.state == KeyState::Locked,
                    "a locked key unlocked without a press on it", std::to_string(k));
        if (kind == EventKind::RepeatedDown)
            require(key.state != KeyState::Locked || was == KeyState::Locked,
                    "a contact reported down again locked a key", std::to_string(k));
    }
    require(layerHeld == (fnLayer == 1), "the Fn layer is on exactly while a key holds it");
    if (kind == EventKind::Refit) {
        require(fake::keyEvents().size() == before.events, "a re-fit sent a key event");
        for (int k = 0; k < keyTable->count; ++k)
            require(keyTable->keys[k].state == before.states[k], "a re-fit changed a key", std::to_string(k));
    }

    // A key goes up with the last press that holds it: a lift or a tick never lets go of a key that a
    // press still holding it put down.
    if (kind == EventKind::Lift) {
        for (int p = 0; p <= MAX_CONTACTS; ++p) {
            const Press& was = before.presses[p];
            const Press& now = presses[p];
            if (!was.held || !now.held || now.key != was.key || now.contact != was.contact || was.key < 0)
                continue;
            const KeyState stateBefore = before.states[was.key];
            require(stateBefore == KeyState::Up || keyTable->keys[was.key].state != KeyState::Up,
                    "a key went up while a press still holds it", std::to_string(was.key));
        }
    }

    // The key that repeats is held, with the code its press sent, and that code is what the panel shows
    // the key to send now.
    if (keyRepeat.keyIndex >= 0) {
        const int k = keyRepeat.keyIndex;
        require(k < keyTable->count && heldCodes[k].held && heldCodes[k].code == keyRepeat.virtualKey,
                "a key repeats a code it does not hold");
        require(activeCode(k) == keyRepeat.virtualKey, "a key repeats a code of the other layer");
    }

    if (!anyPressHeld() && !latched && fnLayer == 0)
        require(down.empty(), "keys held with no press, no modifier and no layer");
}

void check(const Before& before, EventKind kind, std::set<uint16_t>& down)
{
    checkKeyEvents(before, down);
    checkState(before, kind, down);
}

// The press of a tap is checked before its lift, which is checked as a lift of its own.
EventKind checkAndGoOn(Before& before, EventKind kind, std::set<uint16_t>& down)
{
    check(before, kind, down);
    before = snapshot();
    return EventKind::Lift;
}

PlatformWindow* const window = fake::window();

// The window's end as the window procedure runs it, without the parts that are not input's.
void tearDown(PlatformWindow* destroyed)
{
    releaseEverything(destroyed);
    freeKeyTable();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fake::reset();
    resetInput();
    resetPlacement();
    if (!resetLayout())
        return 0;
    fake::onTimer(onWindowTimer);
    fake::onCaptureLost(handlePointerCaptureLost);
    fake::onDestroy(tearDown);
    Input in{data, size};
    buildLayout(in);
    fake::advanceTo(1000);

    std::set<uint16_t> down;
    std::set<uint32_t> contactsDown;
    Point mouseAt = {0, 0};
    while (!in.done() && keyTable) {
        const int op = in.next(16);
        EventKind kind = EventKind::Other;
        Before before = snapshot();
        switch (op) {
        case 0:
        case 14: {
            kind = EventKind::Press;
            mouseAt = target(in.next(16));
            fake::setPointerButton(true);
            handlePointerPress(window, mouseAt.x, mouseAt.y);
            if (op == 0 || !keyTable)
                break;
            kind = checkAndGoOn(before, kind, down);
            [[fallthrough]];
        }
        case 1:
            kind = EventKind::Lift;
            fake::setPointerButton(false);
            handlePointerRelease(window, mouseAt.x, mouseAt.y);
            break;
        case 2:
            kind = EventKind::Lift;
            fake::takeCaptureAway();
            break;
        case 3: fake::setPointerButton(false); break;
        case 4:
        case 15: {
            const uint32_t contact = 1 + static_cast<uint32_t>(in.next(12));
            const Point at = target(in.next(16));
            kind = contactsDown.insert(contact).second ? EventKind::Press : EventKind::RepeatedDown;
            handleContactDown(window, contact, at.x, at.y);
            if (op == 4 || !keyTable)
                break;
            kind = checkAndGoOn(before, kind, down);
            contactsDown.erase(contact);
            handleContactUp(window, contact);
            break;
        }
        case 5:
        case 6: {
            const uint32_t contact = 1 + static_cast<uint32_t>(in.next(12));
            kind = EventKind::Lift;
            contactsDown.erase(contact);
            handleContactUp(window, contact);
            break;
        }
        case 7:
        case 8: {
            const int d = in.next(16);
            kind = EventKind::Lift;
            fake::advanceTo(fake::clock() + static_cast<uint32_t>(op == 7 ? 10 + 40 * d : 1000 * (d + 1)));
            break;
        }
        case 9:
            kind = EventKind::Lift;
            onWindowTimer(window, static_cast<uint32_t>(1 + in.next(3)));
            break;
        case 12:
            kind = EventKind::Refit;
            refitPanel(window, SCREENS[in.next(6)]);
            break;
        case 10:
            kind = EventKind::Bulk;
            releaseEverything(window);
            break;
        case 11: slidePanelIntoView(window); break;
        case 13:
            kind = EventKind::Bulk;
            platformDestroyWindow(window);
            break;
        default: break;
        }
        check(before, kind, down);
    }
    if (keyTable) {
        const Before before = snapshot();
        platformDestroyWindow(window);
        check(before, EventKind::Bulk, down);
    }
    return 0;
}
