// The recording fake of the platform seam, linked into unit tests in place of a real platform.
#include "fake/fake_platform.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "layout/u16text.h"
#include "layout/vkeynames.h"
#include "platform/platform.h"

namespace {

struct FakeFile {
    std::string bytes;
    bool unreadable = false;
    size_t position = 0; // reads go on where the last one stopped
};

struct FakeTimer {
    uint32_t interval = 0;
    uint64_t due = 0;
};

struct FakeState {
    std::map<std::u16string, FakeFile> files;
    int outOfMemoryShown = 0;
    int openFiles = 0;

    std::vector<std::string> calls;
    bool recording = true;
    int windowMoves = 0;
    std::map<uint32_t, uint64_t> timerChanged; // when each timer was last stopped or restarted
    std::vector<fake::KeyEvent> keyEvents;
    std::set<uint16_t> held;
    std::map<uint8_t, uint32_t> scanCodes;
    KeyboardRepeatSettings repeat = {1, 31};
    uint64_t now = 0; // the clock without its wrap, so that timers stay in order across it
    std::map<uint32_t, FakeTimer> timers;
    bool captured = false;
    bool pointerButtonDown = true;
    bool destroyed = false;
    fake::TimerHandler timerHandler = nullptr;
    fake::WindowHandler captureLostHandler = nullptr;
    fake::WindowHandler destroyHandler = nullptr;
    fake::FitHandler fitHandler = nullptr;
};

FakeState state;

// The call's text is made only when it is recorded.
template <typename Text>
void record(Text&& text)
{
    if (state.recording)
        state.calls.push_back(text());
}

void loseCapture(PlatformWindow* window)
{
    if (!state.captured)
        return;
    state.captured = false;
    if (state.captureLostHandler)
        state.captureLostHandler(window);
}

// The address is the fake window's handle; nothing is stored in it.
char windowTag;

PlatformWindow* const anyWindow = reinterpret_cast<PlatformWindow*>(&windowTag);

// Window calls name the window only when it is not the fake's one, which would be a fault.
std::string onWindow(PlatformWindow* window)
{
    return window == anyWindow ? "" : " on another window";
}

} // namespace

namespace fake {

void reset()
{
    state = FakeState{};
}

std::string utf16le(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void addFile(const std::u16string& path, const std::string& bytes)
{
    state.files[path] = FakeFile{bytes, false};
}

void addUnreadableFile(const std::u16string& path)
{
    state.files[path] = FakeFile{{}, true};
}

int outOfMemoryShown()
{
    return state.outOfMemoryShown;
}

int openFiles()
{
    return state.openFiles;
}

PlatformWindow* window()
{
    return anyWindow;
}

const std::vector<std::string>& calls()
{
    return state.calls;
}

void clearCalls()
{
    state.calls.clear();
}

void recordCalls(bool on)
{
    state.recording = on;
}

int windowMoves()
{
    return state.windowMoves;
}

const std::vector<KeyEvent>& keyEvents()
{
    return state.keyEvents;
}

std::string keyName(uint16_t virtualKey)
{
    const char16_t* name = virtualKey <= 0xFF ? virtualKeyName(static_cast<uint8_t>(virtualKey)) : nullptr;
    if (!name) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", virtualKey);
        return hex;
    }
    std::string text = utf16ToUtf8(name);
    return text.starts_with("VK_") ? text.substr(3) : text;
}

std::vector<std::string> keysHeld()
{
    std::vector<std::string> names;
    for (uint16_t code : state.held)
        names.push_back(keyName(code));
    return names;
}

void setScanCode(uint8_t virtualKey, uint32_t scanCode)
{
    state.scanCodes[virtualKey] = scanCode;
}

void setKeyboardRepeat(int32_t delay, int32_t speed)
{
    state.repeat = {delay, speed};
}

void onTimer(TimerHandler handler)
{
    state.timerHandler = handler;
}

void onCaptureLost(WindowHandler handler)
{
    state.captureLostHandler = handler;
}

void onDestroy(WindowHandler handler)
{
    state.destroyHandler = handler;
}

void onFit(FitHandler handler)
{
    state.fitHandler = handler;
}

bool captured()
{
    return state.captured;
}

void takeCaptureAway()
{
    loseCapture(anyWindow);
}

void setPointerButton(bool down)
{
    state.pointerButtonDown = down;
}

bool pointerButton()
{
    return state.pointerButtonDown;
}

bool destroyed()
{
    return state.destroyed;
}

uint32_t clock()
{
    return static_cast<uint32_t>(state.now);
}

void advanceTo(uint32_t time)
{
    const uint64_t target = state.now + static_cast<uint32_t>(time - clock());
    for (;;) {
        auto next = state.timers.end();
        for (auto it = state.timers.begin(); it != state.timers.end(); ++it) {
            if (it->second.due < target && (next == state.timers.end() || it->second.due < next->second.due))
                next = it;
        }
        if (next == state.timers.end())
            break;
        state.now = next->second.due;
        next->second.due += next->second.interval;
        if (state.timerHandler)
            state.timerHandler(anyWindow, next->first);
    }
    state.now = target;
}

bool deliverStaleTick(uint32_t id)
{
    auto changed = state.timerChanged.find(id);
    if (changed == state.timerChanged.end() || state.now - changed->second > STALE_TICK_MS)
        return false;
    if (state.timerHandler)
        state.timerHandler(anyWindow, id);
    return true;
}

bool timerRunning(uint32_t id)
{
    return state.timers.contains(id);
}

uint32_t timerInterval(uint32_t id)
{
    auto found = state.timers.find(id);
    return found == state.timers.end() ? 0 : found->second.interval;
}

} // namespace fake

PlatformFile* platformOpenFile(const char16_t* path)
{
    FakeFile file;
    auto found = state.files.find(path);
    if (found != state.files.end()) {
        file = found->second;
    } else {
        std::FILE* real = std::fopen(utf16ToUtf8(path).c_str(), "rb");
        if (!real)
            return nullptr;
        char chunk[4096];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, real)) > 0)
            file.bytes.append(chunk, got);
        std::fclose(real);
    }
    ++state.openFiles;
    return reinterpret_cast<PlatformFile*>(new FakeFile(file));
}

bool platformReadFile(PlatformFile* handle, void* buffer, size_t capacity, size_t* bytesRead)
{
    auto* file = reinterpret_cast<FakeFile*>(handle);
    *bytesRead = 0;
    if (file->unreadable)
        return false;
    *bytesRead = std::min(capacity, file->bytes.size() - file->position);
    std::memcpy(buffer, file->bytes.data() + file->position, *bytesRead);
    file->position += *bytesRead;
    return true;
}

bool platformWriteFile(const char16_t* path, const void* data, size_t size)
{
    // Written to the real file system, where a test reads what a tool wrote.
    std::FILE* file = std::fopen(utf16ToUtf8(path).c_str(), "wb");
    if (!file)
        return false;
    const bool whole = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && whole;
}

void platformCloseFile(PlatformFile* handle)
{
    --state.openFiles;
    delete reinterpret_cast<FakeFile*>(handle);
}

void platformShowOutOfMemory()
{
    ++state.outOfMemoryShown;
}

void platformSendKeyEvent(uint16_t virtualKey, uint16_t scanCode, uint32_t flags)
{
    const bool up = (flags & KEY_EVENT_UP) != 0;
    state.keyEvents.push_back({virtualKey, scanCode, flags});
    if (up)
        state.held.erase(virtualKey);
    else
        state.held.insert(virtualKey);
    record([&] { return std::string((up ? "up " : "down ") + fake::keyName(virtualKey)); });
}

uint32_t platformScanCode(uint8_t virtualKey)
{
    record([&] { return std::string("scan " + fake::keyName(virtualKey)); });
    auto found = state.scanCodes.find(virtualKey);
    return found == state.scanCodes.end() ? 0 : found->second;
}

KeyboardRepeatSettings platformKeyboardRepeatSettings()
{
    record([&] { return std::string("repeat settings"); });
    return state.repeat;
}

uint32_t platformMilliseconds()
{
    record([&] { return std::string("clock"); });
    return fake::clock();
}

void platformInvalidateRect(PlatformWindow* window, const Rect& rect)
{
    record([&] {
        return std::string("invalidate " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                           std::to_string(rect.right) + "," + std::to_string(rect.bottom) + onWindow(window));
    });
}

void platformUpdateWindow(PlatformWindow* window)
{
    record([&] { return std::string("update" + onWindow(window)); });
}

void platformMoveWindow(PlatformWindow* window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint)
{
    ++state.windowMoves;
    record([&] {
        return std::string("move " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
                           std::to_string(height) + (repaint ? "" : " norepaint") + onWindow(window));
    });
}

void platformDestroyWindow(PlatformWindow* window)
{
    record([&] { return std::string("destroy" + onWindow(window)); });
    state.destroyed = true;
    if (state.destroyHandler)
        state.destroyHandler(window);
    // A destroyed window receives nothing more, not even a tick already queued.
    state.timers.clear();
    state.timerChanged.clear();
    // The capture goes with the window, and its report may come after the teardown.
    loseCapture(window);
}

void platformCapturePointer(PlatformWindow* window)
{
    record([&] { return std::string("capture" + onWindow(window)); });
    state.captured = true;
}

void platformReleasePointer()
{
    record([&] { return std::string("release capture"); });
    loseCapture(anyWindow);
}

void platformTrackPointerLeave(PlatformWindow* window)
{
    record([&] { return std::string("track leave" + onWindow(window)); });
}

bool platformPointerButtonDown()
{
    return state.pointerButtonDown;
}

void platformStartTimer(PlatformWindow* window, uint32_t id, uint32_t intervalMs, uint32_t toleranceMs)
{
    record([&] {
        return std::string("timer " + std::to_string(id) + " start " + std::to_string(intervalMs) +
                           (toleranceMs ? " ~" + std::to_string(toleranceMs) : "") + onWindow(window));
    });
    // Only a timer that ran can have a tick queued.
    if (state.timers.contains(id))
        state.timerChanged[id] = state.now;
    state.timers[id] = {intervalMs, state.now + intervalMs};
}

void platformStopTimer(PlatformWindow* window, uint32_t id)
{
    record([&] { return std::string("timer " + std::to_string(id) + " stop" + onWindow(window)); });
    if (state.timers.erase(id) == 1)
        state.timerChanged[id] = state.now;
}

void platformFitWindowToScreen(PlatformWindow* window, const Rect& screen)
{
    record([&] {
        return std::string("fit " + std::to_string(screen.left) + "," + std::to_string(screen.top) + "," +
                           std::to_string(screen.right) + "," + std::to_string(screen.bottom) + onWindow(window));
    });
    if (state.fitHandler)
        state.fitHandler(window, screen);
}
