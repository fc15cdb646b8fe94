// Switch scanning: rows of keys, then a picked row's keys, highlighted in turn; one switch picks and types.
#pragma once

#include <cstdint>

#include "layout/keytable.h"
#include "platform/platform.h"

// The keys the switch can reach, in reading order. Keys are grouped into rows by their centres in
// design units (so the rows do not change with the screen the panel fits): the top-most key not yet
// in a row starts one, and every key whose centre lies less than half the median key height below
// that key's centre joins it; a row's keys run left to right. The panel is never turned with its dock
// side, so its reading order is the same docked at any edge. Turned keys count by their centres. A key
// that cannot be tapped is left out: one whose centre lies outside the part of the design the panel
// shows, or under a key earlier in the table (which takes every tap there).
struct ScanRows {
    int count;               // rows, each with a key at least
    int keyCount;            // keys in all rows
    int start[MAX_KEYS + 1]; // row r holds order[start[r]] up to order[start[r + 1] - 1]
    int order[MAX_KEYS];     // key indices
};

enum class ScanPhase : uint8_t {
    Rows, // the switch picks the highlighted row
    Keys, // the switch types the highlighted key of the picked row
};

// A picked row's keys pass this many times with no switch before the rows are scanned again.
constexpr int SCAN_KEY_PASSES = 2;

struct ScanState {
    bool on;         // scanning is on for the run
    bool panelShown; // the window is shown, not hidden from the menu
    bool running;    // a highlight is shown and the scan timer runs
    ScanPhase phase;
    int row;  // the highlighted row, or the picked one
    int step; // in the Keys phase, the highlights since the row was picked: key step % its length
    ScanRows rows;
};

// --- Switch scanning's process-wide state (scan.cpp), put back as at start by resetScan ---
extern ScanState scanState;

// Off, the window shown, nothing highlighted.
void resetScan();

// The rows of keyTable as the panel is placed now (panelArea, the fitted key corners).
void computeScanRows(ScanRows& rows);
// Whether a key event of `virtualKey` from the system is the scan key's: the generic Shift, Ctrl and
// Alt names stand for either hand's key, which is what the system reports.
bool isScanKey(uint8_t scanKey, uint32_t virtualKey);

// Scanning on or off for the run. On, it starts at the first row once the panel is shown; off, the
// highlight goes and the timer stops.
void setScanning(PlatformWindow* window, bool on);
// The window was shown or hidden (from the menu, or by a second copy of the program).
void setScanPanelShown(PlatformWindow* window, bool shown);
// Starts the scan at the first row when it is on, the panel is shown and at rest (no slide, not slid
// away) and there is a key to scan; stops it when any of that ends.
void keepScan(PlatformWindow* window);
// Everything was let go of (a hide, a slide away, the session's end): a picked row is forgotten and
// the scan starts again at the first row, if it still runs.
void restartScan(PlatformWindow* window);
// One tick of the scan timer: the next row, or the next key of the picked row.
void advanceScan(PlatformWindow* window);
// The switch: picks the highlighted row, or types the highlighted key and starts again at the first
// row. With the panel slid away it slides the panel into view; during a slide, while the panel is
// hidden or with scanning off it does nothing. Typing the Exit key ends the program: nothing may be
// touched after this call then.
void scanSwitch(PlatformWindow* window);
