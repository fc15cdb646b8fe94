// The slide-away panel: the tab's show and hide areas with their strict bounds, and every move of a slide.
#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

constexpr PanelLayout top = {DockSide::Top, 500, 80, 60};
constexpr PanelLayout bottom = {DockSide::Bottom, 500, 80, 60};
constexpr PanelLayout right = {DockSide::Right, 300, 80, 60};
constexpr PanelLayout left = {DockSide::Left, 300, 80, 60};
constexpr PanelLayout none = {DockSide::None, 500, 80, 60};

enum class Claim { None, Show, Hide };

struct TabCase {
    const char* name;
    PanelLayout layout;
    int32_t x;
    int32_t y;
    Claim claim;
};

void PrintTo(const TabCase& c, std::ostream* out)
{
    *out << c.name;
}

class TabPress : public InputFixture, public testing::WithParamInterface<TabCase> {};

TEST_P(TabPress, ClaimsOnlyPressesStrictlyInsideItsAreas)
{
    const TabCase& c = GetParam();
    dock(c.layout);
    run("tap Ctrl @1000");
    const size_t from = fake::calls().size();
    EXPECT_EQ(handleTabPress(fake::window(), c.x, c.y), c.claim != Claim::None);
    EXPECT_EQ(slideState.step, c.claim == Claim::None ? 0 : 1);
    if (c.claim != Claim::None) {
        EXPECT_EQ(slideState.direction, c.claim == Claim::Hide ? SlideDirection::Hide : SlideDirection::Show);
    }
    // Hiding lets go of the latched modifier; showing sends nothing.
    EXPECT_EQ(calls(from, {"down", "up"}), c.claim == Claim::Hide ? "up LCONTROL" : "");
    if (c.claim == Claim::None) {
        advanceSlide(fake::window());
        EXPECT_EQ(calls(from), "") << "an idle tick does nothing";
    }
    releaseAllLatchingKeys(); // Ctrl stays latched after a show slide or a press that is not the tab's
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, TabPress,
    testing::Values(TabCase{"topHideMiddle", top, 540, 570, Claim::Hide},
                    TabCase{"topHideNearCorner", top, 501, 541, Claim::Hide},
                    TabCase{"topHideFarCorner", top, 579, 599, Claim::Hide},
                    TabCase{"topOnTabStart", top, 500, 570, Claim::None},
                    TabCase{"topOnTabEnd", top, 580, 570, Claim::None},
                    TabCase{"topOnHideDepth", top, 540, 540, Claim::None},
                    TabCase{"topOnPanelEdge", top, 540, 600, Claim::None},
                    TabCase{"topShowAnywhereBelow", top, 100, 601, Claim::Show},
                    TabCase{"bottomShow", bottom, 540, 59, Claim::Show},
                    TabCase{"bottomOnPanelEdge", bottom, 540, 60, Claim::None},
                    TabCase{"bottomOnHideDepth", bottom, 540, 120, Claim::None},
                    TabCase{"bottomOnTabStart", bottom, 500, 90, Claim::None},
                    TabCase{"bottomOnTabEnd", bottom, 580, 90, Claim::None},
                    TabCase{"bottomHideNearCorner", bottom, 501, 61, Claim::Hide},
                    TabCase{"bottomHideFarCorner", bottom, 579, 119, Claim::Hide},
                    TabCase{"rightShow", right, 79, 330, Claim::Show},
                    TabCase{"rightOnPanelEdge", right, 80, 330, Claim::None},
                    TabCase{"rightOnHideDepth", right, 160, 330, Claim::None},
                    TabCase{"rightOnTabStart", right, 120, 300, Claim::None},
                    TabCase{"rightOnTabEnd", right, 120, 360, Claim::None},
                    TabCase{"rightHideNearCorner", right, 81, 301, Claim::Hide},
                    TabCase{"rightHideFarCorner", right, 159, 359, Claim::Hide},
                    TabCase{"leftShow", left, 1025, 330, Claim::Show},
                    TabCase{"leftOnPanelEdge", left, 1024, 330, Claim::None},
                    TabCase{"leftOnHideDepth", left, 944, 330, Claim::None},
                    TabCase{"leftOnTabStart", left, 990, 300, Claim::None},
                    TabCase{"leftOnTabEnd", left, 990, 360, Claim::None},
                    TabCase{"leftHideNearCorner", left, 945, 301, Claim::Hide},
                    TabCase{"leftHideFarCorner", left, 1023, 359, Claim::Hide},
                    TabCase{"noneHideArea", none, 540, 570, Claim::None},
                    TabCase{"noneBelowPanel", none, 100, 601, Claim::None}),
    CaseName());
// clang-format on

struct MoveCase {
    const char* name;
    PanelLayout layout;
    Point press; // a point in the area that starts the slide
    SlideDirection direction;
    const char* moves; // with a caption of 19
};

void PrintTo(const MoveCase& c, std::ostream* out)
{
    *out << c.name;
}

class SlideMoves : public InputFixture, public testing::WithParamInterface<MoveCase> {};

TEST_P(SlideMoves, MoveTheWindowFourTimesAndEndAtTheNextTick)
{
    const MoveCase& c = GetParam();
    dock(c.layout);
    ASSERT_TRUE(handleTabPress(fake::window(), c.press.x, c.press.y));
    ASSERT_EQ(slideState.direction, c.direction);
    const size_t from = fake::calls().size();
    for (int tick = 1; tick <= 4; ++tick) {
        advanceSlide(fake::window());
        EXPECT_EQ(slideState.step, tick + 1);
    }
    EXPECT_EQ(calls(from), c.moves);
    advanceSlide(fake::window());
    EXPECT_EQ(slideState.step, 0) << "the tick after the fourth move ends the slide";
    advanceSlide(fake::window());
    EXPECT_EQ(calls(from), c.moves) << "without moving again";
    EXPECT_EQ(slideState.direction, c.direction);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, SlideMoves,
    testing::Values(
        MoveCase{"topHide", top, {540, 570}, SlideDirection::Hide,
                 "move 0,-169 1024x679, move 0,-319 1024x679, move 0,-469 1024x679, move 0,-619 1024x679"},
        MoveCase{"topShow", top, {540, 650}, SlideDirection::Show,
                 "move 0,-469 1024x679, move 0,-319 1024x679, move 0,-169 1024x679, move 0,-19 1024x679"},
        MoveCase{"bottomHide", bottom, {540, 90}, SlideDirection::Hide,
                 "move 0,71 1024x679, move 0,221 1024x679, move 0,371 1024x679, move 0,521 1024x679"},
        MoveCase{"bottomShow", bottom, {540, 30}, SlideDirection::Show,
                 "move 0,371 1024x679, move 0,221 1024x679, move 0,71 1024x679, move 0,-79 1024x679"},
        MoveCase{"rightHide", right, {120, 330}, SlideDirection::Hide,
                 "move 176,-19 1104x619, move 432,-19 1104x619, move 688,-19 1104x619, move 944,-19 1104x619"},
        MoveCase{"rightShow", right, {40, 330}, SlideDirection::Show,
                 "move 688,-19 1104x619, move 432,-19 1104x619, move 176,-19 1104x619, move -80,-19 1104x619"},
        MoveCase{"leftHide", left, {990, 330}, SlideDirection::Hide,
                 "move -256,-19 1104x619, move -512,-19 1104x619, move -768,-19 1104x619, move -1024,-19 1104x619"},
        MoveCase{"leftShow", left, {1060, 330}, SlideDirection::Show,
                 "move -768,-19 1104x619, move -512,-19 1104x619, move -256,-19 1104x619, move 0,-19 1104x619"}),
    CaseName());
// clang-format on

class Slide : public InputFixture {};

TEST_F(Slide, IgnoresPressesFromItsStartUntilTheTickAfterTheLastMove)
{
    // The slide's timer starts at the tab's press: a press comes before a tick due at the same moment,
    // so the ticks at 2050 to 2200 move the panel and the one at 2250 ends the slide. Ignored presses
    // and the tab's own press leave the last press time at 1000, so the Shift tap at 2260 is not quick.
    EXPECT_EQ(run("tap Shift @1000, tap 540:570 @2000, tap A @2075, tap A @2175, tap A @2250, tap Shift @2260, "
                  "tap A @3000"),
              "down LSHIFT, up LSHIFT, down LSHIFT, down A, up A, up LSHIFT");
    EXPECT_EQ(calls(0, {"move"}),
              "move 0,-169 1024x679, move 0,-319 1024x679, move 0,-469 1024x679, move 0,-619 1024x679");
}

} // namespace
