// plumtide-keymap: shows keymap authors what the keyboard makes of their file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "layout/u16text.h"

// Runs one command line (the arguments after the program name); returns the exit code.
// 0 success, 1 findings (check), 2 bad arguments, an unreadable file where one is required, or output
// that could not be written (to `out` too).
int runKeymapTool(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err);
