// Times the real keyboard's re-fit: from a display change reaching its window to the panel repainted.
// It fits, shapes, places and repaints with the fonts and pens of its scale before it answers the
// message. Prints "refit_ms builtinWxH median_ms".
#include <windows.h>

#include <cstdio>
#include <vector>

#include "programs_win32.h"
#include "timing_win32.h"

namespace {

constexpr int WARM_UP_RUNS = 3;
constexpr int RUNS = 60;

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: plumtide_refit PLUMTIDE.EXE\n");
        return 2;
    }
    Program keyboard = {"plumtide", argv[1], L"", {}};
    HWND window = startKeyboard(keyboard);
    if (!window)
        return 1;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<double> runs;
    bool answered = true;
    for (int i = 0; i < WARM_UP_RUNS + RUNS && answered; ++i) {
        DWORD_PTR result = 0;
        const double begin = nowMs();
        answered = SendMessageTimeoutW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(width, height), SMTO_NORMAL,
                                       DEADLINE_MS, &result) != 0;
        if (i >= WARM_UP_RUNS)
            runs.push_back(nowMs() - begin);
    }
    if (answered)
        std::printf("refit_ms builtin%dx%d %.3f\n", width, height, median(runs));
    else
        std::fprintf(stderr, "the keyboard did not answer a display change\n");
    stop(keyboard);
    removeFolder(keyboard);
    return answered ? 0 : 1;
}
