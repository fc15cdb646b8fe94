// System functions that the program looks up at run time, each with its type, and the one loader of system libraries.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <oleacc.h>
#include <shellapi.h>

// Why each is looked up rather than linked:
// - Shell_NotifyIconW: shell32 and the libraries it brings take longer to load than everything the
//   first paint waits for, so it is loaded once the panel is on the screen.
// - timeGetTime: winmm likewise; it is loaded at the first reading of the clock.
// - SetWindowFeedbackSetting and SetCoalescableTimer: Windows 8 and later; the program still starts on
//   Windows 7.
// - AccessibleObjectFromEvent (oleacc), CoInitializeEx, CoUninitialize and CoCreateInstance (ole32)
//   and VariantClear (oleaut32): only auto-show asks what the focused object is, and only once it is
//   on; a keyboard without it never loads them.
// A function that cannot be found stays null, and its caller does without it.
namespace loaded {

// Declared by the system headers only for Windows 8 and later, which the build does not target.
using SetWindowFeedbackSettingFunction = BOOL(WINAPI*)(HWND window, DWORD feedback, DWORD flags, UINT32 size,
                                                       const void* configuration);

extern decltype(&::Shell_NotifyIconW) Shell_NotifyIconW;
extern decltype(&::timeGetTime) timeGetTime;
extern SetWindowFeedbackSettingFunction SetWindowFeedbackSetting;
using SetCoalescableTimerFunction = UINT_PTR(WINAPI*)(HWND window, UINT_PTR id, UINT intervalMs, TIMERPROC procedure,
                                                      ULONG toleranceMs);
extern SetCoalescableTimerFunction SetCoalescableTimer;
extern decltype(&::AccessibleObjectFromEvent) AccessibleObjectFromEvent;
extern decltype(&::CoInitializeEx) CoInitializeEx;
extern decltype(&::CoUninitialize) CoUninitialize;
extern decltype(&::CoCreateInstance) CoCreateInstance;
extern decltype(&::VariantClear) VariantClear;

// shell32's functions; false when they cannot be had.
bool loadShell();
// winmm's functions; false when they cannot be had.
bool loadMultimedia();
// user32's newer functions; user32 itself is always there.
void loadUser();
// The accessibility and component object functions, each null where it cannot be had; looked up once.
void loadAccessibility();

} // namespace loaded

// Loads a library of the system from the system folder, never from beside the program or from the
// current folder, where a file of the same name could stand; null when it cannot be loaded.
HMODULE loadSystemLibrary(const wchar_t* name);
