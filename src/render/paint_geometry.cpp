// Paint geometry of the dock tab and the keys, in client coordinates, shared by every painter.
#include "render/paint_geometry.h"

#include <algorithm>

#include "layout/u16text.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

constexpr int LABEL_FONT_PROBE_UNITS = 8;
constexpr int LABEL_DRAWN_UNITS = LABEL_UNITS - 1;

Point at(int64_t x, int64_t y)
{
    return {wrap32(x), wrap32(y)};
}

Rect box(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return {wrap32(left), wrap32(top), wrap32(right), wrap32(bottom)};
}

} // namespace

Rect tabBox(const PanelLayout& layout)
{
    const int64_t o = layout.tabOffset;
    const int64_t w = layout.tabWidth;
    const int64_t h = layout.tabHeight;
    const int64_t ph = PANEL_HEIGHT;
    const int64_t pw = PANEL_WIDTH;
    switch (layout.dockSide) {
    case DockSide::Top: return box(o, ph - h, o + w - 1, ph - 1 + h);
    case DockSide::Bottom: return box(o, 0, o + w - 1, 2 * h - 1);
    case DockSide::Right: return box(0, o, 2 * w - 1, o + h - 1);
    case DockSide::Left: return box(pw - w, o, pw - 1 + w, o + h - 1);
    default: return box(0, 0, w, h);
    }
}

TabShape computeTabShape(const PanelLayout& layout)
{
    TabShape tab{};
    if (layout.dockSide == DockSide::None)
        return tab;
    tab.drawn = true;
    tab.box = tabBox(layout);
    const int64_t l = tab.box.left;
    const int64_t t = tab.box.top;
    const int64_t r = tab.box.right;
    const int64_t b = tab.box.bottom;
    const Point outline[TAB_SHAPE_POINTS] = {at(l + 4, t), at(r - 4, t), at(r, t + 4), at(r, b - 4), at(r - 4, b),
                                             at(l + 4, b), at(l, b - 4), at(l, t + 4), at(l + 4, t)};
    std::copy(std::begin(outline), std::end(outline), tab.outline);

    switch (layout.dockSide) {
    case DockSide::Top:
    case DockSide::Bottom: {
        const int64_t m = (l + r) / 2;
        const Point arrows[TAB_ARROWS][ARROW_POINTS] = {
            {at(m, t + 8), at(m + 8, t + 24), at(m - 8, t + 24), at(m, t + 8)},
            {at(m, b - 8), at(m + 8, b - 24), at(m - 8, b - 24), at(m, b - 8)}};
        std::copy(&arrows[0][0], &arrows[0][0] + TAB_ARROWS * ARROW_POINTS, &tab.arrows[0][0]);
        tab.arrowCount = TAB_ARROWS;
        break;
    }
    case DockSide::Right:
    case DockSide::Left: {
        const int64_t m = (t + b) / 2;
        const Point arrows[TAB_ARROWS][ARROW_POINTS] = {
            {at(l + 8, m), at(l + 24, m - 8), at(l + 24, m + 8), at(l + 8, m)},
            {at(r - 8, m), at(r - 24, m - 8), at(r - 24, m + 8), at(r - 8, m)}};
        std::copy(&arrows[0][0], &arrows[0][0] + TAB_ARROWS * ARROW_POINTS, &tab.arrows[0][0]);
        tab.arrowCount = TAB_ARROWS;
        break;
    }
    default: break;
    }
    return tab;
}

bool labelByteLength(const char16_t* label, size_t* bytes)
{
    return u16ByteLength(label, LABEL_FONT_PROBE_UNITS, bytes);
}

bool labelIsShort(const char16_t* label)
{
    size_t bytes = 0;
    return labelByteLength(label, &bytes) && bytes <= 2;
}

int labelUnits(const char16_t* label)
{
    size_t units = 0;
    if (!u16Length(label, LABEL_DRAWN_UNITS, &units))
        units = LABEL_DRAWN_UNITS;
    return static_cast<int>(units);
}

KeyFill keyFill(KeyState state)
{
    switch (state) {
    case KeyState::Down: return KeyFill::Down;
    case KeyState::Locked: return KeyFill::Locked;
    default: return KeyFill::Face;
    }
}

KeyPaint computeKeyPaint(const KeyRecord& key)
{
    KeyPaint paint{};
    paint.center = at(int64_t{key.centerX} + windowOrigin.x, int64_t{key.centerY} + windowOrigin.y - captionHeight);
    paint.quad = computeKeyQuad(paint.center.x, paint.center.y, key.width, key.height, key.angle);
    const Point* c = paint.quad.corner;
    // An upright key's bounds are P0 and P2 as they stand, even where a negative size puts P2 above or
    // left of P0.
    paint.bounds = key.angle == 0 ? Rect{c[0].x, c[0].y, c[2].x, c[2].y} : quadBounds(paint.quad);
    paint.fill = keyFill(key.state);
    paint.largeFont = labelIsShort(key.label);

    // Offsets run along the screen's axes from the turned corner P0; the text itself turns with the
    // font. Thirds and quarters of the height truncate toward zero, negative heights included.
    const int64_t x0 = c[0].x;
    const int64_t y0 = c[0].y;
    const int64_t h = key.height;
    const bool shifted = key.shiftLabel[0] != 0;
    const auto add = [&paint](const char16_t* text, Point origin, bool largeFont, bool fnColor) {
        if (text[0] != 0)
            paint.labels[paint.labelCount++] = {text, labelUnits(text), origin, largeFont, fnColor};
    };
    if (shifted) {
        add(key.label, at(x0 + 4, y0 + h / 3 + 4), paint.largeFont, false);
        add(key.shiftLabel, at(x0 + 4, y0 + 4), paint.largeFont, false);
    } else {
        add(key.label, at(x0 + 10, y0 + 10), paint.largeFont, false);
    }
    add(key.fnLabel, at(x0 + 4, y0 + (3 * h) / 4 + 4), false, true);
    return paint;
}
