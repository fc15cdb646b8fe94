// Paint geometry of the dock tab and the keys, in client coordinates, shared by every painter.
#include "render/paint_geometry.h"

#include <algorithm>

#include "layout/u16text.h"
#include "layout/keytable.h"
#include "render/geometry.h"
#include "render/palette.h"
#include "render/scan_marks.h"

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

Rect tabBox(const PanelLayout& layout, Scale scale, const PanelArea& area)
{
    const PanelLayout tab = scaledPanelLayout(tabAlongArea(layout, area), scale);
    const Size panel = scaledPanelSize(scale, area);
    const int64_t o = tab.tabOffset;
    const int64_t w = tab.tabWidth;
    const int64_t h = tab.tabHeight;
    const int64_t ph = panel.height;
    const int64_t pw = panel.width;
    switch (layout.dockSide) {
    case DockSide::Top: return box(o, ph - h, o + w - 1, ph - 1 + h);
    case DockSide::Bottom: return box(o, 0, o + w - 1, 2 * h - 1);
    case DockSide::Right: return box(0, o, 2 * w - 1, o + h - 1);
    case DockSide::Left: return box(pw - w, o, pw - 1 + w, o + h - 1);
    default: return box(0, 0, w, h);
    }
}

TabShape computeTabShape(const PanelLayout& layout, Scale scale, const PanelArea& area)
{
    TabShape tab{};
    if (layout.dockSide == DockSide::None)
        return tab;
    tab.drawn = true;
    tab.box = tabBox(layout, scale, area);
    const int64_t l = tab.box.left;
    const int64_t t = tab.box.top;
    const int64_t r = tab.box.right;
    const int64_t b = tab.box.bottom;
    // The bevel, an arrow's tip and half its width (both 8 in the design) and its base (24).
    const int64_t v = scaleAtLeastOne(TAB_BEVEL, scale);
    const int64_t e = scaleAtLeastOne(8, scale);
    const int64_t f = scaleAtLeastOne(24, scale);
    const Point outline[TAB_SHAPE_POINTS] = {at(l + v, t), at(r - v, t), at(r, t + v), at(r, b - v), at(r - v, b),
                                             at(l + v, b), at(l, b - v), at(l, t + v), at(l + v, t)};
    std::copy(std::begin(outline), std::end(outline), tab.outline);

    switch (layout.dockSide) {
    case DockSide::Top:
    case DockSide::Bottom: {
        const int64_t m = (l + r) / 2;
        const Point arrows[TAB_ARROWS][ARROW_POINTS] = {
            {at(m, t + e), at(m + e, t + f), at(m - e, t + f), at(m, t + e)},
            {at(m, b - e), at(m + e, b - f), at(m - e, b - f), at(m, b - e)}};
        std::copy(&arrows[0][0], &arrows[0][0] + TAB_ARROWS * ARROW_POINTS, &tab.arrows[0][0]);
        tab.arrowCount = TAB_ARROWS;
        break;
    }
    case DockSide::Right:
    case DockSide::Left: {
        const int64_t m = (t + b) / 2;
        const Point arrows[TAB_ARROWS][ARROW_POINTS] = {
            {at(l + e, m), at(l + f, m - e), at(l + f, m + e), at(l + e, m)},
            {at(r - e, m), at(r - f, m - e), at(r - f, m + e), at(r - e, m)}};
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

KeyPaint computeKeyPaint(const KeyRecord& key, const KeyQuad& panelQuad)
{
    KeyPaint paint{};
    const Scale scale = panelScale;
    const Point origin = designClientOrigin();
    paint.center =
        at(int64_t{origin.x} + scaleValue(key.centerX, scale), int64_t{origin.y} + scaleValue(key.centerY, scale));
    for (int i = 0; i < 4; ++i)
        paint.quad.corner[i] = at(int64_t{origin.x} + panelQuad.corner[i].x, int64_t{origin.y} + panelQuad.corner[i].y);
    const Point* c = paint.quad.corner;
    // An upright key's bounds are P0 and P2 as they stand, even where a negative size puts P2 above or
    // left of P0.
    paint.bounds = key.angle == 0 ? Rect{c[0].x, c[0].y, c[2].x, c[2].y} : quadBounds(paint.quad);
    paint.fill = keyFill(key.state);
    paint.largeFont = labelIsShort(key.label);

    // Offsets run along the screen's axes from the turned corner P0; the text itself turns with the
    // font. Thirds and quarters of the height truncate toward zero, negative heights included, before
    // the offset is scaled.
    const int64_t h = key.height;
    const bool shifted = key.shiftLabel[0] != 0;
    const auto add = [&paint, scale, c](const char16_t* text, int64_t dx, int64_t dy, bool largeFont, bool fnColor) {
        if (text[0] == 0)
            return;
        const Point anchor = at(int64_t{c[0].x} + scaleValue(dx, scale), int64_t{c[0].y} + scaleValue(dy, scale));
        paint.labels[paint.labelCount++] = {text, labelUnits(text), anchor, largeFont, fnColor};
    };
    if (shifted) {
        add(key.label, 4, h / 3 + 4, paint.largeFont, false);
        add(key.shiftLabel, 4, 4, paint.largeFont, false);
    } else {
        add(key.label, 10, 10, paint.largeFont, false);
    }
    add(key.fnLabel, 4, (3 * h) / 4 + 4, false, true);
    return paint;
}

KeyPaint computeKeyPaint(const KeyRecord& key)
{
    return computeKeyPaint(key, scaledKeyQuad(key, panelScale));
}

ScanFrame computeScanFrame(const KeyRecord& key, const KeyPaint& paint)
{
    const int32_t pen = scaleAtLeastOne(SCAN_FRAME_WIDTH, panelScale);
    // Half the pen on either side of its centre line, and the key's own outline outside that.
    const int64_t inset = pen / 2 + 1 + outlinePenWidth(panelScale);
    const auto inner = [inset](int16_t extent) {
        const int64_t scaled = scaleValue(extent < 0 ? -int64_t{extent} : int64_t{extent}, panelScale);
        return static_cast<int32_t>(std::max<int64_t>(0, scaled - 2 * inset));
    };
    const int32_t width = inner(key.width);
    const int32_t height = inner(key.height);
    return {width > 0 && height > 0, computeKeyQuad(paint.center.x, paint.center.y, width, height, key.angle), pen};
}
