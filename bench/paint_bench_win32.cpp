// Times the paint pass with real GDI under Wine: a full pass into a memory bitmap, the repaint a tap
// causes (one key's bounds invalidated in a keyboard window) and one step of the hover ring (its square
// invalidated), for the built-in layout and 255 turned
// keys, split and fanned, on the 1024x600 screen; or, given screen sizes (WxH), for the built-in layout
// fitted to each. Prints one "figure layout milliseconds" line per result, each the median of many runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_layouts.h"
#include "timing_win32.h"
#include "layout/keytable.h"
#include "render/geometry.h"
#include "render/hover_ring.h"
#include "render/render_win32.h"

namespace {

constexpr wchar_t WINDOW_CLASS[] = L"PlumtidePaintBench";
constexpr int WARM_UP_RUNS = 3;
constexpr int FULL_PASS_RUNS = 60;
constexpr int TAP_RUNS = 300;

// Passes painted in the window, so that a repaint that never happened cannot pass for a fast one.
int windowPaints = 0;

// Paints as the keyboard's window does: no background erase, the pass on every WM_PAINT.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        paintPanel(dc);
        EndPaint(window, &paint);
        ++windowPaints;
        return 0;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The keyboard's window as start-up makes it: layered at half alpha, top-most, never activated,
// placed where the fit shows the panel.
HWND createKeyboardWindow()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&windowClass);
    HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, WINDOW_CLASS,
                        L"Plumtide paint bench", WS_POPUP, shownWindowPosition().x, shownWindowPosition().y,
                        windowSize.width, windowSize.height, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

// A 32-bit bitmap of the client area and a memory device context holding it.
struct MemoryBitmap {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ kept;
};

MemoryBitmap createBitmap()
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = windowSize.width;
    info.bmiHeader.biHeight = -(windowSize.height - clientOffset);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    MemoryBitmap memory = {};
    void* bits = nullptr;
    memory.dc = CreateCompatibleDC(nullptr);
    memory.bitmap = CreateDIBSection(memory.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    memory.kept = SelectObject(memory.dc, memory.bitmap);
    return memory;
}

void deleteBitmap(const MemoryBitmap& memory)
{
    SelectObject(memory.dc, memory.kept);
    DeleteObject(memory.bitmap);
    DeleteDC(memory.dc);
}

// Median milliseconds of a full pass into the bitmap.
double fullPassMs(const MemoryBitmap& memory)
{
    std::vector<double> runs;
    for (int i = 0; i < WARM_UP_RUNS + FULL_PASS_RUNS; ++i) {
        const double begin = nowMs();
        paintPanel(memory.dc);
        GdiFlush();
        if (i >= WARM_UP_RUNS)
            runs.push_back(nowMs() - begin);
    }
    return median(runs);
}

// Median milliseconds of a partial repaint, as the keyboard makes one: before each, `change` alters
// what is drawn and gives the area to repaint, which is invalidated with erase and painted at once.
// Negative when a repaint painted nothing.
template <typename Change>
double partialRepaintMs(HWND window, Change change)
{
    const int paintsBefore = windowPaints;
    std::vector<double> runs;
    for (int i = 0; i < WARM_UP_RUNS + TAP_RUNS; ++i) {
        const Rect changed = change(i);
        const RECT area = {changed.left, changed.top, changed.right, changed.bottom};
        const double begin = nowMs();
        InvalidateRect(window, &area, TRUE);
        UpdateWindow(window);
        GdiFlush();
        if (i >= WARM_UP_RUNS)
            runs.push_back(nowMs() - begin);
    }
    return windowPaints - paintsBefore == WARM_UP_RUNS + TAP_RUNS ? median(runs) : -1;
}

// What a tap on the last key repaints: its state changes and its bounds are repainted.
double tapRepaintMs(HWND window)
{
    KeyRecord& key = keyTable->keys[keyTable->count - 1];
    const double ms = partialRepaintMs(window, [&key](int) {
        key.state = key.state == KeyState::Up ? KeyState::Down : KeyState::Up;
        return key.bounds;
    });
    key.state = KeyState::Up;
    return ms;
}

// One step of the hover ring on the last key, as hover typing repaints it: the ring's square.
double ringStepMs(HWND window)
{
    const int key = keyTable->count - 1;
    constexpr int32_t STEP = RING_FULL / 20;
    const double ms = partialRepaintMs(window, [key](int i) {
        hoverRing = {key, STEP * (1 + i % 20)};
        return keyRingPaint(key, hoverRing.filled).bounds;
    });
    resetHoverRing();
    return ms;
}

struct Layout {
    std::string name;
    void (*use)(int);
    int keys;
    Size screen;
};

// Both figures of a layout fitted to its screen, in a keyboard window and a bitmap of that size, with
// the fonts and pens of its scale; false, having said why, when the layout or the tap fails.
bool measure(const Layout& layout, int caption)
{
    resetPlacement();
    layout.use(caption);
    if (keyTable->count != layout.keys) {
        std::fprintf(stderr, "the %s layout has %d keys instead of %d\n", layout.name.c_str(), keyTable->count,
                     layout.keys);
        return false;
    }
    fitPanelToScreen({0, 0, layout.screen.width, layout.screen.height});
    HWND window = createKeyboardWindow();
    createFonts();
    applyColorStyle(window, 1);
    const MemoryBitmap memory = createBitmap();
    // A first pass stores every key's bounds, which the tap invalidates.
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    std::printf("paint_full_ms %s %.3f\n", layout.name.c_str(), fullPassMs(memory));
    const double tap = tapRepaintMs(window);
    if (tap >= 0)
        std::printf("paint_tap_ms %s %.3f\n", layout.name.c_str(), tap);
    else
        std::fprintf(stderr, "a tap on the %s layout repainted nothing\n", layout.name.c_str());
    const double ring = ringStepMs(window);
    if (ring >= 0)
        std::printf("paint_ring_ms %s %.3f\n", layout.name.c_str(), ring);
    else
        std::fprintf(stderr, "a ring step on the %s layout repainted nothing\n", layout.name.c_str());
    std::fflush(stdout);
    deleteBitmap(memory);
    DestroyWindow(window);
    return tap >= 0 && ring >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!allocateKeyTable())
        return 1;
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    std::vector<Layout> layouts;
    for (int i = 1; i < argc; ++i) {
        Size screen = {};
        if (std::sscanf(argv[i], "%dx%d", &screen.width, &screen.height) != 2) {
            std::fprintf(stderr, "usage: plumtide_paint_bench [WxH...]\n");
            return 2;
        }
        layouts.push_back({std::string("builtin") + argv[i], useBuiltInLayout, 66, screen});
    }
    if (layouts.empty()) {
        const Size design = {PANEL_WIDTH, PANEL_HEIGHT};
        layouts = {{"builtin", useBuiltInLayout, 66, design},
                   {"split255", [](int c) { useWorstCaseLayout(c, Turning::Split); }, WORST_CASE_KEYS, design},
                   {"fanned255", [](int c) { useWorstCaseLayout(c, Turning::Fanned); }, WORST_CASE_KEYS, design}};
    }
    int status = 0;
    for (const Layout& layout : layouts) {
        if (!measure(layout, caption))
            status = 1;
    }
    releasePalette();
    freeKeyTable();
    return status;
}
