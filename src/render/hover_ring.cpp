// Where the hover ring is drawn on a key, shared by the GDI paint pass and the SVG pictures.
#include "render/hover_ring.h"

#include <algorithm>
#include <cmath>

#include "render/paint_geometry.h"

namespace {

// Design units, scaled with the panel.
constexpr int32_t RING_WIDTH = 5;
constexpr int32_t RING_RIM = 1;
constexpr int32_t RING_TRACK = 1;
constexpr double TWO_PI = 6.283185307179586;

} // namespace

HoverRing hoverRing = {-1, 0};

void resetHoverRing()
{
    hoverRing = {-1, 0};
}

RingPaint computeRingPaint(const KeyRecord& key, Point center, int32_t filled)
{
    RingPaint ring{};
    ring.center = center;
    ring.filled = std::clamp<int32_t>(filled, 0, RING_FULL);
    const int64_t side = std::min<int64_t>(std::max<int64_t>(key.width, 0), std::max<int64_t>(key.height, 0));
    ring.radius = scaleAtLeastOne(side * 3 / 8, panelScale);
    ring.width = scaleAtLeastOne(RING_WIDTH, panelScale);
    ring.rim = scaleAtLeastOne(RING_RIM, panelScale);
    ring.track = scaleAtLeastOne(RING_TRACK, panelScale);
    ring.angle = TWO_PI * ring.filled / RING_FULL;
    ring.end = {static_cast<int32_t>(std::lround(center.x + ring.radius * std::sin(ring.angle))),
                static_cast<int32_t>(std::lround(center.y - ring.radius * std::cos(ring.angle)))};
    // Half the widest pen beyond the middle line, and a pixel more for the rounding of thick pens.
    const int64_t reach = int64_t{ring.radius} + (ring.width + 2 * ring.rim) / 2 + 2;
    ring.bounds = {wrap32(center.x - reach), wrap32(center.y - reach), wrap32(center.x + reach + 1),
                   wrap32(center.y + reach + 1)};
    return ring;
}

RingPaint keyRingPaint(int index, int32_t filled)
{
    const KeyRecord& key = keyTable->keys[index];
    return computeRingPaint(key, computeKeyPaint(key, fittedKeyQuad(index)).center, filled);
}
