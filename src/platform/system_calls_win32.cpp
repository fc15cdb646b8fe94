// The system functions looked up at run time, and the loader that takes system libraries from the system folder only.
#include "platform/system_calls_win32.h"

namespace loaded {

decltype(&::Shell_NotifyIconW) Shell_NotifyIconW = nullptr;
decltype(&::timeGetTime) timeGetTime = nullptr;
SetWindowFeedbackSettingFunction SetWindowFeedbackSetting = nullptr;
SetCoalescableTimerFunction SetCoalescableTimer = nullptr;
decltype(&::AccessibleObjectFromEvent) AccessibleObjectFromEvent = nullptr;
decltype(&::CoInitializeEx) CoInitializeEx = nullptr;
decltype(&::CoUninitialize) CoUninitialize = nullptr;
decltype(&::CoCreateInstance) CoCreateInstance = nullptr;
decltype(&::VariantClear) VariantClear = nullptr;

namespace {

bool userLoaded = false;
bool accessibilityLoaded = false;

template <class Function>
void find(HMODULE library, const char* name, Function& function)
{
    FARPROC found = library ? GetProcAddress(library, name) : nullptr;
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

} // namespace

bool loadShell()
{
    if (!Shell_NotifyIconW)
        find(loadSystemLibrary(L"shell32.dll"), "Shell_NotifyIconW", Shell_NotifyIconW);
    return Shell_NotifyIconW != nullptr;
}

bool loadMultimedia()
{
    if (!timeGetTime)
        find(loadSystemLibrary(L"winmm.dll"), "timeGetTime", timeGetTime);
    return timeGetTime != nullptr;
}

void loadUser()
{
    if (userLoaded)
        return;
    userLoaded = true;
    HMODULE user = loadSystemLibrary(L"user32.dll");
    find(user, "SetWindowFeedbackSetting", SetWindowFeedbackSetting);
    find(user, "SetCoalescableTimer", SetCoalescableTimer);
}

void loadAccessibility()
{
    if (accessibilityLoaded)
        return;
    accessibilityLoaded = true;
    find(loadSystemLibrary(L"oleacc.dll"), "AccessibleObjectFromEvent", AccessibleObjectFromEvent);
    HMODULE objects = loadSystemLibrary(L"ole32.dll");
    find(objects, "CoInitializeEx", CoInitializeEx);
    find(objects, "CoUninitialize", CoUninitialize);
    find(objects, "CoCreateInstance", CoCreateInstance);
    find(loadSystemLibrary(L"oleaut32.dll"), "VariantClear", VariantClear);
}

} // namespace loaded

HMODULE loadSystemLibrary(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
    const int nameLength = lstrlenW(name);
    if (folder == 0 || folder + 1 + nameLength >= MAX_PATH)
        return nullptr;
    path[folder] = L'\\';
    lstrcpyW(path + folder + 1, name);
    return LoadLibraryW(path);
}
