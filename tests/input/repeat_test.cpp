// Hold to repeat: a held Normal key sends further key-downs at the user's delay and rate, and only then.
#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/vkeynames.h"

namespace {

constexpr KeyKind N = KeyKind::Normal;
constexpr KeyKind L = KeyKind::Latching;

const std::vector<KeyRecord> normalFnKey = {makeKey(N, 100, 100, u"FnN", VK_FN)};
const std::vector<KeyRecord> latchingExit = {makeKey(L, 100, 100, u"Exit", VK_EXIT), makeKey(N, 200, 100, u"A", 0x41)};

struct RepeatCase {
    const char* name;
    std::vector<KeyRecord> keys;
    const char* script; // with the system's default settings: a delay of 500 ms, a period of 33 ms
    const char* events;
};

void PrintTo(const RepeatCase& c, std::ostream* out)
{
    *out << c.name;
}

class Repeat : public InputFixture, public testing::WithParamInterface<RepeatCase> {};

TEST_P(Repeat, SendsExactlyTheseEvents)
{
    useKeys(GetParam().keys);
    EXPECT_EQ(run(GetParam().script), GetParam().events);
}

TEST_P(Repeat, OneFingerSendsTheSameEvents)
{
    useKeys(GetParam().keys);
    EXPECT_EQ(run(GetParam().script, true), GetParam().events);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, Repeat,
    testing::Values(
        RepeatCase{"tapShorterThanTheDelayIsATap", {}, "press A @1000, release @1499", "down A, up A"},
        RepeatCase{"holdOfTheDelayAndThreePeriods", {}, "press A @1000, release @1599",
                   "down A, down A, down A, down A, up A"},
        RepeatCase{"latchedShiftStaysDownThroughTheRepeats", {}, "tap Shift @1000, press A @2000, release @2599",
                   "down LSHIFT, down A, down A, down A, down A, up A, up LSHIFT"},
        RepeatCase{"fnLayerKeyRepeatsItsSecondKey", {}, "tap Fn @1000, press Del @2000, release @2540",
                   "down BACK, down BACK, down BACK, up BACK"},
        RepeatCase{"modifiersNeverRepeat", {}, "press Shift @1000, release @3000, tap A @4000",
                   "down LSHIFT, down A, up A, up LSHIFT"},
        RepeatCase{"fnKeysNeverRepeat", {}, "press Fn @1000, release @3000, tap 1 @4000, tap Fn @5000",
                   "down F1, up F1"},
        RepeatCase{"normalFnKeyNeverRepeats", normalFnKey, "press FnN @1000, release @3000", ""},
        RepeatCase{"latchingExitKeyNeverRepeats", latchingExit, "tap A @1000, press Exit @1200, release @3000",
                   "down A, up A"},
        RepeatCase{"captureLossStopsIt", {}, "press A @1000, lose capture @1550, wait @3000, release @3100",
                   "down A, down A, down A, up A"},
        RepeatCase{"slideStartStopsIt", {}, "press A @1000, press 540:570 @1550, wait @3000, release @3100",
                   "down A, down A, down A, up A"}),
    CaseName());
// clang-format on

// The most recent key still held repeats, as on a physical keyboard; its finger's lift stops it.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Contacts, Repeat,
    testing::Values(
        RepeatCase{"handedOverToTheNextFinger", {}, "down#1 A @1000, down#2 S @1300, wait @1900, up#2 @1950, "
                                                     "wait @2600, up#1 @2700",
                   "down A, down S, down S, down S, down S, down S, down S, up S, up A"},
        RepeatCase{"goesOnWhenTheEarlierFingerLifts", {}, "down#1 A @1000, down#2 S @1300, up#1 @1400, wait @1850, "
                                                           "up#2 @1860",
                   "down A, down S, up A, down S, down S, up S"}),
    CaseName());
// clang-format on

class KeyRepeat : public InputFixture {};

TEST_F(KeyRepeat, FollowsTheUsersSettingsReadAtTheStart)
{
    fake::setKeyboardRepeat(3, 0);
    EXPECT_EQ(run("press A @1000, release @2900"), "down A, down A, down A, down A, up A");
    EXPECT_EQ(calls(0, {"repeat", "timer 2"}), "repeat settings, timer 2 start 990, timer 2 start 400, timer 2 stop");
}

TEST_F(KeyRepeat, MapsTheSettingsAsTheSystemDocuments)
{
    struct Case {
        int32_t setting;
        uint32_t delayMs;
        uint32_t periodMs;
    };
    for (const Case& c : {Case{-1, 250, 400}, Case{0, 250, 400}, Case{1, 500, 295}, Case{3, 1000, 193},
                          Case{15, 1000, 63}, Case{31, 1000, 33}, Case{32, 1000, 33}}) {
        EXPECT_EQ(keyRepeatDelayMs(c.setting), c.delayMs) << c.setting;
        EXPECT_EQ(keyRepeatPeriodMs(c.setting), c.periodMs) << c.setting;
    }
}

TEST_F(KeyRepeat, IgnoresATickLeftOverFromAnEarlierTimer)
{
    run("tap B @900, press A @1000");
    advanceKeyRepeat(fake::window());
    EXPECT_EQ(run("release @1100"), "up A");
    EXPECT_EQ(calls(0, {"down", "up"}), "down B, up B, down A, up A");
    advanceKeyRepeat(fake::window());
    EXPECT_EQ(calls(0, {"down", "up"}), "down B, up B, down A, up A") << "a tick after the stop";
}

TEST_F(KeyRepeat, WindowDestructionStopsItFirst)
{
    run("press A @1000, wait @1600");
    const size_t from = fake::calls().size();
    platformDestroyWindow(fake::window());
    EXPECT_EQ(calls(from, {"destroy", "timer", "down", "up A"}), "destroy, timer 2 stop, up A, timer 1 stop")
        << "the key the pointer holds goes up with the window";
    EXPECT_EQ(run("wait @3000"), "");
}

} // namespace
