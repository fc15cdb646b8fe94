// Switch scanning: the highlight's steps, the switch, and when the scan runs.
#include "input/scan.h"

#include "input/input.h"
#include "layout/options.h"
#include "render/scan_marks.h"

ScanState scanState = {false, true, false, ScanPhase::Rows, 0, 0, {}};

namespace {

int rowLength(int row)
{
    return scanState.rows.start[row + 1] - scanState.rows.start[row];
}

int highlightedKey()
{
    return scanState.rows.order[scanState.rows.start[scanState.row] + scanState.step % rowLength(scanState.row)];
}

// What the state says each key shows.
ScanMark markOf(int key)
{
    if (!scanState.running)
        return ScanMark::None;
    if (scanState.phase == ScanPhase::Keys)
        return key == highlightedKey() ? ScanMark::Key : ScanMark::None;
    const ScanRows& rows = scanState.rows;
    for (int i = rows.start[scanState.row]; i < rows.start[scanState.row + 1]; ++i) {
        if (rows.order[i] == key)
            return ScanMark::Row;
    }
    return ScanMark::None;
}

// The marks follow the state; only the keys whose mark changes are repainted, each once.
void showHighlight(PlatformWindow* window)
{
    for (int i = 0; keyTable && i < keyTable->count; ++i) {
        const ScanMark mark = markOf(i);
        if (scanMarks[i] == mark)
            continue;
        scanMarks[i] = mark;
        platformInvalidateRect(window, keyTable->keys[i].bounds);
    }
    platformUpdateWindow(window);
}

uint32_t scanTime()
{
    const int32_t time = keymapOptions.scanTimeMs > 0 ? keymapOptions.scanTimeMs : DEFAULT_SCAN_TIME_MS;
    return static_cast<uint32_t>(time);
}

// Each highlight stays a whole scan time from when it is shown: the timer starts anew with it.
void restartTimer(PlatformWindow* window)
{
    platformStartTimer(window, SCAN_TIMER_ID, scanTime());
}

void toFirstRow()
{
    scanState.phase = ScanPhase::Rows;
    scanState.row = 0;
    scanState.step = 0;
}

bool shouldRun()
{
    return scanState.on && scanState.panelShown && keyTable && slideState.step == 0 &&
           slideState.direction == SlideDirection::Show;
}

} // namespace

void resetScan()
{
    scanState = {false, true, false, ScanPhase::Rows, 0, 0, {}};
    clearScanMarks();
}

void setScanning(PlatformWindow* window, bool on)
{
    scanState.on = on;
    keepScan(window);
}

void setScanPanelShown(PlatformWindow* window, bool shown)
{
    scanState.panelShown = shown;
    keepScan(window);
}

void keepScan(PlatformWindow* window)
{
    if (!shouldRun()) {
        if (!scanState.running)
            return;
        scanState.running = false;
        platformStopTimer(window, SCAN_TIMER_ID);
        showHighlight(window);
        return;
    }
    if (scanState.running)
        return;
    computeScanRows(scanState.rows);
    // A panel without a key to reach has nothing to scan, and nothing wakes it.
    if (scanState.rows.count == 0)
        return;
    scanState.running = true;
    restartScan(window);
}

void restartScan(PlatformWindow* window)
{
    if (!scanState.running)
        return;
    toFirstRow();
    restartTimer(window);
    showHighlight(window);
}

void advanceScan(PlatformWindow* window)
{
    if (!scanState.running)
        return;
    if (scanState.phase == ScanPhase::Rows)
        scanState.row = (scanState.row + 1) % scanState.rows.count;
    else if (++scanState.step >= SCAN_KEY_PASSES * rowLength(scanState.row))
        // The row's keys went by with no switch: the user may have picked the wrong row.
        toFirstRow();
    showHighlight(window);
}

void scanSwitch(PlatformWindow* window)
{
    if (!scanState.on || !scanState.panelShown || slideState.step != 0)
        return;
    if (slideState.direction == SlideDirection::Hide) {
        // With one switch there is no other way to bring the panel back; the scan starts once it is in.
        slidePanelIntoView(window);
        return;
    }
    if (!scanState.running)
        return;
    restartTimer(window);
    if (scanState.phase == ScanPhase::Rows) {
        scanState.phase = ScanPhase::Keys;
        scanState.step = 0;
        showHighlight(window);
        return;
    }
    const int key = highlightedKey();
    toFirstRow();
    showHighlight(window);
    // Last: the Exit key destroys the window inside.
    typeSelectedKey(window, key);
}
