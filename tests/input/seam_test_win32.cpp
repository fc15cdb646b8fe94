// The Win32 keyboard seam under a real system: extended scan codes and the event that reaches a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "input/input.h"

namespace {

constexpr uint8_t VK_A_KEY = 0x41;

TEST(ScanCode, OfTheRightHandModifiersCarriesTheExtendedPrefix)
{
    EXPECT_EQ(platformScanCode(VK_RCONTROL), 0xE01Du);
    EXPECT_EQ(platformScanCode(VK_RMENU), 0xE038u);
    EXPECT_EQ(platformScanCode(VK_LCONTROL), 0x1Du);
    EXPECT_EQ(platformScanCode(VK_A_KEY), 0x1Eu);
}

TEST(KeyboardRepeatSettings, AreInTheDocumentedRanges)
{
    const KeyboardRepeatSettings settings = platformKeyboardRepeatSettings();
    EXPECT_GE(settings.delay, 0);
    EXPECT_LE(settings.delay, 3);
    EXPECT_GE(settings.speed, 0);
    EXPECT_LE(settings.speed, 31);
}

struct Received {
    UINT message;
    WPARAM virtualKey;
    LPARAM flags;
};

std::vector<Received> received;

LRESULT CALLBACK recordKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP)
        received.push_back({message, wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

// A focused window of the test's own receives the synthesised events as an application would.
class FocusedWindow : public testing::Test {
protected:
    void SetUp() override
    {
        received.clear();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = recordKeys;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PlumtideSeamTest";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, L"PlumtideSeamTest", L"seam", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        SetFocus(window);
        pumpUntil([] { return false; }, 200);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        EXPECT_EQ(GetAsyncKeyState(VK_RCONTROL) & 0x8000, 0) << "right Ctrl left down";
    }

    // Handles messages until `done` or the deadline; true when done.
    template <class Done>
    static bool pumpUntil(Done done, DWORD deadlineMs)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > deadlineMs)
                return false;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }

    HWND window = nullptr;
};

TEST_F(FocusedWindow, ReceivesTheRightCtrlAsAnExtendedKey)
{
    ASSERT_EQ(GetFocus(), window);
    sendKeyEvent(VK_RCONTROL, false);
    ASSERT_TRUE(pumpUntil([] { return !received.empty(); }, 5000)) << "no key-down arrived";
    EXPECT_NE(GetAsyncKeyState(VK_RCONTROL) & 0x8000, 0);
    sendKeyEvent(VK_RCONTROL, true);
    ASSERT_TRUE(pumpUntil([] { return received.size() >= 2; }, 5000)) << "no key-up arrived";

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_KEYUP));
    for (const Received& event : received) {
        EXPECT_EQ(event.virtualKey, static_cast<WPARAM>(VK_CONTROL));
        EXPECT_EQ((event.flags >> 16) & 0xFF, 0x1D) << "scan code";
        EXPECT_NE(event.flags & (1 << 24), 0) << "extended-key bit";
    }
}

} // namespace
