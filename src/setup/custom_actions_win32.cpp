// The installer's custom actions: find, close and start again the keyboard that runs from the install folder.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

namespace {

// The keyboard window's class (IDC_PLUMTIDE in res/plumtide.rc) and its program's file name.
constexpr wchar_t KEYBOARD_CLASS[] = L"PLUMTIDE";
constexpr wchar_t KEYBOARD_PROGRAM[] = L"plumtide.exe";
// The keyboard ends within milliseconds on Windows; under Wine closing a window can take seconds.
// Past the deadline Windows Installer's own handling of files in use applies (usually a restart).
constexpr DWORD CLOSE_DEADLINE_MS = 20000;
constexpr DWORD PATH_UNITS = 1024;
// Set by FindKeyboard for StartKeyboard, in the same installation, and for the rollback's condition.
constexpr wchar_t RAN_PROPERTY[] = L"PlumtideKeyboardRan";

// Goes to the installation's log (msiexec /l*v), which is where an administrator looks.
void logLine(MSIHANDLE install, const wchar_t* text, const wchar_t* detail = L"")
{
    MSIHANDLE record = MsiCreateRecord(2);
    MsiRecordSetStringW(record, 0, L"Plumtide: [1] [2]");
    MsiRecordSetStringW(record, 1, text);
    MsiRecordSetStringW(record, 2, detail);
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
    MsiCloseHandle(record);
}

bool readProperty(MSIHANDLE install, const wchar_t* name, wchar_t* out, DWORD units)
{
    DWORD length = units;
    return MsiGetPropertyW(install, name, out, &length) == ERROR_SUCCESS && length > 0 && length < units;
}

// A folder in the one spelling both sides can agree on: long names, ending with a backslash.
bool normaliseFolder(const wchar_t* folder, wchar_t* out)
{
    DWORD length = GetLongPathNameW(folder, out, PATH_UNITS);
    if (length == 0 || length >= PATH_UNITS - 1)
        return false;
    if (out[length - 1] != L'\\') {
        out[length] = L'\\';
        out[length + 1] = L'\0';
    }
    return true;
}

// Whether the process's program file lies directly in `folder` (normalised).
bool runsFrom(HANDLE process, const wchar_t* folder)
{
    wchar_t image[PATH_UNITS];
    DWORD length = PATH_UNITS;
    if (!QueryFullProcessImageNameW(process, 0, image, &length))
        return false;
    wchar_t* name = image + length;
    while (name > image && name[-1] != L'\\')
        --name;
    *name = L'\0';
    wchar_t imageFolder[PATH_UNITS];
    return normaliseFolder(image, imageFolder) && CompareStringOrdinal(imageFolder, -1, folder, -1, TRUE) == CSTR_EQUAL;
}

// The keyboards of this desktop that run from one folder: their windows and processes.
struct KeyboardSearch {
    wchar_t folder[PATH_UNITS];
    DWORD count;
    HWND windows[MAXIMUM_WAIT_OBJECTS];
    HANDLE processes[MAXIMUM_WAIT_OBJECTS];
    DWORD processIds[MAXIMUM_WAIT_OBJECTS];
};

bool alreadyFound(const KeyboardSearch& search, DWORD processId)
{
    for (DWORD i = 0; i < search.count; ++i)
        if (search.processIds[i] == processId)
            return true;
    return false;
}

BOOL CALLBACK matchKeyboard(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<KeyboardSearch*>(param);
    wchar_t className[64];
    DWORD processId = 0;
    if (!GetClassNameW(window, className, 64) || lstrcmpW(className, KEYBOARD_CLASS) != 0 ||
        !GetWindowThreadProcessId(window, &processId) || alreadyFound(search, processId))
        return TRUE;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return TRUE;
    if (!runsFrom(process, search.folder)) {
        CloseHandle(process);
        return TRUE;
    }
    search.windows[search.count] = window;
    search.processes[search.count] = process;
    search.processIds[search.count] = processId;
    ++search.count;
    return search.count < MAXIMUM_WAIT_OBJECTS;
}

// Only windows of this desktop are seen: an installation run as a service (no interactive user)
// finds none, and the keyboard of another user's session is not this installation's to close.
bool findKeyboards(const wchar_t* folder, KeyboardSearch& search)
{
    search.count = 0;
    if (!normaliseFolder(folder, search.folder))
        return false;
    EnumWindows(matchKeyboard, reinterpret_cast<LPARAM>(&search));
    return search.count > 0;
}

void closeHandles(KeyboardSearch& search)
{
    for (DWORD i = 0; i < search.count; ++i)
        CloseHandle(search.processes[i]);
    search.count = 0;
}

bool tokenIs(HANDLE token, WELL_KNOWN_SID_TYPE kind)
{
    alignas(TOKEN_USER) BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length))
        return false;
    return IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, kind);
}

// A user sits at this process's desktop: not session 0 (services since Vista), not the system
// account, and a window station that shows on a screen.
bool interactiveUser()
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session) || session == 0)
        return false;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    const bool system = tokenIs(token, WinLocalSystemSid);
    CloseHandle(token);
    USEROBJECTFLAGS flags = {};
    DWORD length = 0;
    return !system && GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &length) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

// Why a token is not one of this session's, or null when it is: a keyboard started in another session
// would run on a desktop nobody sees.
const wchar_t* notThisSession(HANDLE token)
{
    DWORD session = 0;
    DWORD ours = 0;
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenSessionId, &session, sizeof session, &length) ||
        !ProcessIdToSessionId(GetCurrentProcessId(), &ours) || session != ours)
        return L"runs in another session";
    return nullptr;
}

// Why a token has more than the desktop user's ordinary rights, or null when it has none beyond them:
// an elevated keyboard would type into elevated programs, and an installation at the user's rights
// could not close it (its close message is refused across integrity levels). Windows gives a token
// that is not elevated the medium integrity of the user's other programs, so the elevation answers
// for both. The desktop's shell is the measure of those rights: its token is the user's own, elevated
// only where the user's every program is (User Account Control turned off).
const wchar_t* notOrdinary(HANDLE token)
{
    TOKEN_ELEVATION elevation = {};
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length))
        return L"does not tell its elevation";
    if (elevation.TokenIsElevated != 0)
        return L"runs elevated";
    return notThisSession(token);
}

// The token of this desktop's shell, which is its user's; or why there is none.
const wchar_t* openShellToken(HANDLE* token, wchar_t (&why)[64])
{
    *token = nullptr;
    DWORD shellId = 0;
    HWND shell = GetShellWindow();
    if (!shell || !GetWindowThreadProcessId(shell, &shellId))
        return L"has no window on this desktop";
    HANDLE shellProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellId);
    const bool ok = shellProcess && OpenProcessToken(shellProcess, TOKEN_DUPLICATE | TOKEN_QUERY, token);
    const DWORD error = GetLastError();
    if (shellProcess)
        CloseHandle(shellProcess);
    if (ok)
        return nullptr;
    wsprintfW(why, L"cannot be opened (error %lu)", error);
    return why;
}

// Through the secondary logon service: the only way for an administrator to start a program with
// another token without privileges an installation does not hold.
bool startWithToken(HANDLE token, wchar_t* commandLine, const wchar_t* folder, PROCESS_INFORMATION* started)
{
    HANDLE primary = nullptr;
    if (!DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary))
        return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
    const bool ok = CreateProcessWithTokenW(primary, 0, nullptr, commandLine, 0, nullptr, folder, &startup, started);
    const DWORD error = GetLastError();
    CloseHandle(primary);
    SetLastError(error);
    return ok;
}

// The installer may run its actions in a job that ends with the installation; the keyboard must
// outlive it, so it leaves the job where the job allows.
bool startAsThisUser(wchar_t* commandLine, const wchar_t* folder, PROCESS_INFORMATION* started)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_BREAKAWAY_FROM_JOB, nullptr, folder,
                          &startup, started) ||
           CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, started);
}

// Starts the keyboard from the install folder in this session, never with more than the desktop
// user's ordinary rights: with this installation's own when it has them, else with the desktop
// shell's; when neither has them, nothing starts and the log says why.
void startKeyboard(MSIHANDLE install, const wchar_t* folder)
{
    if (!interactiveUser()) {
        logLine(install, L"no interactive user; the keyboard is not started");
        return;
    }
    // One that would not close still runs; a second copy would only show its panel.
    if (FindWindowW(KEYBOARD_CLASS, nullptr))
        return;
    wchar_t commandLine[PATH_UNITS + 16];
    if (static_cast<DWORD>(lstrlenW(folder) + lstrlenW(KEYBOARD_PROGRAM)) + 3 > PATH_UNITS)
        return;
    lstrcpyW(commandLine, L"\"");
    lstrcatW(commandLine, folder);
    lstrcatW(commandLine, KEYBOARD_PROGRAM);
    lstrcatW(commandLine, L"\"");
    HANDLE own = nullptr;
    const bool ownOrdinary = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) && !notOrdinary(own);
    if (own)
        CloseHandle(own);
    PROCESS_INFORMATION started = {};
    bool ok = false;
    DWORD error = 0;
    if (ownOrdinary) {
        ok = startAsThisUser(commandLine, folder, &started);
        error = GetLastError();
    } else {
        // An installation started from an elevated prompt runs its actions elevated, but the keyboard
        // runs with the desktop user's ordinary rights: those of the desktop's shell, when it has them.
        wchar_t reason[64];
        HANDLE shellToken = nullptr;
        const wchar_t* why = openShellToken(&shellToken, reason);
        if (!why)
            why = notThisSession(shellToken);
        if (!why) {
            ok = startWithToken(shellToken, commandLine, folder, &started);
            error = GetLastError();
        }
        if (shellToken)
            CloseHandle(shellToken);
        if (why) {
            logLine(install,
                    L"the keyboard is not started, since the installation runs elevated and the desktop's shell", why);
            return;
        }
    }
    if (!ok) {
        wchar_t detail[PATH_UNITS + 48];
        wsprintfW(detail, L"(error %lu): ", error);
        lstrcatW(detail, commandLine);
        logLine(install, L"the keyboard could not be started", detail);
        return;
    }
    logLine(install, L"started the keyboard:", commandLine);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

} // namespace

// Immediate, after costing, when the keyboard's files are to be written or removed: notes whether a
// keyboard runs from the install folder now, so that StartKeyboard brings it back after a successful
// installation and RestartKeyboard after one that fails. Nothing is closed here: the installation may
// still fail before touching a file.
extern "C" __declspec(dllexport) UINT __stdcall FindKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    KeyboardSearch search;
    if (readProperty(install, L"INSTALLDIR", folder, PATH_UNITS) && findKeyboards(folder, search)) {
        logLine(install, L"the keyboard runs from", search.folder);
        MsiSetPropertyW(install, RAN_PROPERTY, L"1");
        closeHandles(search);
    }
    return ERROR_SUCCESS;
}

// Deferred, right before files are removed or written; its data is the install folder. Asks every
// keyboard that runs from it to close, as its window's Close does (it lets go of every key it
// holds), and waits until those that took the request have ended. One that refuses it (it runs with
// more rights than this installation) is not waited for: its files are in use.
extern "C" __declspec(dllexport) UINT __stdcall CloseKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    KeyboardSearch search;
    if (!readProperty(install, L"CustomActionData", folder, PATH_UNITS) || !findKeyboards(folder, search))
        return ERROR_SUCCESS;
    logLine(install, L"closing the keyboard that runs from", search.folder);
    DWORD asked = 0;
    for (DWORD i = 0; i < search.count; ++i) {
        if (PostMessageW(search.windows[i], WM_CLOSE, 0, 0)) {
            search.processes[asked++] = search.processes[i];
            continue;
        }
        wchar_t detail[64];
        wsprintfW(detail, L"(process %lu, error %lu); its files are in use", search.processIds[i], GetLastError());
        logLine(install, L"the keyboard refuses to close", detail);
        CloseHandle(search.processes[i]);
    }
    search.count = asked;
    if (asked > 0) {
        const DWORD waited = WaitForMultipleObjects(asked, search.processes, TRUE, CLOSE_DEADLINE_MS);
        if (waited == WAIT_TIMEOUT || waited == WAIT_FAILED)
            logLine(install, L"the keyboard has not ended; its files are in use");
    }
    closeHandles(search);
    return ERROR_SUCCESS;
}

// Immediate, after the installation has succeeded and any older product is gone: starts the keyboard
// from the install folder again when FindKeyboard saw one run.
extern "C" __declspec(dllexport) UINT __stdcall StartKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    wchar_t ran[4];
    if (readProperty(install, RAN_PROPERTY, ran, 4) && readProperty(install, L"INSTALLDIR", folder, PATH_UNITS))
        startKeyboard(install, folder);
    return ERROR_SUCCESS;
}

// Rollback, scheduled right before CloseKeyboard when FindKeyboard saw a keyboard run; its data is the
// install folder. An installation that fails or is cancelled after the close has its files restored
// first, then this starts the keyboard again, as StartKeyboard does after one that succeeds.
extern "C" __declspec(dllexport) UINT __stdcall RestartKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    if (readProperty(install, L"CustomActionData", folder, PATH_UNITS))
        startKeyboard(install, folder);
    return ERROR_SUCCESS;
}
