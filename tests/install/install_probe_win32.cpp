// Looks at the installed keyboard from inside Wine for tests/install/msi_test.sh:
//   install_probe keyboard     waits for a keyboard window and prints "PID PROGRAM"; exits 1 when none shows
//   install_probe none         waits until no keyboard window is left; exits 1 when one stays
//   install_probe latch-shift  taps Shift on the running keyboard with real pointer input, prints "latched"
//                              once its key-down went out, then waits for its key-up: exits 0 on it, 1 without
//   install_probe limited COMMAND...  runs COMMAND with the user's ordinary rights (the elevated token's
//                              linked one) and exits with its exit code, as an installation started by a
//                              user runs its actions; Wine runs every program elevated
// Key events are read with a low-level hook: under Wine, GetAsyncKeyState can forget an injected
// modifier the program never released.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "e2e_support_win32.h"
#include "layout/default_layout.h"

namespace {

constexpr DWORD RELEASE_DEADLINE_MS = 120000;

struct ShiftSeen {
    bool down;
    bool upAfterDown;
};
ShiftSeen shiftSeen;

LRESULT CALLBACK recordShift(int code, WPARAM message, LPARAM lParam)
{
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && (key->vkCode == VK_LSHIFT || key->vkCode == VK_SHIFT)) {
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
            shiftSeen.down = true;
        else if (shiftSeen.down)
            shiftSeen.upAfterDown = true;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

HWND keyboardWindow()
{
    HWND window = FindWindowW(L"PLUMTIDE", nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

int printKeyboard()
{
    if (!e2e::waitUntil([] { return keyboardWindow() != nullptr; }))
        return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(keyboardWindow(), &processId);
    wchar_t program[MAX_PATH] = L"?";
    DWORD length = MAX_PATH;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process) {
        QueryFullProcessImageNameW(process, 0, program, &length);
        CloseHandle(process);
    }
    std::printf("%lu %ls\n", processId, program);
    return 0;
}

// The built-in layout's left Shift; the test's keymap places it the same way, docked at the top,
// where panel and screen coordinates agree.
int latchShift()
{
    if (!e2e::waitUntil([] { return keyboardWindow() != nullptr; }))
        return 1;
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, recordShift, GetModuleHandleW(nullptr), 0);
    for (const KeyRecord& key : DefaultLayout) {
        if (std::u16string(key.label) == u"Shift") {
            e2e::tap(key.centerX, key.centerY);
            break;
        }
    }
    int result = 1;
    if (e2e::waitUntil([] { return shiftSeen.down; })) {
        std::printf("latched\n");
        std::fflush(stdout);
        result = e2e::waitUntil([] { return shiftSeen.upAfterDown; }, RELEASE_DEADLINE_MS) ? 0 : 1;
    }
    UnhookWindowsHookEx(hook);
    return result;
}

// The rest of this program's command line after its first two words, quoted as it came.
const wchar_t* commandAfterLimited()
{
    const wchar_t* rest = GetCommandLineW();
    for (int word = 0; word < 2; ++word) {
        bool quoted = false;
        while (*rest && (quoted || (*rest != L' ' && *rest != L'\t')))
            quoted ^= *rest++ == L'"';
        while (*rest == L' ' || *rest == L'\t')
            ++rest;
    }
    return rest;
}

int runLimited()
{
    HANDLE own = nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD length = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) ||
        !GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &length)) {
        std::fprintf(stderr, "install_probe: no linked token (error %lu)\n", GetLastError());
        return 2;
    }
    CloseHandle(own);
    TOKEN_ELEVATION elevation = {};
    if (!GetTokenInformation(linked.LinkedToken, TokenElevation, &elevation, sizeof elevation, &length) ||
        elevation.TokenIsElevated) {
        std::fprintf(stderr, "install_probe: the linked token is elevated too\n");
        return 2;
    }
    std::wstring command = commandAfterLimited();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessAsUserW(linked.LinkedToken, nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started)) {
        std::fprintf(stderr, "install_probe: cannot run %ls (error %lu)\n", command.c_str(), GetLastError());
        return 2;
    }
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    CloseHandle(linked.LinkedToken);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "keyboard") == 0)
        return printKeyboard();
    if (argc == 2 && std::strcmp(argv[1], "none") == 0)
        return e2e::waitUntil([] { return keyboardWindow() == nullptr; }) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "latch-shift") == 0)
        return latchShift();
    if (argc > 2 && std::strcmp(argv[1], "limited") == 0)
        return runLimited();
    std::fprintf(stderr, "usage: install_probe keyboard|none|latch-shift|limited COMMAND...\n");
    return 2;
}
