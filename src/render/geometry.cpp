// Panel shape, key corners and hit testing: the numbers every touch and every paint depend on.
#include "render/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <numeric>
#include <numbers>

#include "layout/keytable.h"

int32_t clientOffset = CLIENT_OFFSET_AT_START;
Size windowSize = {0, 0};
Point windowOrigin = {0, 0};
Scale panelScale = UNIT_SCALE;
Point panelPosition = {0, 0};
PanelArea panelArea = FULL_PANEL_AREA;
FittedQuad* fittedQuads = nullptr;

void resetPlacement()
{
    clientOffset = CLIENT_OFFSET_AT_START;
    windowSize = {0, 0};
    windowOrigin = {0, 0};
    panelScale = UNIT_SCALE;
    panelPosition = {0, 0};
    panelArea = FULL_PANEL_AREA;
    std::free(fittedQuads);
    fittedQuads = nullptr;
}

namespace {

int32_t truncate(double value)
{
    return static_cast<int32_t>(value);
}

// A vertex from sums formed in 64 bits.
Point vertex(int64_t x, int64_t y)
{
    return {wrap32(x), wrap32(y)};
}

template <size_t N>
void setVertices(PanelShape& shape, const Point (&points)[N])
{
    shape.vertexCount = static_cast<int>(N);
    std::copy(std::begin(points), std::end(points), shape.vertices);
}

} // namespace

Size scaledPanelSize(Scale scale, const PanelArea& area)
{
    return {scaleValue(int64_t{area.rect.right} - area.rect.left, scale),
            scaleValue(int64_t{area.rect.bottom} - area.rect.top, scale)};
}

PanelLayout scaledPanelLayout(const PanelLayout& layout, Scale scale)
{
    return {layout.dockSide, scaleValue(layout.tabOffset, scale), scaleValue(layout.tabWidth, scale),
            scaleValue(layout.tabHeight, scale)};
}

namespace {

// Whether the tab runs along x (docked at the top or bottom) or along y (at a side); false without a tab.
bool tabRunsAlongX(DockSide side)
{
    return side == DockSide::Top || side == DockSide::Bottom;
}

bool tabRunsAlongY(DockSide side)
{
    return side == DockSide::Right || side == DockSide::Left;
}

// The interval [*start, *end) grown evenly to `length` and moved, if it must, to lie within [0, limit).
void widenWithin(int32_t* start, int32_t* end, int64_t length, int32_t limit)
{
    length = std::min<int64_t>(length, limit);
    if (*end - *start >= length)
        return;
    int64_t from = *start - (length - (*end - *start)) / 2;
    from = std::clamp<int64_t>(from, 0, limit - length);
    *start = static_cast<int32_t>(from);
    *end = static_cast<int32_t>(from + length);
}

} // namespace

PanelArea computePanelArea(const KeyTable* table, const PanelLayout& layout, PanelCut cut)
{
    if (cut != PanelCut::Keys || !table || table->count == 0)
        return FULL_PANEL_AREA;
    // Keys are 16-bit numbers, so their corners and the margin stay far inside 32 bits.
    Rect box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int i = 0; i < table->count; ++i) {
        const KeyRecord& key = table->keys[i];
        const Rect corners = quadBounds(computeKeyQuad(key.centerX, key.centerY, key.width, key.height, key.angle));
        box = {std::min(box.left, corners.left), std::min(box.top, corners.top), std::max(box.right, corners.right),
               std::max(box.bottom, corners.bottom)};
    }
    PanelArea area = {PanelCut::Keys,
                      {std::max(box.left - PANEL_KEY_MARGIN, 0), std::max(box.top - PANEL_KEY_MARGIN, 0),
                       std::min(box.right + PANEL_KEY_MARGIN, PANEL_WIDTH),
                       std::min(box.bottom + PANEL_KEY_MARGIN, PANEL_HEIGHT)}};
    // Keys wholly off the design leave nothing of it to show.
    if (area.rect.right <= area.rect.left || area.rect.bottom <= area.rect.top)
        return FULL_PANEL_AREA;
    if (tabRunsAlongX(layout.dockSide))
        widenWithin(&area.rect.left, &area.rect.right, layout.tabWidth, PANEL_WIDTH);
    else if (tabRunsAlongY(layout.dockSide))
        widenWithin(&area.rect.top, &area.rect.bottom, layout.tabHeight, PANEL_HEIGHT);
    return area;
}

PanelLayout tabAlongArea(const PanelLayout& layout, const PanelArea& area)
{
    const bool alongX = tabRunsAlongX(layout.dockSide);
    if (area.cut != PanelCut::Keys || (!alongX && !tabRunsAlongY(layout.dockSide)))
        return layout;
    const int64_t start = alongX ? area.rect.left : area.rect.top;
    const int64_t length =
        alongX ? int64_t{area.rect.right} - area.rect.left : int64_t{area.rect.bottom} - area.rect.top;
    const int64_t tabLength = std::max(alongX ? layout.tabWidth : layout.tabHeight, 0);
    PanelLayout along = layout;
    along.tabOffset =
        static_cast<int32_t>(std::max<int64_t>(std::min(layout.tabOffset - start, length - tabLength), 0));
    return along;
}

PanelShape computePanelShape(const PanelLayout& layout, int32_t offset, Scale scale, const PanelArea& area)
{
    const Size panel = scaledPanelSize(scale, area);
    const PanelLayout tab = scaledPanelLayout(tabAlongArea(layout, area), scale);
    const int64_t ch = offset;
    const int64_t pw = panel.width;
    const int64_t ph = panel.height;
    const int64_t o = tab.tabOffset;
    const int64_t tw = tab.tabWidth;
    const int64_t th = tab.tabHeight;
    const int64_t b = scaleAtLeastOne(TAB_BEVEL, scale);

    PanelShape shape{};
    shape.valid = true;
    switch (layout.dockSide) {
    case DockSide::None:
        shape.size = {wrap32(pw), wrap32(ph)};
        shape.origin = {0, 0};
        setVertices(shape, {vertex(0, 0), vertex(0, ph), vertex(pw, ph), vertex(pw, 0)});
        break;
    case DockSide::Top:
        shape.size = {wrap32(pw), wrap32(ch + ph + th)};
        shape.origin = vertex(0, ch);
        setVertices(shape,
                    {vertex(0, ch), vertex(pw, ch), vertex(pw, ch + ph), vertex(o + tw, ch + ph),
                     vertex(o + tw, ch + ph + th - b), vertex(o + tw - b, ch + ph + th), vertex(o + b, ch + ph + th),
                     vertex(o, ch + ph + th - b), vertex(o, ch + ph), vertex(0, ch + ph), vertex(0, ch)});
        break;
    case DockSide::Bottom:
        shape.size = {wrap32(pw), wrap32(ch + th + ph)};
        shape.origin = vertex(0, ch + th);
        setVertices(shape,
                    {vertex(0, ch + th), vertex(o, ch + th), vertex(o, ch + b), vertex(o + b, ch),
                     vertex(o + tw - b, ch), vertex(o + tw, ch + b), vertex(o + tw, ch + th), vertex(pw, ch + th),
                     vertex(pw, ch + th + ph), vertex(0, ch + th + ph), vertex(0, ch + th)});
        break;
    case DockSide::Right:
        shape.size = {wrap32(tw + pw), wrap32(ch + ph)};
        shape.origin = vertex(tw, ch);
        setVertices(shape, {vertex(tw, ch), vertex(tw + pw, ch), vertex(tw + pw, ch + ph), vertex(tw, ch + ph),
                            vertex(tw, ch + o + th), vertex(b, ch + o + th), vertex(0, ch + o + th - b),
                            vertex(0, ch + o + b), vertex(b, ch + o), vertex(tw, ch + o), vertex(tw, ch)});
        break;
    case DockSide::Left:
        shape.size = {wrap32(tw + pw), wrap32(ch + ph)};
        shape.origin = vertex(0, ch);
        setVertices(shape,
                    {vertex(0, ch), vertex(pw, ch), vertex(pw, ch + o), vertex(tw + pw - b, ch + o),
                     vertex(tw + pw, ch + o + b), vertex(tw + pw, ch + o + th - b), vertex(tw + pw - b, ch + o + th),
                     vertex(pw, ch + o + th), vertex(pw, ch + ph), vertex(0, ch + ph), vertex(0, ch)});
        break;
    default: shape.valid = false; break;
    }
    return shape;
}

PanelShape updateWindowPlacement()
{
    panelArea = computePanelArea(keyTable, panelLayout, keymapOptions.panel);
    PanelShape shape = computePanelShape(panelLayout, clientOffset, panelScale, panelArea);
    if (shape.valid) {
        windowSize = shape.size;
        windowOrigin = shape.origin;
    }
    return shape;
}

Scale fitScale(Size screen)
{
    // Whichever side of the screen is the tighter fit sets the scale: W / 1024 when W * 600 <= H * 1024.
    const bool byWidth = int64_t{screen.width} * PANEL_HEIGHT <= int64_t{screen.height} * PANEL_WIDTH;
    const Scale scale = byWidth ? Scale{screen.width, PANEL_WIDTH} : Scale{screen.height, PANEL_HEIGHT};
    const int32_t common = std::gcd(scale.numerator, scale.denominator);
    return {scale.numerator / common, scale.denominator / common};
}

namespace {

// The scale of a panel cut to its keys on a screen: as long as the docked edge allows, at most 45% of
// the other side deep, at most 3. A dock side without an edge takes the full panel's.
Scale cutFitScale(Size screen, const PanelArea& area, DockSide side)
{
    const bool alongX = tabRunsAlongX(side);
    if (!alongX && !tabRunsAlongY(side))
        return fitScale(screen);
    const int32_t width = area.rect.right - area.rect.left;
    const int32_t height = area.rect.bottom - area.rect.top;
    const Scale candidates[] = {
        alongX ? Scale{screen.width, width} : Scale{screen.height, height},
        alongX ? Scale{45 * screen.height, 100 * height} : Scale{45 * screen.width, 100 * width}, Scale{3, 1}};
    Scale scale = candidates[0];
    for (const Scale& candidate : candidates) {
        if (int64_t{candidate.numerator} * scale.denominator < int64_t{scale.numerator} * candidate.denominator)
            scale = candidate;
    }
    const int32_t common = std::gcd(scale.numerator, scale.denominator);
    return {scale.numerator / common, scale.denominator / common};
}

} // namespace

bool computePanelFit(Rect screen, const PanelLayout& layout, int32_t offset, PanelFit* fit, const PanelArea& area)
{
    const int64_t width = std::min<int64_t>(int64_t{screen.right} - screen.left, SCREEN_SIDE_LIMIT);
    const int64_t height = std::min<int64_t>(int64_t{screen.bottom} - screen.top, SCREEN_SIDE_LIMIT);
    if (width <= 0 || height <= 0)
        return false;
    const Size side = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    const bool cut = area.cut == PanelCut::Keys;
    PanelFit result{};
    result.scale = cut ? cutFitScale(side, area, layout.dockSide) : fitScale(side);
    result.panel = scaledPanelSize(result.scale, area);
    result.shape = computePanelShape(layout, offset, result.scale, area);
    result.tab = scaledPanelLayout(tabAlongArea(layout, area), result.scale);
    // The scale lets the panel fill the screen on one side at least, or less than that, so neither
    // spare is negative.
    const int64_t spareX = width - result.panel.width;
    const int64_t spareY = height - result.panel.height;
    int64_t x = spareX / 2;
    int64_t y = spareY / 2;
    switch (layout.dockSide) {
    case DockSide::None:
        if (cut) {
            // Where the full panel would show this part of the design.
            const Size full = scaledPanelSize(result.scale);
            x = (width - full.width) / 2 + scaleValue(area.rect.left, result.scale);
            y = (height - full.height) / 2 + scaleValue(area.rect.top, result.scale);
        }
        break;
    case DockSide::Top: y = 0; break;
    case DockSide::Bottom: y = spareY; break;
    case DockSide::Right: x = spareX; break;
    case DockSide::Left: x = 0; break;
    default:
        x = 0;
        y = 0;
        break;
    }
    result.panelPosition = vertex(screen.left + x, screen.top + y);
    *fit = result;
    return true;
}

bool fitPanelToScreen(Rect screen)
{
    PanelFit fit{};
    const PanelArea area = computePanelArea(keyTable, panelLayout, keymapOptions.panel);
    if (!computePanelFit(screen, panelLayout, clientOffset, &fit, area))
        return false;
    panelArea = area;
    panelScale = fit.scale;
    panelPosition = fit.panelPosition;
    if (fit.shape.valid) {
        windowSize = fit.shape.size;
        windowOrigin = fit.shape.origin;
    }
    for (int i = 0; keyTable && i < keyTable->count; ++i)
        fittedKeyQuad(i);
    return true;
}

Point shownWindowPosition()
{
    return vertex(int64_t{panelPosition.x} - windowOrigin.x, int64_t{panelPosition.y} - windowOrigin.y);
}

Point panelClientOrigin()
{
    return vertex(windowOrigin.x, int64_t{windowOrigin.y} - clientOffset);
}

Point designClientOrigin()
{
    const Point panel = panelClientOrigin();
    return vertex(int64_t{panel.x} - scaleValue(panelArea.rect.left, panelScale),
                  int64_t{panel.y} - scaleValue(panelArea.rect.top, panelScale));
}

Point clientToPanel(Point client)
{
    // The inverse scale takes a client pixel to the nearest design point; exact at the unit scale.
    const Point origin = designClientOrigin();
    const Scale inverse = {panelScale.denominator, panelScale.numerator};
    return {scaleValue(int64_t{client.x} - origin.x, inverse), scaleValue(int64_t{client.y} - origin.y, inverse)};
}

Point panelToClient(Point panel)
{
    const Point origin = designClientOrigin();
    return vertex(int64_t{origin.x} + scaleValue(panel.x, panelScale),
                  int64_t{origin.y} + scaleValue(panel.y, panelScale));
}

namespace {

// Corners from a centre and half extents (negative for a negative size), upright or turned.
KeyQuad quadAround(int32_t cx, int32_t cy, double halfWidth, double halfHeight, int32_t angle)
{
    const double left = -halfWidth;
    const double top = -halfHeight;
    const double right = halfWidth;
    const double bottom = halfHeight;
    const double offsets[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};

    KeyQuad quad{};
    if (angle == 0) {
        for (int i = 0; i < 4; ++i)
            quad.corner[i] = vertex(int64_t{cx} + truncate(offsets[i][0]), int64_t{cy} + truncate(offsets[i][1]));
        return quad;
    }
    // Positive angles turn counter-clockwise on a screen whose y grows downwards. Every step is a
    // named double so that it is rounded where the corner rule says, on x87 builds as well.
    const double product = static_cast<double>(angle) * -std::numbers::pi;
    const double theta = product / 1800.0;
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    for (int i = 0; i < 4; ++i) {
        const double u = offsets[i][0];
        const double v = offsets[i][1];
        // Each product is rounded on its own (no fused multiply-add), and the offset is truncated
        // before the centre is added, pulling every corner toward the centre.
        const double su = cs * u;
        const double sv = sn * v;
        const double tu = sn * u;
        const double tv = cs * v;
        const double dx = su - sv;
        const double dy = tu + tv;
        quad.corner[i] = vertex(int64_t{cx} + truncate(dx), int64_t{cy} + truncate(dy));
    }
    return quad;
}

// A client point relative to the design's origin, in screen pixels.
Point clientToScreenPanel(int32_t clientX, int32_t clientY)
{
    const Point origin = designClientOrigin();
    return vertex(int64_t{clientX} - origin.x, int64_t{clientY} - origin.y);
}

// An upright key holds its left column and top row and not its right column and bottom row; a turned
// one is asked by the crossing count.
int quadHolds(const KeyQuad& quad, bool upright, Point p)
{
    if (!upright)
        return quadContainsPoint(p, quad);
    const Point& first = quad.corner[0];
    const Point& third = quad.corner[2];
    return first.x <= p.x && p.x < third.x && first.y <= p.y && p.y < third.y ? 1 : 0;
}

} // namespace

KeyQuad computeKeyQuad(int32_t cx, int32_t cy, int32_t width, int32_t height, int32_t angle)
{
    return quadAround(cx, cy, static_cast<double>(width) * 0.5, static_cast<double>(height) * 0.5, angle);
}

KeyQuad scaledKeyQuad(const KeyRecord& key, Scale scale)
{
    // w * n / (2 d): the product is exact in a double and the quotient rounded once, so at the unit
    // scale it is exactly half the size, as computeKeyQuad takes it.
    const double twiceDenominator = 2.0 * scale.denominator;
    const double halfWidth = static_cast<double>(int64_t{key.width} * scale.numerator) / twiceDenominator;
    const double halfHeight = static_cast<double>(int64_t{key.height} * scale.numerator) / twiceDenominator;
    return quadAround(scaleValue(key.centerX, scale), scaleValue(key.centerY, scale), halfWidth, halfHeight, key.angle);
}

KeyQuad fittedKeyQuad(int index)
{
    const KeyRecord& key = keyTable->keys[index];
    if (!fittedQuads)
        fittedQuads = static_cast<FittedQuad*>(std::calloc(MAX_KEYS, sizeof(FittedQuad)));
    if (!fittedQuads)
        return scaledKeyQuad(key, panelScale);
    FittedQuad& fitted = fittedQuads[index];
    // Made again only when the fit or the key has changed since: a key table filled or replaced after
    // the fit gets its corners at the first press or paint that asks.
    if (!fitted.made || !(fitted.scale == panelScale) || fitted.centerX != key.centerX ||
        fitted.centerY != key.centerY || fitted.width != key.width || fitted.height != key.height ||
        fitted.angle != key.angle)
        fitted = {true,      panelScale, key.centerX, key.centerY,
                  key.width, key.height, key.angle,   scaledKeyQuad(key, panelScale)};
    return fitted.quad;
}

Rect quadBounds(const KeyQuad& quad)
{
    Rect box = {quad.corner[0].x, quad.corner[0].y, quad.corner[0].x, quad.corner[0].y};
    for (const Point& c : quad.corner) {
        box.left = std::min(box.left, c.x);
        box.top = std::min(box.top, c.y);
        box.right = std::max(box.right, c.x);
        box.bottom = std::max(box.bottom, c.y);
    }
    return box;
}

int turnDirection(Point p, Point a, Point b)
{
    const int64_t ax = int64_t{a.x} - b.x;
    const int64_t ay = int64_t{a.y} - b.y;
    const int64_t px = int64_t{p.x} - a.x;
    const int64_t py = int64_t{p.y} - a.y;
    if (py * ax > px * ay)
        return 1;
    if (py * ax < px * ay)
        return -1;
    if (px * ax < 0 || py * ay < 0)
        return -1;
    if (ax * ax + ay * ay >= px * px + py * py)
        return 0;
    return -1;
}

int quadContainsPoint(Point point, const KeyQuad& quad)
{
    // The count is right only from a point outside the quad. A quad whose bounding box takes in
    // (-1000, -1000) counts from a point beyond that box instead, so that no key answers the wrong
    // way round. The step is not diagonal, so that a quad collapsed onto a 45-degree line through
    // its box's corner never has the far point on its own line.
    Point far = HIT_FAR_POINT;
    const Rect box = quadBounds(quad);
    if (far.x >= box.left && far.x <= box.right && far.y >= box.top && far.y <= box.bottom)
        far = vertex(int64_t{box.left} - 1000, int64_t{box.top} - 999);

    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const Point& prev = quad.corner[(i + 3) % 4];
        const Point& cur = quad.corner[i];
        if (turnDirection(point, cur, prev) * turnDirection(far, cur, prev) > 0)
            continue;
        if (turnDirection(prev, far, point) * turnDirection(cur, far, point) > 0)
            continue;
        ++count;
    }
    return count % 2;
}

int keyContainsPoint(const KeyRecord& key, int32_t clientX, int32_t clientY)
{
    return quadHolds(scaledKeyQuad(key, panelScale), key.angle == 0, clientToScreenPanel(clientX, clientY));
}

int fittedKeyContainsPoint(int index, int32_t clientX, int32_t clientY)
{
    return quadHolds(fittedKeyQuad(index), keyTable->keys[index].angle == 0, clientToScreenPanel(clientX, clientY));
}

int fittedKeyAt(int32_t clientX, int32_t clientY)
{
    for (int i = 0; keyTable && i < keyTable->count; ++i) {
        if (fittedKeyContainsPoint(i, clientX, clientY))
            return i;
    }
    return -1;
}
