// The smallest program that does what the keyboard does at start: one layered, top-most, non-activating
// window of the panel's size that paints one rectangle. The footprint benchmark measures the keyboard
// against it.
#include <windows.h>

namespace {

constexpr wchar_t CLASS_NAME[] = L"PlumtideMinimal";
constexpr int WIDTH = 1024;
constexpr int HEIGHT = 600;
constexpr BYTE ALPHA = 128;

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
