// The recording fake of the platform seam, linked into unit tests in place of a real platform.
#include "fake/fake_platform.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <map>

#include "layout/u16text.h"
#include "platform/platform.h"

namespace {

struct FakeFile {
    std::string bytes;
    bool unreadable = false;
};

struct FakeState {
    std::map<std::u16string, FakeFile> files;
    int outOfMemoryShown = 0;
    int openFiles = 0;
};

FakeState state;

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
    *bytesRead = std::min(capacity, file->bytes.size());
    std::memcpy(buffer, file->bytes.data(), *bytesRead);
    return true;
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
