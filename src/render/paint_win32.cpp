// The paint pass with GDI: background, dock tab and arrows, then every key from the last to the first.
#include <windows.h>

#include "render/paint_geometry.h"
#include "render/palette.h"
#include "render/palette_win32.h"
#include "render/render_win32.h"

namespace {

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
    case KeyFill::Down:
        return palette.downBrush;
    case KeyFill::Locked:
        return palette.lockedBrush;
    default:
        return palette.faceBrush;
    }
}

// Draws one key and records where it was drawn. The pen, brush and text colour it selects stay in
// the device context for the next key; the pass puts the originals back at its end.
void paintKey(HDC dc, KeyRecord& key)
{
    const KeyPaint paint = computeKeyPaint(key);

    // Turned text needs fonts whose escapement is the key's angle, made for this key alone.
    HFONT large = palette.largeFont;
    HFONT small = palette.smallFont;
    HGDIOBJ keptFont = nullptr;
    if (key.angle != 0) {
        large = createLabelFont(LARGE_FONT_HEIGHT, key.angle);
        small = createLabelFont(SMALL_FONT_HEIGHT, key.angle);
        keptFont = SelectObject(dc, paint.largeFont ? large : small);
    } else {
        SelectObject(dc, paint.largeFont ? large : small);
    }
    SelectObject(dc, palette.facePen);
    SelectObject(dc, fillBrush(paint.fill));
    SetTextColor(dc, palette.textColor);

    key.bounds = paint.bounds;
    drawPolygon(dc, paint.quad.corner);

    for (int i = 0; i < paint.labelCount; ++i) {
        const LabelPaint& label = paint.labels[i];
        if (label.fnColor) {
            SelectObject(dc, small);
            SetTextColor(dc, palette.fnLabelColor);
        }
        TextOutW(dc, label.origin.x, label.origin.y, reinterpret_cast<const wchar_t*>(label.text), label.units);
    }

    if (key.angle != 0) {
        SelectObject(dc, keptFont);
        DeleteObject(small);
        DeleteObject(large);
    }
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

    // Its outline in faceColor falls just outside the client area; only the fill shows.
    Rectangle(dc, -1, -1, windowSize.width + 1, windowSize.height + 1);

    SelectObject(dc, palette.faceBrush);
    const TabShape tab = computeTabShape(panelLayout);
    if (tab.drawn) {
        drawPolygon(dc, tab.outline);
        SelectObject(dc, palette.textBrush);
        SelectObject(dc, palette.textPen);
        for (int i = 0; i < tab.arrowCount; ++i)
            drawPolygon(dc, tab.arrows[i]);
    }

    // Last to first, so that of two overlapping keys the one a touch reaches first is on top.
    for (int i = keyTable->count - 1; i >= 0; --i)
        paintKey(dc, keyTable->keys[i]);

    SetTextColor(dc, keptTextColor);
    SelectObject(dc, keptFont);
    SelectObject(dc, keptBrush);
    SelectObject(dc, keptPen);
    SetBkMode(dc, keptBackgroundMode);
}
