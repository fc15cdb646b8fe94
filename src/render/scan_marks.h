// What switch scanning highlights on each key, as plain data that painting reads and the scan fills.
#pragma once

#include <cstdint>

#include "layout/keytable.h"

enum class ScanMark : uint8_t {
    None,
    Row, // a key of the row the switch would pick
    Key, // the key the switch would type
};

// By table index; all None while nothing is scanned.
extern ScanMark scanMarks[MAX_KEYS];

void clearScanMarks();

// The frame drawn inside a key the switch would type, so that it stands out from its own row and from
// the background alike, at a scale: a pen this many design pixels wide, a pixel at least.
constexpr int32_t SCAN_FRAME_WIDTH = 4;
