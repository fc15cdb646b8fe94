// Measures what the keyboard costs the machine beside a minimal program measured the same way in the
// same run: time from process creation to the first painted pixel, private memory, and processor
// time over an idle period; and the keyboard's timer ticks at idle, which its benchmark build counts.
// Prints one "figure program value" line per result.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "programs_win32.h"
#include "timing_win32.h"

namespace {

// A point that both programs paint, inside the built-in layout's "A" key and clear of its legend:
// its colour changes from the desktop's when the first paint reaches the screen.
constexpr POINT PROBE = {180, 300};
constexpr int DEFAULT_STARTS = 15;
constexpr int DEFAULT_IDLE_SECONDS = 60;
// Once its window shows, a program is left alone this long before its idle period is measured.
constexpr DWORD SETTLE_MS = 2000;

COLORREF screenPixel(POINT point)
{
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return color;
}

// Milliseconds from the process's creation until its first paint shows at the probe point, or a
// negative value when it does not show in time. The desktop must show there before the start.
double startUpMs(Program& program, COLORREF desktop)
{
    if (!waitUntil([&] { return screenPixel(PROBE) == desktop; }))
        return -1;
    const double begin = nowMs();
    if (!start(program))
        return -1;
    const bool painted = waitUntil([&] { return screenPixel(PROBE) != desktop; });
    const double elapsed = nowMs() - begin;
    stop(program);
    return painted ? elapsed : -1;
}

// Committed private bytes found by walking the process's address space: what the system counts as
// its private usage. Wine leaves PrivateUsage at 0, so the walk is the figure wherever it is.
double committedPrivateKb(HANDLE process)
{
    double total = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* address = nullptr;
    while (VirtualQueryEx(process, address, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += static_cast<double>(info.RegionSize);
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total / 1024.0;
}

double privateKb(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters) &&
        counters.PrivateUsage != 0)
        return static_cast<double>(counters.PrivateUsage) / 1024.0;
    return committedPrivateKb(process);
}

bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string readWholeFile(const std::wstring& path)
{
    std::string bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// Under Wine a Windows process is a Unix process whose command line names the program's file, and
// Wine's drive Z: is the Unix root: the process whose command line holds the program's folder, which
// is named after this run, is the one. 0 when none is found.
unsigned long unixProcessOf(const Program& program)
{
    const std::wstring folderName = program.folder.substr(program.folder.find_last_of(L'\\') + 1);
    const std::string token(folderName.begin(), folderName.end());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    unsigned long match = 0;
    do {
        const std::wstring name = found.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos)
            continue;
        if (readWholeFile(L"Z:\\proc\\" + name + L"\\cmdline").find(token) != std::string::npos)
            match = std::wcstoul(name.c_str(), nullptr, 10);
    } while (!match && FindNextFileW(search, &found));
    FindClose(search);
    return match;
}

// User and system time of a Unix process from its stat line: fields 14 and 15, in clock ticks of
// 10 ms, counted after the parenthesised command name, which may hold spaces.
double unixProcessorMs(unsigned long unixProcess)
{
    const std::string stat = readWholeFile(L"Z:\\proc\\" + std::to_wstring(unixProcess) + L"\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    unsigned long long user = 0;
    unsigned long long system = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2)
        return -1;
    constexpr double TICK_MS = 10.0;
    return static_cast<double>(user + system) * TICK_MS;
}

// Processor time of the process so far. Wine's GetProcessTimes does not follow another process's
// time after its start, so under Wine the Unix process's own accounting is read instead.
double processorMs(const Program& program)
{
    if (underWine()) {
        const unsigned long unixProcess = unixProcessOf(program);
        return unixProcess ? unixProcessorMs(unixProcess) : -1;
    }
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(program.process.hProcess, &created, &exited, &kernel, &user))
        return -1;
    const auto ticks = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

// Timer ticks the keyboard's window has handled so far, or -1 when it does not answer.
double timerTicks(const Program& program)
{
    HWND window = visibleWindowOf(program.process.dwProcessId);
    DWORD_PTR ticks = 0;
    const UINT query = RegisterWindowMessageW(L"Plumtide.TimerTicks");
    if (!window || !SendMessageTimeoutW(window, query, 0, 0, SMTO_ABORTIFHUNG, DEADLINE_MS, &ticks))
        return -1;
    return static_cast<double>(ticks);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: plumtide_footprint PLUMTIDE.EXE MINIMAL.EXE\n"
                     "  PLUMTIDE_BENCH_STARTS        start-ups of each program (default %d)\n"
                     "  PLUMTIDE_BENCH_IDLE_SECONDS  the idle period (default %d)\n",
                     DEFAULT_STARTS, DEFAULT_IDLE_SECONDS);
        return 2;
    }
    Program programs[2];
    if (!preparePrograms(programs, argv))
        return 1;
    const int starts = environmentNumber("PLUMTIDE_BENCH_STARTS", DEFAULT_STARTS);
    const int idleSeconds = environmentNumber("PLUMTIDE_BENCH_IDLE_SECONDS", DEFAULT_IDLE_SECONDS);
    const COLORREF desktop = screenPixel(PROBE);
    int status = 0;

    // Start-ups alternate, so that both programs meet the same state of the machine.
    std::vector<double> startUps[2];
    for (int round = 0; round < starts && status == 0; ++round) {
        for (int i = 0; i < 2 && status == 0; ++i) {
            const double ms = startUpMs(programs[i], desktop);
            if (ms < 0) {
                std::fprintf(stderr, "%s did not paint within %lu ms\n", programs[i].name, DEADLINE_MS);
                status = 1;
            }
            startUps[i].push_back(ms);
        }
    }

    // Both idle side by side over the same period, once their windows show and have settled.
    double memory[2] = {-1, -1};
    double idleCpu[2] = {-1, -1};
    double idleTicksPerSecond = -1;
    if (status == 0) {
        for (Program& program : programs) {
            if (!start(program) ||
                !waitUntil([&] { return visibleWindowOf(program.process.dwProcessId) != nullptr; })) {
                std::fprintf(stderr, "%s did not show its window\n", program.name);
                status = 1;
            }
        }
    }
    if (status == 0) {
        Sleep(SETTLE_MS);
        double before[2];
        for (int i = 0; i < 2; ++i)
            before[i] = processorMs(programs[i]);
        const double ticksBefore = timerTicks(programs[0]);
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        const double ticksAfter = timerTicks(programs[0]);
        if (ticksBefore < 0 || ticksAfter < 0) {
            std::fprintf(stderr, "%s does not count its timer ticks: is it the benchmarks' build?\n", programs[0].name);
            status = 1;
        }
        idleTicksPerSecond = (ticksAfter - ticksBefore) / idleSeconds;
        for (int i = 0; i < 2; ++i) {
            const double after = processorMs(programs[i]);
            if (before[i] < 0 || after < 0) {
                std::fprintf(stderr, "cannot read the processor time of %s\n", programs[i].name);
                status = 1;
            }
            idleCpu[i] = after - before[i];
            memory[i] = privateKb(programs[i].process.hProcess);
        }
    }
    for (Program& program : programs) {
        stop(program);
        removeFolder(program);
    }
    if (status != 0)
        return status;

    for (int i = 0; i < 2; ++i) {
        std::printf("startup_ms %s %.1f\n", programs[i].name, median(startUps[i]));
        std::printf("private_kb %s %.0f\n", programs[i].name, memory[i]);
        std::printf("idle_cpu_ms %s %.1f\n", programs[i].name, idleCpu[i]);
    }
    std::printf("idle_timer_ticks_per_s %s %.2f\n", programs[0].name, idleTicksPerSecond);
    std::printf("idle_seconds %d\n", idleSeconds);
    std::printf("starts %d\n", starts);
    return 0;
}
