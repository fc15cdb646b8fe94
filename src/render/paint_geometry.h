// Where painting puts things: the dock tab with its arrows, each key's outline, fill, bounds, label
// positions and fonts. Both the GDI painter and the SVG renderer draw from these, so they agree.
#pragma once

#include <cstddef>

#include "render/geometry.h"

constexpr int TAB_SHAPE_POINTS = 9; // the ninth repeats the first
constexpr int ARROW_POINTS = 4;     // the fourth repeats the first
constexpr int TAB_ARROWS = 2;

// The dock tab as painted, in client coordinates. The box straddles the panel's edge: its outer half
// is the tab of the window region, its inner half lies on the panel under the keys.
struct TabShape {
    bool drawn; // false for DockSide::None
    Rect box;   // left, top, right, bottom as vertex coordinates of the outline
    Point outline[TAB_SHAPE_POINTS];
    int arrowCount; // 2 for the four dock sides, 0 for a dock side outside 0 to 4
    Point arrows[TAB_ARROWS][ARROW_POINTS];
};

// At a scale, on the panel that shows an area of the design: the tab's offset, width and height, its
// bevel and its arrows scale with the panel.
Rect tabBox(const PanelLayout& layout, Scale scale = UNIT_SCALE, const PanelArea& area = FULL_PANEL_AREA);
TabShape computeTabShape(const PanelLayout& layout, Scale scale = UNIT_SCALE, const PanelArea& area = FULL_PANEL_AREA);

// Looks at no more than the first 8 units of a label: with a NUL among them, true and the units
// before it times 2; otherwise false and 0.
bool labelByteLength(const char16_t* label, size_t* bytes);
// Empty or one unit long: drawn in the large font. Anything longer, or with no NUL in its first
// 8 units, is drawn in the small font.
bool labelIsShort(const char16_t* label);
// How many units of a label field are drawn: those before its NUL, at most 15.
int labelUnits(const char16_t* label);

enum class KeyFill {
    Face,   // Up, and any value that is not a state
    Down,   // downColor
    Locked, // lockedColor
};

KeyFill keyFill(KeyState state);

struct LabelPaint {
    const char16_t* text; // the label field
    int units;            // how many of its units are drawn, at least 1
    Point origin;         // top-left corner of the text, client coordinates
    bool largeFont;       // LARGE_FONT_HEIGHT, else SMALL_FONT_HEIGHT
    bool fnColor;         // fnLabelColor, else textColor
};

constexpr int KEY_LABELS = 3;

struct KeyPaint {
    Point center; // client coordinates
    KeyQuad quad; // the outline, client coordinates
    Rect bounds;  // what a repaint of this key invalidates
    KeyFill fill;
    bool largeFont; // the font of label and shiftLabel
    int labelCount;
    LabelPaint labels[KEY_LABELS]; // in drawing order: label, shiftLabel, fnLabel, each if not empty
};

// Everything painting needs of one key at panelScale, in client coordinates from windowOrigin,
// clientOffset and panelArea, for the key's corners relative to the design's origin (fittedKeyQuad for a key
// of the table); the second form makes the corners anew.
KeyPaint computeKeyPaint(const KeyRecord& key, const KeyQuad& panelQuad);
KeyPaint computeKeyPaint(const KeyRecord& key);

// A key highlighted by the scan trades its two style colours: filled in the text colour, its legends
// in the face colour, so that the highlight is as clear as the style's own contrast in every style.
// The key the switch would type has, besides, a frame in the face colour inside its outline, so that
// it stands out from the rest of its row and from the background, which is in the text colour too.
struct ScanFrame {
    bool drawn;       // false for a key too small to hold a frame inside its outline
    KeyQuad quad;     // the frame's centre line, client coordinates
    int32_t penWidth; // pixels
};

// The frame of a key at panelScale, for its paint: wholly inside the key, whatever its turn, so that
// it never reaches beyond the key's bounds.
ScanFrame computeScanFrame(const KeyRecord& key, const KeyPaint& paint);
