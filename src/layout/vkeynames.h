// The virtual-key name table: keymap files name the keys they send, and this turns a name into its code.
#pragma once

#include <cstdint>

constexpr uint8_t VK_INDICATOR = 0x3A; // the program's own code: an ordinary key, nothing special
constexpr uint8_t VK_FN = 0x3B;        // switches the Fn layer instead of sending a key
constexpr uint8_t VK_EXIT = 0xFF;      // ends the program instead of sending a key

struct VirtualKeyName {
    char16_t name[32];
    uint16_t code;
};

constexpr int VIRTUAL_KEY_NAME_ROWS = 174;
extern const VirtualKeyName VirtualKeyNameTable[VIRTUAL_KEY_NAME_ROWS];

// The low 8 bits of the code of the first row whose name equals `name` exactly (case and length
// included), or 0 when no row does.
uint8_t findVirtualKey(const char16_t* name);
// The first row's name for a code, or null when no row has it (for tools that print layouts).
const char16_t* virtualKeyName(uint8_t code);
