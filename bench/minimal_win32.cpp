// The smallest program that does what the keyboard does at start and at a tap: one layered, top-most,
// non-activating window of the panel's size that paints one rectangle, and sends the key A from its
// own handlers of a mouse button and of a touch contact. The footprint and latency benchmarks measure
// the keyboard against it.
#include <windows.h>

namespace {

constexpr wchar_t CLASS_NAME[] = L"PlumtideMinimal";
constexpr int WIDTH = 1024;
constexpr int HEIGHT = 600;
constexpr BYTE ALPHA = 128;
constexpr UINT WM_POINTERDOWN = 0x0246;
constexpr UINT WM_POINTERUP = 0x0247;
constexpr UINT WM_POINTERACTIVATE = 0x024B;

void sendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, GetKeyboardLayout(0)));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
        HGDIOBJ kept = SelectObject(dc, brush);
        Rectangle(dc, -1, -1, WIDTH + 1, HEIGHT + 1);
        SelectObject(dc, kept);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_POINTERACTIVATE: return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_POINTERDOWN: sendKey('A', false); return 0;
    case WM_LBUTTONUP:
    case WM_POINTERUP: sendKey('A', true); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = CLASS_NAME;
    RegisterClassExW(&windowClass);

    HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, CLASS_NAME,
                        L"Plumtide minimal", WS_POPUP, 0, 0, WIDTH, HEIGHT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    SetLayeredWindowAttributes(window, 0, ALPHA, LWA_ALPHA);
    ShowWindow(window, SW_SHOWNOACTIVATE);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
