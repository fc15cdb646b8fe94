// Auto-show on Windows: other programs' focus events, the user's presses and hardware keys, and what takes text.
#include "app/app_win32.h"

#include <cwchar>

#include "input/auto_show.h"
#include "input/input.h"
#include "platform/system_calls_win32.h"
#include "platform/window_win32.h"
#include "resource.h"

namespace {

// An event stamped longer ago than this is taken as stamped now: its clock is not to be trusted.
constexpr DWORD MAX_EVENT_AGE_MS = 10000;
// A window that makes its caret as it takes the focus may not have made it when the event arrives.
constexpr UINT CARET_CHECK_MS = 30;

// UI Automation, which the system headers of this build do not declare: the client object's and an
// element's calls up to the ones used, in the order of their interfaces.
using UiaProperty = int;
constexpr CLSID CLSID_CUI_AUTOMATION = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID IID_UI_AUTOMATION = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr UiaProperty UIA_BOUNDING_RECTANGLE = 30001;
constexpr UiaProperty UIA_CONTROL_TYPE = 30003;
constexpr UiaProperty UIA_IS_TEXT_PATTERN_AVAILABLE = 30040;
constexpr UiaProperty UIA_IS_VALUE_PATTERN_AVAILABLE = 30043;
constexpr UiaProperty UIA_VALUE_IS_READ_ONLY = 30046;
constexpr LONG UIA_EDIT_CONTROL_TYPE = 50004;

struct UiaElement;
struct UiaElementCalls {
    void* queryInterface;
    void* addRef;
    ULONG(STDMETHODCALLTYPE* release)(UiaElement* self);
    void* setFocusToBuildUpdatedCache[7];
    HRESULT(STDMETHODCALLTYPE* getCurrentPropertyValue)(UiaElement* self, UiaProperty property, VARIANT* value);
};
struct UiaElement {
    const UiaElementCalls* calls;
};

struct UiaClient;
struct UiaClientCalls {
    void* queryInterface;
    void* addRef;
    ULONG(STDMETHODCALLTYPE* release)(UiaClient* self);
    void* compareElementsToElementFromPoint[5];
    HRESULT(STDMETHODCALLTYPE* getFocusedElement)(UiaClient* self, UiaElement** element);
};
struct UiaClient {
    const UiaClientCalls* calls;
};

// Whether an object takes text: Unsure leaves it to the next, slower test.
enum class Verdict { Text, NotText, Unsure };

struct AutoShowHooks {
    HWINEVENTHOOK focus;
    HHOOK mouse;
    HHOOK keyboard;
    bool keyReported;     // a hardware key is posted to the window and not yet handled
    uint32_t focusSerial; // counts focus events: a test that lets messages through may outlive its event
    bool comStarted;      // this thread's component objects were started here
    int judging;          // a focus is being judged: the other program's answer is awaited
    bool releaseDue;      // auto-show stopped while one was: what it loaded goes once the answer is in
    bool automationAsked;
    UiaClient* automation; // null where the system has no UI Automation
    // The focused window whose caret is looked for once more, and the change that would then be text.
    bool caretCheckDue;
    HWND caretWindow;
    DWORD caretThread;
    uint32_t caretSerial;
    FocusChange caretChange;
};

AutoShowHooks hooks = {};

// A time stamped by the system's tick count, on the platform's clock: both count milliseconds since
// the system started, but not from the same instant.
uint32_t platformTime(DWORD stamp)
{
    DWORD age = GetTickCount() - stamp;
    if (age > MAX_EVENT_AGE_MS)
        age = 0;
    return platformMilliseconds() - age;
}

Rect toRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect monitorOf(const RECT& place)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0, 0, 0};
    return toRect(info.rcMonitor);
}

void clearVariant(VARIANT& value)
{
    if (loaded::VariantClear)
        loaded::VariantClear(&value);
}

bool isMenu(HWND window, LONG object)
{
    // A menu has the focus only while it is open, and gives it back to where it came from.
    wchar_t name[8] = {};
    return object == OBJID_MENU || object == OBJID_SYSMENU ||
           (GetClassNameW(window, name, 8) && lstrcmpW(name, L"#32768") == 0);
}

// The standard edit controls and every version of the rich edit control, also where a program
// derives its own class from them; read-only ones take no text.
Verdict byClass(HWND window)
{
    wchar_t name[16] = {};
    if (!RealGetWindowClassW(window, name, 16))
        return Verdict::Unsure;
    if (_wcsicmp(name, L"Edit") != 0 && _wcsnicmp(name, L"RichEdit", 8) != 0)
        return Verdict::Unsure;
    return (GetWindowLongW(window, GWL_STYLE) & ES_READONLY) ? Verdict::NotText : Verdict::Text;
}

bool hasCaret(HWND window, DWORD thread)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndCaret)
        return false;
    return info.hwndCaret == window || IsChild(window, info.hwndCaret);
}

void startComponentObjects()
{
    loaded::loadAccessibility();
    if (!hooks.comStarted && loaded::CoInitializeEx)
        hooks.comStarted = SUCCEEDED(loaded::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

// The accessibility role of the object: text, or a document, that is not read-only. A plain window
// says nothing; any other role is no text.
Verdict byAccessibility(HWND window, LONG object, LONG child, RECT& place)
{
    startComponentObjects();
    if (!loaded::AccessibleObjectFromEvent)
        return Verdict::Unsure;
    IAccessible* accessible = nullptr;
    VARIANT self = {};
    if (FAILED(loaded::AccessibleObjectFromEvent(window, object, child, &accessible, &self)) || !accessible)
        return Verdict::Unsure;
    Verdict verdict = Verdict::Unsure;
    VARIANT role = {};
    VARIANT state = {};
    if (SUCCEEDED(accessible->get_accRole(self, &role)) && role.vt == VT_I4) {
        if (role.lVal == ROLE_SYSTEM_TEXT || role.lVal == ROLE_SYSTEM_DOCUMENT) {
            const bool readOnly = SUCCEEDED(accessible->get_accState(self, &state)) && state.vt == VT_I4 &&
                                  (state.lVal & STATE_SYSTEM_READONLY) != 0;
            verdict = readOnly ? Verdict::NotText : Verdict::Text;
            long left = 0, top = 0, width = 0, height = 0;
            if (SUCCEEDED(accessible->accLocation(&left, &top, &width, &height, self)) && width > 0 && height > 0)
                place = {left, top, left + width, top + height};
        } else if (role.lVal != ROLE_SYSTEM_CLIENT) {
            verdict = Verdict::NotText;
        }
    }
    clearVariant(role);
    clearVariant(state);
    clearVariant(self);
    accessible->Release();
    return verdict;
}

UiaClient* automation()
{
    if (!hooks.automationAsked) {
        hooks.automationAsked = true;
        void* client = nullptr;
        if (hooks.comStarted && loaded::CoCreateInstance &&
            SUCCEEDED(loaded::CoCreateInstance(CLSID_CUI_AUTOMATION, nullptr, CLSCTX_INPROC_SERVER, IID_UI_AUTOMATION,
                                               &client)))
            hooks.automation = static_cast<UiaClient*>(client);
    }
    return hooks.automation;
}

VARIANT property(UiaElement* element, UiaProperty id)
{
    VARIANT value = {};
    if (FAILED(element->calls->getCurrentPropertyValue(element, id, &value)))
        value.vt = VT_EMPTY;
    return value;
}

bool booleanProperty(UiaElement* element, UiaProperty id)
{
    VARIANT value = property(element, id);
    const bool yes = value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE;
    clearVariant(value);
    return yes;
}

// UI Automation's focused element: a value that is not read-only, or the text of an edit control (a
// document's text can be read-only without saying so).
Verdict byAutomation(RECT& place)
{
    UiaClient* client = automation();
    UiaElement* element = nullptr;
    if (!client || FAILED(client->calls->getFocusedElement(client, &element)) || !element)
        return Verdict::Unsure;
    Verdict verdict = Verdict::Unsure;
    if (booleanProperty(element, UIA_IS_VALUE_PATTERN_AVAILABLE)) {
        verdict = booleanProperty(element, UIA_VALUE_IS_READ_ONLY) ? Verdict::NotText : Verdict::Text;
    } else if (booleanProperty(element, UIA_IS_TEXT_PATTERN_AVAILABLE)) {
        VARIANT type = property(element, UIA_CONTROL_TYPE);
        if (type.vt == VT_I4 && type.lVal == UIA_EDIT_CONTROL_TYPE)
            verdict = Verdict::Text;
        clearVariant(type);
    }
    // Left, top, width and height.
    VARIANT bounds = property(element, UIA_BOUNDING_RECTANGLE);
    if (verdict == Verdict::Text && bounds.vt == (VT_ARRAY | VT_R8) && bounds.parray && bounds.parray->cDims == 1 &&
        bounds.parray->rgsabound[0].cElements >= 4) {
        const double* edges = static_cast<const double*>(bounds.parray->pvData);
        if (edges[2] > 0 && edges[3] > 0)
            place = {static_cast<LONG>(edges[0]), static_cast<LONG>(edges[1]), static_cast<LONG>(edges[0] + edges[2]),
                     static_cast<LONG>(edges[1] + edges[3])};
    }
    clearVariant(bounds);
    element->calls->release(element);
    return verdict;
}

// The fastest tests first: the window's class, its caret, then the accessibility interfaces, which
// ask the other program. `unsure` says that no test could tell.
FocusChange judgeFocus(HWND window, LONG object, LONG child, DWORD thread, uint32_t time, bool& unsure)
{
    RECT place = {};
    GetWindowRect(window, &place);
    Verdict verdict = object == OBJID_CLIENT && child == CHILDID_SELF ? byClass(window) : Verdict::Unsure;
    if (verdict == Verdict::Unsure && hasCaret(window, thread))
        verdict = Verdict::Text;
    if (verdict == Verdict::Unsure)
        verdict = byAccessibility(window, object, child, place);
    if (verdict == Verdict::Unsure)
        verdict = byAutomation(place);
    unsure = verdict == Verdict::Unsure;
    return {verdict == Verdict::Text, toRect(place), monitorOf(place), time};
}

void onFocus(HWND window, LONG object, LONG child, DWORD thread, uint32_t time)
{
    const uint32_t serial = ++hooks.focusSerial;
    hooks.caretCheckDue = false;
    bool unsure = false;
    ++hooks.judging;
    const FocusChange change = judgeFocus(window, object, child, thread, time, unsure);
    --hooks.judging;
    if (hooks.releaseDue) {
        if (hooks.judging == 0)
            stopAutoShow();
        return;
    }
    // The other program's answers let this thread's messages through, a later focus event among them.
    if (serial != hooks.focusSerial)
        return;
    autoShowFocusChange(platformWindow(app.window), change);
    if (unsure) {
        hooks.caretCheckDue = true;
        hooks.caretWindow = window;
        hooks.caretThread = thread;
        hooks.caretSerial = serial;
        hooks.caretChange = change;
        hooks.caretChange.text = true;
        SetTimer(app.window, CARET_CHECK_TIMER_ID, CARET_CHECK_MS, nullptr);
    }
}

void CALLBACK onFocusEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD thread, DWORD stamp)
{
#ifdef PLUMTIDE_BENCH
    ++app.hookCalls;
#endif
    if (window && app.window && !isMenu(window, object))
        onFocus(window, object, child, thread, platformTime(stamp));
}

// The focus as it stands when auto-show comes on, so that a tap on the text field that already has it
// brings the panel.
void takeFocusAsItIs()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(GetForegroundWindow(), &process);
    if (thread && process != GetCurrentProcessId() && GetGUIThreadInfo(thread, &info) && info.hwndFocus)
        onFocus(info.hwndFocus, OBJID_CLIENT, CHILDID_SELF, thread, platformMilliseconds());
}

// Each hook returns at once: a press or a key is only noted, and handled when the window's messages
// get to it, so that no input waits for the keyboard.
LRESULT CALLBACK onMouseHook(int code, WPARAM message, LPARAM data)
{
#ifdef PLUMTIDE_BENCH
    ++app.hookCalls;
#endif
    if (code == HC_ACTION && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
        const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
        // Presses on the keyboard's own windows (the panel, its menu) are not on another program's field.
        DWORD owner = 0;
        GetWindowThreadProcessId(WindowFromPoint(mouse->pt), &owner);
        if (owner != GetCurrentProcessId()) {
            const bool contact = madeFromContact(mouse->dwExtraInfo);
            PostMessageW(app.window, contact ? WM_AUTO_SHOW_CONTACT_PRESS : WM_AUTO_SHOW_MOUSE_PRESS, mouse->time,
                         MAKELPARAM(mouse->pt.x, mouse->pt.y));
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK onKeyboardHook(int code, WPARAM message, LPARAM data)
{
#ifdef PLUMTIDE_BENCH
    ++app.hookCalls;
#endif
    if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && !hooks.keyReported) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        // The scan's switch is no typing on a physical keyboard.
        if (!(key->flags & LLKHF_INJECTED) && autoShowWantsHardwareKeys() && !isScanSwitchEvent(*key)) {
            hooks.keyReported = true;
            PostMessageW(app.window, WM_AUTO_SHOW_KEY, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

void startHooks()
{
    hooks.releaseDue = false;
    if (!hooks.focus)
        hooks.focus = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, onFocusEvent, 0, 0,
                                      WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!hooks.mouse)
        hooks.mouse = SetWindowsHookExW(WH_MOUSE_LL, onMouseHook, app.instance, 0);
    if (!hooks.keyboard)
        hooks.keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, onKeyboardHook, app.instance, 0);
}

} // namespace

void setAutoShowForRun(HWND window, AutoShow mode)
{
    setAutoShow(platformWindow(window), mode);
    if (mode == AutoShow::Off) {
        stopAutoShow();
    } else {
        startHooks();
        takeFocusAsItIs();
    }
    CheckMenuItem(app.popupMenu, IDM_AUTO_SHOW, MF_BYCOMMAND | (mode == AutoShow::Off ? MF_UNCHECKED : MF_CHECKED));
}

void toggleAutoShow(HWND window)
{
    setAutoShowForRun(window, keymapOptions.autoShow == AutoShow::Off ? app.autoShowMode : AutoShow::Off);
}

void stopAutoShow()
{
    if (hooks.focus)
        UnhookWinEvent(hooks.focus);
    if (hooks.mouse)
        UnhookWindowsHookEx(hooks.mouse);
    if (hooks.keyboard)
        UnhookWindowsHookEx(hooks.keyboard);
    hooks.focus = nullptr;
    hooks.mouse = nullptr;
    hooks.keyboard = nullptr;
    hooks.caretCheckDue = false;
    if (app.window)
        KillTimer(app.window, CARET_CHECK_TIMER_ID);
    // Stopped from a message that came in while a focus was judged (the window's end, say): the
    // objects that judgement still uses go when it returns.
    if (hooks.judging > 0) {
        hooks.releaseDue = true;
        return;
    }
    if (hooks.automation)
        hooks.automation->calls->release(hooks.automation);
    if (hooks.comStarted && loaded::CoUninitialize)
        loaded::CoUninitialize();
    hooks = {};
}

bool onAutoShowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_AUTO_SHOW_MOUSE_PRESS:
    case WM_AUTO_SHOW_CONTACT_PRESS: {
        const PointerKind kind = message == WM_AUTO_SHOW_MOUSE_PRESS ? PointerKind::Mouse : PointerKind::TouchOrPen;
        const Point at = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        autoShowUserPress(platformWindow(window), {kind, at, platformTime(static_cast<DWORD>(wParam))});
        return true;
    }
    case WM_AUTO_SHOW_KEY:
        hooks.keyReported = false;
        autoShowHardwareKey(platformWindow(window));
        return true;
    default: return false;
    }
}

void onCaretCheck(HWND window)
{
    KillTimer(window, CARET_CHECK_TIMER_ID);
    if (!hooks.caretCheckDue || hooks.caretSerial != hooks.focusSerial)
        return;
    hooks.caretCheckDue = false;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(hooks.caretThread, &info) && info.hwndFocus == hooks.caretWindow &&
        hasCaret(hooks.caretWindow, hooks.caretThread))
        autoShowFocusChange(platformWindow(window), hooks.caretChange);
}
