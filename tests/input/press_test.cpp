// The press and release state machine, driven by timed taps and judged by the exact key events sent.
#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/vkeynames.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

constexpr KeyKind N = KeyKind::Normal;
constexpr KeyKind L = KeyKind::Latching;
constexpr uint8_t VK_A = 0x41;
constexpr uint8_t VK_X = 0x58;
constexpr uint8_t VK_Y = 0x59;
constexpr uint8_t VK_LSHIFT = 0xA0;
constexpr uint8_t VK_LCONTROL = 0xA2;

// A Normal key bound to VK_FN in both layers beside a modifier and a key with two layers.
const std::vector<KeyRecord> normalFnKey = {makeKey(N, 100, 100, u"FnN", VK_FN),
                                            makeKey(L, 200, 100, u"Shift", VK_LSHIFT),
                                            makeKey(N, 300, 100, u"X", VK_X, VK_Y)};
// A modifier and a letter whose Fn-layer code is VK_FN, beside an Fn key.
const std::vector<KeyRecord> modifierWithFnCode = {
    makeKey(L, 100, 100, u"Mod", VK_LSHIFT, VK_FN), makeKey(L, 200, 100, u"Fn", VK_FN),
    makeKey(N, 300, 100, u"X", VK_X, VK_FN), makeKey(N, 400, 100, u"A", VK_A)};
// An Exit key that latches.
const std::vector<KeyRecord> latchingExit = {makeKey(L, 100, 100, u"Exit", VK_EXIT), makeKey(N, 200, 100, u"A", VK_A),
                                             makeKey(L, 300, 100, u"Shift", VK_LSHIFT)};
// Two modifiers overlapping between x 105 and 134: Shift takes presses there, Ctrl is alone from 135.
const std::vector<KeyRecord> overlapping = {makeKey(L, 100, 100, u"Shift", VK_LSHIFT),
                                            makeKey(L, 140, 100, u"Ctrl", VK_LCONTROL),
                                            makeKey(N, 300, 100, u"A", VK_A)};
// Two modifiers overlapping between x 305 and 334, the second one's Fn-layer code VK_FN, beside an Fn key
// and a key with two layers.
const std::vector<KeyRecord> lockedOnTheLayer = {
    makeKey(L, 100, 100, u"Fn", VK_FN), makeKey(L, 300, 100, u"Shift", VK_LSHIFT),
    makeKey(L, 340, 100, u"Mod", VK_LCONTROL, VK_FN), makeKey(N, 500, 100, u"A", VK_A, VK_X)};
// A key turned by 45 degrees over an upright one of the same size: the turned key's corners are
// (130, 200), (200, 130), (270, 200), (200, 270), and its edges go to the key below.
const std::vector<KeyRecord> turned = {makeKey(N, 200, 200, u"A", VK_A, -1, 450, 100, 100),
                                       makeKey(N, 200, 200, u"B", 0x42, -1, 0, 100, 100)};

struct ScriptCase {
    const char* name;
    std::vector<KeyRecord> keys; // the built-in layout when empty
    const char* script;
    const char* events;
};

void PrintTo(const ScriptCase& c, std::ostream* out)
{
    *out << c.name;
}

class PressScript : public InputFixture, public testing::WithParamInterface<ScriptCase> {};

TEST_P(PressScript, SendsExactlyTheseEvents)
{
    useKeys(GetParam().keys);
    EXPECT_EQ(run(GetParam().script), GetParam().events);
}

TEST_P(PressScript, OneFingerSendsTheSameEvents)
{
    useKeys(GetParam().keys);
    EXPECT_EQ(run(GetParam().script, true), GetParam().events);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    BuiltIn, PressScript,
    testing::Values(
        ScriptCase{"tapA", {}, "tap A @1000", "down A, up A"},
        ScriptCase{"gapSendsNothingAndKeepsTheLastPressTime", {},
                   "tap A @1000, tap 5:5 @1600, tap Shift @1700, tap B @2500",
                   "down A, up A, down LSHIFT, down B, up B, up LSHIFT"},
        ScriptCase{"shiftThenA", {}, "tap Shift @1000, tap A @2000", "down LSHIFT, down A, up A, up LSHIFT"},
        ScriptCase{"latchedModifiersGoUpInTableOrder", {}, "tap Shift @1000, tap Ctrl @2000, tap C @3000",
                   "down LSHIFT, down LCONTROL, down C, up C, up LCONTROL, up LSHIFT"},
        ScriptCase{"secondSlowTapUnlatches", {}, "tap Shift @1000, tap Shift @2000, tap A @3000",
                   "down LSHIFT, up LSHIFT, down A, up A"},
        ScriptCase{"doubleTapLocksUntilTheNextSlowTap", {},
                   "tap Shift @1000, tap Shift @1200, tap A @2000, tap B @3000, tap Shift @4000",
                   "down LSHIFT, down A, up A, down B, up B, up LSHIFT"},
        ScriptCase{"quickTapOnALockedKeyKeepsItLocked", {},
                   "tap Shift @1000, tap Shift @1200, tap Shift @1400, tap A @2000, tap Shift @3000",
                   "down LSHIFT, down A, up A, up LSHIFT"},
        ScriptCase{"exactly500MsIsNotQuick", {}, "tap Shift @1000, tap Shift @1500, tap B @2500",
                   "down LSHIFT, up LSHIFT, down B, up B"},
        ScriptCase{"499MsIsQuick", {}, "tap Shift @1000, tap Shift @1499, tap B @2500, tap Shift @3000",
                   "down LSHIFT, down B, up B, up LSHIFT"},
        // Only a second tap on the same key locks: a typist's Shift right after a letter latches.
        ScriptCase{"quickTapAfterALetterIsAnOrdinaryTap", {}, "tap A @1000, tap Shift @1300, tap B @1600, tap C @2500",
                   "down A, up A, down LSHIFT, down B, up B, up LSHIFT, down C, up C"},
        ScriptCase{"quickTapAfterTheOtherShiftIsAnOrdinaryTap", {},
                   "tap Shift @1000, tap #50 @1200, tap B @1400",
                   "down LSHIFT, down RSHIFT, down B, up B, up LSHIFT, up RSHIFT"},
        // A key shown Locked is held: the lock from Up sends the key-down the tap would have sent.
        ScriptCase{"lockFromUpHoldsTheKey", {}, "tap Shift @1000, tap Shift @2000, tap Shift @2200, tap A @3000, "
                                                "tap Shift @4000",
                   "down LSHIFT, up LSHIFT, down LSHIFT, down A, up A, up LSHIFT"},
        ScriptCase{"quickAcrossTheClockWrap", {},
                   "tap Shift @4294967000, tap Shift @200, tap B @1000, tap Shift @2000",
                   "down LSHIFT, down B, up B, up LSHIFT"},
        // A latched Fn goes with the next key, as a latched Shift does, and the panel shows it go.
        ScriptCase{"latchedFnAppliesToTheNextKeyOnly", {},
                   "tap Fn @1000, tap 1 @2000, tap 1 @3000, tap Fn @4000, tap 1 @5000",
                   "down F1, up F1, down 1, up 1, down F1, up F1"},
        ScriptCase{"fnThenDelIsBackspace", {}, "tap Fn @1000, tap Del @2000, tap Fn @3000", "down BACK, up BACK"},
        ScriptCase{"fnDoubleTapLocksTheLayer", {},
                   "tap Fn @1000, tap Fn @1200, tap 1 @2000, tap 1 @3000, tap Fn @4000, tap 1 @5000",
                   "down F1, up F1, down F1, up F1, down 1, up 1"},
        ScriptCase{"fnTappedSoonAfterALetterLatches", {},
                   "tap A @1000, tap Fn @1200, tap 1 @2000, tap Fn @3000, tap 1 @4000",
                   "down A, up A, down F1, up F1, down F1, up F1"},
        ScriptCase{"quickSecondTapOnAnUpFnKeyLocksTheLayerOn", {},
                   "tap Fn @1000, tap Fn @2000, tap Fn @2200, tap 1 @3000, tap 1 @4000, tap Fn @5000, tap 1 @6000",
                   "down F1, up F1, down F1, up F1, down 1, up 1"},
        ScriptCase{"eitherFnKeyTurnsTheLayerOff", {}, "tap Fn @1000, tap #59 @2000, tap 1 @3000", "down 1, up 1"},
        ScriptCase{"keysUnderAnotherAreNeverPressed", {}, "tap T @1000, tap Y @2000", "down T, up T, down Y, up Y"},
        ScriptCase{"exitKeyEndsTheProgramReleasingTheLatchedModifiers", {},
                   "tap Shift @1000, tap Exit @2000, tap A @3000", "down LSHIFT, up LSHIFT"},
        ScriptCase{"exitLetsGoOfTheKeyAnotherPressHolds", {}, "press A @1000, down#2 Exit @1100", "down A, up A"},
        // A key chosen by hovering or scanning is a tap; a latched key chosen next, seconds later, is a
        // second tap, and locks; chosen on and on it unlocks, then latches again.
        ScriptCase{"chosenKeysTypeAsTaps", {}, "choose Shift @1000, choose A @4000, choose B @7000",
                   "down LSHIFT, down A, up A, up LSHIFT, down B, up B"},
        ScriptCase{"latchingKeyChosenNextLocksThenUnlocks", {},
                   "choose Shift @1000, choose Shift @4000, choose A @7000, choose Shift @9000, choose Shift @12000, "
                   "choose B @15000",
                   "down LSHIFT, down A, up A, up LSHIFT, down LSHIFT, down B, up B, up LSHIFT"},
        ScriptCase{"chosenKeyLetsGoOnlyOfItself", {}, "down#2 A @1000, choose B @1100, up#2 @1200",
                   "down A, down B, up B, up A"},
        ScriptCase{"chosenExitEndsTheProgram", {}, "tap Shift @1000, choose Exit @4000", "down LSHIFT, up LSHIFT"}),
    CaseName());
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Custom, PressScript,
    testing::Values(
        // A Normal key bound to VK_FN toggles the layer and shows it down while it is on.
        ScriptCase{"normalFnKeyTurnsTheLayerOnAndOff", normalFnKey,
                   "tap FnN @1000, tap X @2000, tap FnN @3000, tap X @4000", "down Y, up Y, down X, up X"},
        ScriptCase{"normalFnKeyReleasesLatchedModifiers", normalFnKey, "tap Shift @1000, tap FnN @2000, tap FnN @3000",
                   "down LSHIFT, up LSHIFT"},
        ScriptCase{"latchingExitEndsTheProgram", latchingExit, "tap Shift @1000, tap Exit @2000",
                   "down LSHIFT, up LSHIFT"},
        ScriptCase{"latchingExitTappedSoonAfterALetterEndsTheProgram", latchingExit,
                   "tap A @1000, tap Exit @1200, tap A @2000", "down A, up A"},
        ScriptCase{"quickTapLocksAndHoldsEveryModifierUnderThePoint", overlapping,
                   "tap 120:100 @1000, tap 120:100 @1200, tap A @2000, tap 120:100 @3000, tap 160:100 @4000",
                   "down LSHIFT, down LCONTROL, down A, up A, up LSHIFT, up LCONTROL"},
        ScriptCase{"turnedKeyEdgesGoToTheKeyBelow", turned, "tap 131:200 @1000, tap 165:165 @2000, tap 200:200 @3000",
                   "down A, up A, down B, up B, down A, up A"},
        // A key locked on the Fn layer keeps it on when the latched Fn key goes, until it is tapped.
        ScriptCase{"keyLockedOnTheLayerKeepsItUntilTapped", lockedOnTheLayer,
                   "tap Fn @1000, tap 320:100 @2000, tap 320:100 @2200, tap A @3000, tap A @4000, tap 370:100 @5000, "
                   "tap A @6000, tap Shift @7000",
                   "down LSHIFT, down X, up X, down X, up X, down A, up A, up LSHIFT"},
        // A key whose Fn-layer code is VK_FN lets go of what it holds as it turns the layer off.
        ScriptCase{"modifierTurningTheLayerOffLetsGoOfItsCode", modifierWithFnCode,
                   "tap Mod @1000, tap Fn @2000, tap Mod @3000, tap A @4000", "down LSHIFT, up LSHIFT, down A, up A"}),
    CaseName());
// clang-format on

// Several fingers at once: each contact presses its own key, and lets go of that key alone.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Contacts, PressScript,
    testing::Values(
        ScriptCase{"rolloverOfTwo", {}, "down#1 A @1000, down#2 S @1040, up#1 @1080, up#2 @1120",
                   "down A, down S, up A, up S"},
        ScriptCase{"rolloverOfThree", {}, "down#1 A @1000, down#2 S @1030, down#3 D @1060, up#1 @1090, up#2 @1120, "
                                          "up#3 @1150",
                   "down A, down S, down D, up A, up S, up D"},
        ScriptCase{"liftedInTheOtherOrder", {}, "down#1 A @1000, down#2 S @1040, up#2 @1080, up#1 @1120",
                   "down A, down S, up S, up A"},
        // A held Shift modifies every letter typed meanwhile and goes up with its finger.
        ScriptCase{"shiftHeldWhileAnotherFingerTypes", {},
                   "down#1 Shift @1000, down#2 A @1100, up#2 @1150, down#2 B @1200, up#2 @1250, down#3 C @1300, "
                   "up#3 @1350, up#1 @1400, tap D @2500",
                   "down LSHIFT, down A, up A, down B, up B, down C, up C, up LSHIFT, down D, up D"},
        ScriptCase{"shiftTouchedAndLiftedAloneLatches", {}, "down#1 Shift @1000, up#1 @1100, down#1 A @2000, up#1 @2100",
                   "down LSHIFT, down A, up A, up LSHIFT"},
        ScriptCase{"canceledContactLetsGoOfItsKey", {}, "tap Shift @1000, down#4 A @2000, cancel#4 @2100",
                   "down LSHIFT, down A, up A, up LSHIFT"},
        ScriptCase{"sameKeyUnderTwoContactsGoesUpWithTheLast", {},
                   "down#1 A @1000, down#2 A @1040, up#1 @1080, up#2 @1120", "down A, down A, up A"},
        ScriptCase{"slideStartLetsGoOfAHeldKeyFirst", {},
                   "tap Shift @1000, down#1 A @2000, down#2 540:570 @2100, up#2 @2150, up#1 @2200",
                   "down LSHIFT, down A, up A, up LSHIFT"},
        ScriptCase{"eleventhContactPressesNothing", {},
                   "down#1 Q @1000, down#2 W @1001, down#3 E @1002, down#4 R @1003, down#5 T @1004, down#6 Y @1005, "
                   "down#7 U @1006, down#8 I @1007, down#9 O @1008, down#10 P @1009, down#11 A @1010, up#11 @1011, "
                   "up#1 @1012, up#2 @1013, up#3 @1014, up#4 @1015, up#5 @1016, up#6 @1017, up#7 @1018, "
                   "up#8 @1019, up#9 @1020, up#10 @1021",
                   "down Q, down W, down E, down R, down T, down Y, down U, down I, down O, down P, up Q, up W, "
                   "up E, up R, up T, up Y, up U, up I, up O, up P"},
        ScriptCase{"mouseAndFingerTogether", {}, "press A @1000, down#2 S @1040, release @1080, up#2 @1120",
                   "down A, down S, up A, up S"},
        ScriptCase{"letterTurningTheLayerOffStaysHeldByItsFirstFinger", modifierWithFnCode,
                   "down#1 X @1000, down#3 Fn @1100, up#3 @1150, down#2 X @1200, up#2 @1300, up#1 @1400",
                   "down X, up X"},
        ScriptCase{"heldLockingTapStaysLocked", {},
                   "down#1 Shift @1000, up#1 @1100, down#1 Shift @1200, down#2 A @1300, up#2 @1350, up#1 @1400, "
                   "down#2 B @2000, up#2 @2050, down#3 Shift @3000, up#3 @3050",
                   "down LSHIFT, down A, up A, down B, up B, up LSHIFT"},
        ScriptCase{"contactReportedDownTwiceDoesNotLock", {},
                   "down#1 Shift @1000, down#1 Shift @1100, up#1 @1200, tap A @2000",
                   "down LSHIFT, down A, up A, up LSHIFT"},
        // The layer a held key went down in stays on until that key goes up.
        ScriptCase{"fnLiftedWhileALayerKeyIsHeld", {},
                   "down#1 Fn @1000, down#2 1 @1100, up#1 @1300, down#3 2 @1400, up#3 @1450, up#2 @1500, "
                   "tap 2 @3000",
                   "down F1, down F2, up F2, up F1, down 2, up 2"}),
    CaseName());
// clang-format on

class Press : public InputFixture {};

// The key event goes first; everything else the press needs follows it a moment later, and the
// release ends every timer. Giving the capture back reports its loss at once; that report must not
// release again.
TEST_F(Press, TapSendsItsKeyBeforeAnythingElse)
{
    keyTable->keys[27].bounds = {117, 225, 187, 311};
    const std::vector<std::string> kinds = {"capture",    "release", "down",  "up",
                                            "invalidate", "update",  "timer", "repeat"};
    run("press A @1000");
    EXPECT_EQ(calls(0, kinds), "down A, timer 3 start 10");
    size_t from = fake::calls().size();
    run("wait @1020");
    EXPECT_EQ(calls(from, kinds), "timer 3 stop, capture, repeat settings, timer 2 start 490, timer 1 start 50 ~10, "
                                  "invalidate 117,225,187,311, update");
    from = fake::calls().size();
    run("release @1100");
    EXPECT_EQ(calls(from, kinds),
              "timer 2 stop, up A, invalidate 117,225,187,311, update, release capture, timer 1 stop");
}

TEST_F(Press, TapOnAGapOnlyUpdates)
{
    run("press 5:5 @1000");
    EXPECT_EQ(calls(0), "update");
    EXPECT_EQ(lastPressTime, 0u);
}

TEST_F(Press, CaptureLossIsTheRelease)
{
    EXPECT_EQ(run("tap Shift @1000, press A @2000, lose capture @2100, release @2200"),
              "down LSHIFT, down A, up A, up LSHIFT");
    EXPECT_EQ(keyTable->keys[27].state, KeyState::Up);
}

// A release the system never delivers (a capture it does not honour for a window that is not in
// the foreground) is noticed at the next slide timer tick by the button being up.
TEST_F(Press, ButtonFoundUpAtATimerTickIsTheRelease)
{
    EXPECT_EQ(run("tap Shift @1000, press A @2000, wait @2200"), "down LSHIFT, down A") << "still held";
    fake::setPointerButton(false);
    EXPECT_EQ(run("wait @2300"), "up A, up LSHIFT");
    EXPECT_FALSE(fake::captured());
    EXPECT_EQ(run("release @2400"), "") << "the late release finds nothing to release";
    fake::setPointerButton(true);
}

TEST_F(Press, CaptureChangeWithoutAHeldPressIsIgnored)
{
    run("tap A @1000");
    const size_t from = fake::calls().size();
    handlePointerCaptureLost(fake::window());
    EXPECT_EQ(calls(from), "");
}

TEST_F(Press, ExitKeyTouchesNothingAfterTheWindowIsGone)
{
    run("tap Shift @1000, wait @1500");
    const size_t from = fake::calls().size();
    run("press Exit @2000");
    // The teardown's key-ups come from inside the destroy call; the press adds nothing after it.
    EXPECT_EQ(calls(from, {"destroy", "down", "up", "invalidate", "update", "capture", "release"}),
              "destroy, up LSHIFT");
    EXPECT_EQ(keyTable, nullptr);
}

TEST_F(Press, EveryKeyGoesUpWithTheCodeItWentDownWith)
{
    // A modifier with a different second key goes down in the Fn layer as that key, and up as it
    // whatever the layer is by then.
    useKeys({makeKey(L, 100, 100, u"Fn", VK_FN), makeKey(L, 200, 100, u"Mod", VK_LSHIFT, VK_LCONTROL),
             makeKey(N, 300, 100, u"A", VK_A)});
    EXPECT_EQ(run("tap Fn @1000, tap Mod @2000, tap A @3000"), "down LCONTROL, down A, up A, up LCONTROL");
    EXPECT_EQ(run("tap Fn @4000, tap Mod @5000, tap Fn @6000, tap Mod @7000"), "down LCONTROL, up LCONTROL");
}

} // namespace
