// Entry point of plumtide.exe: single-instance check, window class, key table, window, icon, message loop.
#include "app/app_win32.h"

#include <cstring>

#include "app/keymap_path.h"
#include "app/start_options.h"
#include "input/input.h"
#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "layout/u16text.h"
#include "platform/platform.h"
#include "platform/system_calls_win32.h"
#include "render/geometry.h"
#include "render/render_win32.h"
#include "resource.h"

AppState app;

namespace {

void registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PLUMTIDE));
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_CLASS_MENU);
    windowClass.lpszClassName = app.className;
    RegisterClassExW(&windowClass);
}

// The key table from the keymap beside the program, or the built-in layout when it cannot be read.
void loadKeys()
{
    // One unit beyond the 260 that the path may use, so the path is terminated whatever the system
    // returned.
    char16_t path[PATH_UNITS + 1] = {};
    GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path), PATH_UNITS);
    buildKeymapPath(path, PATH_UNITS, reinterpret_cast<const char16_t*>(app.keymapFileName));
    if (!loadKeymap(path))
        installDefaultLayout(*keyTable);
}

void setUpTrayIcon()
{
    std::memset(&app.icon, 0, sizeof app.icon);
    app.icon.cbSize = sizeof app.icon;
    app.icon.hWnd = app.window;
    app.icon.uID = 1;
    app.icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    app.icon.uCallbackMessage = WM_TRAY_ICON;
    app.icon.hIcon = LoadIconW(app.instance, MAKEINTRESOURCEW(IDI_PLUMTIDE));
    u16Copy(reinterpret_cast<char16_t*>(app.icon.szTip), 128, u"Plumtide");
    addTrayIcon();
}

} // namespace

bool initialiseApp(HINSTANCE instance)
{
    app.instance = instance;
    clientOffset = GetSystemMetrics(SM_CYCAPTION);

    if (!allocateKeyTable()) {
        platformShowOutOfMemory();
        return false;
    }
    loadKeys();
    // Before the window's creation, whose first fit places the panel where its last slide left it.
    startSlidAwayIfAsked();

    app.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, app.className,
                                 app.windowTitle, WS_POPUP, 0, 0, windowSize.width, windowSize.height, nullptr, nullptr,
                                 instance, nullptr);
    if (!app.window)
        return false;

    app.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // A second copy may run with fewer rights than this one (an installation elevated it).
    ChangeWindowMessageFilterEx(app.window, app.showPanelMessage, MSGFLT_ALLOW, nullptr);
#ifdef PLUMTIDE_BENCH
    app.timerTicksQuery = RegisterWindowMessageW(L"Plumtide.TimerTicks");
    app.hookCallsQuery = RegisterWindowMessageW(L"Plumtide.HookCalls");
#endif
    app.popupMenu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_POPUP_MENU));
    app.autoShowMode = keymapOptions.autoShow != AutoShow::Off ? keymapOptions.autoShow : AutoShow::AnyPointer;
    if (keymapOptions.autoShow != AutoShow::Off)
        setAutoShowForRun(app.window, keymapOptions.autoShow);
    applyStartOptions(app.window);
    ShowWindow(app.window, SW_SHOWNOACTIVATE);
    if (keymapOptions.scan)
        setScanningForRun(app.window, true);
    // The panel is painted before the icon is added: the icon's library is the slowest part of
    // start-up, and until the panel is shown there is nothing to open the icon's menu for.
    UpdateWindow(app.window);
    loaded::loadShell();
    setUpTrayIcon();
    // The first reading of the clock loads its library; better now than at the first press. No timer
    // runs until a press or a slide needs one.
    platformMilliseconds();
    return true;
}

namespace {

// The message loop; returns the code given to PostQuitMessage.
int runMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    LoadStringW(instance, IDS_APP_TITLE, app.windowTitle, TEXT_UNITS);
    LoadStringW(instance, IDC_PLUMTIDE, app.className, TEXT_UNITS);
    app.showPanelMessage = RegisterWindowMessageW(SHOW_PANEL_MESSAGE);
    // A second copy asks the first to show its panel, which may be hidden with no icon to bring it
    // back (no notification area, or a shell restarting), then ends silently; one copy runs. A first
    // copy still starting has no window yet, and shows its panel anyway.
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, L"Quillmoor.Plumtide");
    if (!event)
        return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = FindWindowW(app.className, nullptr))
            PostMessageW(first, app.showPanelMessage, 0, 0);
        CloseHandle(event);
        return 0;
    }
    app.singleInstanceEvent = event;

    registerWindowClass(instance);
    LoadStringW(instance, IDS_KEYMAP_FILE, app.keymapFileName, TEXT_UNITS);

    if (!initialiseApp(instance))
        return 0;
    return runMessageLoop();
}
