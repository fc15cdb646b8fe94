// Runs plumtide-keymap's commands in the test's own process and collects what they print.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "keymap-tool/keymap_tool.h"

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

// The rest of an open file, which is then closed.
inline std::string readAll(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    std::fclose(file);
    return text;
}

// A whole file's bytes, or "(no file)".
inline std::string readFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    return file ? readAll(file) : "(no file)";
}

inline ToolRun runTool(const std::vector<std::u16string>& args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int code = runKeymapTool(args, out, err);
    return {code, readAll(out), readAll(err)};
}
