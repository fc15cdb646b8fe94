// Typing into a focused window by tapping the real keyboard: letters, latched and locked modifiers,
// the Fn layer, the Exit key, a press released off the panel, the slide-away panel, two thumbs at
// once, and every way the keyboard is hidden or ended without leaving a key held.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support_win32.h"
#include "layout/default_layout.h"

namespace {

using e2e::Keyboard;

// Longer than the double-tap window, so that the next modifier tap toggles instead of locking.
constexpr DWORD PAST_DOUBLE_TAP_MS = 650;
constexpr WORD IDM_VISIBLE = 32792;
constexpr COLORREF LOCKED_COLOR = RGB(255, 204, 204);

// The screen point of a built-in key: docked at the top, panel and screen coordinates agree.
POINT keyPoint(const char16_t* label, int occurrence = 0)
{
    for (const KeyRecord& key : DefaultLayout) {
        if (std::u16string(key.label) == label && occurrence-- == 0)
            return {key.centerX, key.centerY};
    }
    ADD_FAILURE() << "no such key";
    return {0, 0};
}

void tapKey(const char16_t* label, int occurrence = 0)
{
    POINT p = keyPoint(label, occurrence);
    e2e::tap(p.x, p.y);
}

bool modifierDown()
{
    for (int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
        if (GetAsyncKeyState(vk) & 0x8000)
            return true;
    return false;
}

// The key messages received, as "dn:10 dn:41 up:41 up:10" with hexadecimal virtual keys.
std::string keyTrace(const std::vector<e2e::KeyMessage>& keys)
{
    std::string trace;
    char item[16];
    for (const e2e::KeyMessage& key : keys) {
        std::snprintf(item, sizeof item, "%s%s:%X", trace.empty() ? "" : " ", key.down ? "dn" : "up", key.vk);
        trace += item;
    }
    return trace;
}

// Virtual keys whose last message in the trace was a key-down: keys the focused window still sees held.
std::vector<UINT> keysLeftDown(const std::vector<e2e::KeyMessage>& keys)
{
    std::vector<UINT> down;
    for (const e2e::KeyMessage& key : keys) {
        std::erase(down, key.vk);
        if (key.down)
            down.push_back(key.vk);
    }
    return down;
}

// A slide's last move is followed by one more timer tick before presses count again.
void waitForSlideToSettle()
{
    e2e::pumpFor(3 * 50);
}

// The distinct window positions seen until `done`, polling faster than the 50 ms slide timer.
std::vector<LONG> watchSlide(HWND window, bool vertical, LONG end)
{
    std::vector<LONG> seen;
    e2e::waitUntil([&] {
        RECT rect;
        GetWindowRect(window, &rect);
        LONG position = vertical ? rect.top : rect.left;
        if (seen.empty() || seen.back() != position)
            seen.push_back(position);
        return position == end;
    });
    return seen;
}

class Typing : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(focus.hasFocus());
        ASSERT_TRUE(keyboard.start());
    }
    void TearDown() override
    {
        EXPECT_TRUE(focus.hasFocus()) << "the keyboard took the focus";
        EXPECT_TRUE(e2e::waitUntil([&] { return keysLeftDown(focus.keys()).empty(); }))
            << "keys left down: " << keyTrace(focus.keys());
        EXPECT_FALSE(modifierDown()) << "a modifier was left down in the system";
    }

    testing::AssertionResult typed(const std::wstring& text)
    {
        if (e2e::waitUntil([&] { return focus.text() == text; }))
            return testing::AssertionSuccess();
        std::string got;
        for (wchar_t c : focus.text())
            got += c < 0x80 ? static_cast<char>(c) : '?';
        return testing::AssertionFailure() << "typed \"" << got << "\", keys " << keyTrace(focus.keys());
    }
    testing::AssertionResult traced(const std::string& trace)
    {
        if (e2e::waitUntil([&] { return keyTrace(focus.keys()) == trace; }))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "keys " << keyTrace(focus.keys());
    }

    e2e::FocusWindow focus;
    Keyboard keyboard;
};

TEST_F(Typing, TapOnALetterTypesIt)
{
    tapKey(u"A");
    EXPECT_TRUE(typed(L"a")) << keyTrace(focus.keys());
    EXPECT_TRUE(traced("dn:41 up:41"));
}

// Modifiers are judged by the key messages the focused window receives, in order: Wine's own record
// of a modifier injected by another process does not survive the pointer crossing between X windows,
// so the characters it makes of them are not the keyboard's doing.
TEST_F(Typing, LatchedShiftModifiesTheNextLetterAndGoesUpAfterIt)
{
    tapKey(u"Shift");
    tapKey(u"A");
    EXPECT_TRUE(traced("dn:10 dn:41 up:41 up:10"));
    tapKey(u"B");
    EXPECT_TRUE(traced("dn:10 dn:41 up:41 up:10 dn:42 up:42")) << "Shift stayed latched";
}

TEST_F(Typing, DoubleTappedShiftLocksUntilTappedAgain)
{
    tapKey(u"Shift");
    tapKey(u"Shift");
    tapKey(u"A");
    tapKey(u"B");
    EXPECT_TRUE(traced("dn:10 dn:41 up:41 dn:42 up:42")) << "Shift held through both letters";
    e2e::pumpFor(PAST_DOUBLE_TAP_MS);
    tapKey(u"Shift");
    tapKey(u"C");
    EXPECT_TRUE(traced("dn:10 dn:41 up:41 dn:42 up:42 up:10 dn:43 up:43"));
}

// A typist taps Shift right after a letter: only a second tap on the same key locks, so Shift
// latches for the next letter alone.
TEST_F(Typing, ShiftTappedRightAfterALetterLatchesForTheNextLetterOnly)
{
    tapKey(u"A");
    tapKey(u"Shift");
    tapKey(u"B");
    tapKey(u"C");
    EXPECT_TRUE(traced("dn:41 up:41 dn:10 dn:42 up:42 up:10 dn:43 up:43"));
}

TEST_F(Typing, FnLayerSendsFunctionKeysAndSwapsDeleteForBackspace)
{
    tapKey(u"A");
    tapKey(u"B");
    EXPECT_TRUE(typed(L"ab"));
    EXPECT_TRUE(traced("dn:41 up:41 dn:42 up:42"));
    focus.clear();
    // A latched Fn applies to the next key only, as a latched Shift does.
    tapKey(u"Fn");
    tapKey(u"1");
    EXPECT_TRUE(traced("dn:70 up:70")) << "F1";
    focus.clear();
    tapKey(u"Fn");
    tapKey(u"Del");
    EXPECT_TRUE(traced("dn:8 up:8")) << "Del sends Backspace in the Fn layer";
    tapKey(u"1");
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.text() == L"1"; })) << keyTrace(focus.keys());
}

TEST_F(Typing, TypesHelloWorld)
{
    const struct {
        const char16_t* label;
        UINT vk;
        bool shifted;
    } strokes[] = {{u"H", 'H', true},  {u"E", 'E', false},          {u"L", 'L', false},      {u"L", 'L', false},
                   {u"O", 'O', false}, {u",", VK_OEM_COMMA, false}, {u" ", VK_SPACE, false}, {u"W", 'W', true},
                   {u"O", 'O', false}, {u"R", 'R', false},          {u"L", 'L', false},      {u"D", 'D', false},
                   {u"1", '1', true}};
    std::vector<e2e::KeyMessage> expected;
    for (const auto& stroke : strokes) {
        if (stroke.shifted) {
            e2e::pumpFor(PAST_DOUBLE_TAP_MS);
            tapKey(u"Shift");
            expected.push_back({true, VK_SHIFT, 0, false});
        }
        tapKey(stroke.label);
        expected.push_back({true, stroke.vk, 0, false});
        expected.push_back({false, stroke.vk, 0, false});
        if (stroke.shifted)
            expected.push_back({false, VK_SHIFT, 0, false});
    }
    EXPECT_TRUE(traced(keyTrace(expected)));
}

TEST_F(Typing, ExitKeyEndsTheProgramAndLetsGoOfTheLatchedModifiers)
{
    tapKey(u"Shift");
    EXPECT_TRUE(traced("dn:10"));
    tapKey(u"Exit");
    EXPECT_EQ(keyboard.waitForExit(), 0u);
    // Key-ups for every modifier of the layout, in table order, latched or not.
    EXPECT_TRUE(traced("dn:10 up:10"));
}

// An installer that must replace the program closes it: by a close message to its window (the package's) or
// through the Restart Manager's end of session for one application. It lets go of what it holds and ends.
TEST_F(Typing, ClosedByAnInstallerItLetsGoOfTheLatchedModifiersAndEnds)
{
    tapKey(u"Shift");
    EXPECT_TRUE(traced("dn:10"));
    PostMessageW(keyboard.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(keyboard.waitForExit(), 0u);
    EXPECT_TRUE(traced("dn:10 up:10"));

    focus.clear();
    Keyboard second;
    ASSERT_TRUE(second.start());
    tapKey(u"Shift");
    EXPECT_TRUE(traced("dn:10"));
    PostMessageW(second.window(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(second.waitForExit(), 0u);
    EXPECT_TRUE(traced("dn:10 up:10"));
}

// The session ends without the window being destroyed: what the panel holds goes up all the same.
TEST_F(Typing, SessionEndLetsGoOfTheLatchedModifiers)
{
    tapKey(u"Shift");
    EXPECT_TRUE(traced("dn:10"));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(keyboard.window(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, e2e::DEADLINE_MS, &result);
    EXPECT_TRUE(traced("dn:10 up:10"));
}

// Hidden from the menu, the panel lets go of a locked modifier and comes back with every key up.
TEST_F(Typing, HidingThePanelLetsGoOfALockedModifier)
{
    tapKey(u"Ctrl");
    tapKey(u"Ctrl");
    // The command is sent, and would overtake a tap still queued: wait until the panel shows the lock.
    EXPECT_TRUE(e2e::waitUntil([] { return e2e::screenPixel(60, 250) == LOCKED_COLOR; }));
    EXPECT_TRUE(traced("dn:11"));
    keyboard.command(IDM_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(keyboard.window()));
    EXPECT_TRUE(traced("dn:11 up:11"));
    keyboard.command(IDM_VISIBLE);
    ASSERT_TRUE(IsWindowVisible(keyboard.window()));
    tapKey(u"A");
    EXPECT_TRUE(traced("dn:11 up:11 dn:41 up:41"));
}

// With no icon to bring it back, starting the program again shows the hidden panel, slid back into
// view; the second copy ends and the first goes on alone.
TEST_F(Typing, StartingAgainShowsAPanelHiddenAndSlidAway)
{
    const LONG ch = GetSystemMetrics(SM_CYCAPTION);
    e2e::tap(540, 570);
    EXPECT_EQ(watchSlide(keyboard.window(), true, -ch - 600).back(), -ch - 600);
    waitForSlideToSettle();
    keyboard.command(IDM_VISIBLE);
    ASSERT_FALSE(IsWindowVisible(keyboard.window()));

    EXPECT_EQ(keyboard.runAnother(), 0u);
    EXPECT_TRUE(e2e::waitUntil([&] { return IsWindowVisible(keyboard.window()); }));
    EXPECT_EQ(watchSlide(keyboard.window(), true, -ch).back(), -ch);
    EXPECT_TRUE(keyboard.running());
    waitForSlideToSettle();
    tapKey(u"A");
    EXPECT_TRUE(typed(L"a"));
}

// Touch and pen contacts as the system reports them on Windows 8 and later. Wine injects no touch, but
// a window takes the pointer messages sent to it, with the contact's id and screen position.
constexpr UINT WM_POINTERDOWN = 0x0246;
constexpr UINT WM_POINTERUP = 0x0247;
constexpr UINT WM_POINTERACTIVATE = 0x024B;
constexpr WORD CONTACT_DOWN_FLAGS = 0x0001 | 0x0002 | 0x0004 | 0x0010; // new, in range, in contact, first button
constexpr WORD CONTACT_UP_FLAGS = 0x0002;                              // in range, no longer in contact

void contact(HWND window, UINT message, WORD id, WORD flags, POINT screen)
{
    PostMessageW(window, message, MAKEWPARAM(id, flags),
                 MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
}

// Two thumbs overlap: the second lands before the first lifts, and both letters are typed in order.
TEST_F(Typing, TwoThumbsOverlappingTypeBothLettersInOrder)
{
    DWORD_PTR activate = 0;
    SendMessageTimeoutW(keyboard.window(), WM_POINTERACTIVATE, MAKEWPARAM(2, CONTACT_DOWN_FLAGS), 0, SMTO_NORMAL,
                        e2e::DEADLINE_MS, &activate);
    EXPECT_EQ(activate, static_cast<DWORD_PTR>(MA_NOACTIVATE)) << "a touch must not take the focus";
    contact(keyboard.window(), WM_POINTERDOWN, 2, CONTACT_DOWN_FLAGS, keyPoint(u"A"));
    contact(keyboard.window(), WM_POINTERDOWN, 3, CONTACT_DOWN_FLAGS, keyPoint(u"S"));
    contact(keyboard.window(), WM_POINTERUP, 2, CONTACT_UP_FLAGS, keyPoint(u"A"));
    contact(keyboard.window(), WM_POINTERUP, 3, CONTACT_UP_FLAGS, keyPoint(u"S"));
    EXPECT_TRUE(traced("dn:41 dn:53 up:41 up:53"));
    EXPECT_TRUE(typed(L"as"));
}

// A window of the test's own above the panel, so that a pointer released there is off the panel.
HWND coverWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PlumtideTestCover";
    RegisterClassW(&windowClass);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, L"PlumtideTestCover", L"",
                                 WS_POPUP, 600, 500, 150, 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    return cover;
}

TEST_F(Typing, PressReleasedOffThePanelStillSendsItsKeyUp)
{
    HWND cover = coverWindow();
    ASSERT_NE(cover, nullptr);
    POINT a = keyPoint(u"A");
    e2e::pointerMove(a.x, a.y);
    e2e::pointerDown(a.x, a.y);
    EXPECT_TRUE(e2e::waitUntil([&] { return keyTrace(focus.keys()).rfind("dn:41", 0) == 0; }));
    e2e::pointerMove(650, 530);
    e2e::pointerUp(650, 530);
    // Held long enough, the key may have repeated; what matters is that it ends up.
    EXPECT_TRUE(e2e::waitUntil([&] { return !focus.keys().empty() && !focus.keys().back().down; }))
        << keyTrace(focus.keys());
    EXPECT_FALSE(GetAsyncKeyState('A') & 0x8000);
    DestroyWindow(cover);
}

TEST_F(Typing, TapBesideTheTabSlidesThePanelAwayAndTheTabBringsItBack)
{
    const LONG ch = GetSystemMetrics(SM_CYCAPTION);
    tapKey(u"Shift");
    EXPECT_TRUE(traced("dn:10"));
    e2e::tap(540, 570); // the hide area next to the tab, inside the panel
    std::vector<LONG> hide = watchSlide(keyboard.window(), true, -ch - 600);
    EXPECT_EQ(hide.back(), -ch - 600);
    EXPECT_GE(hide.size(), 3u) << "the panel moved in steps";
    EXPECT_TRUE(traced("dn:10 up:10")) << "sliding away lets go of the modifiers";
    waitForSlideToSettle();

    EXPECT_EQ(WindowFromPoint({540, 30}), keyboard.window()) << "only the tab is left, at the top of the screen";
    e2e::tap(540, 30);
    std::vector<LONG> show = watchSlide(keyboard.window(), true, -ch);
    EXPECT_EQ(show.back(), -ch);
    waitForSlideToSettle();
    focus.clear();
    tapKey(u"A");
    EXPECT_TRUE(typed(L"a"));
}

TEST(TypingRightDocked, SlidesAwayToTheRightAndBack)
{
    e2e::FocusWindow focus;
    std::string keymap = e2e::keymapBytes(L"TAG:3,300,80,60,\r\n@N,512,300,70,86,0,A,,,VK_A,VK_A\r\n");
    Keyboard keyboard(&keymap);
    ASSERT_TRUE(keyboard.start());
    e2e::tap(40, 330); // panel x 40: the hide area beside the tab on the left edge
    std::vector<LONG> hide = watchSlide(keyboard.window(), false, 1024 - 80);
    EXPECT_EQ(hide.back(), 1024 - 80);
    waitForSlideToSettle();
    e2e::tap(1000, 330); // the tab, now at the right edge of the screen
    std::vector<LONG> show = watchSlide(keyboard.window(), false, -80);
    EXPECT_EQ(show.back(), -80);
    waitForSlideToSettle();
    e2e::tap(512, 300);
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.text() == L"a"; }));
    EXPECT_TRUE(focus.hasFocus());
}

} // namespace

namespace {

TEST_F(Typing, HoldingBackspaceRepeatsUntilReleased)
{
    for (const char16_t* letter : {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H"})
        tapKey(letter);
    ASSERT_TRUE(typed(L"abcdefgh"));
    POINT backspace = keyPoint(u"BS");
    e2e::pointerMove(backspace.x, backspace.y);
    e2e::pointerDown(backspace.x, backspace.y);
    // One key-down at the press and three more repeats at the user's repeat delay and rate.
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.text().size() <= 4; }, 3000))
        << focus.text().size() << " characters, keys " << keyTrace(focus.keys());
    e2e::pointerUp(backspace.x, backspace.y);
    auto backspaces = [&] {
        return std::count_if(focus.keys().begin(), focus.keys().end(),
                             [](const e2e::KeyMessage& key) { return key.down && key.vk == VK_BACK; });
    };
    EXPECT_TRUE(e2e::waitUntil([&] { return !focus.keys().back().down && focus.keys().back().vk == VK_BACK; }));
    const auto atRelease = backspaces();
    const size_t lengthAtRelease = focus.text().size();
    e2e::pumpFor(700); // longer than any repeat delay or period
    EXPECT_EQ(backspaces(), atRelease) << "the repeat went on after the release";
    EXPECT_EQ(focus.text().size(), lengthAtRelease);
}

} // namespace
