// Portable geometry of the panel: the window's size, origin and region per dock side, key corners,
// hit testing, and the conversions between panel and client coordinates.
#pragma once

#include <cstdint>

#include "layout/keytable.h"

constexpr int TAB_BEVEL = 4;
constexpr int PANEL_REGION_MAX_VERTICES = 11;

struct Size {
    int32_t width;
    int32_t height;
};

// captionHeight before start-up reads the system's.
constexpr int32_t CAPTION_HEIGHT_AT_START = 16;

// The window's placement, process-wide, put back as at start by resetPlacement.
// How far below the window's top edge its client area begins: the system caption height until the
// window is measured, then the window's own offset (the class menu's bar lies above the client area).
extern int32_t captionHeight;
// The window's size, and the panel's top-left corner in window coordinates; set when the window is
// shaped.
extern Size windowSize;
extern Point windowOrigin;

// Back to the placement before the window exists: no size, no origin, the caption height at start.
void resetPlacement();

// Layout values are used as they stand, so sums of absurd ones can leave the 32-bit range; they
// wrap as on the 32-bit machine the program was made for instead of being undefined.
constexpr int32_t wrap32(int64_t value)
{
    return static_cast<int32_t>(value);
}

struct PanelShape {
    bool valid; // false for a dock side outside 0 to 4: nothing is computed then
    Size size;
    Point origin;
    int vertexCount; // 11 with a tab (the last repeats the first), 4 for DockSide::None
    Point vertices[PANEL_REGION_MAX_VERTICES];
};

// The window's size, panel origin and region polygon (window coordinates, WINDING fill) for a layout.
PanelShape computePanelShape(const PanelLayout& layout, int32_t caption);
// The shape of panelLayout with captionHeight; for a dock side of 0 to 4 it also becomes windowSize
// and windowOrigin, otherwise they keep their values. What the window and the tools both start from.
PanelShape updateWindowPlacement();

// Client point to panel point and back, with windowOrigin and captionHeight.
Point clientToPanel(Point client);
Point panelToClient(Point panel);

// The four corners of a key, P0..P3 = top-left, top-right, bottom-right, bottom-left before turning.
struct KeyQuad {
    Point corner[4];
};

constexpr Point HIT_FAR_POINT = {-1000, -1000};

// The smallest upright rectangle that holds the four corners, as the corners' least and greatest x and
// y (right and bottom included, unlike a half-open rectangle).
Rect quadBounds(const KeyQuad& quad);
// Corners for a centre in any coordinate system; offsets from the centre are truncated toward zero,
// so the corners for a panel centre and a client centre are exact translations of each other.
KeyQuad computeKeyQuad(int32_t cx, int32_t cy, int32_t width, int32_t height, int32_t angle);
// +1 or -1 for the sense of the turn B -> A -> P; 0 only for P on the line at or beyond A, no farther
// from A than B is.
int turnDirection(Point p, Point a, Point b);
// Crossing parity of the segment from `point` to a far point outside the quad: 1 inside, 0 outside.
int quadContainsPoint(Point point, const KeyQuad& quad);
// 1 when the client point lies in the key: a half-open rectangle upright, the quad test turned.
int keyContainsPoint(const KeyRecord& key, int32_t clientX, int32_t clientY);
