// The paint pass with GDI: background, dock tab and arrows, then every key from the last to the first.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "render/hover_ring.h"
#include "render/paint_geometry.h"
#include "render/palette.h"
#include "render/palette_win32.h"
#include "render/render_win32.h"
#include "render/scan_marks.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

// The turned label fonts of one angle. The first key of that angle that is drawn makes them and the
// pass deletes them at its end, so that keys turned alike share them instead of each key making and
// deleting its own: a font is drawn the same whichever handle carries it.
struct TurnedFonts {
    int angle;
    HFONT large;
    HFONT small;
};

// How far the text of a label font can reach from its origin: a cell height, and per unit a width no
// glyph exceeds, with a cell's margin all round for glyphs that overhang their cell.
struct TextReach {
    int64_t cell;
    int64_t unit;
};

// What the pass keeps while it draws the keys. Only the keys whose drawing can touch the clip box are
// drawn; every key's bounds is stored all the same. The objects and the colour in the device context
// are remembered, so that a key whose pen, brush, font or colour is already there does not select it
// again: selecting costs time, and selecting what is already selected changes nothing.
struct PassState {
    bool clipped;
    RECT clip;
    int64_t penReach; // how far an outline can reach beyond its vertices
    TextReach large;
    TextReach small;
    int fontCount;
    TurnedFonts fonts[MAX_KEYS];
    HGDIOBJ font;
    HGDIOBJ pen;
    HGDIOBJ brush;
    COLORREF textColor;
};

void selectInto(HDC dc, HGDIOBJ& selected, HGDIOBJ object)
{
    if (selected == object)
        return;
    SelectObject(dc, object);
    selected = object;
}

void setTextColor(HDC dc, PassState& pass, COLORREF color)
{
    if (pass.textColor == color)
        return;
    SetTextColor(dc, color);
    pass.textColor = color;
}

template <int N>
void drawPolygon(HDC dc, const Point (&points)[N])
{
    POINT vertices[N];
    for (int i = 0; i < N; ++i)
        vertices[i] = {points[i].x, points[i].y};
    Polygon(dc, vertices, N);
}

HBRUSH fillBrush(KeyFill fill)
{
    switch (fill) {
    case KeyFill::Down: return palette.downBrush;
    case KeyFill::Locked: return palette.lockedBrush;
    default: return palette.faceBrush;
    }
}

TextReach textReach(HDC dc, HFONT font)
{
    SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int64_t cell = std::max<int64_t>(metrics.tmHeight, 1);
    return {cell, std::max<int64_t>(metrics.tmMaxCharWidth + metrics.tmOverhang, 2 * cell)};
}

// The clip box, and the reach of the two fonts, when the drawing of a key can be judged by its
// extent: left-and-top aligned text that does not move the current position, and a clip box that
// leaves out part of the client area. Otherwise every key is drawn.
void prepareClip(HDC dc, PassState& pass)
{
    pass.clipped = false;
    const int region = GetClipBox(dc, &pass.clip);
    if (region == ERROR || GetTextAlign(dc) != (TA_LEFT | TA_TOP | TA_NOUPDATECP))
        return;
    const RECT& clip = pass.clip;
    if (clip.left <= 0 && clip.top <= 0 && clip.right >= windowSize.width &&
        clip.bottom >= windowSize.height - clientOffset)
        return;
    pass.large = textReach(dc, palette.largeFont);
    pass.small = textReach(dc, palette.smallFont);
    pass.clipped = true;
}

struct Extent {
    int64_t left;
    int64_t top;
    int64_t right; // inclusive
    int64_t bottom;
};

void include(Extent& extent, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    extent.left = std::min(extent.left, left);
    extent.top = std::min(extent.top, top);
    extent.right = std::max(extent.right, right);
    extent.bottom = std::max(extent.bottom, bottom);
}

// Whether anything the key draws can land inside the clip box: its outline and fill lie within the
// corners' box, a label within its reach of its origin, in every direction when it is turned.
bool keyTouchesClip(const PassState& pass, const KeyPaint& paint, bool turned)
{
    if (!pass.clipped)
        return true;
    // The outline's pen lies across its edges; a pixel more all round costs nothing and spares a doubt.
    const Point* c = paint.quad.corner;
    const int64_t pen = pass.penReach;
    Extent extent = {c[0].x, c[0].y, c[0].x, c[0].y};
    for (int i = 0; i < 4; ++i)
        include(extent, c[i].x - pen, c[i].y - pen, c[i].x + pen, c[i].y + pen);
    for (int i = 0; i < paint.labelCount; ++i) {
        const LabelPaint& label = paint.labels[i];
        const TextReach& reach = label.largeFont ? pass.large : pass.small;
        const int64_t x = label.origin.x;
        const int64_t y = label.origin.y;
        const int64_t length = label.units * reach.unit;
        if (turned) {
            const int64_t radius = length + 2 * reach.cell;
            include(extent, x - radius, y - radius, x + radius, y + radius);
        } else {
            include(extent, x - reach.cell, y - reach.cell, x + length + reach.cell, y + 2 * reach.cell);
        }
    }
    const RECT& clip = pass.clip;
    return extent.left < clip.right && extent.right >= clip.left && extent.top < clip.bottom &&
           extent.bottom >= clip.top;
}

const TurnedFonts& turnedFonts(PassState& pass, int angle)
{
    for (int i = 0; i < pass.fontCount; ++i) {
        if (pass.fonts[i].angle == angle)
            return pass.fonts[i];
    }
    TurnedFonts& fonts = pass.fonts[pass.fontCount++];
    fonts.angle = angle;
    fonts.large = createLabelFont(labelFontHeight(true, panelScale), angle);
    fonts.small = createLabelFont(labelFontHeight(false, panelScale), angle);
    return fonts;
}

void deleteTurnedFonts(PassState& pass)
{
    for (int i = 0; i < pass.fontCount; ++i) {
        DeleteObject(pass.fonts[i].small);
        DeleteObject(pass.fonts[i].large);
    }
    pass.fontCount = 0;
}

// The frame of the key the scan's switch would type, over its fill and under its legends.
void paintScanFrame(HDC dc, const KeyRecord& key, const KeyPaint& paint, PassState& pass)
{
    const ScanFrame frame = computeScanFrame(key, paint);
    if (!frame.drawn)
        return;
    selectInto(dc, pass.pen, palette.scanFramePen);
    selectInto(dc, pass.brush, GetStockObject(NULL_BRUSH));
    drawPolygon(dc, frame.quad.corner);
}

// A key's legends in their usual colours, or all in the face colour on a key the scan highlights.
void drawLegends(HDC dc, const KeyPaint& paint, PassState& pass, HFONT mainFont, HFONT small, bool highlighted)
{
    selectInto(dc, pass.font, mainFont);
    setTextColor(dc, pass, highlighted ? palette.faceColor : palette.textColor);
    for (int i = 0; i < paint.labelCount; ++i) {
        const LabelPaint& label = paint.labels[i];
        if (label.fnColor) {
            selectInto(dc, pass.font, small);
            setTextColor(dc, pass, highlighted ? palette.faceColor : palette.fnLabelColor);
        }
        TextOutW(dc, label.origin.x, label.origin.y, reinterpret_cast<const wchar_t*>(label.text), label.units);
    }
}

// Draws one key and records where it was drawn. The font, pen, brush and text colour it selects stay
// in the device context for the next key, which selects its own; the pass puts the originals back at
// its end.
void paintKey(HDC dc, int index, PassState& pass)
{
    KeyRecord& key = keyTable->keys[index];
    const KeyPaint paint = computeKeyPaint(key, fittedKeyQuad(index));
    key.bounds = paint.bounds;
    if (!keyTouchesClip(pass, paint, key.angle != 0))
        return;

    HFONT large = palette.largeFont;
    HFONT small = palette.smallFont;
    if (key.angle != 0) {
        const TurnedFonts& fonts = turnedFonts(pass, key.angle);
        large = fonts.large;
        small = fonts.small;
    }
    const ScanMark mark = scanMarks[index];
    const bool highlighted = mark != ScanMark::None;
    selectInto(dc, pass.pen, palette.facePen);
    selectInto(dc, pass.brush, highlighted ? palette.textBrush : fillBrush(paint.fill));
    drawPolygon(dc, paint.quad.corner);
    if (mark == ScanMark::Key)
        paintScanFrame(dc, key, paint, pass);

    const HFONT mainFont = paint.largeFont ? large : small;
    if (!highlighted) {
        drawLegends(dc, paint, pass, mainFont, small, false);
        return;
    }
    // A legend longer than its key reaches beyond the key's bounds, which are all that a change of
    // the highlight repaints: beyond them it keeps its usual colours, within them it takes the
    // highlight's.
    const Rect& b = key.bounds;
    HRGN kept = CreateRectRgn(0, 0, 0, 0);
    const int had = kept ? GetClipRgn(dc, kept) : -1;
    ExcludeClipRect(dc, b.left, b.top, b.right, b.bottom);
    drawLegends(dc, paint, pass, mainFont, small, false);
    SelectClipRgn(dc, had == 1 ? kept : nullptr);
    IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
    drawLegends(dc, paint, pass, mainFont, small, true);
    SelectClipRgn(dc, had == 1 ? kept : nullptr);
    if (kept)
        DeleteObject(kept);
}

HPEN flatPen(int32_t width, COLORREF color)
{
    const LOGBRUSH brush = {BS_SOLID, color, 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, static_cast<DWORD>(width), &brush, 0, nullptr);
}

// The hover ring over its key, last, so that no key covers it. Its pens live for this one drawing: a
// ring is drawn a few times a second at most, and only while the pointer rests on a key.
void paintHoverRing(HDC dc)
{
    if (hoverRing.key < 0 || hoverRing.key >= keyTable->count)
        return;
    const RingPaint ring = keyRingPaint(hoverRing.key, hoverRing.filled);
    const int x = ring.center.x;
    const int y = ring.center.y;
    const int r = ring.radius;
    HPEN track = flatPen(ring.track, palette.textColor);
    HPEN rim = flatPen(ring.width + 2 * ring.rim, palette.faceColor);
    HPEN arc = flatPen(ring.width, palette.textColor);
    HGDIOBJ keptPen = SelectObject(dc, track);
    HGDIOBJ keptBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int keptDirection = SetArcDirection(dc, AD_CLOCKWISE);
    Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
    if (ring.filled > 0) {
        // The arc's ends are given as directions from the centre: far out, so that a short arc keeps
        // its length; a full ring is an arc whose ends meet.
        constexpr double RADIAL = 4096.0;
        const int endX =
            ring.filled >= RING_FULL ? x : x + static_cast<int>(std::lround(RADIAL * std::sin(ring.angle)));
        const int endY =
            ring.filled >= RING_FULL ? y - r : y - static_cast<int>(std::lround(RADIAL * std::cos(ring.angle)));
        for (HPEN pen : {rim, arc}) {
            SelectObject(dc, pen);
            Arc(dc, x - r, y - r, x + r + 1, y + r + 1, x, y - r, endX, endY);
        }
    }
    SetArcDirection(dc, keptDirection);
    SelectObject(dc, keptBrush);
    SelectObject(dc, keptPen);
    DeleteObject(arc);
    DeleteObject(rim);
    DeleteObject(track);
}

} // namespace

void paintPanel(HDC dc)
{
    if (!keyTable)
        return;

    const COLORREF keptTextColor = SetTextColor(dc, palette.textColor);
    HGDIOBJ keptFont = SelectObject(dc, palette.smallFont);
    HGDIOBJ keptBrush = SelectObject(dc, palette.textBrush);
    HGDIOBJ keptPen = SelectObject(dc, palette.facePen);
    const int keptBackgroundMode = SetBkMode(dc, TRANSPARENT);

    // Its outline in faceColor falls just outside the client area, however wide the pen; only the
    // fill shows.
    const int pen = std::max(1, outlinePenWidth(panelScale));
    Rectangle(dc, -pen, -pen, windowSize.width + pen, windowSize.height + pen);

    SelectObject(dc, palette.faceBrush);
    const TabShape tab = computeTabShape(panelLayout, panelScale, panelArea);
    if (tab.drawn) {
        drawPolygon(dc, tab.outline);
        SelectObject(dc, palette.textBrush);
        SelectObject(dc, palette.textPen);
        for (int i = 0; i < tab.arrowCount; ++i)
            drawPolygon(dc, tab.arrows[i]);
    }

    // Last to first, so that of two overlapping keys the one a touch reaches first is on top.
    PassState pass;
    pass.fontCount = 0;
    pass.penReach = pen;
    prepareClip(dc, pass);
    // Whatever the tab and the clip test left selected, the first key drawn selects its own.
    pass.font = nullptr;
    pass.pen = nullptr;
    pass.brush = nullptr;
    pass.textColor = CLR_INVALID;
    for (int i = keyTable->count - 1; i >= 0; --i)
        paintKey(dc, i, pass);
    paintHoverRing(dc);

    SetTextColor(dc, keptTextColor);
    SelectObject(dc, keptFont);
    SelectObject(dc, keptBrush);
    SelectObject(dc, keptPen);
    SetBkMode(dc, keptBackgroundMode);
    deleteTurnedFonts(pass);
}
