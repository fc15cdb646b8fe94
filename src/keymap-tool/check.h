// plumtide-keymap check: explains, line by line, what the silent loader skips, cuts or cannot use.
#pragma once

#include <cstdio>
#include <string>

// Checks the keymap file at `path`; findings go to `out` as "NAME:LINE: warning: ...", where NAME is
// `displayName`. Returns 0 without findings, 1 with findings, 2 when the file cannot be read; whether
// the findings could be written is for the caller to ask of `out` (runKeymapTool does).
int checkKeymap(const std::u16string& path, const std::string& displayName, std::FILE* out, std::FILE* err);
