// The rows of switch scanning: which keys the switch can reach, grouped by their centres in reading order.
#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "input/scan.h"
#include "render/geometry.h"

namespace {

constexpr uint8_t VK_SHIFT_ANY = 0x10;
constexpr uint8_t VK_CONTROL_ANY = 0x11;
constexpr uint8_t VK_MENU_ANY = 0x12;
constexpr uint8_t VK_LSHIFT_CODE = 0xA0;

// A key the switch can reach: its centre is on the shown part of the design, and the key is the one a
// tap on that centre presses.
bool reachable(int index)
{
    const KeyRecord& key = keyTable->keys[index];
    const Rect& area = panelArea.rect;
    if (key.centerX < area.left || key.centerX >= area.right || key.centerY < area.top || key.centerY >= area.bottom)
        return false;
    const Point centre = panelToClient({key.centerX, key.centerY});
    const int hit = fittedKeyAt(centre.x, centre.y);
    return hit < 0 || hit >= index;
}

// Keys in the order of their centres, top to bottom and then left to right, or with `across` left to
// right and then top to bottom; the table's order breaks ties.
template <bool across>
bool centreBefore(int a, int b)
{
    const KeyRecord& ka = keyTable->keys[a];
    const KeyRecord& kb = keyTable->keys[b];
    const auto order = [](const KeyRecord& key, int index) {
        return across ? std::tuple{key.centerX, key.centerY, index} : std::tuple{key.centerY, key.centerX, index};
    };
    return order(ka, a) < order(kb, b);
}

int32_t medianHeight(const ScanRows& rows)
{
    int32_t heights[MAX_KEYS];
    for (int i = 0; i < rows.keyCount; ++i)
        heights[i] = std::abs(int32_t{keyTable->keys[rows.order[i]].height});
    std::sort(heights, heights + rows.keyCount);
    return heights[rows.keyCount / 2];
}

} // namespace

void computeScanRows(ScanRows& rows)
{
    rows.count = 0;
    rows.keyCount = 0;
    rows.start[0] = 0;
    for (int i = 0; keyTable && i < keyTable->count; ++i) {
        if (reachable(i))
            rows.order[rows.keyCount++] = i;
    }
    if (rows.keyCount == 0)
        return;
    int* const first = rows.order;
    std::sort(first, first + rows.keyCount, centreBefore<false>);
    const int32_t median = medianHeight(rows);
    for (int begin = 0; begin < rows.keyCount;) {
        const int32_t top = keyTable->keys[rows.order[begin]].centerY;
        int end = begin + 1;
        while (end < rows.keyCount && 2 * (int32_t{keyTable->keys[rows.order[end]].centerY} - top) < median)
            ++end;
        std::sort(first + begin, first + end, centreBefore<true>);
        rows.start[++rows.count] = end;
        begin = end;
    }
}

bool isScanKey(uint8_t scanKey, uint32_t virtualKey)
{
    if (virtualKey == scanKey)
        return true;
    // VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU in pairs from 0xA0.
    const bool generic = scanKey == VK_SHIFT_ANY || scanKey == VK_CONTROL_ANY || scanKey == VK_MENU_ANY;
    const uint32_t left = VK_LSHIFT_CODE + 2u * (scanKey - VK_SHIFT_ANY);
    return generic && (virtualKey == left || virtualKey == left + 1);
}
