// Measures what a user feels of a tap: the time from a press reaching the system to the key-down
// arriving in the focused window, for the keyboard beside a minimal program that sends the key from
// its own handlers, the same way in the same run. A press is a mouse press injected with SendInput or
// a touch contact's pointer-down message. Prints "figure program median_ms" lines.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "programs_win32.h"
#include "timing_win32.h"

namespace {

// The centre of the built-in layout's "A" key, on the screen; the minimal program's window covers it.
constexpr POINT KEY_A = {152, 268};
// Many short rounds rather than a few long ones: a program's latency differs from one start of it to
// the next by as much as the budget's margin (a program measured against a copy of itself in six
// rounds came out anywhere from 0.95x to 1.14x), and only many starts of each even that out.
constexpr int DEFAULT_TAPS = 10;
constexpr int ROUNDS = 24;
constexpr UINT WM_POINTERDOWN = 0x0246;
constexpr UINT WM_POINTERUP = 0x0247;
constexpr WORD CONTACT = 2;
constexpr WORD CONTACT_DOWN_FLAGS = 0x0001 | 0x0002 | 0x0004 | 0x0010; // new, in range, in contact, first button
constexpr WORD CONTACT_UP_FLAGS = 0x0002;
constexpr DWORD TAP_DEADLINE_MS = 2000;
// Between taps, as between a typist's: the program has painted what the last tap changed.
constexpr DWORD BETWEEN_TAPS_MS = 30;

// When the focused window last received the key A going down and going up.
double keyDownAt = 0;
double keyUpAt = 0;

LRESULT CALLBACK focusProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == 'A')
        (message == WM_KEYDOWN ? keyDownAt : keyUpAt) = nowMs();
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window of the benchmark's own that holds the focus, in the empty cells below the space bar.
HWND createFocusWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = focusProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PlumtideLatencyFocus";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Plumtide latency", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  120, 496, 370, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    return window;
}

// Handles this thread's messages until `condition` holds; false when it does not in time.
template <class Condition>
bool pumpUntil(Condition condition, DWORD timeoutMs = TAP_DEADLINE_MS)
{
    const double end = nowMs() + timeoutMs;
    MSG message;
    while (!condition()) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition())
            break;
        if (nowMs() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

void mouseAt(DWORD buttons, POINT screen)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (screen.x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (screen.y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = buttons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

enum class Press { Mouse, Contact };

// One tap on the key A: the time from the press reaching the system to the key-down in the focused
// window, or a negative value when it does not arrive.
double tapMs(HWND target, Press press)
{
    pumpUntil([] { return false; }, BETWEEN_TAPS_MS);
    keyDownAt = keyUpAt = 0;
    const LPARAM where = MAKELPARAM(KEY_A.x, KEY_A.y);
    const double begin = nowMs();
    if (press == Press::Mouse)
        mouseAt(MOUSEEVENTF_LEFTDOWN, KEY_A);
    else
        PostMessageW(target, WM_POINTERDOWN, MAKEWPARAM(CONTACT, CONTACT_DOWN_FLAGS), where);
    const bool arrived = pumpUntil([] { return keyDownAt != 0; });
    if (press == Press::Mouse)
        mouseAt(MOUSEEVENTF_LEFTUP, KEY_A);
    else
        PostMessageW(target, WM_POINTERUP, MAKEWPARAM(CONTACT, CONTACT_UP_FLAGS), where);
    const bool lifted = pumpUntil([] { return keyUpAt != 0; });
    return arrived && lifted ? keyDownAt - begin : -1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: plumtide_latency PLUMTIDE.EXE MINIMAL.EXE\n"
                     "  PLUMTIDE_BENCH_TAPS  taps of each kind on each program in each of %d rounds (default %d)\n",
                     ROUNDS, DEFAULT_TAPS);
        return 2;
    }
    Program programs[2];
    if (!preparePrograms(programs, argv))
        return 1;
    const int taps = environmentNumber("PLUMTIDE_BENCH_TAPS", DEFAULT_TAPS);
    HWND focus = createFocusWindow();
    mouseAt(0, KEY_A);
    int status = 0;

    // The programs take turns, so that both meet the same state of the machine, each going first in
    // every other round; one runs at a time, as both cover the key.
    std::vector<double> latency[2][2];
    for (int round = 0; round < ROUNDS && status == 0; ++round) {
        for (int turn = 0; turn < 2 && status == 0; ++turn) {
            const int i = turn ^ (round % 2);
            Program& program = programs[i];
            HWND target = nullptr;
            if (!start(program) ||
                !waitUntil([&] { return (target = visibleWindowOf(program.process.dwProcessId)); })) {
                std::fprintf(stderr, "%s did not show its window\n", program.name);
                status = 1;
                break;
            }
            pumpUntil([] { return false; }, 500); // its first paint and its libraries
            SetForegroundWindow(focus);
            SetFocus(focus);
            for (Press press : {Press::Mouse, Press::Contact}) {
                for (int tap = 0; tap < taps && status == 0; ++tap) {
                    const double ms = tapMs(target, press);
                    if (ms < 0 || GetForegroundWindow() != focus) {
                        std::fprintf(stderr, "a tap on %s did not reach the focused window\n", program.name);
                        status = 1;
                    }
                    latency[i][static_cast<int>(press)].push_back(ms);
                }
            }
            stop(program);
        }
    }
    for (Program& program : programs)
        removeFolder(program);
    DestroyWindow(focus);
    if (status != 0)
        return status;

    for (int i = 0; i < 2; ++i) {
        std::printf("latency_mouse_ms %s %.3f\n", programs[i].name, median(latency[i][0]));
        std::printf("latency_contact_ms %s %.3f\n", programs[i].name, median(latency[i][1]));
    }
    std::printf("taps %d\n", taps * ROUNDS);
    return 0;
}
