// The platform seam as the native benchmarks fake it: every call does the least it can, so that a
// timing is the keyboard's own work. Every path opens one file, served from memory: the split
// worst-case keymap unless a benchmark serves another.
#include <algorithm>
#include <cstring>
#include <string>

#include "bench_layouts.h"
#include "platform/platform.h"

namespace {

struct BenchPlatform {
    std::string file;    // the bytes every path opens to
    size_t fileOffset;   // what has been read of it
    uint32_t clock;      // milliseconds; every reading moves it on, so no two presses are quick
    unsigned long calls; // every call, so that none does nothing at all
};

BenchPlatform platform = {worstCaseKeymapBytes(Turning::Split), 0, 0, 0};

// A single file stands for every path; the address of the state is its handle.
PlatformFile* const theFile = reinterpret_cast<PlatformFile*>(&platform);

constexpr uint32_t CLOCK_STEP_MS = 1000;

} // namespace

unsigned long benchPlatformCalls()
{
    return platform.calls;
}

void benchServeFile(const std::string& bytes)
{
    platform.file = bytes;
    platform.fileOffset = 0;
}

PlatformFile* platformOpenFile(const char16_t*)
{
    ++platform.calls;
    platform.fileOffset = 0;
    return theFile;
}

bool platformReadFile(PlatformFile*, void* buffer, size_t capacity, size_t* bytesRead)
{
    ++platform.calls;
    const size_t count = std::min(capacity, platform.file.size() - platform.fileOffset);
    std::memcpy(buffer, platform.file.data() + platform.fileOffset, count);
    platform.fileOffset += count;
    *bytesRead = count;
    return true;
}

void platformCloseFile(PlatformFile*)
{
    ++platform.calls;
}

bool platformWriteFile(const char16_t*, const void*, size_t)
{
    ++platform.calls;
    return true;
}

void platformShowOutOfMemory()
{
    ++platform.calls;
}

void platformSendKeyEvent(uint16_t, uint16_t, uint32_t)
{
    ++platform.calls;
}

uint32_t platformScanCode(uint8_t virtualKey)
{
    ++platform.calls;
    return virtualKey;
}

KeyboardRepeatSettings platformKeyboardRepeatSettings()
{
    ++platform.calls;
    return {1, 31};
}

uint32_t platformMilliseconds()
{
    ++platform.calls;
    platform.clock += CLOCK_STEP_MS;
    return platform.clock;
}

void platformInvalidateRect(PlatformWindow*, const Rect&)
{
    ++platform.calls;
}

void platformUpdateWindow(PlatformWindow*)
{
    ++platform.calls;
}

void platformMoveWindow(PlatformWindow*, int32_t, int32_t, int32_t, int32_t, bool)
{
    ++platform.calls;
}

void platformDestroyWindow(PlatformWindow*)
{
    ++platform.calls;
}

void platformCapturePointer(PlatformWindow*)
{
    ++platform.calls;
}

void platformReleasePointer()
{
    ++platform.calls;
}

void platformTrackPointerLeave(PlatformWindow*)
{
    ++platform.calls;
}

bool platformPointerButtonDown()
{
    ++platform.calls;
    return true;
}

void platformStartTimer(PlatformWindow*, uint32_t, uint32_t, uint32_t)
{
    ++platform.calls;
}

void platformStopTimer(PlatformWindow*, uint32_t)
{
    ++platform.calls;
}

void platformFitWindowToScreen(PlatformWindow*, const Rect&)
{
    ++platform.calls;
}
