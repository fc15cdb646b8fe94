// The programs a Windows benchmark measures side by side: each copied to a folder of its own, started,
// found by its window and closed as a user would close it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "timing_win32.h"

constexpr DWORD DEADLINE_MS = 20000;

struct Program {
    const char* name;
    std::wstring path;
    std::wstring folder;
    PROCESS_INFORMATION process;
};

inline std::wstring widen(const char* text)
{
    std::wstring out;
    for (; *text; ++text)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

inline int environmentNumber(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    const int value = std::atoi(text);
    return value > 0 ? value : fallback;
}

template <class Condition>
bool waitUntil(Condition condition, DWORD timeoutMs = DEADLINE_MS)
{
    const double end = nowMs() + timeoutMs;
    while (!condition()) {
        if (nowMs() > end)
            return false;
        Sleep(1);
    }
    return true;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

inline BOOL CALLBACK matchVisibleWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

inline HWND visibleWindowOf(DWORD processId)
{
    WindowSearch search = {processId, nullptr};
    EnumWindows(matchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Each program runs from a folder of its own: the keyboard finds no keymap beside it and shows the
// built-in layout.
inline bool copyToFreshFolder(Program& program)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    program.folder =
        std::wstring(temp) + L"plumtide-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + widen(program.name);
    CreateDirectoryW(program.folder.c_str(), nullptr);
    const std::wstring copy = program.folder + L"\\" + widen(program.name) + L".exe";
    if (!CopyFileW(program.path.c_str(), copy.c_str(), FALSE))
        return false;
    program.path = copy;
    return true;
}

// The keyboard and the minimal program named on a benchmark's command line, each copied to a folder of
// its own; false, having said why, when one cannot be.
inline bool preparePrograms(Program (&programs)[2], wchar_t** argv)
{
    programs[0] = {"plumtide", argv[1], L"", {}};
    programs[1] = {"minimal", argv[2], L"", {}};
    for (Program& program : programs) {
        if (!copyToFreshFolder(program)) {
            std::fprintf(stderr, "cannot copy %ls\n", program.path.c_str());
            return false;
        }
    }
    return true;
}

inline void removeFolder(const Program& program)
{
    DeleteFileW(program.path.c_str());
    RemoveDirectoryW(program.folder.c_str());
}

inline bool start(Program& program)
{
    std::wstring commandLine = L"\"" + program.path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, program.folder.c_str(),
                          &startup, &program.process) != FALSE;
}

// Closes the window as a user would and waits for the process to end; one that will not end is killed.
inline void stop(Program& program)
{
    if (!program.process.hProcess)
        return;
    if (HWND window = visibleWindowOf(program.process.dwProcessId))
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(program.process.hProcess, DEADLINE_MS) != WAIT_OBJECT_0) {
        TerminateProcess(program.process.hProcess, 1);
        WaitForSingleObject(program.process.hProcess, DEADLINE_MS);
    }
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
    program.process = {};
}

// The keyboard copied to a fresh folder of its own and started, and its window once it shows; null,
// with the process stopped and the folder gone, when it does not start.
inline HWND startKeyboard(Program& keyboard)
{
    HWND window = nullptr;
    if (copyToFreshFolder(keyboard) && start(keyboard) &&
        waitUntil([&] { return (window = visibleWindowOf(keyboard.process.dwProcessId)) != nullptr; }))
        return window;
    std::fprintf(stderr, "the keyboard did not start\n");
    stop(keyboard);
    removeFolder(keyboard);
    return nullptr;
}
