// The application shell seen from outside: one copy at a time, the window and its shape, the focus,
// the menu commands, the popup menu and the About box.
#include <gtest/gtest.h>

#include <vector>

#include "e2e_support_win32.h"

namespace {

using e2e::Keyboard;

constexpr WORD IDM_ABOUT = 104;
constexpr WORD IDM_EXIT = 105;
constexpr WORD IDM_ALPHA_100 = 32779;
constexpr WORD IDM_STYLE_1 = 32784;
constexpr WORD IDM_STYLE_3 = 32786;
constexpr WORD IDM_STYLE_6 = 32789;
constexpr WORD IDM_VISIBLE = 32792;
constexpr UINT WM_TRAY_ICON = WM_USER + 1;

// A point inside the built-in layout's "A" key that no legend covers, and one in the gap left of it.
constexpr POINT KEY_A = {180, 300};
constexpr POINT BACKGROUND = {30, 300};

int caption()
{
    return GetSystemMetrics(SM_CYCAPTION);
}

BYTE alphaOf(HWND window)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    GetLayeredWindowAttributes(window, &key, &alpha, &flags);
    return alpha;
}

bool regionEquals(HWND window, const std::vector<POINT>& vertices)
{
    HRGN actual = CreateRectRgn(0, 0, 0, 0);
    HRGN expected = CreatePolygonRgn(vertices.data(), static_cast<int>(vertices.size()), WINDING);
    bool equal = GetWindowRgn(window, actual) != ERROR && EqualRgn(actual, expected);
    DeleteObject(actual);
    DeleteObject(expected);
    return equal;
}

bool modifierDown()
{
    for (int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
        if (GetAsyncKeyState(vk) & 0x8000)
            return true;
    return false;
}

// The default region of the built-in layout's window, docked at the top, for a client offset `ch`.
std::vector<POINT> topDockedRegion(int ch)
{
    return {{0, ch},         {1024, ch},      {1024, ch + 600}, {580, ch + 600}, {580, ch + 656}, {576, ch + 660},
            {504, ch + 660}, {500, ch + 656}, {500, ch + 600},  {0, ch + 600},   {0, ch}};
}

class Shell : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(focus.hasFocus()) << "the test window must hold the focus"; }
    void TearDown() override { EXPECT_FALSE(modifierDown()) << "a modifier was left down in the system"; }

    e2e::FocusWindow focus;
};

TEST_F(Shell, ShowsTheBuiltInPanelDockedAtTheTopWithoutTakingTheFocus)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    HWND window = keyboard.window();
    LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    for (LONG_PTR style :
         std::initializer_list<LONG_PTR>{WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_LAYERED, WS_EX_NOACTIVATE})
        EXPECT_EQ(exStyle & style, style) << std::hex << style;
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), WS_POPUP);

    RECT rect;
    GetWindowRect(window, &rect);
    const int ch = caption();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, -ch);
    EXPECT_EQ(rect.right, 1024);
    EXPECT_EQ(rect.bottom, 600 + 60);
    EXPECT_TRUE(regionEquals(window, topDockedRegion(ch)));
    EXPECT_EQ(alphaOf(window), 128);
    EXPECT_TRUE(focus.hasFocus());
}

// Wine reads the menu bar's height from the registry when a program starts. A bar taller than the
// caption (as on themed Windows) moves the client area down; this sets one for the programs started
// while it lives, and puts the old value back.
class TallerMenuBar {
public:
    explicit TallerMenuBar(const wchar_t* height)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\WindowMetrics", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExW(key_, L"MenuHeight", nullptr, nullptr, reinterpret_cast<BYTE*>(old_), &size) ==
               ERROR_SUCCESS;
        set(height);
    }
    ~TallerMenuBar()
    {
        if (had_)
            set(old_);
        else
            RegDeleteValueW(key_, L"MenuHeight");
        RegCloseKey(key_);
    }
    TallerMenuBar(const TallerMenuBar&) = delete;
    TallerMenuBar& operator=(const TallerMenuBar&) = delete;

private:
    void set(const wchar_t* value)
    {
        RegSetValueExW(key_, L"MenuHeight", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
    wchar_t old_[32] = {};
    bool had_ = false;
};

// The panel is drawn, shaped, placed and hit-tested by the window's real client offset, not by the
// caption height: the top row of a key is painted and pressed where the keymap puts it.
TEST_F(Shell, PanelLiesWhereItIsDrawnWhenTheMenuBarIsTallerThanTheCaption)
{
    TallerMenuBar taller(L"24");
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    HWND window = keyboard.window();
    RECT rect;
    GetWindowRect(window, &rect);
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    const int offset = client.y - rect.top;
    ASSERT_GT(offset, caption()) << "Wine did not take the taller menu bar";
    EXPECT_EQ(client.y, 0) << "the client area begins at the screen's top";
    EXPECT_TRUE(regionEquals(window, topDockedRegion(offset)));

    keyboard.command(IDM_ALPHA_100);
    // Key "A" spans panel rows 225 to 310; the row above it is 221 to 224, a gap.
    EXPECT_TRUE(e2e::waitUntil([] { return e2e::screenPixel(180, 225) == RGB(192, 192, 192); }))
        << std::hex << e2e::screenPixel(180, 225);
    EXPECT_EQ(e2e::screenPixel(180, 224), RGB(255, 255, 255));
    e2e::tap(180, 226);
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.text() == L"a"; }));
}

TEST_F(Shell, FindsTheKeymapBesideItselfWhenStartedFromElsewhere)
{
    std::string keymap = e2e::keymapBytes(L"TAG:3,500,80,60,\r\n@N,512,300,70,86,0,A,,,VK_A,VK_A\r\n");
    Keyboard keyboard(&keymap);
    Keyboard elsewhere;
    ASSERT_TRUE(keyboard.start(elsewhere.folder()));
    RECT rect;
    GetWindowRect(keyboard.window(), &rect);
    const int ch = caption();
    EXPECT_EQ(rect.left, -80) << "docked at the right, the tab lies left of the panel";
    EXPECT_EQ(rect.top, -ch);
    EXPECT_EQ(rect.right - rect.left, 1104);
    EXPECT_EQ(rect.bottom - rect.top, ch + 600);
    EXPECT_TRUE(regionEquals(keyboard.window(), {{80, ch},
                                                 {1104, ch},
                                                 {1104, ch + 600},
                                                 {80, ch + 600},
                                                 {80, ch + 560},
                                                 {4, ch + 560},
                                                 {0, ch + 556},
                                                 {0, ch + 504},
                                                 {4, ch + 500},
                                                 {80, ch + 500},
                                                 {80, ch}}));
}

TEST_F(Shell, SecondCopyEndsAtOnceAndLeavesTheFirstRunning)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    EXPECT_EQ(keyboard.runAnother(), 0u);
    EXPECT_TRUE(keyboard.running());
    EXPECT_TRUE(IsWindowVisible(keyboard.window()));
    EXPECT_EQ(alphaOf(keyboard.window()), 128);
}

TEST_F(Shell, TransparencyItemsSetTheirAlpha)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    const struct {
        WORD id;
        BYTE alpha;
    } items[] = {{32775, 25}, {32778, 51}, {32776, 76}, {32773, 127}, {32777, 204}, {32779, 255}};
    for (const auto& item : items) {
        keyboard.command(item.id);
        EXPECT_EQ(alphaOf(keyboard.window()), item.alpha) << item.id;
    }
    EXPECT_TRUE(focus.hasFocus());
}

TEST_F(Shell, VisibleHidesAndShowsThePanel)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    keyboard.command(IDM_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(keyboard.window()));
    keyboard.command(IDM_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(keyboard.window()));
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.hasFocus(); })) << "showing the panel took the focus";
}

TEST_F(Shell, ColourStylesRepaintKeysAndBackground)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    keyboard.command(IDM_ALPHA_100);
    const struct {
        WORD id;
        COLORREF key;
        COLORREF background;
    } styles[] = {{IDM_STYLE_3, RGB(0, 0, 0), RGB(255, 255, 255)},
                  {IDM_STYLE_6, RGB(255, 255, 255), RGB(0, 0, 0)},
                  {IDM_STYLE_1, RGB(192, 192, 192), RGB(255, 255, 255)}};
    for (const auto& style : styles) {
        keyboard.command(style.id);
        EXPECT_TRUE(e2e::waitUntil([&] { return e2e::screenPixel(KEY_A.x, KEY_A.y) == style.key; }))
            << style.id << " key " << std::hex << e2e::screenPixel(KEY_A.x, KEY_A.y);
        EXPECT_EQ(e2e::screenPixel(BACKGROUND.x, BACKGROUND.y), style.background) << style.id;
    }
}

TEST_F(Shell, EmptyKeymapShowsNoKeys)
{
    std::string empty;
    Keyboard keyboard(&empty);
    ASSERT_TRUE(keyboard.start());
    keyboard.command(IDM_ALPHA_100);
    EXPECT_TRUE(e2e::waitUntil([&] { return e2e::screenPixel(BACKGROUND.x, BACKGROUND.y) == RGB(255, 255, 255); }));
    EXPECT_EQ(e2e::screenPixel(KEY_A.x, KEY_A.y), RGB(255, 255, 255)) << "no key where the built-in A would be";
}

TEST_F(Shell, AboutOpensOwnedByThePanelAndCloses)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    PostMessageW(keyboard.window(), WM_COMMAND, IDM_ABOUT, 0);
    DWORD pid = GetProcessId(keyboard.process());
    HWND about = nullptr;
    ASSERT_TRUE(e2e::waitUntil([&] {
        about = e2e::findWindowOf(pid, L"#32770", L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831");
        return about && IsWindowVisible(about);
    }));
    EXPECT_EQ(GetWindow(about, GW_OWNER), keyboard.window());
    EXPECT_NE(FindWindowExW(about, nullptr, L"Static", L"Plumtide Version 1.2"), nullptr);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(e2e::waitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(keyboard.running());
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.hasFocus(); }));
}

TEST_F(Shell, ExitEndsTheProgramWithCodeZero)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    PostMessageW(keyboard.window(), WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(keyboard.waitForExit(), 0u);
}

TEST_F(Shell, UnknownCommandIdsChangeNothing)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());
    for (WORD id : {WORD{32780}, WORD{32783}, WORD{32790}, WORD{32791}})
        keyboard.command(id);
    EXPECT_TRUE(keyboard.running());
    EXPECT_TRUE(IsWindowVisible(keyboard.window()));
    EXPECT_EQ(alphaOf(keyboard.window()), 128);
}

TEST_F(Shell, RightClickOnThePanelAndTheIconOpenTheMenuButALeftClickDoesNot)
{
    Keyboard keyboard;
    ASSERT_TRUE(keyboard.start());

    e2e::rightClick(BACKGROUND.x, BACKGROUND.y);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visibleMenu() != nullptr; })) << "right click on the panel";
    e2e::pressKey(VK_ESCAPE);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visibleMenu() == nullptr; }));
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.hasFocus(); })) << "the menu kept the focus";

    // Sent: it returns once handled, and would not return until the menu closed if it opened one.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(keyboard.window(), WM_TRAY_ICON, 1, WM_LBUTTONDOWN, SMTO_NORMAL, 3000, &result);
    EXPECT_EQ(e2e::visibleMenu(), nullptr) << "a left click on the icon opened the menu";

    PostMessageW(keyboard.window(), WM_TRAY_ICON, 1, WM_RBUTTONDOWN);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visibleMenu() != nullptr; })) << "right click on the icon";
    e2e::pressKey(VK_ESCAPE);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visibleMenu() == nullptr; }));
    EXPECT_TRUE(e2e::waitUntil([&] { return focus.hasFocus(); }));
}

} // namespace
