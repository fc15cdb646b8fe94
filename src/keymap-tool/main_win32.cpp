// Entry point of plumtide-keymap.exe: wide-character arguments, binary standard output.
#include <fcntl.h>
#include <io.h>

#include "keymap-tool/keymap_tool.h"

int wmain(int argc, wchar_t** argv)
{
    // The output is UTF-8 with LF line ends on every platform.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return runKeymapTool(args, stdout, stderr);
}
