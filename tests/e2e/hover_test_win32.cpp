// The real keyboard with a hover time, typing into Notepad as the pointer rests on a key and leaves it.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support_win32.h"

namespace {

constexpr DWORD HOVER_MS = 800;
constexpr wchar_t KEYMAP[] = L"OPT:HoverTime=800\r\n"
                             L"@N,152,268,70,86,0,A,,,VK_A,VK_A\r\n"
                             L"@N,400,268,70,86,0,S,,,VK_S,VK_S\r\n";

// The pointer moved from outside Wine, as a head pointer's driver moves it; false when the system's
// pointer does not get there in time.
bool moveTo(POINT at)
{
    const e2e::Started xdotool(L"/usr/bin/xdotool mousemove " + std::to_wstring(at.x) + L" " + std::to_wstring(at.y));
    return e2e::waitUntil([&] {
        POINT now = {};
        GetCursorPos(&now);
        return now.x == at.x && now.y == at.y;
    });
}

POINT onScreen(HWND panel, POINT client)
{
    ClientToScreen(panel, &client);
    return client;
}

TEST(Hover, RestingOnAKeyTypesItOnceAndLeavingAtHalfTypesNothing)
{
    e2e::Notepad notepad;
    ASSERT_TRUE(notepad.start());
    const auto text = [&] { return notepad.text(); };

    const std::string keymap = e2e::keymapBytes(KEYMAP);
    e2e::Keyboard keyboard(&keymap);
    ASSERT_TRUE(keyboard.start());
    const HWND panel = keyboard.window();
    const POINT a = onScreen(panel, {152, 268});
    const POINT s = onScreen(panel, {400, 268});
    const POINT between = onScreen(panel, {700, 450});

    // Half the time on S, then off the keys: nothing, however long the pointer stays away.
    ASSERT_TRUE(moveTo(between));
    ASSERT_TRUE(moveTo(s));
    e2e::pumpFor(HOVER_MS / 2);
    ASSERT_TRUE(moveTo(between));
    EXPECT_FALSE(e2e::waitUntil([&] { return !text().empty(); }, 2 * HOVER_MS)) << "a key typed by half a rest";

    // Left on A, it types one "a"; taken away once it has, no second one follows.
    ASSERT_TRUE(moveTo(a));
    EXPECT_TRUE(e2e::waitUntil([&] { return text() == L"a"; }));
    ASSERT_TRUE(moveTo(between));
    EXPECT_FALSE(e2e::waitUntil([&] { return text() != L"a"; }, 2 * HOVER_MS)) << text();
    keyboard.sync();
}

} // namespace
