// Fuzzes the press and release logic with generated layouts and pointer sequences, checking after every
// event and every timer tick that nothing the panel pressed is left held, held twice or let go early.
//
// The input is read one byte at a time, each byte's value taken modulo 16, so that a seed can be
// written in the sixteen characters '0' to '?' ('0' + n for n):
//   layout:  key count - 1, dock side D (D % 5: 0 none to 4 left; D % 10 from 5 up: the panel cut to its
//            keys; from 10 up: the keymap asks for the panel to start slid away), screen (% 9: one of
//            SCREENS but the last),
//            setting S (S & 1: the clock starts just before its wrap at 2^32; S >> 1: the user's repeat
//            settings REPEATS[S >> 1]), then per key: kind (0 Normal, 1 Latching),
//            cell (0..11: a 4 by 3 grid 50 px apart, so 70 px keys overlap), shape (0 upright 70x86,
//            1 wide 140x86, 2 turned 45 degrees, 3 turned -15 degrees), vk and fnVk (0 A, 1 B,
//            2 LSHIFT, 3 LCONTROL, 4 FN, 5 EXIT, 6 and 7 two codes of this key's own);
//   events:  an operation and its arguments, until the input ends:
//            0 T mouse down at T   1 mouse up            2 capture taken away    3 button-up lost
//            4 C T contact C down  5 C contact C up      6 C M contact C's message M % 4: 0 moved,
//                                                          1 canceled, 2 capture lost, 3 a canceled landing
//            7 D time + 10 + 40 D  8 D time + 1000 + 200 D, every timer tick on the way checked
//            9 I tick of timer 1 + I % 3 now; of the repeat timer only a tick queued before its stop
//            : hide command        ; A auto-show and the show command, by A % 8: 0 show command (a
//                                    second copy); 1 U the user's press elsewhere on the screen, by a
//                                    finger if U & 1, on FIELD if U & 2; 2 U and 3 U the focus moves to
//                                    text or away from it, on FIELD if U & 1, on the monitor
//                                    SCREENS[(U >> 1) % 10] (the last: unknown); 4 a key of a hardware
//                                    keyboard; 5 a tick of the auto-show timer; 6 M auto-show set to
//                                    mode M % 3 (off, any pointer, touch only); 0 S a selection
//                                    without a press, by S: 0 T the mouse pointer moves onto T, 1 X Y
//                                    it moves X - 7 and Y - 7 px, 2 it leaves the panel, 3 H the hover
//                                    time HOVER_TIMES[H % 8], 4 a hover tick now, 5 the clock runs on
//                                    by the hover time, 6 T the pointer moves onto T and clicks there,
//                                    7 T it moves onto T and rests there a hover time and a step;
//                                    8, 9 and 15 the scan's switch (its key, a right-click), 10
//                                    scanning toggled, 11 T the scan time 300 + 200 T, 12 the window
//                                    hidden or shown from the menu, 13 a tick of the scan timer (one
//                                    queued before its stop or restart, if any), 14 the session's end
//            < S re-fit to screen S % 10 (the last: a screen without area)
//            = window destroyed    > T mouse tap         ? C T contact tap
//   targets: 0..11 the centre of key T % count, 12 the hide area, 13 the show area,
//            14 U a point off the keys: U % 8 = 1 to 4 beyond the client's left, top, right or bottom
//            edge (as the 16-bit values a captured pointer reports), 5 the client's far corner, else a gap;
//            15 K Q 30 px off the centre of key K % count toward quadrant Q % 4 (overlaps and edges).
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "app/start_options.h"
#include "input/auto_show.h"
#include "input/hover.h"
#include "input/input.h"
#include "input/scan.h"
#include "layout/keytable.h"
#include "layout/options.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"
#include "render/hover_ring.h"
#include "render/scan_marks.h"

namespace {

// The checker stays out of the coverage that guides the fuzzer: its own branches say nothing of the
// paths taken through the keyboard, and counting them at every tick slows every run.
#define CHECKER __attribute__((no_sanitize("coverage")))

// The most keys a generated layout has.
constexpr int KEYS = 12;

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

[[noreturn]] CHECKER void fail(const char* invariant, const std::string& detail = {})
{
    std::fprintf(stderr, "press fuzzer: %s%s%s\n", invariant, detail.empty() ? "" : ": ", detail.c_str());
    std::abort();
}

CHECKER void require(bool condition, const char* invariant)
{
    if (!condition)
        fail(invariant);
}

// The detail is put into words only when the invariant fails: checks run at every tick.
CHECKER void requireOfKey(bool condition, const char* invariant, int key)
{
    if (!condition)
        fail(invariant, "key " + std::to_string(key));
}

CHECKER void requireOfCode(bool condition, const char* invariant, uint16_t code)
{
    if (!condition)
        fail(invariant, fake::keyName(code));
}

// The 1024x600 design, a larger screen, a smaller one, a portrait one, a large tablet's, a tiny one, a
// huge one, two off the origin (a second monitor left of and below the first), and (for a re-fit only)
// a monitor that reports no area, as during a change of display.
constexpr Rect SCREENS[] = {{0, 0, 1024, 600},        {0, 0, 1920, 1080}, {0, 0, 800, 480},     {0, 0, 600, 1024},
                            {0, 0, 2736, 1824},       {0, 0, 40, 24},     {0, 0, 16384, 12288}, {-1280, -200, 0, 824},
                            {1920, 1080, 3200, 1880}, {0, 0, 0, 0}};
constexpr int START_SCREENS = 9;

// The user's repeat settings (delay 0 to 3, speed 0 to 31), the system's defaults first.
constexpr KeyboardRepeatSettings REPEATS[] = {{1, 31}, {0, 0}, {3, 0}, {0, 31}, {2, 15}, {3, 31}, {1, 0}, {0, 15}};

uint8_t codeFor(int choice, int key)
{
    static constexpr uint8_t shared[] = {VK_A, VK_B, VK_LSHIFT, VK_LCONTROL, VK_FN, VK_EXIT};
    if (choice < 6)
        return shared[choice];
    return static_cast<uint8_t>(choice == 6 ? VK_F1 + key : VK_0 + key);
}

void buildLayout(Input& in)
{
    const int count = 1 + in.next(KEYS);
    panelLayout = PANEL_LAYOUT_DEFAULTS;
    const int side = in.next(16);
    panelLayout.dockSide = static_cast<DockSide>(side % 5);
    keymapOptions.panel = side % 10 >= 5 ? PanelCut::Keys : PanelCut::Full;
    keymapOptions.visible = side < 10;
    const Rect screen = SCREENS[in.next(START_SCREENS)];
    const int setting = in.next(16);
    fake::advanceTo(setting & 1 ? 0xFFFFFFFFu - 1500 : 1000);
    fake::setKeyboardRepeat(REPEATS[setting >> 1].delay, REPEATS[setting >> 1].speed);
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
    // As the window starts: slid away if asked, then fitted to its screen where the last slide left it.
    startSlidAwayIfAsked();
    refitPanel(fake::window(), screen);
}

// A client point as the window procedure passes it on: each coordinate as an unsigned 16-bit value.
Point asMessage(int32_t x, int32_t y)
{
    return {x & 0xFFFF, y & 0xFFFF};
}

Point target(Input& in)
{
    const int choice = in.next(16);
    const int count = keyTable ? keyTable->count : 1;
    if (choice == 12 || choice == 13) {
        // The middle of the hide area, or a point beyond the panel on the tab's side.
        const PanelLayout tab = scaledPanelLayout(tabAlongArea(panelLayout, panelArea), panelScale);
        const Size panel = scaledPanelSize(panelScale, panelArea);
        const Point at = panelClientOrigin();
        const int32_t along =
            tab.tabOffset + (panelLayout.dockSide >= DockSide::Right ? tab.tabHeight : tab.tabWidth) / 2;
        const int32_t deep = (panelLayout.dockSide >= DockSide::Right ? tab.tabWidth : tab.tabHeight) / 2;
        const int32_t beyond = choice == 12 ? -deep : deep;
        switch (panelLayout.dockSide) {
        case DockSide::Top: return asMessage(at.x + along, at.y + panel.height + beyond);
        case DockSide::Bottom: return asMessage(at.x + along, at.y - beyond);
        case DockSide::Right: return asMessage(at.x - beyond, at.y + along);
        case DockSide::Left: return asMessage(at.x + panel.width + beyond, at.y + along);
        default: return {5, 5};
        }
    }
    if (choice == 14) {
        switch (in.next(8)) {
        case 1: return asMessage(-30, windowSize.height / 2);
        case 2: return asMessage(windowSize.width / 2, -30);
        case 3: return asMessage(windowSize.width + 30, windowSize.height / 2);
        case 4: return asMessage(windowSize.width / 2, windowSize.height + 30);
        case 5: return {0xFFFF, 0xFFFF};
        default: return panelToClient({5, 5});
        }
    }
    int32_t offX = 0;
    int32_t offY = 0;
    int key = choice;
    if (choice == 15) {
        key = in.next(16);
        const int quadrant = in.next(4);
        offX = quadrant & 1 ? -30 : 30;
        offY = quadrant & 2 ? -30 : 30;
    }
    const KeyRecord& record = keyTable->keys[key % count];
    const Point at = panelToClient({record.centerX + offX, record.centerY + offY});
    return asMessage(at.x, at.y);
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

// Virtual-key codes, one bit each.
using Codes = std::bitset<256>;

enum class EventKind {
    Press,        // a pointer comes down: it may change the key it hits
    RepeatedDown, // a contact already down is reported down again
    Lift,         // a pointer comes up, is canceled or loses its capture
    Tick,         // one of the window's timers ticks
    Bulk,         // hide, session end, destroy, a slide: everything goes up
    Refit,        // the panel fits another screen: nothing is pressed or let go of
    Other,
};

// What the checker remembers of the moment before an event.
struct Before {
    int count; // of keys, at most KEYS
    KeyState states[KEYS];
    HeldCode held[KEYS];
    Press presses[PRESS_SLOTS];
    size_t events;
    Codes typed; // codes that Normal keys held
    int32_t slideStep;
    SlideDirection slideDirection;
    int repeatingKey;
    uint8_t repeatingCode;
    HoverTarget hoverTarget;
    int hoverKey;
    uint32_t hoverStart;
};

CHECKER Codes codesTyped()
{
    Codes typed;
    for (int k = 0; keyTable && k < keyTable->count; ++k) {
        if (keyTable->keys[k].kind == KeyKind::Normal && heldCodes[k].held)
            typed.set(heldCodes[k].code);
    }
    return typed;
}

CHECKER Before snapshot()
{
    Before before{};
    before.count = keyTable ? keyTable->count : 0;
    for (int i = 0; i < before.count; ++i) {
        before.states[i] = keyTable->keys[i].state;
        before.held[i] = heldCodes[i];
    }
    for (int i = 0; i < PRESS_SLOTS; ++i)
        before.presses[i] = presses[i];
    before.events = fake::keyEvents().size();
    before.typed = codesTyped();
    before.slideStep = slideState.step;
    before.slideDirection = slideState.direction;
    before.repeatingKey = keyRepeat.keyIndex;
    before.repeatingCode = keyRepeat.virtualKey;
    before.hoverTarget = hoverState.target;
    before.hoverKey = hoverState.key;
    before.hoverStart = hoverState.start;
    return before;
}

// What one event was, as far as the checker tells them apart.
struct Event {
    EventKind kind;
    uint32_t timer = 0;   // the timer of a tick
    int press = -1;       // the press that came down, of a Press or a RepeatedDown
    uint32_t contact = 0; // the contact reported down again
    int chosen = -1;      // the key the scan's switch typed, of a Press
};

// The checker: what the system holds, and what it remembers between events.
struct Checker {
    Before before;
    Codes down;
    uint32_t typedAt[256] = {};     // the clock at the press that last sent each code down
    uint32_t repeatDelayMs = 0;     // the delay of the user's repeat settings
    bool restingSinceRefit = false; // no slide has started since the last re-fit
    int movesAtRefit = 0;
    bool refitWithin = false; // auto-show fitted the window to another monitor during this event
};

Checker checker;

// The press of a contact, or -1.
CHECKER int pressOfContact(const Press* all, uint32_t contact)
{
    for (int p = MOUSE_PRESS + 1; p <= MAX_CONTACTS; ++p) {
        if (all[p].held && all[p].contact == contact)
            return p;
    }
    return -1;
}

// A Normal key the switch chose goes down and up within its event: by the event's end no key holds
// the code it typed, as a tap's key still does.
CHECKER bool typedByTheSwitch(const Event& event, uint16_t code)
{
    if (event.chosen < 0 || !keyTable || event.chosen >= keyTable->count)
        return false;
    const KeyRecord& key = keyTable->keys[event.chosen];
    return key.kind == KeyKind::Normal && (key.vk == code || key.fnVk == code);
}

// The key events of one event, in order, against the codes held down before it.
CHECKER void checkKeyEvents(const Before& before, const Event& event)
{
    const auto& events = fake::keyEvents();
    const bool pressing = event.kind == EventKind::Press || event.kind == EventKind::RepeatedDown;
    const bool repeatTick = event.kind == EventKind::Tick && event.timer == KEY_REPEAT_TIMER_ID;
    // Hovering types the key the pointer rested on for the hover time, at a tick of its timer.
    const bool hoverTick = event.kind == EventKind::Tick && event.timer == HOVER_TIMER_ID;
    if (hoverTick && events.size() > before.events) {
        require(before.hoverTarget == HoverTarget::Key, "hovering typed with the pointer on no key");
        require(fake::clock() - before.hoverStart + hoverStepMs(keymapOptions.hoverTimeMs) / 2 >=
                    static_cast<uint32_t>(keymapOptions.hoverTimeMs),
                "hovering typed before the hover time");
    }
    int downAgain = 0;
    for (size_t i = before.events; i < events.size(); ++i) {
        const fake::KeyEvent& sent = events[i];
        const bool up = (sent.flags & KEY_EVENT_UP) != 0;
        requireOfCode(sent.virtualKey != 0 && sent.virtualKey != VK_FN && sent.virtualKey != VK_EXIT,
                      "a pseudo key or code 0 went out", sent.virtualKey);
        if (up) {
            requireOfCode(checker.down.test(sent.virtualKey), "a key-up for a code that is not down", sent.virtualKey);
            checker.down.reset(sent.virtualKey);
            continue;
        }
        // Keys go down at a press, and again only as the repeat of the key held longest, a whole
        // delay after its press.
        requireOfCode(pressing || repeatTick || hoverTick, "a key went down without a press", sent.virtualKey);
        if (repeatTick) {
            requireOfCode(before.repeatingKey >= 0 && sent.virtualKey == before.repeatingCode,
                          "a repeat typed another key than the one that repeats", sent.virtualKey);
            requireOfCode(fake::clock() - checker.typedAt[sent.virtualKey] >= checker.repeatDelayMs,
                          "a key repeated before its delay", sent.virtualKey);
        } else {
            checker.typedAt[sent.virtualKey] = fake::clock();
        }
        if (!checker.down.test(sent.virtualKey)) {
            checker.down.set(sent.virtualKey);
            continue;
        }
        // Down again while down: a Normal key typing once more (a repeat, or another key of the same
        // code); never a modifier, and once per press at most.
        // A key typed by hovering, or chosen by the switch, has come up again by the end of its event.
        const bool hoverTyped = hoverTick && keyTable && before.hoverKey >= 0 && before.hoverKey < keyTable->count &&
                                keyTable->keys[before.hoverKey].kind == KeyKind::Normal;
        requireOfCode(before.typed.test(sent.virtualKey) || codesTyped().test(sent.virtualKey) || hoverTyped ||
                          typedByTheSwitch(event, sent.virtualKey),
                      "a code held by a modifier went down twice", sent.virtualKey);
        requireOfCode(repeatTick || ++downAgain == 1, "one press typed twice", sent.virtualKey);
    }
    // A key typed by hovering goes down and up within its tick, as a tap's does; a modifier latches.
    if (hoverTick && keyTable && before.hoverKey >= 0 && before.hoverKey < keyTable->count) {
        const int k = before.hoverKey;
        requireOfKey(keyTable->keys[k].kind == KeyKind::Latching || !heldCodes[k].held || heldByPress(k),
                     "a key typed by hovering stays down", k);
    }
    // A key chosen by the switch is typed once; the scan's own steps type nothing.
    if (event.chosen >= 0 || (event.kind == EventKind::Tick && event.timer == SCAN_TIMER_ID)) {
        int downs = 0;
        for (size_t i = before.events; i < events.size(); ++i)
            downs += (events[i].flags & KEY_EVENT_UP) == 0;
        require(downs <= (event.chosen >= 0 ? 1 : 0), "the scan typed more than the key its switch chose");
    }
    // A contact reported down again on the key it holds is the same press: it types nothing anew.
    if (event.kind == EventKind::RepeatedDown && keyTable) {
        const int was = pressOfContact(before.presses, event.contact);
        const int now = pressOfContact(presses, event.contact);
        if (was >= 0 && now >= 0 && before.presses[was].key >= 0 && presses[now].key == before.presses[was].key)
            require(events.size() == before.events, "a contact reported down again on its key typed it again");
    }
}

// Every generated layout has a key to reach, so the scan runs exactly while it is on and the panel is
// shown and at rest, with one row or one key highlighted.
CHECKER void checkScan()
{
    const bool atRest = slideState.step == 0 && slideState.direction == SlideDirection::Show;
    require(scanState.running == (scanState.on && scanState.panelShown && atRest),
            "the scan runs other than while it is on and the panel shown and at rest");
    require(fake::timerRunning(SCAN_TIMER_ID) == scanState.running, "the scan timer runs exactly while the scan does");
    int marked = 0;
    for (int k = 0; k < keyTable->count; ++k)
        marked += scanMarks[k] != ScanMark::None;
    const ScanRows& rows = scanState.rows;
    const int expected = !scanState.running ? 0
                         : scanState.phase == ScanPhase::Keys
                             ? 1
                             : rows.start[scanState.row + 1] - rows.start[scanState.row];
    require(marked == expected, "the keys highlighted are not the scan's row or key");
}

CHECKER void checkTimers()
{
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
    require(fake::timerRunning(AUTO_SHOW_TIMER_ID) == autoShowState.hidePending &&
                autoShowState.timerRunning == autoShowState.hidePending,
            "the auto-show timer runs exactly while a hide is pending");
    require(!autoShowState.hidePending || slideState.direction == SlideDirection::Show,
            "auto-show would hide a panel that is not shown");
    require(keymapOptions.autoShow != AutoShow::Off || !autoShowState.hidePending,
            "auto-show has work while it is off");
    // Hovering wakes the keyboard only while the pointer rests on a key or the tab, never during a
    // slide, never while it is off; the ring is on the key it rests on, or on none.
    const bool resting = hoverState.target != HoverTarget::None;
    require(fake::timerRunning(HOVER_TIMER_ID) == resting && hoverState.timerRunning == resting,
            "the hover timer runs exactly while the pointer rests on a key or the tab");
    require(!resting || (keymapOptions.hoverTimeMs > 0 && slideState.step == 0),
            "the pointer rests while hovering is off or the panel slides");
    require(hoverRing.key < 0 || (hoverState.target == HoverTarget::Key && hoverRing.key == hoverState.key),
            "the ring lies on a key the pointer does not rest on");
    checkScan();
}

// Whether a press that held `key` before the event holds it still, as the same press.
CHECKER bool stillHeldBySamePress(const Before& before, int p)
{
    const Press& was = before.presses[p];
    const Press& now = presses[p];
    return was.held && now.held && now.key == was.key && now.contact == was.contact && was.key >= 0;
}

CHECKER void checkKeys(const Before& before, const Event& event)
{
    bool layerHeld = false;
    bool latched = false;
    // A key chosen by hovering is pressed as a tap presses it.
    const bool hoverTick = event.kind == EventKind::Tick && event.timer == HOVER_TIMER_ID;
    const int hit = event.press >= 0 && presses[event.press].held ? presses[event.press].key
                    : hoverTick                                   ? before.hoverKey
                                                                  : -1;
    for (int k = 0; k < keyTable->count; ++k) {
        const KeyRecord& key = keyTable->keys[k];
        const bool holdsLayer = heldCodes[k].layer;
        const bool holds = heldCodes[k].held || holdsLayer;
        layerHeld = layerHeld || holdsLayer;
        require(!holdsLayer || key.state != KeyState::Up, "a key holds the Fn layer but shows Up");
        if (key.kind == KeyKind::Latching) {
            requireOfKey(key.state != KeyState::Up || !holds, "a modifier shown Up holds a code", k);
            latched = latched || key.state != KeyState::Up;
        } else {
            requireOfKey((key.state == KeyState::Down) == holds, "a Normal key is Down exactly while it holds", k);
        }
        const KeyState was = k < before.count ? before.states[k] : KeyState::Up;
        // A key the switch typed goes down and up within its event, as a tap does, unless the mouse or
        // a finger holds it too; only a modifier stays latched or locked.
        if (k == event.chosen && key.kind == KeyKind::Normal && !heldByPress(k))
            requireOfKey(!heldCodes[k].held || before.held[k].held, "a key the switch typed is left held", k);
        // A Locked key stays locked until it is tapped, or everything is let go of.
        if (event.kind != EventKind::Bulk && k != hit && k != event.chosen)
            requireOfKey(was != KeyState::Locked || key.state == KeyState::Locked,
                         "a locked key unlocked without a press on it", k);
        if (event.kind == EventKind::RepeatedDown)
            requireOfKey(key.state != KeyState::Locked || was == KeyState::Locked,
                         "a contact reported down again locked a key", k);
    }
    require(layerHeld == (fnLayer == 1), "the Fn layer is on exactly while a key holds it");
    if (event.kind == EventKind::Refit) {
        require(fake::keyEvents().size() == before.events, "a re-fit sent a key event");
        for (int k = 0; k < keyTable->count; ++k)
            requireOfKey(keyTable->keys[k].state == before.states[k], "a re-fit changed a key", k);
    }
    if (event.kind == EventKind::Bulk || event.kind == EventKind::Refit)
        return;
    for (int p = 0; p <= MAX_CONTACTS; ++p) {
        if (!stillHeldBySamePress(before, p) || p == event.press)
            continue;
        const int k = before.presses[p].key;
        // A key goes up with the last press that holds it: a lift or a tick never lets go of a key
        // that a press still holding it put down, and another press never lets go of the code a press
        // holds on an ordinary key.
        // A hover tick that types is a press of its own, which may change a key as a tap on it does.
        if (event.kind == EventKind::Lift || (event.kind == EventKind::Tick && !hoverTick))
            requireOfKey(before.states[k] == KeyState::Up || keyTable->keys[k].state != KeyState::Up,
                         "a key went up while a press still holds it", k);
        if (keyTable->keys[k].kind == KeyKind::Normal)
            requireOfKey(!before.held[k].held || heldCodes[k].held, "another press let go of a key a press holds", k);
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
        require(checker.down.none(), "keys held with no press, no modifier and no layer");
}

CHECKER void checkState(const Before& before, const Event& event)
{
    if (!keyTable) {
        require(checker.down.none(), "keys held after the window's end");
        require(!fake::timerRunning(SLIDE_TIMER_ID) && !fake::timerRunning(KEY_REPEAT_TIMER_ID) &&
                    !fake::timerRunning(FOLLOW_UP_TIMER_ID) && !fake::timerRunning(HOVER_TIMER_ID),
                "a timer runs after the window's end");
        return;
    }
    // The fake system holds exactly what the record says the panel holds.
    Codes recorded;
    for (int k = 0; k < keyTable->count; ++k) {
        if (heldCodes[k].held && heldCodes[k].code != 0)
            recorded.set(heldCodes[k].code);
    }
    for (int k = keyTable->count; event.kind == EventKind::Bulk && k < MAX_KEYS; ++k)
        require(!heldCodes[k].held && !heldCodes[k].layer, "a code held for a key beyond the table");
    require(recorded == checker.down, "the system holds other codes than the panel records");
    checkTimers();
    for (int p = 1; p <= MAX_CONTACTS; ++p) {
        for (int q = p + 1; q <= MAX_CONTACTS; ++q)
            require(!presses[p].held || !presses[q].held || presses[p].contact != presses[q].contact,
                    "one contact holds two presses");
    }
    // The mouse's release may be lost on its way, but the next slide tick notices the button up.
    if (event.kind == EventKind::Tick && event.timer == SLIDE_TIMER_ID)
        require(fake::pointerButton() || !presses[MOUSE_PRESS].held, "a press held after its button came up");
    // A re-fit leaves the panel at rest where the fit puts it, until a new slide starts.
    if (event.kind == EventKind::Refit) {
        checker.restingSinceRefit = slideState.step == 0;
        checker.movesAtRefit = fake::windowMoves();
        require(checker.restingSinceRefit, "a slide goes on after a re-fit");
    } else if (checker.refitWithin) {
        // A slide that runs after it began after it: the re-fit ended any before.
        checker.restingSinceRefit = slideState.step == 0;
        checker.movesAtRefit = fake::windowMoves();
    } else if (before.slideStep == 0 && slideState.step != 0) {
        checker.restingSinceRefit = false;
    } else if (checker.restingSinceRefit) {
        require(fake::windowMoves() == checker.movesAtRefit, "the panel moved after a re-fit without a slide");
    }
    checkKeys(before, event);
}

// Checks one event against the moment before it, and remembers the moment after it for the next.
CHECKER void check(Event event)
{
    // A press on the dock tab starts a slide, which lets go of everything first; so does auto-show's
    // slide off the screen.
    const bool slideStarted = checker.before.slideStep == 0 && slideState.step != 0;
    const bool hoverTick = event.kind == EventKind::Tick && event.timer == HOVER_TIMER_ID;
    if ((event.kind == EventKind::Press || event.kind == EventKind::RepeatedDown || hoverTick) && slideStarted)
        event.kind = EventKind::Bulk;
    const bool hideStarted = slideState.direction == SlideDirection::Hide && slideState.step != 0 &&
                             (slideStarted || checker.before.slideDirection == SlideDirection::Show);
    if (hideStarted)
        event.kind = EventKind::Bulk;
    checkKeyEvents(checker.before, event);
    checkState(checker.before, event);
    checker.before = snapshot();
    checker.refitWithin = false;
}

PlatformWindow* const window = fake::window();

// Every timer tick is an event of its own, checked as it happens.
void tick(PlatformWindow* ticked, uint32_t id)
{
    onWindowTimer(ticked, id);
    check({EventKind::Tick, id});
}

// The window's end as the window procedure runs it, without the parts that are not input's.
void tearDown(PlatformWindow* destroyed)
{
    releaseEverything(destroyed);
    freeKeyTable();
}

void pressMouse(Point at)
{
    fake::setPointerButton(true);
    handlePointerPress(window, at.x, at.y);
    check({EventKind::Press, 0, MOUSE_PRESS});
}

void liftMouse(Point at)
{
    fake::setPointerButton(false);
    handlePointerRelease(window, at.x, at.y);
    check({EventKind::Lift});
}

void contactDown(std::set<uint32_t>& contactsDown, uint32_t contact, Point at)
{
    const bool again = !contactsDown.insert(contact).second;
    handleContactMessage(window, ContactMessage::Down, contact, false, at.x, at.y);
    const int press = keyTable ? pressOfContact(presses, contact) : -1;
    check({again ? EventKind::RepeatedDown : EventKind::Press, 0, press, contact});
}

void contactMessage(std::set<uint32_t>& contactsDown, uint32_t contact, ContactMessage message, bool canceled)
{
    if (message != ContactMessage::Update || canceled)
        contactsDown.erase(contact);
    handleContactMessage(window, message, contact, canceled, 0, 0);
    check({EventKind::Lift});
}

// The hover times a run may set, off first.
constexpr int32_t HOVER_TIMES[] = {0, 300, 500, 800, 1000, 1500, 3000, 5000};

// The mouse pointer's moves: nothing goes down or up before the pointer has rested its time.
void movePointer(Point at)
{
    const size_t events = fake::keyEvents().size();
    hoverPointerMove(window, at.x, at.y);
    require(fake::keyEvents().size() == events, "a move of the pointer sent a key event");
    check({EventKind::Other});
}

// The key the switch types now, or -1 when it would pick a row or do nothing.
int keyTheSwitchTypes()
{
    if (!scanState.running || scanState.phase != ScanPhase::Keys || !scanState.on || slideState.step != 0)
        return -1;
    const ScanRows& rows = scanState.rows;
    const int length = rows.start[scanState.row + 1] - rows.start[scanState.row];
    return rows.order[rows.start[scanState.row] + scanState.step % length];
}

void scanEvent(Input& in, int what)
{
    switch (what) {
    case 10: setScanning(window, !scanState.on); break;
    case 11: keymapOptions.scanTimeMs = 300 + 200 * in.next(16); break;
    case 12:
        // As the menu's Visible does: nothing stays pressed behind a hidden panel.
        if (scanState.panelShown) {
            releaseEverything(window);
            setScanPanelShown(window, false);
            check({EventKind::Bulk});
            return;
        }
        setScanPanelShown(window, true);
        break;
    case 13:
        if (!fake::deliverStaleTick(SCAN_TIMER_ID) && fake::timerRunning(SCAN_TIMER_ID))
            tick(window, SCAN_TIMER_ID);
        return;
    case 14:
        setScanning(window, false);
        releaseEverything(window);
        check({EventKind::Bulk});
        return;
    default: {
        const int chosen = keyTheSwitchTypes();
        scanSwitch(window);
        if (keyTable && chosen >= 0)
            require(scanState.phase == ScanPhase::Rows && scanState.row == 0,
                    "the scan did not start again at the first row after a key");
        check({EventKind::Press, 0, -1, 0, chosen});
        return;
    }
    }
    check({EventKind::Other});
}

// A key or the tab chosen without a press: sub-ops 0 to 7 are hovering's, 8 to 15 scanning's.
void selectionEvent(Input& in, Point& mouseAt)
{
    const int what = in.next(16);
    const uint32_t hoverTime = static_cast<uint32_t>(keymapOptions.hoverTimeMs);
    switch (what) {
    case 0: movePointer(mouseAt = target(in)); break;
    case 1: {
        const int dx = in.next(16) - 7;
        const int dy = in.next(16) - 7;
        movePointer(mouseAt = {mouseAt.x + dx, mouseAt.y + dy});
        break;
    }
    case 2:
        hoverPointerLeave(window);
        check({EventKind::Other});
        break;
    case 3:
        setHoverTime(window, HOVER_TIMES[in.next(8)]);
        check({EventKind::Other});
        break;
    case 4: tick(window, HOVER_TIMER_ID); break;
    case 5: fake::advanceTo(fake::clock() + hoverTime); break;
    case 6:
        movePointer(mouseAt = target(in));
        pressMouse(mouseAt);
        if (keyTable)
            liftMouse(mouseAt);
        break;
    case 7:
        movePointer(mouseAt = target(in));
        fake::advanceTo(fake::clock() + hoverTime + hoverStepMs(keymapOptions.hoverTimeMs) + 1);
        break;
    default: scanEvent(in, what); break;
    }
}

// The text field of the focus changes, on the screen.
constexpr Rect FIELD = {100, 100, 300, 200};

// The window re-fits to the monitor auto-show asks for, as at a change of display.
void fitWindow(PlatformWindow* fitted, const Rect& screen)
{
    refitPanel(fitted, screen);
    checker.refitWithin = true;
}

void autoShowEvent(Input& in, Point& mouseAt)
{
    const int what = in.next(8);
    const uint32_t now = fake::clock();
    switch (what) {
    case 1: {
        const int u = in.next(16);
        const Point at = u & 2 ? Point{150, 150} : Point{900, 50};
        autoShowUserPress(window, {u & 1 ? PointerKind::TouchOrPen : PointerKind::Mouse, at, now});
        break;
    }
    case 2:
    case 3: {
        const int u = in.next(16);
        autoShowFocusChange(window, {what == 2, u & 1 ? FIELD : Rect{}, SCREENS[(u >> 1) % 10], now});
        break;
    }
    case 4: autoShowHardwareKey(window); break;
    case 5: tick(window, AUTO_SHOW_TIMER_ID); return;
    case 6: setAutoShow(window, static_cast<AutoShow>(in.next(3))); break;
    case 0: selectionEvent(in, mouseAt); return;
    default: slidePanelIntoView(window); break;
    }
    check({EventKind::Other});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fake::reset();
    fake::recordCalls(false);
    resetInput();
    resetPlacement();
    if (!resetLayout())
        return 0;
    fake::onTimer(tick);
    fake::onCaptureLost(handlePointerCaptureLost);
    fake::onDestroy(tearDown);
    fake::onFit(fitWindow);
    Input in{data, size};
    checker = Checker{};
    buildLayout(in);
    checker.repeatDelayMs = keyRepeatDelayMs(platformKeyboardRepeatSettings().delay);
    checker.before = snapshot();

    std::set<uint32_t> contactsDown;
    Point mouseAt = {0, 0};
    while (!in.done() && keyTable) {
        const int op = in.next(16);
        switch (op) {
        case 0: pressMouse(mouseAt = target(in)); break;
        case 14:
            pressMouse(mouseAt = target(in));
            if (keyTable)
                liftMouse(mouseAt);
            break;
        case 1: liftMouse(mouseAt); break;
        case 2:
            fake::takeCaptureAway();
            check({EventKind::Lift});
            break;
        case 3: fake::setPointerButton(false); break;
        case 4: {
            const uint32_t contact = 1 + static_cast<uint32_t>(in.next(12));
            contactDown(contactsDown, contact, target(in));
            break;
        }
        case 15: {
            const uint32_t contact = 1 + static_cast<uint32_t>(in.next(12));
            contactDown(contactsDown, contact, target(in));
            if (keyTable)
                contactMessage(contactsDown, contact, ContactMessage::Up, false);
            break;
        }
        case 5: contactMessage(contactsDown, 1 + static_cast<uint32_t>(in.next(12)), ContactMessage::Up, false); break;
        case 6: {
            const uint32_t contact = 1 + static_cast<uint32_t>(in.next(12));
            static constexpr ContactMessage messages[] = {ContactMessage::Update, ContactMessage::Update,
                                                          ContactMessage::CaptureLost, ContactMessage::Down};
            const int m = in.next(4);
            contactMessage(contactsDown, contact, messages[m], m % 2 == 1);
            break;
        }
        case 7:
        case 8: {
            const int d = in.next(16);
            fake::advanceTo(fake::clock() + static_cast<uint32_t>(op == 7 ? 10 + 40 * d : 1000 + 200 * d));
            break;
        }
        case 9: {
            const auto id = static_cast<uint32_t>(1 + in.next(3));
            if (id == KEY_REPEAT_TIMER_ID)
                fake::deliverStaleTick(id);
            else
                tick(window, id);
            break;
        }
        case 10:
            releaseEverything(window);
            check({EventKind::Bulk});
            break;
        case 11: autoShowEvent(in, mouseAt); break;
        case 12:
            // A screen without area keeps the last fit, and whatever moves goes on.
            check({refitPanel(window, SCREENS[in.next(10)]) ? EventKind::Refit : EventKind::Other});
            break;
        case 13:
            platformDestroyWindow(window);
            check({EventKind::Bulk});
            break;
        default: break;
        }
    }
    if (keyTable) {
        platformDestroyWindow(window);
        check({EventKind::Bulk});
    }
    return 0;
}
