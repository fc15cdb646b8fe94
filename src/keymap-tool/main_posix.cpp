// Entry point of plumtide-keymap on POSIX systems: arguments arrive as UTF-8.
#include "keymap-tool/keymap_tool.h"

int main(int argc, char** argv)
{
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(utf8ToUtf16(argv[i]));
    return runKeymapTool(args, stdout, stderr);
}
