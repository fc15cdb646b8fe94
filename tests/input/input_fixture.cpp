// The input fixture: key tables, the window that routes the fake system's messages, and the script runner.
#include "input_fixture.h"

#include <sstream>

#include "fake/fake_platform.h"
#include "support/test_keys.h"
#include "input/hover.h"
#include "input/input.h"
#include "layout/default_layout.h"
#include "layout/u16text.h"
#include "render/geometry.h"
#include "layout/keytable.h"
#include "layout/options.h"

namespace {

// The window's end as the window procedure runs it, without the parts that are not input's.
void tearDownWindow(PlatformWindow* window)
{
    releaseEverything(window);
    freeKeyTable();
}

int keyIndex(const std::string& name)
{
    const int count = keyTable->count;
    int index = -1;
    if (name[0] == '#' && name.size() > 1) {
        index = std::stoi(name.substr(1));
    } else {
        for (int i = 0; i < count && index < 0; ++i) {
            if (utf16ToUtf8(keyTable->keys[i].label) == name)
                index = i;
        }
    }
    if (index < 0 || index >= count)
        ADD_FAILURE() << "no key " << name;
    return index < 0 || index >= count ? -1 : index;
}

Point target(const std::string& name)
{
    // "K~D": D pixels right of K's centre.
    if (const size_t tilde = name.find('~'); tilde != std::string::npos && tilde > 0) {
        const Point at = target(name.substr(0, tilde));
        return {at.x + std::stoi(name.substr(tilde + 1)), at.y};
    }
    if (const size_t colon = name.find(':'); colon != std::string::npos)
        return {std::stoi(name.substr(0, colon)), std::stoi(name.substr(colon + 1))};
    const int index = keyIndex(name);
    if (index < 0)
        return {-1, -1};
    const KeyRecord& key = keyTable->keys[index];
    return panelToClient({key.centerX, key.centerY});
}

} // namespace

KeyRecord makeKey(KeyKind kind, int16_t x, int16_t y, const char16_t* label, uint8_t vk, int fnVk, int16_t angle,
                  int16_t width, int16_t height)
{
    KeyRecord key = testKey(x, y, width, height, angle, label);
    key.kind = kind;
    key.vk = vk;
    key.fnVk = fnVk < 0 ? vk : static_cast<uint8_t>(fnVk);
    return key;
}

void InputFixture::SetUp()
{
    fake::reset();
    resetInput();
    fake::onTimer(onWindowTimer);
    fake::onCaptureLost(handlePointerCaptureLost);
    fake::onDestroy(tearDownWindow);
    ASSERT_TRUE(resetLayout());
    installDefaultLayout(*keyTable);
    resetPlacement();
    clientOffset = 19;
    dock(PANEL_LAYOUT_DEFAULTS);
}

void InputFixture::TearDown()
{
    EXPECT_EQ(fake::keysHeld(), held) << "keys left down in the system";
    EXPECT_EQ(fake::captured(), pointerStaysCaptured) << "pointer capture at the end";
    EXPECT_FALSE(fake::timerRunning(KEY_REPEAT_TIMER_ID)) << "a key still repeats";
    // Once a press is let go of and a slide has ended, nothing wakes the keyboard.
    if (!presses[MOUSE_PRESS].held && !fake::destroyed()) {
        fake::advanceTo(fake::clock() + SLIDE_TIMER_MS * (SLIDE_STEPS + 2));
        for (uint32_t id :
             {SLIDE_TIMER_ID, KEY_REPEAT_TIMER_ID, FOLLOW_UP_TIMER_ID, AUTO_SHOW_TIMER_ID, HOVER_TIMER_ID})
            EXPECT_FALSE(fake::timerRunning(id)) << "timer " << id << " runs at idle";
    }
    bool layerShown = false;
    for (int i = 0; keyTable && i < keyTable->count; ++i)
        layerShown = layerShown || (holdsFnLayer(i) && keyTable->keys[i].state != KeyState::Up);
    if (keyTable) {
        EXPECT_EQ(layerShown, fnLayer == 1) << "the panel shows the Fn layer exactly while it is on";
    }
    freeKeyTable();
}

void InputFixture::useKeys(const std::vector<KeyRecord>& keys)
{
    if (keys.empty()) {
        installDefaultLayout(*keyTable);
        return;
    }
    *keyTable = KeyTable{};
    for (const KeyRecord& key : keys)
        keyTable->keys[keyTable->count++] = key;
}

void InputFixture::dock(const PanelLayout& layout)
{
    panelLayout = layout;
    panelArea = computePanelArea(keyTable, layout, keymapOptions.panel);
    const PanelShape shape = computePanelShape(layout, clientOffset, UNIT_SCALE, panelArea);
    windowSize = shape.size;
    windowOrigin = shape.origin;
}

std::string InputFixture::run(const std::string& script, bool oneFinger)
{
    const size_t from = fake::calls().size();
    PlatformWindow* window = fake::window();
    Point last = {0, 0};
    std::stringstream steps(script);
    std::string step;
    while (std::getline(steps, step, ',')) {
        std::vector<std::string> words;
        std::stringstream split(step);
        for (std::string word; split >> word;)
            words.push_back(word);
        if (words.size() < 2 || words.back()[0] != '@') {
            ADD_FAILURE() << "step without a time: " << step;
            continue;
        }
        fake::advanceTo(static_cast<uint32_t>(std::stoul(words.back().substr(1))));
        const size_t hash = words[0].find('#');
        const std::string verb = words[0].substr(0, hash);
        const uint32_t contact =
            hash == std::string::npos ? 1 : static_cast<uint32_t>(std::stoul(words[0].substr(hash + 1)));
        const bool finger = hash != std::string::npos || oneFinger;
        if (verb != "tap" && verb != "press" && verb != "release" && verb != "lose" && verb != "wait" &&
            verb != "down" && verb != "up" && verb != "cancel" && verb != "choose" && verb != "hover" &&
            verb != "leave")
            ADD_FAILURE() << "unknown step: " << step;
        if (verb == "wait")
            continue;
        if (verb == "lose" && !finger) {
            fake::takeCaptureAway();
            continue;
        }
        if (fake::destroyed())
            continue;
        if (verb == "hover") {
            const Point at = target(words[1]);
            hoverPointerMove(window, at.x, at.y);
            continue;
        }
        if (verb == "leave") {
            hoverPointerLeave(window);
            continue;
        }
        if (verb == "choose") {
            typeSelectedKey(window, keyIndex(words[1]));
            continue;
        }
        const bool pressing = verb == "tap" || verb == "press" || verb == "down";
        if (pressing) {
            last = target(words[1]);
            if (finger)
                handleContactDown(window, contact, last.x, last.y);
            else
                handlePointerPress(window, last.x, last.y);
        }
        if (fake::destroyed() || (pressing && verb != "tap"))
            continue;
        if (finger)
            handleContactUp(window, contact);
        else
            handlePointerRelease(window, last.x, last.y);
    }
    return calls(from, {"down", "up"});
}

std::string InputFixture::calls(size_t from, const std::vector<std::string>& kinds)
{
    std::string joined;
    const std::vector<std::string>& all = fake::calls();
    for (size_t i = from; i < all.size(); ++i) {
        const std::string& call = all[i];
        bool wanted = kinds.empty();
        for (const std::string& kind : kinds)
            wanted = wanted || call == kind || call.starts_with(kind + " ");
        if (wanted)
            joined += (joined.empty() ? "" : ", ") + call;
    }
    return joined;
}
