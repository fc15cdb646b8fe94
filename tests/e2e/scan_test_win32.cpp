// The real keyboard scanning its keys over Notepad: switch presses from a keyboard outside Wine and a right-click.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "e2e_support_win32.h"

namespace {

// Two rows of two keys, cut to the keys and undocked, below the top of the screen where Notepad is
// put: rows "A Space" and "S D". Each highlight stays long enough for a switch sent after it is seen.
constexpr wchar_t KEYMAP[] = L"OPT:Panel=keys\r\n"
                             L"OPT:Scan=1\r\n"
                             L"OPT:ScanTime=2000\r\n"
                             L"TAG:0,0,0,0,\r\n"
                             L"@N,128,472,240,80,0,A,,,VK_A,VK_A\r\n"
                             L"@N,384,472,240,80,0,Space,,,VK_SPACE,VK_SPACE\r\n"
                             L"@N,128,552,240,80,0,S,,,VK_S,VK_S\r\n"
                             L"@N,384,552,240,80,0,D,,,VK_D,VK_D\r\n";
// The design's corner of the panel cut to those keys, 4 pixels beyond them.
constexpr POINT CUT_CORNER = {4, 428};
enum Key { A, SPACE, S, D };
constexpr POINT KEY_CENTRES[] = {{128, 472}, {384, 472}, {128, 552}, {384, 552}};
// Colour style 1: a highlighted key takes the text colour, white, for its grey face.
constexpr COLORREF HIGHLIGHT = RGB(255, 255, 255);

// A point of a key on the screen at the design's scale, off its legend (top left) and its frame.
POINT onKey(HWND panel, Key key, int dx = 60, int dy = 20)
{
    RECT frame = {};
    RECT box = {};
    GetWindowRect(panel, &frame);
    GetWindowRgnBox(panel, &box);
    return {frame.left + box.left + KEY_CENTRES[key].x + dx - CUT_CORNER.x,
            frame.top + box.top + KEY_CENTRES[key].y + dy - CUT_CORNER.y};
}

bool lit(HWND panel, Key key)
{
    const POINT at = onKey(panel, key);
    return e2e::screenPixel(at.x, at.y) == HIGHLIGHT;
}

// The switch pressed on a keyboard outside Wine, where it arrives as a hardware key. Wine gives no
// handle to wait on for a Unix program, so whether it has reached the keyboard is seen by what it does.
bool pressSwitchKeyUntil(const std::function<bool()>& done)
{
    const e2e::Started xdotool(L"/usr/bin/xdotool key space");
    return e2e::waitUntil(done);
}

TEST(Scan, SwitchPressesPickARowAndTypeItsKeyWithoutTheSwitchReachingTheApplication)
{
    e2e::Notepad notepad;
    ASSERT_TRUE(notepad.start());
    // Off the panel: under Wine a window beneath the panel can paint over it until it repaints.
    MoveWindow(notepad.frame, 0, 0, 1024, 400, TRUE);
    const auto typed = [&](const std::wstring& expected) { return notepad.shows(expected); };

    const std::string keymap = e2e::keymapBytes(KEYMAP);
    e2e::Keyboard keyboard(&keymap);
    ASSERT_TRUE(keyboard.start());
    const HWND panel = keyboard.window();
    ASSERT_TRUE(e2e::waitUntil([&] { return lit(panel, A) && lit(panel, SPACE) && !lit(panel, S); }))
        << "the first row is highlighted from the start";

    EXPECT_TRUE(pressSwitchKeyUntil([&] { return lit(panel, A) && !lit(panel, SPACE); })) << "the row's first key";
    // A right-click anywhere on the panel is the switch too.
    const POINT elsewhere = onKey(panel, D);
    e2e::rightClick(elsewhere.x, elsewhere.y);
    EXPECT_TRUE(typed(L"a"));
    EXPECT_FALSE(e2e::visibleMenu()) << "the right-click opened the menu";
    EXPECT_TRUE(e2e::waitUntil([&] { return lit(panel, A) && lit(panel, SPACE); })) << "back at the first row";

    // The second row a scan time later, and its second key a scan time after it is picked.
    EXPECT_TRUE(e2e::waitUntil([&] { return lit(panel, S) && lit(panel, D) && !lit(panel, A); }));
    EXPECT_TRUE(pressSwitchKeyUntil([&] { return lit(panel, S) && !lit(panel, D); }));
    EXPECT_TRUE(e2e::waitUntil([&] { return lit(panel, D) && !lit(panel, S); }));
    EXPECT_TRUE(pressSwitchKeyUntil([&] { return typed(L"ad"); })) << "each switch press reaches no application";

    // The keyboard's own Space, injected, is typed and is no switch.
    const POINT space = onKey(panel, SPACE, 0, 0);
    e2e::tap(space.x, space.y);
    EXPECT_TRUE(typed(L"ad "));
    keyboard.sync();
    EXPECT_TRUE(typed(L"ad "));
}

} // namespace
