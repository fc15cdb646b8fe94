// File and message services of the platform seam for the native tools.
#include <cstdio>
#include <string>

#include "layout/u16text.h"
#include "platform/platform.h"

PlatformFile* platformOpenFile(const char16_t* path)
{
    return reinterpret_cast<PlatformFile*>(std::fopen(utf16ToUtf8(path).c_str(), "rb"));
}

bool platformReadFile(PlatformFile* file, void* buffer, size_t capacity, size_t* bytesRead)
{
    auto* stream = reinterpret_cast<std::FILE*>(file);
    *bytesRead = std::fread(buffer, 1, capacity, stream);
    return std::ferror(stream) == 0;
}

void platformCloseFile(PlatformFile* file)
{
    std::fclose(reinterpret_cast<std::FILE*>(file));
}

bool platformWriteFile(const char16_t* path, const void* data, size_t size)
{
    std::FILE* file = std::fopen(utf16ToUtf8(path).c_str(), "wb");
    if (!file)
        return false;
    const bool whole = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && whole;
}

void platformShowOutOfMemory()
{
    std::fputs("out of memory\n", stderr);
}
