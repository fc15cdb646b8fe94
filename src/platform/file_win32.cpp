// Win32 file and message services of the platform seam.
#include <windows.h>

#include "platform/platform.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is passed to the wide API as it stands");

PlatformFile* platformOpenFile(const char16_t* path)
{
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<PlatformFile*>(file);
}

bool platformReadFile(PlatformFile* file, void* buffer, size_t capacity, size_t* bytesRead)
{
    DWORD got = 0;
    BOOL ok = ReadFile(reinterpret_cast<HANDLE>(file), buffer, static_cast<DWORD>(capacity), &got, nullptr);
    *bytesRead = got;
    return ok != FALSE;
}

void platformCloseFile(PlatformFile* file)
{
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

bool platformWriteFile(const char16_t* path, const void* data, size_t size)
{
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole =
        size <= MAXDWORD && WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    return CloseHandle(file) && whole;
}

void platformShowOutOfMemory()
{
    MessageBoxW(nullptr, L"メモリが不足しています", nullptr, MB_OK);
}
