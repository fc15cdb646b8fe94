// The hover ring: how much of the hover time has gone on the key the mouse pointer rests on, and where it is drawn.
#pragma once

#include <cstdint>

#include "layout/keytable.h"
#include "render/geometry.h"

// A ring's fill in thousandths of the hover time.
constexpr int32_t RING_FULL = 1000;

// What the paint pass draws of the ring, filled in by whoever times the rest (the keyboard's hover
// typing, the tools' pictures); process-wide, put back as at start by resetHoverRing.
struct HoverRing {
    int key;        // the key of the table the ring lies on; -1 for none
    int32_t filled; // 0 to RING_FULL
};

extern HoverRing hoverRing;

void resetHoverRing();

// The ring on a key, in client coordinates. The arc starts at the top and runs clockwise as the time
// goes, over a thin track of the whole circle that shows the time still to come; a rim of the face
// colour on both sides of the arc keeps it clear on a key of any fill.
struct RingPaint {
    Point center;
    int32_t radius; // of the arc's middle line
    int32_t width;  // of the arc
    int32_t rim;    // the rim's pen is the arc's width plus twice this
    int32_t track;  // pen width of the track
    int32_t filled; // 0 to RING_FULL; 0 draws the track alone, RING_FULL the whole circle
    double angle;   // of the arc's end, in radians clockwise from the top
    Point end;      // the arc's end on its middle line
    Rect bounds;    // half-open: everything the ring draws, which one step of it repaints
};

// The ring on a key whose client centre is `center`, at panelScale, its radius three eighths of the
// key's smaller side; `filled` is held to 0 to RING_FULL.
RingPaint computeRingPaint(const KeyRecord& key, Point center, int32_t filled);
// The ring of key `index` of the table where its paint puts it.
RingPaint keyRingPaint(int index, int32_t filled);
