// The real keyboard on desktops of other sizes: typing at scaled keys, sliding, and a resolution change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support_win32.h"
#include "layout/default_layout.h"
#include "render/geometry.h"

namespace {

// Where the keyboard should show the built-in layout on the screen as it is now, with the client
// offset its window has.
PanelFit expectedFit(HWND keyboard)
{
    RECT frame = {};
    POINT client = {0, 0};
    GetWindowRect(keyboard, &frame);
    ClientToScreen(keyboard, &client);
    PanelFit fit{};
    computePanelFit({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, PANEL_LAYOUT_DEFAULTS,
                    client.y - frame.top, &fit);
    return fit;
}

// Whether the window is where the fit shows the panel (or `hiddenBy` above it), at the fit's size.
bool placedAsFitted(HWND keyboard, const PanelFit& fit, int hiddenBy = 0)
{
    RECT frame = {};
    GetWindowRect(keyboard, &frame);
    return frame.left == fit.panelPosition.x - fit.shape.origin.x &&
           frame.top == fit.panelPosition.y - fit.shape.origin.y - hiddenBy &&
           frame.right - frame.left == fit.shape.size.width && frame.bottom - frame.top == fit.shape.size.height;
}

// The screen point of a built-in key's scaled centre.
POINT keyPoint(const PanelFit& fit, const char16_t* label)
{
    for (const KeyRecord& key : DefaultLayout) {
        if (std::u16string(key.label) == label)
            return {fit.panelPosition.x + scaleValue(key.centerX, fit.scale),
                    fit.panelPosition.y + scaleValue(key.centerY, fit.scale)};
    }
    ADD_FAILURE() << "no such key";
    return {0, 0};
}

void tapKey(const PanelFit& fit, const char16_t* label)
{
    const POINT p = keyPoint(fit, label);
    e2e::tap(p.x, p.y);
}

TEST(Fit, TypesIntoNotepadAtScaledCentresAndSlidesAwayAndBack)
{
    e2e::Notepad notepad;
    EXPECT_TRUE(notepad.start());
    const auto typed = [&](const std::wstring& expected) { return notepad.shows(expected); };
    {
        e2e::Keyboard keyboard;
        ASSERT_TRUE(keyboard.start());
        const PanelFit fit = expectedFit(keyboard.window());
        EXPECT_TRUE(placedAsFitted(keyboard.window(), fit)) << "docked at the top, centred along it";
        tapKey(fit, u"A");
        tapKey(fit, u"S");
        EXPECT_TRUE(typed(L"as"));

        // The middle of the hide area, on the panel beside the tab; then the tab, left at the screen's top.
        const PanelLayout tab = scaledPanelLayout(PANEL_LAYOUT_DEFAULTS, fit.scale);
        const LONG tabX = fit.panelPosition.x + tab.tabOffset + tab.tabWidth / 2;
        e2e::tap(tabX, fit.panelPosition.y + fit.panel.height - tab.tabHeight / 2);
        EXPECT_TRUE(e2e::waitUntil([&] { return placedAsFitted(keyboard.window(), fit, fit.panel.height); }));
        e2e::pumpFor(3 * 50);
        e2e::tap(tabX, tab.tabHeight / 2);
        EXPECT_TRUE(e2e::waitUntil([&] { return placedAsFitted(keyboard.window(), fit); })) << "slid back";
        e2e::pumpFor(3 * 50);
        tapKey(fit, u"D");
        EXPECT_TRUE(typed(L"asd"));
        EXPECT_TRUE(GetForegroundWindow() == notepad.frame) << "the keyboard took the focus";
    }
}

// A panel cut to its keys covers only them: a click where the full panel would lie reaches the window
// beneath, and a tap on a key still types.
TEST(Fit, ACutPanelLeavesTheRestOfTheScreenToTheWindowBeneath)
{
    const std::wstring text = L"TAG:2,472,80,60,\r\nOPT:Panel=keys\r\n@N,300,540,70,86,0,A,,,VK_A,VK_A\r\n"
                              L"@N,700,540,70,86,0,B,,,VK_B,VK_B\r\n";
    const std::string keymap = e2e::keymapBytes(text);
    // The same keys and panel line as the keyboard reads them.
    static KeyTable table;
    table.count = 2;
    table.keys[0] = {KeyKind::Normal, 300, 540, 70, 86, 0, u"A", u"", u"", 0x41, 0x41, KeyState::Up, {}};
    table.keys[1] = {KeyKind::Normal, 700, 540, 70, 86, 0, u"B", u"", u"", 0x42, 0x42, KeyState::Up, {}};
    const PanelLayout layout = {DockSide::Bottom, 472, 80, 60};
    const PanelArea area = computePanelArea(&table, layout, PanelCut::Keys);
    ASSERT_EQ(area.cut, PanelCut::Keys);

    e2e::FocusWindow focus;
    // Where the full panel would lie: along the top of the screen.
    MoveWindow(focus.handle(), 0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 4, TRUE);
    ASSERT_TRUE(focus.takeFocus());
    e2e::Keyboard keyboard(&keymap);
    ASSERT_TRUE(keyboard.start());
    RECT frame = {};
    POINT client = {0, 0};
    GetWindowRect(keyboard.window(), &frame);
    ClientToScreen(keyboard.window(), &client);
    PanelFit fit{};
    ASSERT_TRUE(computePanelFit({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, layout,
                                client.y - frame.top, &fit, area));
    EXPECT_TRUE(placedAsFitted(keyboard.window(), fit)) << "docked at the bottom, cut to the two keys";

    RECT beneath = {};
    GetClientRect(focus.handle(), &beneath);
    POINT middle = {beneath.right / 2, beneath.bottom / 2};
    ClientToScreen(focus.handle(), &middle);
    e2e::tap(middle.x, middle.y);
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.clicks() == 1; })) << "the click went to the window beneath";
    ASSERT_TRUE(focus.takeFocus());
    const KeyRecord& b = table.keys[1];
    e2e::tap(fit.panelPosition.x + scaleValue(int64_t{b.centerX} - area.rect.left, fit.scale),
             fit.panelPosition.y + scaleValue(int64_t{b.centerY} - area.rect.top, fit.scale));
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.text() == L"b"; }));
}

class ResolutionChange : public testing::Test {
protected:
    // The desktop's own size again, whatever the test did.
    void TearDown() override { ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr); }
};

// Wine's virtual desktop takes display modes up to its own size. A key held while the screen changes
// stays held: one key-up at its release, and no other event.
TEST_F(ResolutionChange, FitsAgainAndKeepsAHeldKeyHeld)
{
    e2e::FocusWindow focus;
    e2e::Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    const PanelFit before = expectedFit(keyboard.window());
    const POINT f = keyPoint(before, u"F");
    e2e::pointerDown(f.x, f.y);
    ASSERT_TRUE(e2e::waitUntil([&] { return !focus.keys().empty(); }));

    // The largest mode narrower than the desktop.
    DEVMODEW best = {};
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; EnumDisplaySettingsW(nullptr, i, &mode); ++i) {
        if (mode.dmPelsWidth < static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN)) &&
            mode.dmPelsWidth * mode.dmPelsHeight > best.dmPelsWidth * best.dmPelsHeight)
            best = mode;
    }
    best.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(ChangeDisplaySettingsExW(nullptr, &best, nullptr, CDS_FULLSCREEN, nullptr), DISP_CHANGE_SUCCESSFUL);
    PanelFit after = {};
    EXPECT_TRUE(e2e::waitUntil([&] {
        after = expectedFit(keyboard.window());
        return !(after.scale == before.scale) && placedAsFitted(keyboard.window(), after);
    })) << "fitted to "
        << best.dmPelsWidth << "x" << best.dmPelsHeight;
    e2e::pointerUp(0, 0);
    tapKey(after, u"G");
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.keys().size() >= 4 && !focus.keys().back().down; }));
    // The held F may have repeated before its one key-up; then G.
    std::vector<std::string> trace;
    for (const e2e::KeyMessage& key : focus.keys())
        trace.push_back(std::string(key.down ? "dn:" : "up:") + static_cast<char>(key.vk));
    while (trace.size() > 4 && trace[1] == "dn:F")
        trace.erase(trace.begin());
    EXPECT_EQ(trace, (std::vector<std::string>{"dn:F", "up:F", "dn:G", "up:G"}));
    EXPECT_TRUE(focus.hasFocus());
}

} // namespace
