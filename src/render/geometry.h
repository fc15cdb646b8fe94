// Portable geometry of the panel: its fit to the screen, the window's size, origin and region per dock
// side, key corners, hit testing, and the conversions between panel and client coordinates.
#pragma once

#include <cstdint>

#include "layout/keytable.h"
#include "layout/options.h"

constexpr int TAB_BEVEL = 4;
constexpr int PANEL_REGION_MAX_VERTICES = 11;

struct Size {
    int32_t width;
    int32_t height;
};

// clientOffset before start-up reads the system's caption height.
constexpr int32_t CLIENT_OFFSET_AT_START = 16;

// The panel is designed on a 1024x600 screen and drawn at a scale: an exact ratio, so that the design
// size is the unit scale exactly and every number of it stays as it is.
struct Scale {
    int32_t numerator;   // positive
    int32_t denominator; // positive
};

constexpr Scale UNIT_SCALE = {1, 1};

constexpr bool operator==(Scale a, Scale b)
{
    return a.numerator == b.numerator && a.denominator == b.denominator;
}

// Larger screens are taken as this large on a side, so that no scaled number leaves 32 bits.
constexpr int32_t SCREEN_SIDE_LIMIT = 16384;

// A design length or coordinate at a scale, to the nearest pixel with halves rounded up (toward
// positive infinity, negative values included); the value itself at the unit scale.
constexpr int32_t scaleValue(int64_t value, Scale scale)
{
    const int64_t twice = 2 * value * scale.numerator + scale.denominator;
    const int64_t divisor = 2 * int64_t{scale.denominator};
    const int64_t quotient = twice / divisor;
    return static_cast<int32_t>(twice % divisor < 0 ? quotient - 1 : quotient);
}

// The same, but at least 1: a pen, a font or a bevel keeps a pixel at the smallest scales.
constexpr int32_t scaleAtLeastOne(int64_t value, Scale scale)
{
    const int32_t scaled = scaleValue(value, scale);
    return scaled < 1 ? 1 : scaled;
}

// The four corners of a key, P0..P3 = top-left, top-right, bottom-right, bottom-left before turning.
struct KeyQuad {
    Point corner[4];
};

// The corners made for a key of the table, with the scale and the key's shape they were made for.
struct FittedQuad {
    bool made;
    Scale scale;
    int16_t centerX;
    int16_t centerY;
    int16_t width;
    int16_t height;
    int16_t angle;
    KeyQuad quad;
};

// The part of the 1024x600 design that the panel shows, in design units.
struct PanelArea {
    PanelCut cut; // Keys only where the keys gave a rectangle to cut to
    Rect rect;    // half-open, within the design
};

constexpr PanelArea FULL_PANEL_AREA = {PanelCut::Full, {0, 0, PANEL_WIDTH, PANEL_HEIGHT}};
// The margin around the keys of a cut panel, in design units.
constexpr int32_t PANEL_KEY_MARGIN = 4;

// The window's placement, process-wide, put back as at start by resetPlacement.
// How far below the window's top edge its client area begins: the system caption height until the
// window is measured, then the window's own offset (the class menu's bar lies above the client area).
// It is the system's and does not scale.
extern int32_t clientOffset;
// The window's size, and the panel's top-left corner in window coordinates; set when the window is
// shaped.
extern Size windowSize;
extern Point windowOrigin;
// The scale the panel is drawn and hit at, and where its top-left corner lies on the screen while it
// is shown; the unit scale at the screen's origin until the panel is fitted to a screen.
extern Scale panelScale;
extern Point panelPosition;
// What of the design the panel shows, from the key table, panelLayout and keymapOptions.panel when the
// window is placed or fitted; the full design until then.
extern PanelArea panelArea;
// Each key's corners at panelScale, by table index: MAX_KEYS records from the heap, made at the first
// fit or press or paint that asks (a zero array in the program would make its file that much larger).
// Null before then and after resetPlacement.
extern FittedQuad* fittedQuads;

// Back to the placement before the window exists: no size, no origin, the client offset at start,
// the unit scale at the screen's origin, the full design, no key corners made.
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

// The panel's size at a scale: the whole design's, or the part an area shows.
Size scaledPanelSize(Scale scale, const PanelArea& area = FULL_PANEL_AREA);
// The tab's offset, width and height at a scale; the dock side as it is.
PanelLayout scaledPanelLayout(const PanelLayout& layout, Scale scale);

// What of the design the panel shows. The full design, unless `cut` is Keys and the table holds a key
// on the design: then the smallest rectangle that holds every key's corners, PANEL_KEY_MARGIN beyond
// them on every side and cut to the design (a key partly off the design is cut at its edge, as on the
// full panel), at least as long along the docked edge as the tab (widened evenly, within the design).
PanelArea computePanelArea(const KeyTable* table, const PanelLayout& layout, PanelCut cut);
// The layout with the tab's offset along the area's edge instead of the design's: the layout itself for
// the full design; on a cut panel the tab keeps its place on the design, moved along the edge only as far
// as it takes to lie wholly on the panel (from the panel's start when it is longer than the edge).
PanelLayout tabAlongArea(const PanelLayout& layout, const PanelArea& area);

// The window's size, panel origin and region polygon (window coordinates, WINDING fill) for a layout
// at a scale, showing an area of the design: the panel, the tab and its bevel scale, the client offset
// does not.
PanelShape computePanelShape(const PanelLayout& layout, int32_t offset, Scale scale = UNIT_SCALE,
                             const PanelArea& area = FULL_PANEL_AREA);
// The shape of panelLayout with clientOffset at panelScale, showing the panelArea it computes anew; for
// a dock side of 0 to 4 it also becomes windowSize and windowOrigin, otherwise they keep their values.
// What the window and the tools both start from.
PanelShape updateWindowPlacement();

// The panel on a screen: the largest scale at which all of it shows, min(W / 1024, H / 600), and its
// place against the dock edge, centred along it (centred both ways for DockSide::None; at the
// screen's origin for a dock side outside 0 to 4). A panel cut to its keys is as long as its edge
// allows instead, W / width docked at the top or bottom and H / height at a side, but at most 45% of
// the screen's other side deep and at most 3 times the design; with DockSide::None, which has no edge,
// it takes the full panel's scale and lies where the full panel would show its part.
struct PanelFit {
    Scale scale;
    Size panel;          // the panel's size on the screen
    PanelShape shape;    // the window's size, the panel's origin in it and the region
    Point panelPosition; // the panel's top-left corner on the screen while it is shown
    PanelLayout tab;     // the tab's offset along the panel's edge, width and height on the screen
};

// The scale at which a design of 1024x600 fills a screen as far as it can, in lowest terms; the
// unit scale for a 1024-wide or 600-high screen that holds the whole panel. The screen must have area.
Scale fitScale(Size screen);
// The fit of a layout showing an area of the design to a screen rectangle, sides over
// SCREEN_SIDE_LIMIT clamped; false for a screen without area, which leaves `fit` as it was.
bool computePanelFit(Rect screen, const PanelLayout& layout, int32_t offset, PanelFit* fit,
                     const PanelArea& area = FULL_PANEL_AREA);
// The fit of panelLayout with clientOffset, showing the panelArea it computes anew, made the
// process-wide placement (windowSize and windowOrigin as updateWindowPlacement sets them, panelScale,
// panelPosition), and every key's corners made for it. False for a screen without area: the last good
// fit stays.
bool fitPanelToScreen(Rect screen);
// Where the window goes to show the panel at panelPosition.
Point shownWindowPosition();

// Client point to panel point and back, with windowOrigin, clientOffset, panelScale and panelArea; a
// panel point is a point of the 1024x600 design, which the conversion to client coordinates scales.
Point clientToPanel(Point client);
Point panelToClient(Point panel);
// The panel's top-left corner in client coordinates.
Point panelClientOrigin();
// Where the design's origin lies in client coordinates: the panel's top-left corner, less the scaled
// corner of the area it shows. Key corners at a scale are relative to it.
Point designClientOrigin();

constexpr Point HIT_FAR_POINT = {-1000, -1000};

// The smallest upright rectangle that holds the four corners, as the corners' least and greatest x and
// y (right and bottom included, unlike a half-open rectangle).
Rect quadBounds(const KeyQuad& quad);
// Corners for a centre in any coordinate system; offsets from the centre are truncated toward zero,
// so the corners for a panel centre and a client centre are exact translations of each other.
KeyQuad computeKeyQuad(int32_t cx, int32_t cy, int32_t width, int32_t height, int32_t angle);
// A key's corners at a scale, relative to the design's origin on the screen: the centre
// scaled to the nearest pixel, the half extents scaled exactly, then turned and truncated as above.
// At the unit scale these are computeKeyQuad's corners for the key's own centre.
KeyQuad scaledKeyQuad(const KeyRecord& key, Scale scale);
// The corners of key `index` of the table at panelScale, made once per fit and per key shape and
// shared by every press and paint (made for each call instead when there is no memory to keep them).
KeyQuad fittedKeyQuad(int index);

// +1 or -1 for the sense of the turn B -> A -> P; 0 only for P on the line at or beyond A, no farther
// from A than B is.
int turnDirection(Point p, Point a, Point b);
// Crossing parity of the segment from `point` to a far point outside the quad: 1 inside, 0 outside.
int quadContainsPoint(Point point, const KeyQuad& quad);
// 1 when the client point lies in the key at panelScale: a half-open rectangle upright, the quad test
// turned. keyContainsPoint makes the key's corners anew; fittedKeyContainsPoint, for key `index` of the
// table, uses those made for the fit, which is what a press asks.
int keyContainsPoint(const KeyRecord& key, int32_t clientX, int32_t clientY);
int fittedKeyContainsPoint(int index, int32_t clientX, int32_t clientY);
// The first key in table order whose fitted shape holds the client point, which is also the key drawn
// on top there and the one a press there hits; -1 for none.
int fittedKeyAt(int32_t clientX, int32_t clientY);
