// The paint pass with real GDI into a memory bitmap: colours by style and state, the dock tab and its
// arrows, stacking order, legends, bounds, and a device context left as it was found.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/case_name.h"
#include "support/test_keys.h"
#include "layout/default_layout.h"
#include "layout/keytable.h"
#include "render/geometry.h"
#include "render/paint_geometry.h"
#include "render/palette.h"
#include "render/palette_win32.h"
#include "render/render_win32.h"
#include "render/scan_marks.h"

namespace {

constexpr wchar_t windowClass[] = L"PlumtidePaintTest";
int paintCount = 0;

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        paintPanel(dc);
        EndPaint(window, &ps);
        ++paintCount;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::string hex(COLORREF color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(color));
    return text;
}

// A keyboard window that paints with paintPanel, and a memory bitmap of its client area to paint
// into directly.
class PaintPass : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = testWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = windowClass;
        ASSERT_NE(RegisterClassExW(&wc), 0);
        window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, windowClass, L"", WS_POPUP, 0, 0, 1024, 600,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);

        ASSERT_TRUE(resetLayout());
        resetPlacement();
        clientOffset = 19;
        createFonts();
    }

    void TearDown() override
    {
        if (memory) {
            SelectObject(memory, keptBitmap);
            DeleteObject(bitmap);
            DeleteDC(memory);
        }
        releasePalette();
        freeKeyTable();
        if (window)
            DestroyWindow(window);
        UnregisterClassW(windowClass, GetModuleHandleW(nullptr));
    }

    // Places the panel for panelLayout and makes a bitmap of the client area, filled with `fill`.
    void makeBitmap(COLORREF fill = RGB(1, 2, 3))
    {
        updateWindowPlacement();
        width = windowSize.width;
        height = windowSize.height - clientOffset;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        memory = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        pixels = static_cast<const uint32_t*>(bits);
        keptBitmap = SelectObject(memory, bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all = {0, 0, width, height};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
    }

    void paint()
    {
        paintPanel(memory);
        GdiFlush();
    }

    COLORREF pixel(int x, int y) const { return GetPixel(memory, x, y); }

    // The pass as a repaint of one area: the device context clipped to it, as BeginPaint clips to the
    // area invalidated.
    void paintClipped(const Rect& area)
    {
        HRGN region = CreateRectRgn(area.left, area.top, area.right, area.bottom);
        SelectClipRgn(memory, region);
        DeleteObject(region);
        paint();
        SelectClipRgn(memory, nullptr);
    }

    std::vector<uint32_t> snapshot() const
    {
        GdiFlush();
        return std::vector<uint32_t>(pixels, pixels + static_cast<size_t>(width) * height);
    }

    // The first pixel where two pictures differ, inside `area` or outside it; "" when none does. The
    // area is taken as a region takes it, its corners in either order.
    std::string firstDifference(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected,
                                const Rect& area, bool inside) const
    {
        const int left = std::min(area.left, area.right);
        const int right = std::max(area.left, area.right);
        const int top = std::min(area.top, area.bottom);
        const int bottom = std::max(area.top, area.bottom);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool in = x >= left && x < right && y >= top && y < bottom;
                const size_t i = static_cast<size_t>(y) * width + x;
                if (in == inside && actual[i] != expected[i])
                    return std::to_string(x) + ", " + std::to_string(y) + ": " + hex(actual[i]) + " instead of " +
                           hex(expected[i]);
            }
        return "";
    }

    // True when some pixel of the rectangle has exactly this colour.
    bool anyPixel(RECT area, COLORREF color) const
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (pixel(x, y) == color)
                    return true;
        return false;
    }

    static KeyRecord& addKey(int16_t cx, int16_t cy, int16_t w, int16_t h, int16_t angle,
                             std::u16string_view label = u"", std::u16string_view shiftLabel = u"",
                             std::u16string_view fnLabel = u"")
    {
        KeyRecord& key = keyTable->keys[keyTable->count++];
        key = testKey(cx, cy, w, h, angle, label, shiftLabel, fnLabel);
        return key;
    }

    static void addCrowdedKeys();

    HWND window = nullptr;
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ keptBitmap = nullptr;
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

#define EXPECT_COLOR(actual, expected) EXPECT_EQ(hex(actual), hex(expected))

// ---- Colours ----------------------------------------------------------------------------------------

struct StyleCase {
    std::string name;
    int style;
};

class PaintStyle : public PaintPass, public testing::WithParamInterface<StyleCase> {};

TEST_P(PaintStyle, FillsBackgroundTabArrowsAndKeysInTheStylesColours)
{
    addKey(200, 300, 70, 86, 0);
    addKey(300, 300, 70, 86, 0).state = KeyState::Down;
    addKey(400, 300, 70, 86, 0).state = KeyState::Locked;
    addKey(600, 300, 70, 86, 0, u"R").state = KeyState::Down;
    addKey(700, 300, 70, 86, 0, u"K");
    scanMarks[3] = ScanMark::Row;
    scanMarks[4] = ScanMark::Key;
    makeBitmap();
    applyColorStyle(window, GetParam().style);
    const PaletteColors colors = paletteColors(GetParam().style);
    paint();
    clearScanMarks();

    EXPECT_COLOR(pixel(100, 300), colors.textColor) << "background";
    EXPECT_COLOR(pixel(1023, 0), colors.textColor) << "background to the client area's corner";
    EXPECT_COLOR(pixel(200, 330), colors.faceColor) << "Up key";
    EXPECT_COLOR(pixel(300, 330), DOWN_COLOR) << "Down key";
    EXPECT_COLOR(pixel(400, 330), LOCKED_COLOR) << "Locked key";
    EXPECT_COLOR(pixel(165, 300), colors.faceColor) << "outline on the key's left column";
    // The scan's highlight: the style's two colours exchanged, whatever the key's state, and the
    // key the switch would type framed inside its outline.
    EXPECT_COLOR(pixel(600, 330), colors.textColor) << "key of the highlighted row";
    EXPECT_TRUE(anyPixel({575, 267, 595, 290}, colors.faceColor)) << "its legend in the face colour";
    EXPECT_COLOR(pixel(700, 330), colors.textColor) << "highlighted key";
    EXPECT_COLOR(pixel(668, 300), colors.faceColor) << "the highlighted key's frame";
    EXPECT_COLOR(pixel(675, 300), colors.textColor) << "inside the frame";

    // Default tab, docked at the top: box x 500 to 579, y 540 to 659.
    EXPECT_COLOR(pixel(510, 580), colors.faceColor) << "tab, inner half";
    EXPECT_COLOR(pixel(510, 620), colors.faceColor) << "tab, outer half";
    EXPECT_COLOR(pixel(500, 540), colors.textColor) << "the cut corner shows the background";
    EXPECT_COLOR(pixel(579, 659), colors.textColor) << "the cut corner shows the background";
    EXPECT_COLOR(pixel(539, 560), colors.textColor) << "up arrow";
    EXPECT_COLOR(pixel(539, 640), colors.textColor) << "down arrow";
    EXPECT_COLOR(pixel(539, 545), colors.faceColor) << "above the up arrow's tip";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Styles, PaintStyle,
                         testing::Values(StyleCase{"Style1", 1}, StyleCase{"Style2", 2}, StyleCase{"Style3", 3},
                                         StyleCase{"Style4", 4}, StyleCase{"Style5", 5}, StyleCase{"Style6", 6}),
                         CaseName());
// clang-format on

TEST_F(PaintPass, LowerIndexIsDrawnOnTop)
{
    addKey(300, 300, 70, 86, 0).state = KeyState::Down;
    addKey(330, 300, 70, 86, 0).state = KeyState::Locked;
    makeBitmap();
    applyColorStyle(window, 1);
    paint();
    EXPECT_COLOR(pixel(320, 330), DOWN_COLOR) << "the overlap belongs to key 0";
    EXPECT_COLOR(pixel(350, 330), LOCKED_COLOR);
}

TEST_F(PaintPass, DockSideNoneDrawsNoTab)
{
    panelLayout.dockSide = DockSide::None;
    makeBitmap();
    applyColorStyle(window, 1);
    paint();
    EXPECT_EQ(height, 600 - 19);
    for (int y : {545, 560, 575})
        for (int x : {505, 539, 570})
            EXPECT_COLOR(pixel(x, y), 0xFFFFFF) << x << ", " << y;
}

TEST_F(PaintPass, RightDockDrawsTheTabOnTheLeftWithSidewaysArrows)
{
    panelLayout.dockSide = DockSide::Right;
    makeBitmap();
    applyColorStyle(window, 1);
    paint();
    EXPECT_EQ(width, 1104);
    EXPECT_COLOR(pixel(100, 505), 0xC0C0C0) << "tab";
    EXPECT_COLOR(pixel(14, 529), 0xFFFFFF) << "left arrow";
    EXPECT_COLOR(pixel(145, 529), 0xFFFFFF) << "right arrow";
    EXPECT_COLOR(pixel(0, 500), 0xFFFFFF) << "cut corner";
}

TEST_F(PaintPass, TurnedKeyIsDrawnTurned)
{
    addKey(300, 300, 100, 100, 450, u"A");
    makeBitmap();
    applyColorStyle(window, 2);
    paint();
    EXPECT_COLOR(pixel(300, 320), 0x808080) << "inside the diamond";
    EXPECT_COLOR(pixel(240, 240), 0xFFFFFF) << "inside the upright square only";
    EXPECT_COLOR(pixel(232, 300), 0x808080) << "near the left corner";
}

TEST_F(PaintPass, LegendsSitWhereThePaintGeometryPutsThem)
{
    KeyRecord& tab = addKey(200, 300, 70, 86, 0, u"Tab");
    KeyRecord& digit = addKey(300, 300, 70, 86, 0, u"1", u"!", u"F1");
    makeBitmap();
    applyColorStyle(window, 3); // white text on black keys
    paint();
    const Point p0 = computeKeyPaint(tab).quad.corner[0];
    EXPECT_TRUE(anyPixel({p0.x + 10, p0.y + 10, p0.x + 60, p0.y + 10 + 16}, 0xFFFFFF)) << "\"Tab\" is drawn";
    EXPECT_FALSE(anyPixel({p0.x + 2, p0.y + 2, p0.x + 68, p0.y + 10}, 0xFFFFFF)) << "nothing above its cell";
    EXPECT_FALSE(anyPixel({p0.x + 2, p0.y + 10, p0.x + 10, p0.y + 84}, 0xFFFFFF)) << "nothing left of its cell";

    const Point d0 = computeKeyPaint(digit).quad.corner[0];
    EXPECT_TRUE(anyPixel({d0.x + 4, d0.y + 68, d0.x + 40, d0.y + 84}, FN_LABEL_COLOR)) << "\"F1\" in the Fn colour";
    EXPECT_FALSE(anyPixel({d0.x + 2, d0.y + 2, d0.x + 68, d0.y + 68}, FN_LABEL_COLOR)) << "nothing else in it";
    EXPECT_TRUE(anyPixel({d0.x + 4, d0.y + 4, d0.x + 30, d0.y + 29}, 0xFFFFFF)) << "\"!\" at the top";
    EXPECT_TRUE(anyPixel({d0.x + 4, d0.y + 32, d0.x + 30, d0.y + 57}, 0xFFFFFF)) << "\"1\" a third down";
}

TEST_F(PaintPass, StoresEveryKeysBounds)
{
    panelLayout.dockSide = DockSide::Bottom;
    addKey(78, 88, 70, 86, 0, u"Esc");
    addKey(200, 300, 100, 40, 300, u"Alt", u"", u"Menu");
    addKey(600, 300, 0, 0, 0);
    makeBitmap();
    applyColorStyle(window, 1);
    paint();
    // Bottom: client y = panel y + 60, the tab's height.
    const Rect expected[] = {{43, 105, 113, 191}, {147, 318, 253, 402}, {600, 360, 600, 360}};
    for (int i = 0; i < 3; ++i) {
        const Rect& b = keyTable->keys[i].bounds;
        EXPECT_EQ(b.left, expected[i].left) << i;
        EXPECT_EQ(b.top, expected[i].top) << i;
        EXPECT_EQ(b.right, expected[i].right) << i;
        EXPECT_EQ(b.bottom, expected[i].bottom) << i;
    }
}

TEST_F(PaintPass, LeavesTheDeviceContextAsItFoundIt)
{
    addKey(200, 300, 70, 86, 0, u"1", u"!", u"F1");
    addKey(300, 300, 70, 86, 300, u"Alt", u"", u"Menu").state = KeyState::Locked;
    addKey(400, 300, 70, 86, -150, u"A").state = KeyState::Down;
    makeBitmap();
    applyColorStyle(window, 1);

    HFONT font = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HBRUSH brush = CreateSolidBrush(RGB(9, 8, 7));
    HPEN pen = CreatePen(PS_DASH, 1, RGB(7, 8, 9));
    HGDIOBJ originalFont = SelectObject(memory, font);
    HGDIOBJ originalBrush = SelectObject(memory, brush);
    HGDIOBJ originalPen = SelectObject(memory, pen);
    SetTextColor(memory, RGB(1, 2, 3));
    SetBkMode(memory, OPAQUE);

    paint();

    EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_PEN), pen);
    EXPECT_COLOR(GetTextColor(memory), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(memory), OPAQUE);

    SelectObject(memory, originalFont);
    SelectObject(memory, originalBrush);
    SelectObject(memory, originalPen);
    DeleteObject(font);
    DeleteObject(brush);
    DeleteObject(pen);
}

TEST_F(PaintPass, DrawsNothingWithoutAKeyTable)
{
    makeBitmap(RGB(10, 20, 30));
    applyColorStyle(window, 1);
    freeKeyTable();
    paint();
    EXPECT_COLOR(pixel(100, 100), RGB(10, 20, 30));
    EXPECT_COLOR(pixel(539, 560), RGB(10, 20, 30));
    ASSERT_NE(allocateKeyTable(), nullptr);
}

TEST_F(PaintPass, EmptyTableDrawsBackgroundAndTab)
{
    makeBitmap();
    applyColorStyle(window, 1);
    paint();
    EXPECT_COLOR(pixel(100, 100), 0xFFFFFF);
    EXPECT_COLOR(pixel(510, 580), 0xC0C0C0);
}

// The extent of the pixels of one colour inside an area: width and height of their bounding box.
struct InkExtent {
    int width;
    int height;
};

TEST_F(PaintPass, ShortLegendsUseTheLargeFontAndLongOnesTheSmallTurnedOrNot)
{
    // Style 3 draws white text on black keys; the keys are far apart and large enough for the text.
    struct Subject {
        int16_t angle;
        const char16_t* label;
    };
    const Subject subjects[] = {{0, u"W"}, {0, u"WW"}, {900, u"W"}, {900, u"WW"}, {-900, u"W"}, {-900, u"WW"}};
    for (int i = 0; i < 6; ++i)
        addKey(static_cast<int16_t>(150 + (i / 2) * 300), static_cast<int16_t>(150 + (i % 2) * 250), 160, 160,
               subjects[i].angle, subjects[i].label);
    makeBitmap();
    applyColorStyle(window, 3);
    paint();
    const auto ink = [this](int i) {
        const Rect b = keyTable->keys[i].bounds;
        int left = b.right, right = b.left, top = b.bottom, bottom = b.top;
        for (int y = b.top + 1; y < b.bottom - 1; ++y)
            for (int x = b.left + 1; x < b.right - 1; ++x)
                if (pixel(x, y) == 0xFFFFFF) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return InkExtent{right - left + 1, bottom - top + 1};
    };
    // A glyph's height runs along the screen's y upright and along x turned by a quarter.
    EXPECT_GT(ink(0).height * 4, ink(1).height * 5) << "upright: W in 25 px, WW in 16 px";
    EXPECT_GT(ink(2).width * 4, ink(3).width * 5) << "turned +90: W in 25 px, WW in 16 px";
    EXPECT_GT(ink(4).width * 4, ink(5).width * 5) << "turned -90: W in 25 px, WW in 16 px";
}

// ---- Repainting one key --------------------------------------------------------------------------

// Neighbours whose legends reach into other keys: long legends on narrow keys, Fn legends below
// short keys, turned keys whose text runs across the keys beside them, overlapping keys.
void PaintPass::addCrowdedKeys()
{
    addKey(100, 100, 30, 40, 0, u"Backspace", u"", u"Delete");
    addKey(135, 100, 30, 40, 0, u"A", u"a", u"F1");
    addKey(100, 140, 30, 30, 0, u"W", u"", u"PrintScreen");
    addKey(300, 200, 40, 30, 900, u"Longer", u"Shifted", u"Fn");
    addKey(300, 250, 60, 30, -450, u"Q", u"q", u"F12");
    addKey(340, 220, 40, 40, 1800, u"Upside", u"", u"down");
    addKey(380, 200, 30, 30, 150, u"\x3042\x3044\x3046\x3048\x304a");
    addKey(360, 240, 20, 20, 0, u"M");
    addKey(600, 300, -40, 30, 0, u"Negative");
    addKey(640, 300, 0, 0, 300, u"Point", u"", u"Fn");
    addKey(700, 300, 120, 40, 3600, u"FullTurn", u"x", u"y");
}

struct RepaintCase {
    std::string name;
    bool builtIn;                   // else the crowded keys
    Size screen = {1024, 600};      // the panel fitted to it: thicker pens and larger text, or tiny text
    ScanMark mark = ScanMark::None; // the key's look changes by the scan's highlight, not its state
};

class PaintRepaint : public PaintPass, public testing::WithParamInterface<RepaintCase> {};

// A tap repaints the key's bounds: there the picture must be exactly what a full pass of the new
// states draws, neighbours' outlines and legends included, and nothing outside may change.
TEST_P(PaintRepaint, RepaintOfOneKeyDrawsWhatAFullPassDrawsThere)
{
    if (GetParam().builtIn)
        installDefaultLayout(*keyTable);
    else
        addCrowdedKeys();
    ASSERT_TRUE(fitPanelToScreen({0, 0, GetParam().screen.width, GetParam().screen.height}));
    rescalePalette();
    makeBitmap();
    applyColorStyle(window, 3);
    for (int i = 0; i < keyTable->count; ++i) {
        paint();
        const std::vector<uint32_t> before = snapshot();
        KeyRecord& key = keyTable->keys[i];
        const auto change = [&](bool changed) {
            if (GetParam().mark == ScanMark::None)
                key.state = changed ? KeyState::Down : KeyState::Up;
            else
                scanMarks[i] = changed ? GetParam().mark : ScanMark::None;
        };
        change(true);
        paint();
        const std::vector<uint32_t> full = snapshot();
        change(false);
        paint();

        change(true);
        const Rect area = key.bounds;
        paintClipped(area);
        const std::vector<uint32_t> repainted = snapshot();
        change(false);
        EXPECT_EQ(firstDifference(repainted, full, area, true), "") << "inside the bounds of key " << i;
        EXPECT_EQ(firstDifference(repainted, before, area, false), "") << "outside the bounds of key " << i;
        // Invalidating the bounds is enough: the key's new look reaches no further.
        EXPECT_EQ(firstDifference(full, before, area, false), "") << "key " << i << " drawn beyond its bounds";
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Layouts, PaintRepaint,
                         testing::Values(RepaintCase{"BuiltIn", true}, RepaintCase{"Crowded", false},
                                         RepaintCase{"BuiltInWide", true, {1920, 1080}},
                                         RepaintCase{"CrowdedWide", false, {1920, 1080}},
                                         RepaintCase{"BuiltInPortrait", true, {600, 1024}},
                                         // Legends of 5 and 8 pixels: small, but drawn as ever.
                                         RepaintCase{"BuiltInTiny", true, {320, 200}},
                                         // The frame of the key the scan's switch would type stays
                                         // within the key's bounds, turned keys' too.
                                         RepaintCase{"CrowdedScanFrame", false, {1024, 600}, ScanMark::Key},
                                         RepaintCase{"CrowdedScanFrameWide", false, {1920, 1080}, ScanMark::Key},
                                         RepaintCase{"BuiltInScanRow", true, {1024, 600}, ScanMark::Row}),
                         CaseName());
// clang-format on

TEST_F(PaintPass, RepaintOfAnyAreaDrawsWhatAFullPassDrawsThere)
{
    addCrowdedKeys();
    makeBitmap();
    applyColorStyle(window, 1);
    paint();
    const std::vector<uint32_t> full = snapshot();
    const Rect areas[] = {{0, 0, 1, 1},         {95, 60, 200, 130},   {250, 150, 420, 300},
                          {290, 160, 300, 260}, {560, 280, 800, 330}, {0, 0, 1024, 661}};
    for (const Rect& area : areas) {
        makeBitmap(RGB(9, 9, 9));
        const std::vector<uint32_t> blank = snapshot();
        paintClipped(area);
        const std::vector<uint32_t> repainted = snapshot();
        EXPECT_EQ(firstDifference(repainted, full, area, true), "") << area.left << ", " << area.top;
        EXPECT_EQ(firstDifference(repainted, blank, area, false), "") << area.left << ", " << area.top;
    }
}

TEST_F(PaintPass, RepaintStoresTheBoundsOfKeysItDoesNotDraw)
{
    addCrowdedKeys();
    makeBitmap();
    applyColorStyle(window, 1);
    for (int i = 0; i < keyTable->count; ++i)
        keyTable->keys[i].bounds = {-7, -7, -7, -7};
    paintClipped({0, 0, 2, 2});
    for (int i = 0; i < keyTable->count; ++i) {
        const Rect expected = computeKeyPaint(keyTable->keys[i]).bounds;
        const Rect& b = keyTable->keys[i].bounds;
        EXPECT_EQ(b.left, expected.left) << i;
        EXPECT_EQ(b.top, expected.top) << i;
        EXPECT_EQ(b.right, expected.right) << i;
        EXPECT_EQ(b.bottom, expected.bottom) << i;
    }
}

// Keys turned alike share their fonts within a pass; each must still look exactly as it does alone,
// whichever key of its angle came first and whatever angles were drawn before it.
TEST_F(PaintPass, TurnedKeyLooksTheSameAloneAndAmongKeysOfItsAngle)
{
    const auto addSubject = [] { addKey(200, 300, 90, 60, 300, u"A", u"Shift", u"F1"); };
    addSubject();
    makeBitmap();
    applyColorStyle(window, 3);
    paint();
    const Rect area = {100, 200, 300, 400};
    const std::vector<uint32_t> alone = snapshot();

    // Drawn last to first: these come before the subject, each far enough not to touch its area.
    addKey(600, 100, 90, 60, 300, u"Long legend", u"", u"Fn");
    addKey(600, 300, 90, 60, -300, u"B", u"b", u"F2");
    addKey(800, 300, 90, 60, 300, u"C", u"", u"");
    addKey(800, 100, 90, 60, 450, u"Other", u"o", u"F3");
    paint();
    EXPECT_EQ(firstDifference(snapshot(), alone, area, true), "");
}

// ---- Palette ----------------------------------------------------------------------------------------

COLORREF brushColor(HBRUSH brush)
{
    LOGBRUSH log = {};
    GetObjectW(brush, sizeof log, &log);
    return log.lbColor;
}

TEST_F(PaintPass, StyleMakesBrushesAndPensAndRepaintsBeforeReturning)
{
    applyColorStyle(window, 5);
    EXPECT_COLOR(brushColor(palette.faceBrush), 0xFFFFFF);
    EXPECT_COLOR(brushColor(palette.textBrush), 0x808080);
    EXPECT_COLOR(brushColor(palette.downBrush), DOWN_COLOR);
    EXPECT_COLOR(brushColor(palette.lockedBrush), LOCKED_COLOR);
    LOGPEN pen = {};
    ASSERT_NE(GetObjectW(palette.textPen, sizeof pen, &pen), 0);
    EXPECT_EQ(pen.lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_EQ(pen.lopnWidth.x, 0);
    EXPECT_COLOR(pen.lopnColor, 0x808080);
    ASSERT_NE(GetObjectW(palette.facePen, sizeof pen, &pen), 0);
    EXPECT_COLOR(pen.lopnColor, 0xFFFFFF);
    EXPECT_COLOR(palette.fnLabelColor, FN_LABEL_COLOR);

    // The style in force again: every brush and pen is made anew, and the window repaints.
    const HGDIOBJ before[] = {palette.faceBrush,   palette.textBrush, palette.downBrush,
                              palette.lockedBrush, palette.facePen,   palette.textPen};
    const int paintsBefore = paintCount;
    applyColorStyle(window, 5);
    EXPECT_EQ(paintCount, paintsBefore + 1);
    for (HGDIOBJ old : before)
        EXPECT_EQ(GetObjectType(old), 0u) << "the old object is deleted";
    EXPECT_COLOR(brushColor(palette.textBrush), 0x808080);
}

TEST_F(PaintPass, UnknownStyleChangesNothing)
{
    applyColorStyle(window, 2);
    const HBRUSH face = palette.faceBrush;
    const int paintsBefore = paintCount;
    applyColorStyle(window, 7);
    applyColorStyle(window, 0);
    EXPECT_EQ(palette.faceBrush, face);
    EXPECT_COLOR(palette.faceColor, 0x808080);
    EXPECT_EQ(paintCount, paintsBefore);
}

TEST_F(PaintPass, FontsAreBoldGothicOfTwoHeights)
{
    for (auto [font, cellHeight] : {std::pair{palette.smallFont, 16}, std::pair{palette.largeFont, 25}}) {
        LOGFONTW log = {};
        ASSERT_NE(GetObjectW(font, sizeof log, &log), 0);
        EXPECT_EQ(log.lfHeight, cellHeight);
        EXPECT_EQ(log.lfEscapement, 0);
        EXPECT_EQ(log.lfWeight, 700);
        EXPECT_EQ(log.lfCharSet, 128);
        EXPECT_EQ(log.lfPitchAndFamily, 0x12);
        EXPECT_EQ(std::wstring(log.lfFaceName), L"MS UI GOTHIC");
    }
}

TEST_F(PaintPass, ReleaseDeletesEveryObject)
{
    applyColorStyle(window, 1);
    const HGDIOBJ objects[] = {palette.smallFont, palette.largeFont,   palette.faceBrush, palette.textBrush,
                               palette.downBrush, palette.lockedBrush, palette.facePen,   palette.textPen};
    releasePalette();
    for (HGDIOBJ object : objects)
        EXPECT_EQ(GetObjectType(object), 0u);
    EXPECT_EQ(palette.faceBrush, nullptr);
    EXPECT_EQ(palette.smallFont, nullptr);
}

} // namespace
