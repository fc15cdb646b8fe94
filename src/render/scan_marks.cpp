// The per-key scan highlight that painting reads, defined in one place.
#include "render/scan_marks.h"

ScanMark scanMarks[MAX_KEYS] = {};

void clearScanMarks()
{
    for (ScanMark& mark : scanMarks)
        mark = ScanMark::None;
}
