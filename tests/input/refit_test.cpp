// A re-fit while the panel is in use: slides end at their end, and hidden stays hidden.
// (That held keys stay held, with no event added or lost, the press fuzzer checks at every re-fit.)
#include <gtest/gtest.h>

#include <string>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/options.h"
#include "render/geometry.h"

namespace {

// 9/5 of the design: the panel 1843 x 1080 at x 38, its tab 144 x 108 at 900.
constexpr Rect WIDE = {0, 0, 1920, 1080};

struct RefitCase {
    std::string name;
    PanelLayout layout;
    std::string before; // at the design size
    std::string move;   // where the re-fit puts the window
    std::string after;  // at the new scale
    std::string then;   // the moves and key events that follows
    PanelCut cut = PanelCut::Full;
};

class Refit : public InputFixture, public testing::WithParamInterface<RefitCase> {};

TEST_P(Refit, EndsASlideAtItsEndAtTheNewScale)
{
    const RefitCase& c = GetParam();
    keymapOptions.panel = c.cut;
    dock(c.layout);
    run(c.before);
    const size_t from = fake::calls().size();
    ASSERT_TRUE(refitPanel(fake::window(), WIDE));
    EXPECT_EQ(calls(from, {"move"}), c.move);
    EXPECT_EQ(slideState.step, 0);
    const size_t later = fake::calls().size();
    run(c.after);
    EXPECT_EQ(calls(later, {"move", "down", "up"}), c.then);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Slides, Refit,
    testing::Values(
        RefitCase{"Shown", PANEL_LAYOUT_DEFAULTS, "wait @100", "move 38,-19 1843x1207", "tap A @2000", "down A, up A"},
        RefitCase{"SlidingAway", PANEL_LAYOUT_DEFAULTS, "tap 540:570 @1000, wait @1060", "move 38,-1099 1843x1207",
                  "tap 972:1100 @2000, wait @2300",
                  "move 38,-829 1843x1207, move 38,-559 1843x1207, move 38,-289 1843x1207, move 38,-19 1843x1207"},
        RefitCase{"Hidden", PANEL_LAYOUT_DEFAULTS, "tap 540:570 @1000, wait @1300", "move 38,-1099 1843x1207",
                  "tap 972:1100 @2000, wait @2300",
                  "move 38,-829 1843x1207, move 38,-559 1843x1207, move 38,-289 1843x1207, move 38,-19 1843x1207"},
        RefitCase{"SlidingBack", PANEL_LAYOUT_DEFAULTS, "tap 540:570 @1000, wait @1300, tap 540:630 @1400, wait @1460",
                  "move 38,-19 1843x1207", "tap A @2000", "down A, up A"},
        RefitCase{"HiddenAtTheRight", {DockSide::Right, 300, 80, 60}, "tap 120:330 @1000, wait @1300",
                  "move 1776,-19 1987x1099", "tap 50:600 @2000, wait @2300",
                  "move 1315,-19 1987x1099, move 854,-19 1987x1099, move 393,-19 1987x1099, move -67,-19 1987x1099"},
        // Cut to the keys, 966 x 544 with its tab at 461: at 243/272, 863 x 486 with its tab at 412.
        RefitCase{"CutHidden", PANEL_LAYOUT_DEFAULTS, "tap 500:520 @1000, wait @1300", "move 528,-505 863x559",
                  "tap 450:513 @2000, wait @2300",
                  "move 528,-383 863x559, move 528,-262 863x559, move 528,-140 863x559, move 528,-19 863x559",
                  PanelCut::Keys}),
    CaseName());
// clang-format on

} // namespace
