// The window region that applyPanelShape gives the window, compared with the polygon of each dock side.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/case_name.h"
#include "layout/keytable.h"
#include "render/geometry.h"
#include "render/render_win32.h"

namespace {

constexpr wchar_t windowClass[] = L"PlumtideShapeTest";

struct RegionCase {
    std::string name;
    DockSide side;
    std::vector<POINT> vertices;
};

class PanelRegion : public testing::TestWithParam<RegionCase> {
protected:
    void SetUp() override
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = windowClass;
        ASSERT_NE(RegisterClassExW(&wc), 0);
        window = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass, L"", WS_POPUP, 0, 0, 1200, 700, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        resetPlacement();
        clientOffset = 19;
    }
    void TearDown() override
    {
        DestroyWindow(window);
        UnregisterClassW(windowClass, GetModuleHandleW(nullptr));
    }

    HWND window = nullptr;
};

TEST_P(PanelRegion, IsThePolygonOfTheDockSideWithWindingFill)
{
    const RegionCase& c = GetParam();
    panelLayout = {c.side, 500, 80, 60};
    applyPanelShape(window);

    HRGN got = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, got), ERROR);
    HRGN expected = CreatePolygonRgn(c.vertices.data(), static_cast<int>(c.vertices.size()), WINDING);
    EXPECT_TRUE(EqualRgn(got, expected));
    // The class menu's strip is never part of a docked window.
    EXPECT_EQ(PtInRegion(got, 10, 5) != 0, c.side == DockSide::None);
    DeleteObject(expected);
    DeleteObject(got);
    EXPECT_EQ(windowSize.width, c.side == DockSide::Right || c.side == DockSide::Left ? 1104 : 1024);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DockSides, PanelRegion,
    testing::Values(
        RegionCase{"None", DockSide::None, {{0, 0}, {0, 600}, {1024, 600}, {1024, 0}}},
        RegionCase{"Top",
                   DockSide::Top,
                   {{0, 19}, {1024, 19}, {1024, 619}, {580, 619}, {580, 675}, {576, 679}, {504, 679}, {500, 675}, {500, 619}, {0, 619}, {0, 19}}},
        RegionCase{"Bottom",
                   DockSide::Bottom,
                   {{0, 79}, {500, 79}, {500, 23}, {504, 19}, {576, 19}, {580, 23}, {580, 79}, {1024, 79}, {1024, 679}, {0, 679}, {0, 79}}},
        RegionCase{"Right",
                   DockSide::Right,
                   {{80, 19}, {1104, 19}, {1104, 619}, {80, 619}, {80, 579}, {4, 579}, {0, 575}, {0, 523}, {4, 519}, {80, 519}, {80, 19}}},
        RegionCase{"Left",
                   DockSide::Left,
                   {{0, 19}, {1024, 19}, {1024, 519}, {1100, 519}, {1104, 523}, {1104, 575}, {1100, 579}, {1024, 579}, {1024, 619}, {0, 619}, {0, 19}}}),
    CaseName());
// clang-format on

TEST_F(PanelRegion, UnknownDockSideDoesNothingAtAll)
{
    panelLayout = {static_cast<DockSide>(5), 500, 80, 60};
    applyPanelShape(window);
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window, got), ERROR) << "no region";
    DeleteObject(got);
    EXPECT_EQ(windowSize.width, 0);
    EXPECT_EQ(windowOrigin.y, 0);
}

} // namespace
