// The keymap file: UTF-16LE key lines ("@N", "@F") and an optional "TAG:" line, read once at start-up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "layout/keytable.h"

constexpr size_t KEYMAP_READ_LIMIT = 65536; // bytes; the rest of a longer file is ignored

// Converts a number field the way the C library's wcstol does in base 10: leading white space,
// one optional sign, decimal digits, saturating at the signed 32-bit limits. `end` is where the
// conversion stopped: after the last digit, or `text` itself when there is no digit.
int32_t convertNumber(const char16_t* text, const char16_t** end);

// Parses `units` UTF-16 units in place (separators are overwritten with NULs). text[units] must be
// a NUL unit that the caller reserved, so that no search runs past the data. Fills the records of
// `table` from index 0, sets its count, and sets the `panel` fields that "TAG:" lines reach.
void parseKeymap(char16_t* text, size_t units, KeyTable& table, PanelLayout& panel);

// Reads the file at `path` (at most KEYMAP_READ_LIMIT bytes, opened with no sharing) into keyTable
// and panelLayout. False only when the file cannot be opened or read, or the read buffer cannot be
// allocated; a file that was read counts as loaded even when it defines no key.
bool loadKeymap(const char16_t* path);
