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
// Set by FindKeyboard for StartKeyboard, in the same installation.
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

bool elevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD length = 0;
    const bool result = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length) &&
                        elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return result;
}

// An installation started from an elevated prompt runs its actions elevated, but the keyboard ran
// with the desktop user's ordinary rights (typing into elevated programs is not its to do): start
// it with the token of the desktop's shell, which is that user's.
bool startWithShellToken(wchar_t* commandLine, const wchar_t* folder, PROCESS_INFORMATION* started)
{
    DWORD shellId = 0;
    HWND shell = GetShellWindow();
    if (!shell || !GetWindowThreadProcessId(shell, &shellId))
        return false;
    HANDLE shellProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellId);
    if (!shellProcess)
        return false;
    HANDLE shellToken = nullptr;
    HANDLE token = nullptr;
    bool ok = OpenProcessToken(shellProcess, TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &shellToken) &&
              DuplicateTokenEx(shellToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &token);
    if (ok) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
        ok = CreateProcessWithTokenW(token, 0, nullptr, commandLine, 0, nullptr, folder, &startup, started);
    }
    if (token)
        CloseHandle(token);
    if (shellToken)
        CloseHandle(shellToken);
    CloseHandle(shellProcess);
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

} // namespace

// Immediate, after costing, when the keyboard's files are to be written: notes whether a keyboard
// runs from the install folder now, so that StartKeyboard brings it back after a successful
// installation. Nothing is closed here: the installation may still fail before touching a file.
extern "C" __declspec(dllexport) UINT __stdcall FindKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    KeyboardSearch search;
    if (readProperty(install, L"INSTALLDIR", folder, PATH_UNITS) && findKeyboards(folder, search)) {
        logLine(install, L"the keyboard runs and will be started again afterwards from", search.folder);
        MsiSetPropertyW(install, RAN_PROPERTY, L"1");
        closeHandles(search);
    }
    return ERROR_SUCCESS;
}

// Deferred, right before files are removed or written; its data is the install folder. Asks every
// keyboard that runs from it to close, as its window's Close does (it lets go of every key it
// holds), and waits until they have ended.
extern "C" __declspec(dllexport) UINT __stdcall CloseKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    KeyboardSearch search;
    if (!readProperty(install, L"CustomActionData", folder, PATH_UNITS) || !findKeyboards(folder, search))
        return ERROR_SUCCESS;
    logLine(install, L"closing the keyboard that runs from", search.folder);
    for (DWORD i = 0; i < search.count; ++i)
        PostMessageW(search.windows[i], WM_CLOSE, 0, 0);
    const DWORD waited = WaitForMultipleObjects(search.count, search.processes, TRUE, CLOSE_DEADLINE_MS);
    if (waited == WAIT_TIMEOUT || waited == WAIT_FAILED)
        logLine(install, L"the keyboard has not ended; its files are in use");
    closeHandles(search);
    return ERROR_SUCCESS;
}

// Immediate, after the installation has succeeded and any older product is gone: starts the keyboard
// from the install folder again when FindKeyboard saw one run, in the session of the user who
// installs. An installation without an interactive user starts nothing.
extern "C" __declspec(dllexport) UINT __stdcall StartKeyboard(MSIHANDLE install)
{
    wchar_t folder[PATH_UNITS];
    wchar_t ran[4];
    if (!readProperty(install, RAN_PROPERTY, ran, 4) || !readProperty(install, L"INSTALLDIR", folder, PATH_UNITS))
        return ERROR_SUCCESS;
    if (!interactiveUser()) {
        logLine(install, L"no interactive user; the keyboard is not started");
        return ERROR_SUCCESS;
    }
    // One that would not close still runs; a second copy would only show its panel.
    if (FindWindowW(KEYBOARD_CLASS, nullptr))
        return ERROR_SUCCESS;
    wchar_t commandLine[PATH_UNITS + 16];
    if (static_cast<DWORD>(lstrlenW(folder) + lstrlenW(KEYBOARD_PROGRAM)) + 3 > PATH_UNITS)
        return ERROR_SUCCESS;
    lstrcpyW(commandLine, L"\"");
    lstrcatW(commandLine, folder);
    lstrcatW(commandLine, KEYBOARD_PROGRAM);
    lstrcatW(commandLine, L"\"");
    PROCESS_INFORMATION started = {};
    const bool ok = (elevated() && startWithShellToken(commandLine, folder, &started)) ||
                    startAsThisUser(commandLine, folder, &started);
    if (!ok) {
        logLine(install, L"the keyboard could not be started:", commandLine);
        return ERROR_SUCCESS;
    }
    logLine(install, L"started the keyboard:", commandLine);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return ERROR_SUCCESS;
}
