// Where start-up looks for the keymap: beside the program's own file, whatever the current directory.
#pragma once

#include <cstddef>

constexpr size_t PATH_UNITS = 260;

// Turns `path`, the program's own file name in a buffer of `capacity` units, into the path of
// `fileName` in the same folder: cut after the last backslash (a name without one is kept whole),
// then append by the bounded rule (a name that does not fit is cut at the buffer's end). A buffer
// with no terminator within `capacity` units is left unchanged.
void buildKeymapPath(char16_t* path, size_t capacity, const char16_t* fileName);
