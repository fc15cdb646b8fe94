// The fixture of the input tests: a real key table, the recording fake as the system, and scripts of
// timed taps whose key events come out as one compact line.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/case_name.h"
#include "layout/keytable.h"

// One key of a custom table; a Normal key sends `vk` in both layers unless given an fnVk.
KeyRecord makeKey(KeyKind kind, int16_t x, int16_t y, const char16_t* label, uint8_t vk, int fnVk = -1,
                  int16_t angle = 0, int16_t width = 70, int16_t height = 86);

class InputFixture : public testing::Test {
protected:
    // The built-in layout, docked Top with the default tab, a caption of 19 pixels, the clock at 0.
    void SetUp() override;
    // Every test ends with nothing held in the system but what it names in `held`, the pointer free,
    // no repeat running, the Fn layer shown on the panel exactly while it is on, and, once no press is
    // held and a slide has had time to end, no timer running.
    void TearDown() override;

    // Replaces the table by these keys (the built-in layout when empty).
    static void useKeys(const std::vector<KeyRecord>& keys);
    // Docks the panel and places the window as window creation does, the panel cut to the keys when
    // keymapOptions asks for it.
    static void dock(const PanelLayout& layout);

    // Runs a script of comma-separated steps and gives the key events they caused, comma-separated:
    //   "tap K @T"  press and release on K at time T     "press K @T"  press only
    //   "release @T"  the button comes up               "lose capture @T"  another window takes it
    //   "wait @T"  time passes (timers tick)
    //   "down#C K @T"  touch or pen contact C lands on K  "up#C @T"  it lifts
    //   "cancel#C @T"  the system cancels it             "choose K @T"  hovering or the switch types K
    //   "hover K @T"  the mouse pointer moves onto K       "leave @T"  it leaves the panel
    // K is a key's first legend (the first key so labelled), "#N" the key at index N, or "X:Y" a
    // client point; "K~D" lies D pixels right of K's centre. With `oneFinger` the mouse steps are made by contact 1
    // instead (a capture lost is then the contact's). After the window is destroyed, pointer steps have no window to go
    // to.
    static std::string run(const std::string& script, bool oneFinger = false);
    // The recorded calls from index `from` on, comma-separated; only those starting with one of
    // `kinds` when it is not empty.
    static std::string calls(size_t from, const std::vector<std::string>& kinds = {});

    std::vector<std::string> held; // keys the test means to leave down, in code order
    bool pointerStaysCaptured = false;
};
