// The only way the portable core reaches the operating system: plain functions, one implementation linked per target.
#pragma once

#include <cstddef>
#include <cstdint>

// A point and an upright rectangle in pixels, laid out like the platform's POINT and RECT.
struct Point {
    int32_t x;
    int32_t y;
};

struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Opaque handles: a window is an HWND on Windows, anything a fake likes in tests.
struct PlatformFile;
struct PlatformWindow;

// --- Files -------------------------------------------------------------------------------------
// Opens an existing file for reading with no sharing; null when it cannot be opened.
PlatformFile* platformOpenFile(const char16_t* path);
// Reads up to capacity bytes; false on a read error.
bool platformReadFile(PlatformFile* file, void* buffer, size_t capacity, size_t* bytesRead);
void platformCloseFile(PlatformFile* file);

// --- Messages ----------------------------------------------------------------------------------
// The only message the program ever shows: "out of memory", with no owner window.
void platformShowOutOfMemory();
