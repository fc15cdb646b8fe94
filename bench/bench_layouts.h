// The layouts the benchmarks share: the built-in one, and 255 turned keys with three legends each,
// written as a keymap file of exactly 64 KB, docked as the keyboard starts.
#pragma once

#include <string>

#include "layout/keytable.h"

constexpr int WORST_CASE_KEYS = MAX_KEYS;

// How the 255 keys are turned. Every distinct angle costs the paint pass a pair of fonts, so the
// budgeted worst case is a split keyboard, and a fanned one shows what more angles cost.
enum class Turning {
    Split,  // the left half turned 15 degrees one way, the right half the other way
    Fanned, // six bands of columns, turned 15, 30 and 45 degrees either way
};

// The keymap's UTF-16 text, KEYMAP_READ_LIMIT bytes: a key line for each of 255 turned keys on a grid
// over the panel, each followed by a comment line that pads the file to its size.
std::u16string worstCaseKeymap(Turning turning);
// The same text as the bytes of the file (UTF-16LE, no byte-order mark).
std::string worstCaseKeymapBytes(Turning turning);

// The worst case of plumtide-keymap check, as UTF-16LE bytes (about 19 KB): 127 thin keys turned
// through many angles across the panel, and under them 128 keys that each fill the panel. Asking
// every pixel of a full key against every earlier key, as the check once did, took many minutes.
constexpr int CHECK_WORST_CASE_THIN_KEYS = 127;
constexpr int CHECK_WORST_CASE_FULL_KEYS = 128;
std::string checkWorstCaseKeymapBytes();

// Fills the key table (which must exist) and places the window for the default dock with the given
// caption height: the built-in layout, or 255 turned keys parsed from their keymap.
void useBuiltInLayout(int clientOffset);
void useWorstCaseLayout(int clientOffset, Turning turning);

// The client point at the centre of key `index`: a touch there presses that key and no key before it.
Point keyCentre(int index);
