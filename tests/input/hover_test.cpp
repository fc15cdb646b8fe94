// Hover typing: the rest that types, the jitter radius, clicks, the tab, slides, and when its timer runs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake/fake_platform.h"
#include "input/hover.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/keytable.h"
#include "render/geometry.h"
#include "render/hover_ring.h"
#include "render/paint_geometry.h"

namespace {

// A script and the key events and window moves it causes, run one after another.
using Step = std::pair<const char*, const char*>;

struct HoverCase {
    const char* name;
    int32_t hoverTimeMs;
    std::vector<Step> steps;
};

void PrintTo(const HoverCase& c, std::ostream* out)
{
    *out << c.name;
}

class Hover : public InputFixture, public testing::WithParamInterface<HoverCase> {};

TEST_P(Hover, TypesWhatThePointerRestsOnOnceItsTimeIsUp)
{
    const HoverCase& c = GetParam();
    keymapOptions.hoverTimeMs = c.hoverTimeMs;
    for (const auto& [script, expected] : c.steps) {
        const size_t from = fake::calls().size();
        run(script);
        EXPECT_EQ(calls(from, {"down", "up", "move"}), expected) << script;
    }
    if (c.hoverTimeMs == 0) {
        EXPECT_EQ(calls(0, {"track", "timer 6"}), "") << "off, the pointer is not followed";
    }
}

// At 800 ms the ring steps every 40 ms. A tick due at a step's time comes after the input of that
// time, so "wait @1800" after a rest from 1000 is one tick short of typing.
constexpr const char* SHOW_SLIDE = "move 0,-469 1024x679, move 0,-319 1024x679, move 0,-169 1024x679, "
                                   "move 0,-19 1024x679";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, Hover,
    testing::Values(
        HoverCase{"restTypesOnceAtTheTime", 800,
                  {{"hover A @1000, wait @1800", ""}, {"wait @1801", "down A, up A"},
                   {"wait @2599, leave @2599", ""}}},
        HoverCase{"restAnotherFullTimeTypesAgain", 800,
                  {{"hover A @1000, wait @1801", "down A, up A"}, {"wait @2601, leave @2601", "down A, up A"}}},
        HoverCase{"leavingAtHalfTypesNothing", 800, {{"hover A @1000, leave @1400, wait @3000", ""}}},
        HoverCase{"movingToAnotherKeyStartsItsOwnTime", 800,
                  {{"hover A @1000, hover S @1400, wait @2200", ""}, {"wait @2201, leave @2201", "down S, up S"}}},
        HoverCase{"jitterWithinTheRadiusKeepsTheTime", 800,
                  {{"hover A @1000, hover A~10 @1300, hover A~-7 @1600, wait @1801, leave @1801", "down A, up A"}}},
        HoverCase{"jitterAcrossIntoTheNextKeyKeepsTheFirst", 800,
                  {{"hover A~33 @1000, hover A~40 @1300, wait @1801, leave @1801", "down A, up A"}}},
        HoverCase{"aMoveBeyondTheRadiusRestartsTheTime", 800,
                  {{"hover A @1000, hover A~11 @1500, wait @1801", ""}, {"wait @2301, leave @2301", "down A, up A"}}},
        HoverCase{"aClickRestartsTheTime", 800,
                  {{"hover A @1000, tap A @1500, wait @2300", "down A, up A"}, {"wait @2301, leave @2301", "down A, up A"}}},
        HoverCase{"aKeyHeldByTheButtonIsNotHovered", 800,
                  {{"hover Shift @1000, press Shift @1100, wait @3000", "down LSHIFT"},
                   {"release @3000, hover A @3700, wait @4501, leave @4501", "down A, up A, up LSHIFT"}}},
        HoverCase{"aLatchedModifierGoesWithTheNextKeyHovered", 600,
                  {{"hover Shift @1000, wait @1601, hover A @1700, wait @2301, leave @2301",
                    "down LSHIFT, down A, up A, up LSHIFT"}}},
        HoverCase{"betweenKeysNothingTimes", 800, {{"hover 2:2 @1000, wait @4000", ""}}},
        HoverCase{"theTabSlidesThePanelAfterTheTime", 800,
                  {{"hover 540:630 @1000, wait @1800", ""}, {"wait @2100, leave @2100", SHOW_SLIDE}}},
        HoverCase{"aSlideDropsTheRest", 800,
                  {{"hover A @1000, tap 540:630 @1400, wait @2500", SHOW_SLIDE},
                   {"hover S @2600, wait @3401, leave @3401", "down S, up S"}}},
        HoverCase{"movesDuringASlideHoverNothing", 800,
                  {{"tap 540:630 @1000, hover A @1010, wait @2500, leave @2500", SHOW_SLIDE}}},
        HoverCase{"offHoversNothing", 0, {{"hover A @1000, wait @5000, leave @5000", ""}}}));
// clang-format on

TEST_F(Hover, EachStepRepaintsTheRingAlone)
{
    keymapOptions.hoverTimeMs = 800;
    run("hover A @1000");
    const size_t from = fake::calls().size();
    run("wait @1041");
    ASSERT_EQ(hoverRing.key, 27);
    EXPECT_EQ(hoverRing.filled, RING_FULL / 20);
    const Rect ring = keyRingPaint(27, 0).bounds;
    EXPECT_EQ(calls(from, {"invalidate", "update"}), "invalidate " + std::to_string(ring.left) + "," +
                                                         std::to_string(ring.top) + "," + std::to_string(ring.right) +
                                                         "," + std::to_string(ring.bottom));
    // The ring lies on its key, with room for its pens inside the key's bounds.
    const Rect key = computeKeyPaint(keyTable->keys[27], fittedKeyQuad(27)).bounds;
    EXPECT_TRUE(ring.left >= key.left && ring.right <= key.right && ring.top >= key.top && ring.bottom <= key.bottom);
    run("leave @1100");
    EXPECT_EQ(hoverRing.key, -1);
}

TEST_F(Hover, TheLeaveIsAskedForOncePerVisit)
{
    keymapOptions.hoverTimeMs = 800;
    run("hover A @1000, hover S @1100, hover D @1200, leave @1300, hover A @1400, leave @1500");
    EXPECT_EQ(calls(0, {"track"}), "track leave, track leave");
}

struct ScaleCase {
    int32_t hoverTimeMs;
    Scale scale;
    uint32_t stepMs;
    int32_t radius;
};

TEST(HoverScale, StepsAndRadiusFollowTheTimeAndTheScale)
{
    const ScaleCase cases[] = {
        {800, UNIT_SCALE, 40, 10}, {300, {3, 2}, 30, 15}, {5000, {1, 2}, 250, 5}, {1000, {1, 20}, 50, 1}};
    for (const ScaleCase& c : cases) {
        panelScale = c.scale;
        EXPECT_EQ(hoverStepMs(c.hoverTimeMs), c.stepMs) << c.hoverTimeMs;
        EXPECT_EQ(hoverJitterRadius(), c.radius) << c.scale.numerator << "/" << c.scale.denominator;
    }
    resetPlacement();
}

} // namespace
