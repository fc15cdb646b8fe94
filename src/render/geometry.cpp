// Panel shape, key corners and hit testing: the numbers every touch and every paint depend on.
#include "render/geometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "layout/keytable.h"

int32_t captionHeight = CAPTION_HEIGHT_AT_START;
Size windowSize = {0, 0};
Point windowOrigin = {0, 0};

void resetPlacement()
{
    captionHeight = CAPTION_HEIGHT_AT_START;
    windowSize = {0, 0};
    windowOrigin = {0, 0};
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

PanelShape computePanelShape(const PanelLayout& layout, int32_t caption)
{
    const int64_t ch = caption;
    const int64_t pw = PANEL_WIDTH;
    const int64_t ph = PANEL_HEIGHT;
    const int64_t o = layout.tabOffset;
    const int64_t tw = layout.tabWidth;
    const int64_t th = layout.tabHeight;
    const int64_t b = TAB_BEVEL;

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
    PanelShape shape = computePanelShape(panelLayout, captionHeight);
    if (shape.valid) {
        windowSize = shape.size;
        windowOrigin = shape.origin;
    }
    return shape;
}

Point clientToPanel(Point client)
{
    return vertex(int64_t{client.x} - windowOrigin.x, int64_t{client.y} + captionHeight - windowOrigin.y);
}

Point panelToClient(Point panel)
{
    return vertex(int64_t{panel.x} + windowOrigin.x, int64_t{panel.y} + windowOrigin.y - captionHeight);
}

KeyQuad computeKeyQuad(int32_t cx, int32_t cy, int32_t width, int32_t height, int32_t angle)
{
    const double left = -static_cast<double>(width) * 0.5;
    const double top = -static_cast<double>(height) * 0.5;
    const double right = static_cast<double>(width) * 0.5;
    const double bottom = static_cast<double>(height) * 0.5;
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
    const Point p = clientToPanel({clientX, clientY});
    const int32_t cx = key.centerX;
    const int32_t cy = key.centerY;
    if (key.angle == 0) {
        const int32_t hw = key.width / 2;
        const int32_t hh = key.height / 2;
        return cx - hw <= p.x && p.x < cx + hw && cy - hh <= p.y && p.y < cy + hh ? 1 : 0;
    }
    return quadContainsPoint(p, computeKeyQuad(cx, cy, key.width, key.height, key.angle));
}
