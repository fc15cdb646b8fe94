// The keymap's Visible and AutoShow options at start: the window's first fit puts a docked panel at its hidden place.
#include <gtest/gtest.h>

#include <string>

#include "app/start_options.h"
#include "fake/fake_platform.h"
#include "input/input.h"
#include "layout/default_layout.h"
#include "layout/options.h"
#include "render/geometry.h"
#include "support/case_name.h"

namespace {

struct StartCase {
    std::string name;
    DockSide side;
    bool visible;
    std::string firstMove; // the first fit's move, on the 1024x600 screen with a caption of 19
    AutoShow autoShow = AutoShow::Off;
};

class StartSlidAway : public testing::TestWithParam<StartCase> {};

TEST_P(StartSlidAway, OnlyWhenAskedAndDocked)
{
    fake::reset();
    resetInput();
    resetPlacement();
    ASSERT_TRUE(resetLayout());
    installDefaultLayout(*keyTable);
    clientOffset = 19;
    panelLayout.dockSide = GetParam().side;
    keymapOptions.visible = GetParam().visible;
    keymapOptions.autoShow = GetParam().autoShow;
    startSlidAwayIfAsked();
    ASSERT_TRUE(refitPanel(fake::window(), {0, 0, PANEL_WIDTH, PANEL_HEIGHT}));
    EXPECT_EQ(fake::calls().at(0), GetParam().firstMove);
    resetInput();
    freeKeyTable();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Sides, StartSlidAway,
    testing::Values(StartCase{"shownByDefault", DockSide::Top, true, "move 0,-19 1024x679"},
                    StartCase{"top", DockSide::Top, false, "move 0,-619 1024x679"},
                    StartCase{"bottom", DockSide::Bottom, false, "move 0,521 1024x679"},
                    StartCase{"right", DockSide::Right, false, "move 944,-19 1104x619"},
                    StartCase{"left", DockSide::Left, false, "move -1024,-19 1104x619"},
                    StartCase{"noEdgeStartsShown", DockSide::None, false, "move 0,0 1024x600"},
                    StartCase{"autoShow", DockSide::Top, true, "move 0,-619 1024x679", AutoShow::TouchOnly}),
    CaseName());
// clang-format on

} // namespace
