// The panel fitted to screens: scale, place, window and tab per dock side, every built-in key's scaled
// centre, screens without area or too large, and plumtide-keymap's --screen.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "support/case_name.h"
#include "support/tool_run.h"
#include "layout/default_layout.h"
#include "layout/keytable.h"
#include "layout/u16text.h"
#include "render/geometry.h"

namespace {

struct FitCase {
    std::string name;
    Size screen;
    DockSide side;
    Scale scale;
    Rect panel; // x, y, width, height on the screen
    Point origin;
    Size window;
    PanelLayout tab; // offset, width, height at the scale
};

class PanelFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(PanelFitTest, ScalesThePanelAndPlacesItAgainstItsDockEdge)
{
    const FitCase& c = GetParam();
    PanelFit fit{};
    ASSERT_TRUE(computePanelFit({0, 0, c.screen.width, c.screen.height}, {c.side, 500, 80, 60}, 19, &fit));
    EXPECT_EQ(fit.scale.numerator, c.scale.numerator);
    EXPECT_EQ(fit.scale.denominator, c.scale.denominator);
    EXPECT_EQ(std::vector<int>({fit.panelPosition.x, fit.panelPosition.y, fit.panel.width, fit.panel.height}),
              std::vector<int>({c.panel.left, c.panel.top, c.panel.right, c.panel.bottom}));
    EXPECT_EQ(std::vector<int>({fit.shape.origin.x, fit.shape.origin.y, fit.shape.size.width, fit.shape.size.height}),
              std::vector<int>({c.origin.x, c.origin.y, c.window.width, c.window.height}));
    const PanelLayout tab = scaledPanelLayout({c.side, 500, 80, 60}, fit.scale);
    EXPECT_EQ(std::vector<int>({tab.tabOffset, tab.tabWidth, tab.tabHeight}),
              std::vector<int>({c.tab.tabOffset, c.tab.tabWidth, c.tab.tabHeight}));
}

// s = min(W / 1024, H / 600); sizes round to the nearest pixel; the client offset (19) does not scale.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Screens, PanelFitTest,
    testing::Values(
        FitCase{"S1024x600None", {1024, 600}, DockSide::None, {1, 1}, {0, 0, 1024, 600}, {0, 0}, {1024, 600}, {DockSide::None, 500, 80, 60}},
        FitCase{"S1024x600Top", {1024, 600}, DockSide::Top, {1, 1}, {0, 0, 1024, 600}, {0, 19}, {1024, 679}, {DockSide::Top, 500, 80, 60}},
        FitCase{"S1024x600Bottom", {1024, 600}, DockSide::Bottom, {1, 1}, {0, 0, 1024, 600}, {0, 79}, {1024, 679}, {DockSide::Bottom, 500, 80, 60}},
        FitCase{"S1024x600Right", {1024, 600}, DockSide::Right, {1, 1}, {0, 0, 1024, 600}, {80, 19}, {1104, 619}, {DockSide::Right, 500, 80, 60}},
        FitCase{"S1024x600Left", {1024, 600}, DockSide::Left, {1, 1}, {0, 0, 1024, 600}, {0, 19}, {1104, 619}, {DockSide::Left, 500, 80, 60}},
        FitCase{"S1920x1080None", {1920, 1080}, DockSide::None, {9, 5}, {38, 0, 1843, 1080}, {0, 0}, {1843, 1080}, {DockSide::None, 900, 144, 108}},
        FitCase{"S1920x1080Top", {1920, 1080}, DockSide::Top, {9, 5}, {38, 0, 1843, 1080}, {0, 19}, {1843, 1207}, {DockSide::Top, 900, 144, 108}},
        FitCase{"S1920x1080Bottom", {1920, 1080}, DockSide::Bottom, {9, 5}, {38, 0, 1843, 1080}, {0, 127}, {1843, 1207}, {DockSide::Bottom, 900, 144, 108}},
        FitCase{"S1920x1080Right", {1920, 1080}, DockSide::Right, {9, 5}, {77, 0, 1843, 1080}, {144, 19}, {1987, 1099}, {DockSide::Right, 900, 144, 108}},
        FitCase{"S1920x1080Left", {1920, 1080}, DockSide::Left, {9, 5}, {0, 0, 1843, 1080}, {0, 19}, {1987, 1099}, {DockSide::Left, 900, 144, 108}},
        FitCase{"S800x480None", {800, 480}, DockSide::None, {25, 32}, {0, 5, 800, 469}, {0, 0}, {800, 469}, {DockSide::None, 391, 63, 47}},
        FitCase{"S800x480Top", {800, 480}, DockSide::Top, {25, 32}, {0, 0, 800, 469}, {0, 19}, {800, 535}, {DockSide::Top, 391, 63, 47}},
        FitCase{"S800x480Bottom", {800, 480}, DockSide::Bottom, {25, 32}, {0, 11, 800, 469}, {0, 66}, {800, 535}, {DockSide::Bottom, 391, 63, 47}},
        FitCase{"S800x480Right", {800, 480}, DockSide::Right, {25, 32}, {0, 5, 800, 469}, {63, 19}, {863, 488}, {DockSide::Right, 391, 63, 47}},
        FitCase{"S800x480Left", {800, 480}, DockSide::Left, {25, 32}, {0, 5, 800, 469}, {0, 19}, {863, 488}, {DockSide::Left, 391, 63, 47}},
        FitCase{"S600x1024None", {600, 1024}, DockSide::None, {75, 128}, {0, 336, 600, 352}, {0, 0}, {600, 352}, {DockSide::None, 293, 47, 35}},
        FitCase{"S600x1024Top", {600, 1024}, DockSide::Top, {75, 128}, {0, 0, 600, 352}, {0, 19}, {600, 406}, {DockSide::Top, 293, 47, 35}},
        FitCase{"S600x1024Bottom", {600, 1024}, DockSide::Bottom, {75, 128}, {0, 672, 600, 352}, {0, 54}, {600, 406}, {DockSide::Bottom, 293, 47, 35}},
        FitCase{"S600x1024Right", {600, 1024}, DockSide::Right, {75, 128}, {0, 336, 600, 352}, {47, 19}, {647, 371}, {DockSide::Right, 293, 47, 35}},
        FitCase{"S600x1024Left", {600, 1024}, DockSide::Left, {75, 128}, {0, 336, 600, 352}, {0, 19}, {647, 371}, {DockSide::Left, 293, 47, 35}},
        FitCase{"S3840x2160None", {3840, 2160}, DockSide::None, {18, 5}, {77, 0, 3686, 2160}, {0, 0}, {3686, 2160}, {DockSide::None, 1800, 288, 216}},
        FitCase{"S3840x2160Top", {3840, 2160}, DockSide::Top, {18, 5}, {77, 0, 3686, 2160}, {0, 19}, {3686, 2395}, {DockSide::Top, 1800, 288, 216}},
        FitCase{"S3840x2160Bottom", {3840, 2160}, DockSide::Bottom, {18, 5}, {77, 0, 3686, 2160}, {0, 235}, {3686, 2395}, {DockSide::Bottom, 1800, 288, 216}},
        FitCase{"S3840x2160Right", {3840, 2160}, DockSide::Right, {18, 5}, {154, 0, 3686, 2160}, {288, 19}, {3974, 2179}, {DockSide::Right, 1800, 288, 216}},
        FitCase{"S3840x2160Left", {3840, 2160}, DockSide::Left, {18, 5}, {0, 0, 3686, 2160}, {0, 19}, {3974, 2179}, {DockSide::Left, 1800, 288, 216}}),
    CaseName());
// clang-format on

class Fitted : public testing::Test {
protected:
    void SetUp() override
    {
        fake::reset();
        ASSERT_TRUE(resetLayout());
        installDefaultLayout(*keyTable);
        resetPlacement();
        clientOffset = 19;
        updateWindowPlacement();
    }
    void TearDown() override
    {
        resetPlacement();
        freeKeyTable();
    }

    // The first key in table order that a touch at the screen point presses, as the key walk asks.
    static int keyAt(int64_t x, int64_t y)
    {
        const Point window = shownWindowPosition();
        const auto clientX = static_cast<int32_t>(x - window.x);
        const auto clientY = static_cast<int32_t>(y - window.y - clientOffset);
        for (int i = 0; i < keyTable->count; ++i) {
            EXPECT_EQ(fittedKeyContainsPoint(i, clientX, clientY),
                      keyContainsPoint(keyTable->keys[i], clientX, clientY))
                << "the corners made for the fit are the key's own, key " << i;
            if (fittedKeyContainsPoint(i, clientX, clientY))
                return i;
        }
        return -1;
    }
};

TEST_F(Fitted, AScreenWithoutAreaKeepsTheLastGoodFit)
{
    ASSERT_TRUE(fitPanelToScreen({0, 0, 1920, 1080}));
    for (Rect bad : {Rect{0, 0, 0, 0}, Rect{0, 0, 1920, 0}, Rect{0, 0, -5, 600}, Rect{100, 100, 50, 700}}) {
        EXPECT_FALSE(fitPanelToScreen(bad));
        EXPECT_TRUE(panelScale == (Scale{9, 5}));
        EXPECT_EQ(panelPosition.x, 38);
        EXPECT_EQ(windowSize.height, 1207);
    }
}

TEST_F(Fitted, AScreenOverTheLimitIsClampedAndNothingOverflows)
{
    PanelFit huge{};
    ASSERT_TRUE(computePanelFit({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, PANEL_LAYOUT_DEFAULTS, 19, &huge));
    EXPECT_TRUE(huge.scale == (Scale{16, 1}));
    EXPECT_EQ(huge.panel.width, 16384);
    EXPECT_EQ(huge.panel.height, 9600);
    EXPECT_EQ(huge.shape.size.height, 19 + 9600 + 960);
    EXPECT_EQ(huge.panelPosition.y, INT32_MIN);
}

// Every built-in key's scaled centre presses that key, but for the two that earlier keys cover at the
// design size ("[" and "]" under "T" and "Y"), which the covering key still takes.
class ScaledCentres : public Fitted, public testing::WithParamInterface<Size> {};

TEST_P(ScaledCentres, PressTheirKeys)
{
    std::vector<int> atDesign;
    for (const KeyRecord& key : DefaultLayout)
        atDesign.push_back(keyAt(key.centerX, key.centerY));

    const Size screen = GetParam();
    ASSERT_TRUE(fitPanelToScreen({0, 0, screen.width, screen.height}));
    const double scale = static_cast<double>(panelScale.numerator) / panelScale.denominator;
    int uncovered = 0;
    for (int i = 0; i < keyTable->count; ++i) {
        const KeyRecord& key = keyTable->keys[i];
        const int64_t x = panelPosition.x + static_cast<int64_t>(std::floor(key.centerX * scale + 0.5));
        const int64_t y = panelPosition.y + static_cast<int64_t>(std::floor(key.centerY * scale + 0.5));
        EXPECT_EQ(keyAt(x, y), atDesign[i]) << "key " << i;
        uncovered += atDesign[i] == i;
    }
    EXPECT_EQ(uncovered, keyTable->count - 2);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScaledCentres,
                         testing::Values(Size{1024, 600}, Size{1920, 1080}, Size{800, 480}, Size{600, 1024},
                                         Size{3840, 2160}),
                         [](const testing::TestParamInfo<Size>& screen) {
                             return "S" + std::to_string(screen.param.width) + "x" +
                                    std::to_string(screen.param.height);
                         });

// ---- plumtide-keymap --screen -------------------------------------------------------------------

struct ScreenHitCase {
    std::string name;
    std::u16string screen;
    int x;
    int y;
    int index;
};

// The tool leaves its fit in place; later tests of this program start from the design size.
class KeymapScreen : public testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    void TearDown() override { resetPlacement(); }
};

class KeymapScreenHit : public KeymapScreen, public testing::WithParamInterface<ScreenHitCase> {};

TEST_P(KeymapScreenHit, TakesAScreenPoint)
{
    const ScreenHitCase& c = GetParam();
    const ToolRun run = runTool({u"hit", u"--screen", c.screen, u"missing.keymap", utf8ToUtf16(std::to_string(c.x)),
                                 utf8ToUtf16(std::to_string(c.y))});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::to_string(c.index) + "\n");
}

// "A" (key 27) is centred at (152, 268) of the design.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Points, KeymapScreenHit,
    testing::Values(ScreenHitCase{"DesignSize", u"1024x600", 152, 268, 27},
                    ScreenHitCase{"Wide", u"1920x1080", 38 + 274, 482, 27},
                    ScreenHitCase{"WideMarginBesideThePanel", u"1920x1080", 37, 482, -1},
                    ScreenHitCase{"Portrait", u"600x1024", 89, 157, 27},
                    ScreenHitCase{"PortraitBelowThePanel", u"600x1024", 89, 600, -1}),
    CaseName());
// clang-format on

TEST_F(KeymapScreen, BadScreensPrintUsageAndExit2)
{
    for (const char16_t* screen :
         {u"0x600", u"1024x0", u"1024", u"x600", u"1024x", u"-1024x600", u"1024x600x1", u"1000001x600"}) {
        const ToolRun hit = runTool({u"hit", u"f", u"1", u"2", u"--screen", screen});
        const ToolRun render = runTool({u"render", u"-o", u"-", u"--screen", screen});
        EXPECT_EQ(hit.exitCode, 2);
        EXPECT_EQ(render.exitCode, 2);
        EXPECT_NE(render.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(runTool({u"render", u"-o", u"-", u"--screen", u"800x480", u"--screen", u"800x480"}).exitCode, 2);
    EXPECT_EQ(runTool({u"hit", u"f", u"1", u"2", u"--screen"}).exitCode, 2);
}

TEST_F(KeymapScreen, RendersTheWholeScreenWithThePanelWhereTheFitPutsIt)
{
    const ToolRun run = runTool({u"render", u"-o", u"-", u"--screen", u"20000x480"});
    EXPECT_EQ(run.exitCode, 0);
    // Clamped to 16384 wide: the height decides, 480 / 600, and the panel is centred along the top.
    EXPECT_NE(run.out.find("width=\"16384\" height=\"480\""), std::string::npos);
    EXPECT_NE(run.out.find("scale 4/5"), std::string::npos) << run.out.substr(0, 600);
    EXPECT_NE(run.out.find("<g transform=\"translate(7782 0)\">"), std::string::npos);
    // The pictures in the README and the user guide are the layout as it stands.
    for (const char* size : {"1920x1080", "600x1024"}) {
        const ToolRun picture = runTool({u"render", u"-o", u"-", u"--screen", utf8ToUtf16(size)});
        EXPECT_TRUE(picture.out == readFile(std::string(PLUMTIDE_SOURCE_ROOT "/layouts/builtin-") + size + ".svg"))
            << "regenerate it: plumtide-keymap render --screen " << size << " -o layouts/builtin-" << size << ".svg";
    }
}

} // namespace
