// The real keyboard on the desktop the harness gives it: it fits the screen, types into Notepad at its
// keys' scaled centres, slides away and back at its scale, and fits again when the resolution changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support_win32.h"
#include "layout/default_layout.h"
#include "render/geometry.h"

namespace {

using e2e::Keyboard;

Rect screenNow()
{
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Where the keyboard should put the built-in layout on the screen as it is now, with the client offset
// its window has.
PanelFit expectedFit(HWND keyboard)
{
    RECT frame = {};
    POINT client = {0, 0};
    GetWindowRect(keyboard, &frame);
    ClientToScreen(keyboard, &client);
    PanelFit fit{};
    computePanelFit(screenNow(), PANEL_LAYOUT_DEFAULTS, client.y - frame.top, &fit);
    return fit;
}

// True once the window is where the fit shows the panel, at the fit's size.
bool placedAsFitted(HWND keyboard, const PanelFit& fit, int hiddenBy = 0)
{
    RECT frame = {};
    GetWindowRect(keyboard, &frame);
    return frame.left == fit.panelPosition.x - fit.shape.origin.x &&
           frame.top == fit.panelPosition.y - fit.shape.origin.y - hiddenBy &&
           frame.right - frame.left == fit.shape.size.width && frame.bottom - frame.top == fit.shape.size.height;
}

POINT onScreen(const PanelFit& fit, int64_t x, int64_t y)
{
    return {static_cast<LONG>(fit.panelPosition.x + scaleValue(x, fit.scale)),
            static_cast<LONG>(fit.panelPosition.y + scaleValue(y, fit.scale))};
}

void tapKey(const PanelFit& fit, const char16_t* label)
{
    for (const KeyRecord& key : DefaultLayout) {
        if (std::u16string(key.label) == label) {
            const POINT p = onScreen(fit, key.centerX, key.centerY);
            e2e::tap(p.x, p.y);
            return;
        }
    }
    ADD_FAILURE() << "no such key";
}

// Wine's Notepad, focused, in the lower right quarter of the screen, closed at the end.
class Notepad {
public:
    Notepad()
    {
        wchar_t commandLine[] = L"notepad.exe";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
            return;
        e2e::waitUntil([this] {
            window_ = e2e::findWindowOf(process_.dwProcessId, L"Notepad", nullptr);
            return window_ && GetForegroundWindow() == window_;
        });
        const Rect screen = screenNow();
        MoveWindow(window_, screen.right / 2, screen.bottom / 2, screen.right / 3, screen.bottom / 3, TRUE);
    }
    ~Notepad()
    {
        // Its unsaved text would hold it in a dialog: it is ended, not closed.
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, e2e::DEADLINE_MS);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    bool focused() const { return window_ && GetForegroundWindow() == window_; }
    std::wstring text() const
    {
        wchar_t text[256] = {};
        SendMessageTimeoutW(FindWindowExW(window_, nullptr, L"Edit", nullptr), WM_GETTEXT, 256,
                            reinterpret_cast<LPARAM>(text), SMTO_NORMAL, e2e::DEADLINE_MS, nullptr);
        return text;
    }
    bool typed(const std::wstring& expected) const
    {
        return e2e::waitUntil([&] { return text() == expected; });
    }

private:
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

TEST(Fit, TypesIntoNotepadAtScaledCentresAndSlidesAwayAndBack)
{
    Notepad notepad;
    ASSERT_TRUE(notepad.focused());
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    const PanelFit fit = expectedFit(keyboard.window());
    EXPECT_TRUE(placedAsFitted(keyboard.window(), fit)) << "docked at the top, centred along it";

    tapKey(fit, u"A");
    tapKey(fit, u"S");
    EXPECT_TRUE(notepad.typed(L"as"));

    // The middle of the hide area, inside the panel beside the tab; then the tab, left at the screen's top.
    const PanelLayout tab = scaledPanelLayout(PANEL_LAYOUT_DEFAULTS, fit.scale);
    const LONG tabX = fit.panelPosition.x + tab.tabOffset + tab.tabWidth / 2;
    e2e::tap(tabX, fit.panelPosition.y + fit.panel.height - tab.tabHeight / 2);
    EXPECT_TRUE(e2e::waitUntil([&] { return placedAsFitted(keyboard.window(), fit, fit.panel.height); }))
        << "slid off the screen";
    e2e::pumpFor(3 * 50);
    e2e::tap(tabX, tab.tabHeight / 2);
    EXPECT_TRUE(e2e::waitUntil([&] { return placedAsFitted(keyboard.window(), fit); })) << "slid back";
    e2e::pumpFor(3 * 50);

    tapKey(fit, u"D");
    EXPECT_TRUE(notepad.typed(L"asd")) << notepad.text().size() << " characters typed";
    EXPECT_TRUE(notepad.focused()) << "the keyboard took the focus";
}

// The largest display mode narrower than the screen now, the one the desktop is restored to after.
class ResolutionChange : public testing::Test {
protected:
    void TearDown() override { ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr); }

    static bool changeToASmallerMode()
    {
        const Rect now = screenNow();
        DEVMODEW best = {};
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        for (DWORD i = 0; EnumDisplaySettingsW(nullptr, i, &mode); ++i) {
            if (mode.dmPelsWidth < static_cast<DWORD>(now.right) &&
                mode.dmPelsWidth * mode.dmPelsHeight > best.dmPelsWidth * best.dmPelsHeight)
                best = mode;
        }
        best.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        return best.dmPelsWidth &&
               ChangeDisplaySettingsExW(nullptr, &best, nullptr, CDS_FULLSCREEN, nullptr) == DISP_CHANGE_SUCCESSFUL;
    }
};

// A key held while the screen changes stays held: one key-up at its release, no other event.
TEST_F(ResolutionChange, FitsAgainAndKeepsAHeldKeyHeld)
{
    e2e::FocusWindow focus;
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    const PanelFit before = expectedFit(keyboard.window());
    for (const KeyRecord& key : DefaultLayout) {
        if (std::u16string(key.label) == u"F") {
            const POINT f = onScreen(before, key.centerX, key.centerY);
            e2e::pointerDown(f.x, f.y);
        }
    }
    ASSERT_TRUE(e2e::waitUntil([&] { return !focus.keys().empty(); }));
    ASSERT_TRUE(changeToASmallerMode()) << "Wine's virtual desktop takes display modes up to its own size";
    PanelFit after = {};
    EXPECT_TRUE(e2e::waitUntil([&] {
        after = expectedFit(keyboard.window());
        return !(after.scale == before.scale) && placedAsFitted(keyboard.window(), after);
    })) << "fitted to the new resolution";
    e2e::pointerUp(0, 0);
    tapKey(after, u"G");
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.keys().size() >= 4 && !focus.keys().back().down; }));
    // The held F may have repeated; it goes up once, then G is typed, and nothing else comes.
    std::vector<std::string> trace;
    for (const e2e::KeyMessage& key : focus.keys())
        trace.push_back(std::string(key.down ? "dn:" : "up:") + static_cast<char>(key.vk));
    while (trace.size() > 3 && trace[1] == "dn:F")
        trace.erase(trace.begin());
    EXPECT_EQ(trace, (std::vector<std::string>{"dn:F", "up:F", "dn:G", "up:G"}));
    EXPECT_TRUE(focus.hasFocus());
}

} // namespace
