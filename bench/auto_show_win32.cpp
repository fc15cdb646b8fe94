// Times the real keyboard's auto-show from a focus change to its panel's first move and to it shown.
// It counts the keyboard's wake-ups at idle with auto-show on as well, and then with hover typing on too
// and the pointer away from the panel. Prints "auto_show_start_ms", "auto_show_shown_ms" (median and
// worst of the rounds) and "idle_wakeups_per_s" (autoshow, hover).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "programs_win32.h"
#include "timing_win32.h"

namespace {

constexpr WORD IDM_AUTO_SHOW = 32793;
constexpr WORD IDM_HOVER_1000 = 32796;
constexpr int DEFAULT_ROUNDS = 20;
constexpr int DEFAULT_IDLE_SECONDS = 60;
// A window left where it is this long has ended its slide (a slide moves it every 50 ms).
constexpr double SETTLED_MS = 250;
constexpr DWORD SETTLE_MS = 2000;

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

RECT windowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Waits until the window stays put; false when it does not in time.
bool settle(HWND window, RECT& at)
{
    at = windowRect(window);
    double since = nowMs();
    return waitUntil([&] {
        pumpMessages();
        const RECT now = windowRect(window);
        if (!sameRect(now, at)) {
            at = now;
            since = nowMs();
        }
        return nowMs() - since >= SETTLED_MS;
    });
}

void click(POINT at)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx =
        static_cast<LONG>((at.x * 65536LL + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy =
        static_cast<LONG>((at.y * 65536LL + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN));
    for (DWORD button : {0UL, static_cast<DWORD>(MOUSEEVENTF_LEFTDOWN), static_cast<DWORD>(MOUSEEVENTF_LEFTUP)}) {
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
        SendInput(1, &input, sizeof input);
    }
}

double keyboardCount(HWND keyboard, const wchar_t* query)
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(keyboard, RegisterWindowMessageW(query), 0, 0, SMTO_ABORTIFHUNG, DEADLINE_MS, &count))
        return -1;
    return static_cast<double>(count);
}

// The keyboard's timer ticks and hook calls so far, or a negative value when it does not count them.
double wakeUps(HWND keyboard)
{
    const double ticks = keyboardCount(keyboard, L"Plumtide.TimerTicks");
    const double calls = keyboardCount(keyboard, L"Plumtide.HookCalls");
    return ticks < 0 || calls < 0 ? -1 : ticks + calls;
}

struct Timings {
    std::vector<double> start;
    std::vector<double> shown;
};

// One round: the panel is slid away and the focus on the button; a click into the edit box, and the
// panel's way in watched from the focus change on.
bool timeOneShow(HWND keyboard, HWND edit, const RECT& shown, Timings& timings)
{
    RECT hidden = {};
    settle(keyboard, hidden);
    RECT field = {};
    GetWindowRect(edit, &field);
    click({(field.left + field.right) / 2, (field.top + field.bottom) / 2});
    // The edit box takes the focus while this thread handles the click.
    double focused = 0;
    if (!waitUntil([&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
                if (GetFocus() == edit) {
                    focused = nowMs();
                    return true;
                }
            }
            return false;
        }))
        return false;
    double started = -1;
    const bool in = waitUntil([&] {
        pumpMessages();
        const RECT now = windowRect(keyboard);
        if (started < 0 && !sameRect(now, hidden))
            started = nowMs();
        return sameRect(now, shown);
    });
    if (!in)
        return false;
    timings.start.push_back(started - focused);
    timings.shown.push_back(nowMs() - focused);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: plumtide_auto_show PLUMTIDE.EXE\n"
                     "  PLUMTIDE_BENCH_AUTO_SHOW_ROUNDS  shows timed (default %d)\n"
                     "  PLUMTIDE_BENCH_IDLE_SECONDS      the idle period (default %d)\n",
                     DEFAULT_ROUNDS, DEFAULT_IDLE_SECONDS);
        return 2;
    }
    const int rounds = environmentNumber("PLUMTIDE_BENCH_AUTO_SHOW_ROUNDS", DEFAULT_ROUNDS);
    const int idleSeconds = environmentNumber("PLUMTIDE_BENCH_IDLE_SECONDS", DEFAULT_IDLE_SECONDS);
    Program keyboard = {"plumtide", argv[1], L"", {}};
    HWND window = startKeyboard(keyboard);
    if (!window)
        return 1;
    // A text field and a button of this program's own, in the screen's left half, clear of the tab.
    HWND frame = CreateWindowExW(0, L"#32770", L"Field", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 150, 320, 160, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 20, 200, 30, frame, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HWND button = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE, 20, 70, 100, 30, frame, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    // The built-in layout without a keymap starts shown; the menu item turns auto-show on.
    RECT shown = {};
    settle(window, shown);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_COMMAND, IDM_AUTO_SHOW, 0, SMTO_NORMAL, DEADLINE_MS, &result);

    Timings timings;
    int status = 0;
    for (int round = 0; round < rounds && status == 0; ++round) {
        // A focus moved by a program into something that takes no text takes the panel away.
        SetForegroundWindow(frame);
        SetFocus(button);
        RECT away = {};
        if (!waitUntil([&] { return settle(window, away) && !sameRect(away, shown); }) ||
            !timeOneShow(window, edit, shown, timings)) {
            std::fprintf(stderr, "the panel did not come for round %d\n", round + 1);
            status = 1;
        }
    }

    // Wake-ups over the idle period, or a negative value when the keyboard does not count them.
    const auto idleWakeUpsPerSecond = [&] {
        Sleep(SETTLE_MS);
        const double before = wakeUps(window);
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        const double after = wakeUps(window);
        return before < 0 || after < 0 ? -1 : (after - before) / idleSeconds;
    };
    double idleWakeUps = -1;
    double hoverWakeUps = -1;
    if (status == 0) {
        // Idle with the panel slid away, once its slide has ended.
        SetFocus(button);
        RECT away = {};
        waitUntil([&] { return settle(window, away) && !sameRect(away, shown); });
        idleWakeUps = idleWakeUpsPerSecond();
        // Hover typing on, and the pointer across where the panel was to a window of this program's.
        SendMessageTimeoutW(window, WM_COMMAND, IDM_HOVER_1000, 0, SMTO_NORMAL, DEADLINE_MS, &result);
        RECT field = {};
        GetWindowRect(frame, &field);
        SetCursorPos((shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2);
        SetCursorPos((field.left + field.right) / 2, (field.top + field.bottom) / 2);
        hoverWakeUps = idleWakeUpsPerSecond();
        if (idleWakeUps < 0 || hoverWakeUps < 0) {
            std::fprintf(stderr, "the keyboard does not count its wake-ups: is it the benchmarks' build?\n");
            status = 1;
        }
    }
    DestroyWindow(frame);
    stop(keyboard);
    removeFolder(keyboard);
    if (status != 0)
        return status;
    std::printf("auto_show_start_ms plumtide %.1f\n", median(timings.start));
    std::printf("auto_show_start_max_ms plumtide %.1f\n",
                *std::max_element(timings.start.begin(), timings.start.end()));
    std::printf("auto_show_shown_ms plumtide %.1f\n", median(timings.shown));
    std::printf("auto_show_shown_max_ms plumtide %.1f\n",
                *std::max_element(timings.shown.begin(), timings.shown.end()));
    std::printf("idle_wakeups_per_s autoshow %.2f\n", idleWakeUps);
    std::printf("idle_wakeups_per_s hover %.2f\n", hoverWakeUps);
    std::printf("auto_show_rounds %d\n", rounds);
    return 0;
}
