// The panel fitted to screens of every shape: scale, place and tab, scaled key centres, limits, --screen.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "fake/fake_platform.h"
#include "support/case_name.h"
#include "support/tool_run.h"
#include "layout/default_layout.h"
#include "layout/keytable.h"
#include "layout/options.h"
#include "layout/u16text.h"
#include "render/geometry.h"

namespace {

struct FitCase {
    std::string name;
    Size screen;
    DockSide side;
    std::string fit; // scale, panel place and size, window origin and size, tab offset, width, height
    Rect cut = {};   // the design rectangle of a panel cut to its keys; none for the full panel
};

std::string describe(const PanelFit& fit, const PanelLayout& tab)
{
    const auto pair = [](int a, const char* between, int b) { return std::to_string(a) + between + std::to_string(b); };
    return pair(fit.scale.numerator, "/", fit.scale.denominator) + " panel " +
           pair(fit.panelPosition.x, ",", fit.panelPosition.y) + " " + pair(fit.panel.width, "x", fit.panel.height) +
           " origin " + pair(fit.shape.origin.x, ",", fit.shape.origin.y) + " window " +
           pair(fit.shape.size.width, "x", fit.shape.size.height) + " tab " + pair(tab.tabOffset, ",", tab.tabWidth) +
           "," + std::to_string(tab.tabHeight);
}

class PanelFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(PanelFitTest, ScalesThePanelAndPlacesItAgainstItsDockEdge)
{
    const FitCase& c = GetParam();
    const PanelLayout layout = {c.side, 500, 80, 60};
    const PanelArea area = c.cut.right > c.cut.left ? PanelArea{PanelCut::Keys, c.cut} : FULL_PANEL_AREA;
    PanelFit fit{};
    ASSERT_TRUE(computePanelFit({0, 0, c.screen.width, c.screen.height}, layout, 19, &fit, area));
    EXPECT_EQ(describe(fit, fit.tab), c.fit);
    if (area.cut == PanelCut::Full) {
        EXPECT_EQ(describe(fit, scaledPanelLayout(layout, fit.scale)), c.fit) << "the tab as the layout has it";
    }
}

// s = min(W / 1024, H / 600); sizes round to the nearest pixel; the client offset (19) does not scale.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Screens, PanelFitTest,
    testing::Values(
        FitCase{"S1024x600None", {1024, 600}, DockSide::None, "1/1 panel 0,0 1024x600 origin 0,0 window 1024x600 tab 500,80,60"},
        FitCase{"S1024x600Top", {1024, 600}, DockSide::Top, "1/1 panel 0,0 1024x600 origin 0,19 window 1024x679 tab 500,80,60"},
        FitCase{"S1024x600Bottom", {1024, 600}, DockSide::Bottom, "1/1 panel 0,0 1024x600 origin 0,79 window 1024x679 tab 500,80,60"},
        FitCase{"S1024x600Right", {1024, 600}, DockSide::Right, "1/1 panel 0,0 1024x600 origin 80,19 window 1104x619 tab 500,80,60"},
        FitCase{"S1024x600Left", {1024, 600}, DockSide::Left, "1/1 panel 0,0 1024x600 origin 0,19 window 1104x619 tab 500,80,60"},
        FitCase{"S1920x1080None", {1920, 1080}, DockSide::None, "9/5 panel 38,0 1843x1080 origin 0,0 window 1843x1080 tab 900,144,108"},
        FitCase{"S1920x1080Top", {1920, 1080}, DockSide::Top, "9/5 panel 38,0 1843x1080 origin 0,19 window 1843x1207 tab 900,144,108"},
        FitCase{"S1920x1080Bottom", {1920, 1080}, DockSide::Bottom, "9/5 panel 38,0 1843x1080 origin 0,127 window 1843x1207 tab 900,144,108"},
        FitCase{"S1920x1080Right", {1920, 1080}, DockSide::Right, "9/5 panel 77,0 1843x1080 origin 144,19 window 1987x1099 tab 900,144,108"},
        FitCase{"S1920x1080Left", {1920, 1080}, DockSide::Left, "9/5 panel 0,0 1843x1080 origin 0,19 window 1987x1099 tab 900,144,108"},
        FitCase{"S800x480None", {800, 480}, DockSide::None, "25/32 panel 0,5 800x469 origin 0,0 window 800x469 tab 391,63,47"},
        FitCase{"S800x480Top", {800, 480}, DockSide::Top, "25/32 panel 0,0 800x469 origin 0,19 window 800x535 tab 391,63,47"},
        FitCase{"S800x480Bottom", {800, 480}, DockSide::Bottom, "25/32 panel 0,11 800x469 origin 0,66 window 800x535 tab 391,63,47"},
        FitCase{"S800x480Right", {800, 480}, DockSide::Right, "25/32 panel 0,5 800x469 origin 63,19 window 863x488 tab 391,63,47"},
        FitCase{"S800x480Left", {800, 480}, DockSide::Left, "25/32 panel 0,5 800x469 origin 0,19 window 863x488 tab 391,63,47"},
        FitCase{"S600x1024None", {600, 1024}, DockSide::None, "75/128 panel 0,336 600x352 origin 0,0 window 600x352 tab 293,47,35"},
        FitCase{"S600x1024Top", {600, 1024}, DockSide::Top, "75/128 panel 0,0 600x352 origin 0,19 window 600x406 tab 293,47,35"},
        FitCase{"S600x1024Bottom", {600, 1024}, DockSide::Bottom, "75/128 panel 0,672 600x352 origin 0,54 window 600x406 tab 293,47,35"},
        FitCase{"S600x1024Right", {600, 1024}, DockSide::Right, "75/128 panel 0,336 600x352 origin 47,19 window 647x371 tab 293,47,35"},
        FitCase{"S600x1024Left", {600, 1024}, DockSide::Left, "75/128 panel 0,336 600x352 origin 0,19 window 647x371 tab 293,47,35"},
        FitCase{"S3840x2160None", {3840, 2160}, DockSide::None, "18/5 panel 77,0 3686x2160 origin 0,0 window 3686x2160 tab 1800,288,216"},
        FitCase{"S3840x2160Top", {3840, 2160}, DockSide::Top, "18/5 panel 77,0 3686x2160 origin 0,19 window 3686x2395 tab 1800,288,216"},
        FitCase{"S3840x2160Bottom", {3840, 2160}, DockSide::Bottom, "18/5 panel 77,0 3686x2160 origin 0,235 window 3686x2395 tab 1800,288,216"},
        FitCase{"S3840x2160Right", {3840, 2160}, DockSide::Right, "18/5 panel 154,0 3686x2160 origin 288,19 window 3974x2179 tab 1800,288,216"},
        FitCase{"S3840x2160Left", {3840, 2160}, DockSide::Left, "18/5 panel 0,0 3686x2160 origin 0,19 window 3974x2179 tab 1800,288,216"},
        // Cut to the keys: as long as the edge, at most 45% of the other side deep, at most 3; the tab
        // keeps its place on the design where the cut panel holds it, else moves onto it.
        FitCase{"BuiltInCutS1024x600Top", {1024, 600}, DockSide::Top, "135/272 panel 272,0 479x270 origin 0,19 window 479x319 tab 229,40,30", {39, 41, 1005, 585}},
        FitCase{"BottomRowsCutS1920x1080Bottom", {1920, 1080}, DockSide::Bottom, "15/8 panel 0,697 1920x383 origin 0,132 window 1920x515 tab 938,150,113", {0, 396, 1024, 600}},
        FitCase{"NumpadCutS1920x1080Right", {1920, 1080}, DockSide::Right, "54/19 panel 1067,0 853x1080 origin 227,19 window 1080x1099 tab 853,227,171", {700, 200, 1000, 580}},
        FitCase{"NumpadCutS600x1024Left", {600, 1024}, DockSide::Left, "9/10 panel 0,341 270x342 origin 0,19 window 342x361 tab 270,72,54", {700, 200, 1000, 580}},
        FitCase{"StripCutS800x480Top", {800, 480}, DockSide::Top, "3/1 panel 64,0 672x120 origin 0,19 window 672x319 tab 300,240,180", {400, 250, 624, 290}},
        FitCase{"TabBeyondCutS1920x1080Top", {1920, 1080}, DockSide::Top, "81/50 panel 636,0 648x486 origin 0,19 window 648x602 tab 518,130,97", {0, 300, 400, 600}},
        FitCase{"CutS1920x1080None", {1920, 1080}, DockSide::None, "9/5 panel 218,540 1440x540 origin 0,0 window 1440x540 tab 900,144,108", {100, 300, 900, 600}},
        FitCase{"CutS3840x2160Bottom", {3840, 2160}, DockSide::Bottom, "243/136 panel 1057,1188 1726x972 origin 0,126 window 1726x1098 tab 824,143,107", {39, 41, 1005, 585}}),
    CaseName());
// clang-format on

struct AreaCase {
    std::string name;
    std::vector<KeyRecord> keys;
    PanelLayout layout;
    Rect area; // of a panel cut to these keys; none for the full design
};

class PanelAreaOfKeys : public testing::TestWithParam<AreaCase> {};

TEST_P(PanelAreaOfKeys, HoldsEveryCornerAndTheMarginWithinTheDesign)
{
    const AreaCase& c = GetParam();
    static KeyTable table;
    table.count = static_cast<uint8_t>(c.keys.size());
    std::copy(c.keys.begin(), c.keys.end(), table.keys);
    const PanelArea area = computePanelArea(&table, c.layout, PanelCut::Keys);
    const bool cut = c.area.right > c.area.left;
    EXPECT_EQ(area.cut, cut ? PanelCut::Keys : PanelCut::Full);
    const Rect expected = cut ? c.area : FULL_PANEL_AREA.rect;
    EXPECT_TRUE(area.rect.left == expected.left && area.rect.top == expected.top && area.rect.right == expected.right &&
                area.rect.bottom == expected.bottom)
        << area.rect.left << "," << area.rect.top << "," << area.rect.right << "," << area.rect.bottom;
    EXPECT_EQ(computePanelArea(&table, c.layout, PanelCut::Full).cut, PanelCut::Full);
}

KeyRecord key(int16_t x, int16_t y, int16_t width, int16_t height, int16_t angle = 0)
{
    return {KeyKind::Normal, x, y, width, height, angle, u"K", u"", u"", 0x41, 0x41, KeyState::Up, {}};
}

constexpr PanelLayout TOP = PANEL_LAYOUT_DEFAULTS;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, PanelAreaOfKeys,
    testing::Values(
        AreaCase{"builtIn", {std::begin(DefaultLayout), std::end(DefaultLayout)}, TOP, {39, 41, 1005, 585}},
        AreaCase{"noKeys", {}, {DockSide::Top, 500, 80, 60}, {}},
        // 100 x 20 turned 45 degrees about (500, 300): its corners reach 42 each way, truncated.
        AreaCase{"turned", {key(500, 300, 100, 20, 450), key(520, 300, 10, 10)}, TOP, {454, 254, 546, 346}},
        AreaCase{"negativeSize", {key(500, 300, -100, -20)}, {DockSide::None, 0, 0, 0}, {446, 286, 554, 314}},
        // Cut at the design's corner, then widened to the tab's 80 within the design.
        AreaCase{"partlyOff", {key(10, 590, 70, 86)}, TOP, {0, 543, 80, 600}},
        AreaCase{"whollyOff", {key(-200, -200, 70, 86)}, TOP, {}},
        AreaCase{"widenedEvenly", {key(900, 300, 20, 20)}, {DockSide::Right, 0, 80, 60}, {886, 270, 914, 330}},
        AreaCase{"tabLongerThanTheDesign", {key(900, 300, 20, 20)}, {DockSide::Bottom, 0, 2000, 60}, {0, 286, 1024, 314}}),
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

TEST_F(Fitted, AScreenWithoutAreaKeepsTheLastGoodFitAndAHugeOneIsClamped)
{
    ASSERT_TRUE(fitPanelToScreen({0, 0, 1920, 1080}));
    for (Rect bad : {Rect{0, 0, 0, 0}, Rect{0, 0, 1920, 0}, Rect{0, 0, -5, 600}, Rect{100, 100, 50, 700}}) {
        EXPECT_FALSE(fitPanelToScreen(bad));
        EXPECT_EQ(describe({panelScale, {}, {true, windowSize, windowOrigin, 0, {}}, panelPosition, {}}, {}),
                  "9/5 panel 38,0 0x0 origin 0,19 window 1843x1207 tab 0,0,0");
    }
    PanelFit huge{};
    ASSERT_TRUE(computePanelFit({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, PANEL_LAYOUT_DEFAULTS, 19, &huge));
    EXPECT_EQ(describe(huge, scaledPanelLayout(PANEL_LAYOUT_DEFAULTS, huge.scale)),
              "16/1 panel " + std::to_string(INT32_MIN) + "," + std::to_string(INT32_MIN) +
                  " 16384x9600 origin 0,19 window 16384x10579 tab 8000,1280,960");
}

// Every built-in key's scaled centre presses that key, but for the two that earlier keys cover at the
// design size ("[" and "]" under "T" and "Y"), which the covering key still takes; on the full panel
// and on the panel cut to the keys, docked at the top and at the left.
class ScaledCentres : public Fitted, public testing::WithParamInterface<std::tuple<Size, PanelCut, DockSide>> {};

TEST_P(ScaledCentres, PressTheirKeys)
{
    std::vector<int> atDesign;
    for (const KeyRecord& key : DefaultLayout)
        atDesign.push_back(keyAt(key.centerX, key.centerY));
    const auto [screen, cut, side] = GetParam();
    keymapOptions.panel = cut;
    panelLayout.dockSide = side;
    ASSERT_TRUE(fitPanelToScreen({0, 0, screen.width, screen.height}));
    ASSERT_EQ(panelArea.cut, cut);
    const double scale = static_cast<double>(panelScale.numerator) / panelScale.denominator;
    // Where the design's origin lies on the screen.
    const int64_t originX = int64_t{panelPosition.x} - scaleValue(panelArea.rect.left, panelScale);
    const int64_t originY = int64_t{panelPosition.y} - scaleValue(panelArea.rect.top, panelScale);
    int uncovered = 0;
    for (int i = 0; i < keyTable->count; ++i) {
        const KeyRecord& key = keyTable->keys[i];
        const int64_t x = originX + static_cast<int64_t>(std::floor(key.centerX * scale + 0.5));
        const int64_t y = originY + static_cast<int64_t>(std::floor(key.centerY * scale + 0.5));
        EXPECT_EQ(keyAt(x, y), atDesign[i]) << "key " << i;
        uncovered += atDesign[i] == i;
    }
    EXPECT_EQ(uncovered, keyTable->count - 2);
    keymapOptions.panel = PanelCut::Full;
}

std::string centresCaseName(const testing::TestParamInfo<std::tuple<Size, PanelCut, DockSide>>& param)
{
    const Size screen = std::get<0>(param.param);
    return "S" + std::to_string(screen.width) + "x" + std::to_string(screen.height) +
           (std::get<1>(param.param) == PanelCut::Keys ? "Cut" : "") +
           (std::get<2>(param.param) == DockSide::Left ? "Left" : "");
}

INSTANTIATE_TEST_SUITE_P(Screens, ScaledCentres,
                         testing::Combine(testing::Values(Size{1024, 600}, Size{1920, 1080}, Size{800, 480},
                                                          Size{600, 1024}, Size{3840, 2160}),
                                          testing::Values(PanelCut::Full, PanelCut::Keys),
                                          testing::Values(DockSide::Top, DockSide::Left)),
                         centresCaseName);

// plumtide-keymap leaves its fit in place; later tests of this program start from the design size.
class KeymapScreen : public Fitted {};

TEST_F(KeymapScreen, HitTakesAScreenPointAndRenderTheWholeScreen)
{
    // "A" (key 27) is centred at (152, 268) of the design: (38 + 274, 482) at 9/5, (89, 157) at 75/128.
    const auto hit = [](const char16_t* screen, const char16_t* x, const char16_t* y) {
        return runTool({u"hit", u"--screen", screen, u"missing.keymap", x, y}).out;
    };
    EXPECT_EQ(hit(u"1024x600", u"152", u"268"), "27\n");
    EXPECT_EQ(hit(u"1920x1080", u"312", u"482"), "27\n");
    EXPECT_EQ(hit(u"1920x1080", u"37", u"482"), "-1\n") << "the margin beside the panel";
    EXPECT_EQ(hit(u"600x1024", u"89", u"157"), "27\n");
    EXPECT_EQ(hit(u"600x1024", u"89", u"600"), "-1\n") << "below the panel";
    for (const char* size : {"1920x1080", "600x1024"}) {
        const ToolRun picture = runTool({u"render", u"-o", u"-", u"--screen", utf8ToUtf16(size)});
        EXPECT_TRUE(picture.out == readFile(std::string(PLUMTIDE_SOURCE_ROOT "/layouts/builtin-") + size + ".svg"))
            << "regenerate it: plumtide-keymap render --screen " << size << " -o layouts/builtin-" << size << ".svg";
    }
    // The panel cut to its keys: the window is the keys' rectangle and the tab, the rest is the desktop.
    const ToolRun cut = runTool({u"render", u"-o", u"-", u"--screen", u"1920x1080",
                                 utf8ToUtf16(PLUMTIDE_SOURCE_ROOT "/layouts/keys-bottom.keymap")});
    EXPECT_TRUE(cut.out == readFile(PLUMTIDE_SOURCE_ROOT "/layouts/keys-bottom-1920x1080.svg"))
        << "regenerate it: plumtide-keymap render layouts/keys-bottom.keymap --screen 1920x1080 -o "
           "layouts/keys-bottom-1920x1080.svg";
    EXPECT_EQ(runTool({u"hit", u"--screen", u"1920x1080",
                       utf8ToUtf16(PLUMTIDE_SOURCE_ROOT "/layouts/keys-bottom.keymap"), u"960", u"300"})
                  .out,
              "-1\n")
        << "above the cut panel";
    EXPECT_EQ(runTool({u"hit", u"--screen", u"1920x1080",
                       utf8ToUtf16(PLUMTIDE_SOURCE_ROOT "/layouts/keys-bottom.keymap"), u"990", u"900"})
                  .out,
              "46\n")
        << "\"M\", at (537, 472) of the design: 396 + (537 - 10) x 243/212 across, 594 + (472 - 176) x 243/212 down";
    for (const char16_t* bad : {u"0x600", u"1024", u"-1024x600", u"1024x600x1", u"1000001x600"})
        EXPECT_EQ(runTool({u"hit", u"f", u"1", u"2", u"--screen", bad}).exitCode, 2) << utf16ToUtf8(bad);
    EXPECT_EQ(runTool({u"render", u"-o", u"-", u"--screen", u"800x480", u"--screen", u"800x480"}).exitCode, 2);
}

} // namespace
