// Drives the real plumtide.exe from outside, as a user would: starts it in a folder of its own, holds
// the focus in a window of the test's own that records the keys it receives, and sends real pointer
// input. Every wait polls a condition against a deadline while pumping the test's own messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD DEADLINE_MS = 10000;

// Pumps this thread's messages until `condition` holds or `timeoutMs` passes; returns the condition.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = DEADLINE_MS);

// Lets time pass for a timing rule of the keyboard (the double-tap window, a timer tick), handling
// this thread's messages meanwhile.
void pumpFor(DWORD ms);

// One key message as the focused window received it.
struct KeyMessage {
    bool down;
    UINT vk;
    UINT scan;
    bool extended;
};

// A top-level window of the test's own that takes the focus and records every key message and
// character it receives.
class FocusWindow {
public:
    FocusWindow();
    ~FocusWindow();
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;

    HWND handle() const { return window_; }
    // Makes it the foreground window with the focus again.
    bool takeFocus();
    bool hasFocus() const;
    const std::vector<KeyMessage>& keys() const { return keys_; }
    // Characters typed so far; a backspace deletes the last one, as an edit box would.
    const std::wstring& text() const { return text_; }
    // Presses of the left button that reached its client area.
    int clicks() const { return clicks_; }
    void clear();

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    std::vector<KeyMessage> keys_;
    std::wstring text_;
    int clicks_ = 0;
};

// plumtide.exe copied into a fresh temporary folder, with an optional default.keymap beside it.
class Keyboard {
public:
    // `keymap` holds the raw bytes of default.keymap; null for none.
    explicit Keyboard(const std::string* keymap = nullptr);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // Starts it (from `workingDirectory` when given) and waits for its visible window.
    bool start(const std::wstring& workingDirectory = L"");
    // Starts one more copy from the same folder and waits for it to end: its exit code, or STILL_ACTIVE
    // when it does not end in time.
    DWORD runAnother() const;
    HWND window() const { return window_; }
    HANDLE process() const { return process_.hProcess; }
    const std::wstring& folder() const { return folder_; }
    bool running() const;
    // Waits for the process to end; its exit code, or STILL_ACTIVE on timeout.
    DWORD waitForExit(DWORD timeoutMs = DEADLINE_MS) const;
    // Runs a menu command that does not open a dialog, and returns once it has been handled.
    void command(WORD id) const;
    // Returns once the keyboard's thread is back in its message loop and has handled what was sent.
    void sync() const;

private:
    std::wstring folder_;
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// A program of the test's own, ended with the test: Notepad's unsaved text would hold it in a dialog.
// Wine starts a Unix program (xdotool) as it would a Windows one.
struct Started {
    PROCESS_INFORMATION process = {};
    explicit Started(std::wstring commandLine);
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
};

// Real pointer input through the system, in screen coordinates.
void pointerMove(int x, int y);
void pointerDown(int x, int y);
void pointerUp(int x, int y);
void tap(int x, int y);
void rightClick(int x, int y);
// Real keyboard input, for closing menus and dialogs.
void pressKey(WORD vk);

// The colour on the screen at a point (0x00BBGGRR).
COLORREF screenPixel(int x, int y);
// The visible menu window (class "#32768"), or null.
HWND visibleMenu();
// A top-level window of `process` with this class and caption, or null.
HWND findWindowOf(DWORD processId, const wchar_t* className, const wchar_t* caption);

// Notepad of the test's own, ended with the test, in the foreground once started: where the
// keyboard's keys are seen to arrive.
struct Notepad {
    Started program{L"notepad.exe"};
    HWND frame = nullptr;
    HWND edit = nullptr;
    // Whether it runs and has come to the foreground, within the deadline.
    bool start();
    // The text of its edit control now.
    std::wstring text() const;
    // Whether its text becomes `expected` within the deadline.
    bool shows(const std::wstring& expected) const;
};

// UTF-16LE bytes of a keymap text.
std::string keymapBytes(const std::wstring& text);

} // namespace e2e
