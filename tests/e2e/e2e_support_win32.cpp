// Drives the real plumtide.exe from outside: processes, the test's own focused window, pointer input.
#include "e2e_support_win32.h"

#include <atomic>

namespace e2e {

namespace {

constexpr wchar_t FOCUS_CLASS[] = L"PlumtideTestFocus";

std::wstring widen(const char* text)
{
    std::wstring out;
    for (; *text; ++text)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void sendMouse(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void sendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Absolute mouse coordinates run from 0 to 65535 across the screen; round up so that the system's
// scaling back lands on the intended pixel.
LONG normalise(int pixel, int extent)
{
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
}

void removeFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring freshFolder()
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"plumtide-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(counter++);
    removeFolder(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    wchar_t text[256];
    if (search->className && (!GetClassNameW(window, text, 256) || lstrcmpW(text, search->className) != 0))
        return TRUE;
    if (search->caption && (GetWindowTextW(window, text, 256) < 0 || lstrcmpW(text, search->caption) != 0))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void pumpFor(DWORD ms)
{
    waitUntil([] { return false; }, ms);
}

FocusWindow::FocusWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = FOCUS_CLASS;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&windowClass);
    // Below the panel, in the built-in layout's empty cells under the space bar, left of the dock tab:
    // under Wine a window beneath the panel can paint over it, so it must cover no key the tests look at.
    window_ = CreateWindowExW(0, FOCUS_CLASS, L"Plumtide test window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 496, 370,
                              100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    takeFocus();
}

FocusWindow::~FocusWindow()
{
    DestroyWindow(window_);
    pumpMessages();
}

bool FocusWindow::takeFocus()
{
    SetForegroundWindow(window_);
    SetFocus(window_);
    return waitUntil([this] { return hasFocus(); });
}

bool FocusWindow::hasFocus() const
{
    return GetForegroundWindow() == window_ && GetFocus() == window_;
}

void FocusWindow::clear()
{
    keys_.clear();
    text_.clear();
}

LRESULT CALLBACK FocusWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<FocusWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            self->keys_.push_back({message == WM_KEYDOWN || message == WM_SYSKEYDOWN, static_cast<UINT>(wParam),
                                   static_cast<UINT>((lParam >> 16) & 0xFF), ((lParam >> 24) & 1) != 0});
            break;
        case WM_LBUTTONDOWN: ++self->clicks_; break;
        case WM_CHAR:
            if (wParam == 8) {
                if (!self->text_.empty())
                    self->text_.pop_back();
            } else {
                self->text_ += static_cast<wchar_t>(wParam);
            }
            return 0;
        default: break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

Keyboard::Keyboard(const std::string* keymap)
    : folder_(freshFolder())
{
    CopyFileW(widen(PLUMTIDE_EXE).c_str(), (folder_ + L"\\plumtide.exe").c_str(), FALSE);
    if (keymap) {
        HANDLE file = CreateFileW((folder_ + L"\\default.keymap").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, keymap->data(), static_cast<DWORD>(keymap->size()), &written, nullptr);
        CloseHandle(file);
    }
}

Keyboard::~Keyboard()
{
    // A clean exit releases every latched modifier; only a keyboard that will not end is killed.
    if (running()) {
        PostMessageW(window_, WM_COMMAND, 105, 0);
        if (waitForExit(5000) == STILL_ACTIVE) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, DEADLINE_MS);
        }
    }
    if (process_.hProcess) {
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    removeFolder(folder_);
}

bool Keyboard::start(const std::wstring& workingDirectory)
{
    std::wstring commandLine = L"\"" + folder_ + L"\\plumtide.exe\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.empty() ? folder_.c_str() : workingDirectory.c_str(), &startup, &process_))
        return false;
    return waitUntil([this] {
        window_ = findWindowOf(process_.dwProcessId, L"PLUMTIDE", L"Plumtide");
        return window_ && IsWindowVisible(window_);
    });
}

DWORD Keyboard::runAnother() const
{
    std::wstring commandLine = L"\"" + folder_ + L"\\plumtide.exe\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                        &other))
        return STILL_ACTIVE;
    CloseHandle(other.hThread);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(other.hProcess, DEADLINE_MS) == WAIT_OBJECT_0)
        GetExitCodeProcess(other.hProcess, &code);
    else
        TerminateProcess(other.hProcess, 1);
    CloseHandle(other.hProcess);
    return code;
}

bool Keyboard::running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Keyboard::waitForExit(DWORD timeoutMs) const
{
    waitUntil([this] { return !running(); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void Keyboard::command(WORD id) const
{
    // Sent, not posted: a message sent to another thread is handled before its posted ones, so a
    // post followed by a sync could return before the command ran.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, WM_COMMAND, id, 0, SMTO_NORMAL, DEADLINE_MS, &result);
    pumpMessages();
}

// Sent messages are handled before posted ones: this returns once the keyboard has drained the
// messages sent to it, and once the input it was given has been handled when called after a wait.
void Keyboard::sync() const
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, DEADLINE_MS, &result);
    pumpMessages();
}

// Every pointer event carries its absolute position, the one the test means: under Wine a button
// event sent without one can land where the pointer was before the last move, and the system's idea
// of the pointer's position can still move back to an earlier one after a move.
void pointerEvent(DWORD flags, int x, int y)
{
    sendMouse(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, normalise(x, GetSystemMetrics(SM_CXSCREEN)),
              normalise(y, GetSystemMetrics(SM_CYSCREEN)));
    waitUntil([x, y] {
        POINT cursor;
        return GetCursorPos(&cursor) && cursor.x == x && cursor.y == y;
    });
}

Started::Started(std::wstring commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

Started::~Started()
{
    if (!process.hProcess)
        return;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, DEADLINE_MS);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

void pointerMove(int x, int y)
{
    pointerEvent(0, x, y);
}

void pointerDown(int x, int y)
{
    pointerEvent(MOUSEEVENTF_LEFTDOWN, x, y);
}

void pointerUp(int x, int y)
{
    pointerEvent(MOUSEEVENTF_LEFTUP, x, y);
}

void tap(int x, int y)
{
    pointerEvent(0, x, y);
    pointerEvent(MOUSEEVENTF_LEFTDOWN, x, y);
    pointerEvent(MOUSEEVENTF_LEFTUP, x, y);
}

void rightClick(int x, int y)
{
    pointerEvent(0, x, y);
    pointerEvent(MOUSEEVENTF_RIGHTDOWN, x, y);
    pointerEvent(MOUSEEVENTF_RIGHTUP, x, y);
}

void pressKey(WORD vk)
{
    sendKey(vk, false);
    sendKey(vk, true);
}

COLORREF screenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

HWND visibleMenu()
{
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

HWND findWindowOf(DWORD processId, const wchar_t* className, const wchar_t* caption)
{
    WindowSearch search = {processId, className, caption, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Notepad::start()
{
    if (!program.process.hProcess)
        return false;
    const bool foreground = waitUntil([&] {
        frame = findWindowOf(program.process.dwProcessId, L"Notepad", nullptr);
        return frame && GetForegroundWindow() == frame;
    });
    edit = frame ? FindWindowExW(frame, nullptr, L"Edit", nullptr) : nullptr;
    return foreground && edit;
}

std::wstring Notepad::text() const
{
    wchar_t buffer[64] = {};
    SendMessageTimeoutW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, DEADLINE_MS, nullptr);
    return buffer;
}

bool Notepad::shows(const std::wstring& expected) const
{
    return waitUntil([&] { return text() == expected; });
}

std::string keymapBytes(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

} // namespace e2e
