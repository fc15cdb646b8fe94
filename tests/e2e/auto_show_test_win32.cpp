// The real keyboard with auto-show and a panel cut to its keys, over Notepad and another window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support_win32.h"

namespace {

// Four keys in a row along the bottom edge, the last a Shift to hold; the tab above them.
constexpr wchar_t KEYMAP[] = L"OPT:Panel=keys\r\n"
                             L"OPT:AutoShow=1\r\n"
                             L"TAG:2,472,80,40,\r\n"
                             L"@N,128,552,240,80,0,A,,,VK_A,VK_A\r\n"
                             L"@N,384,552,240,80,0,S,,,VK_S,VK_S\r\n"
                             L"@N,640,552,240,80,0,D,,,VK_D,VK_D\r\n"
                             L"@F,896,552,240,80,0,Shift,,,VK_LSHIFT,VK_LSHIFT\r\n";
// A window left where it is this long has ended its slide (a slide moves it every 50 ms).
constexpr DWORD SETTLED_MS = 250;
// Longer than the keyboard may take to bring its panel fully in after a focus change.
constexpr DWORD SHOW_WITHIN_MS = 600;

// The keys the keyboard injects, as a low-level hook sees them: Wine's record of injected keys in
// other processes forgets them as the pointer crosses windows, the hook does not.
std::vector<std::pair<DWORD, bool>> injected; // virtual key, and whether it went down

LRESULT CALLBACK recordKey(int code, WPARAM message, LPARAM data)
{
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    if (code == HC_ACTION && (key->flags & LLKHF_INJECTED))
        injected.emplace_back(key->vkCode, message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
    return CallNextHookEx(nullptr, code, message, data);
}

std::vector<DWORD> injectedKeysDown()
{
    std::vector<DWORD> down;
    for (const auto& [vk, isDown] : injected) {
        std::erase(down, vk);
        if (isDown)
            down.push_back(vk);
    }
    return down;
}

// Waits until the keyboard's window has stopped moving, shown (its panel against the bottom edge) or
// slid away (below it, but for the tab).
bool settles(HWND keyboard, bool shown)
{
    RECT last = {};
    DWORD since = GetTickCount();
    return e2e::waitUntil([&] {
        RECT frame = {};
        GetWindowRect(keyboard, &frame);
        if (!EqualRect(&frame, &last)) {
            last = frame;
            since = GetTickCount();
            return false;
        }
        const int bottom = GetSystemMetrics(SM_CYSCREEN);
        return GetTickCount() - since >= SETTLED_MS && (shown ? frame.bottom == bottom : frame.bottom > bottom);
    });
}

// The screen point of key `index` of the row, near the bottom of the shown panel.
POINT keyPoint(HWND keyboard, int index)
{
    RECT frame = {};
    RECT box = {};
    GetWindowRect(keyboard, &frame);
    GetWindowRgnBox(keyboard, &box);
    const LONG width = box.right - box.left;
    return {frame.left + box.left + width * (2 * index + 1) / 8, frame.bottom - 12};
}

// A window of the test's own beside Notepad, with a button and an edit box.
struct OtherWindow {
    HWND frame = CreateWindowExW(0, L"#32770", L"Other", WS_OVERLAPPEDWINDOW, 600, 100, 400, 220, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND button = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE, 20, 20, 120, 40, frame, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 80, 200, 30, frame, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    OtherWindow() { ShowWindow(frame, SW_SHOWNOACTIVATE); }
    ~OtherWindow() { DestroyWindow(frame); }
};

struct KeyRecorder {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, recordKey, GetModuleHandleW(nullptr), 0);
    KeyRecorder() { injected.clear(); }
    ~KeyRecorder() { UnhookWindowsHookEx(hook); }
};

TEST(AutoShow, ComesForAClickIntoTextAndGoesWhenTheFocusLeavesOrAKeyIsTyped)
{
    KeyRecorder recorder;
    OtherWindow other;
    e2e::Notepad notepad;
    ASSERT_TRUE(notepad.start());
    const auto typed = [&](const std::wstring& expected) { return notepad.shows(expected); };
    RECT textArea = {};
    GetWindowRect(notepad.edit, &textArea);
    const POINT intoNotepad = {(textArea.left + textArea.right) / 2, textArea.top + 40};
    {
        const std::string keymap = e2e::keymapBytes(KEYMAP);
        e2e::Keyboard keyboard(&keymap);
        ASSERT_TRUE(keyboard.start());
        const HWND panel = keyboard.window();
        EXPECT_TRUE(settles(panel, false)) << "starts slid away";

        e2e::tap(intoNotepad.x, intoNotepad.y);
        EXPECT_TRUE(settles(panel, true)) << "a click into Notepad's text shows the panel";
        const POINT a = keyPoint(panel, 0);
        e2e::tap(a.x, a.y);
        EXPECT_TRUE(typed(L"a"));

        // Typing on a keyboard of the user's own (a key from outside Wine has no mark of an injected
        // one) takes the panel away; a click into the text that has the focus brings it back.
        {
            e2e::Started xdotool(L"/usr/bin/xdotool key b");
            EXPECT_TRUE(settles(panel, false)) << "a hardware key takes the panel away";
            EXPECT_TRUE(typed(L"ab"));
        }
        e2e::tap(intoNotepad.x, intoNotepad.y);
        EXPECT_TRUE(settles(panel, true));

        RECT ok = {};
        GetWindowRect(other.button, &ok);
        e2e::tap((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
        EXPECT_TRUE(settles(panel, false)) << "a click on another window's button takes the panel away";
        EXPECT_TRUE(injectedKeysDown().empty());

        // The focus moved by a program into an edit box: nothing comes within the time a show takes.
        SetForegroundWindow(other.frame);
        SetFocus(other.edit);
        RECT before = {};
        GetWindowRect(panel, &before);
        EXPECT_FALSE(e2e::waitUntil(
            [&] {
                RECT now = {};
                GetWindowRect(panel, &now);
                return !EqualRect(&now, &before);
            },
            SHOW_WITHIN_MS))
            << "the panel came for a focus no one clicked";

        // A Shift held on the panel goes up before the panel leaves, while the press still holds it.
        e2e::tap(intoNotepad.x, intoNotepad.y);
        EXPECT_TRUE(settles(panel, true));
        const POINT shift = keyPoint(panel, 3);
        e2e::pointerDown(shift.x, shift.y);
        EXPECT_TRUE(e2e::waitUntil([] { return injectedKeysDown() == std::vector<DWORD>{VK_LSHIFT}; }));
        SetForegroundWindow(other.frame);
        SetFocus(other.button);
        EXPECT_TRUE(settles(panel, false));
        EXPECT_TRUE(injectedKeysDown().empty()) << "a key held across the slide";
        e2e::pointerUp(shift.x, shift.y);
        keyboard.sync();
    }
    EXPECT_TRUE(injectedKeysDown().empty());
}

} // namespace
