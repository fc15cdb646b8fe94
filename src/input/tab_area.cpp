// The dock tab's areas: a press beyond the panel on the tab's side shows it, one beside the tab hides it.
#include "input/input.h"
#include "input/tab_area.h"
#include "layout/keytable.h"
#include "render/geometry.h"

bool findTab(TabPlace& place)
{
    const PanelLayout tab = scaledPanelLayout(tabAlongArea(panelLayout, panelArea), panelScale);
    const Size panel = scaledPanelSize(panelScale, panelArea);
    const int64_t o = tab.tabOffset;
    const int64_t tw = tab.tabWidth;
    const int64_t th = tab.tabHeight;
    const int64_t pw = panel.width;
    const int64_t ph = panel.height;
    switch (panelLayout.dockSide) {
    case DockSide::Top: // tab below the panel
        place = {true, +1, ph, th, o, tw, ph};
        return true;
    case DockSide::Bottom: // tab above the panel, which begins below it
        place = {true, -1, th, th, o, tw, ph};
        return true;
    case DockSide::Right: // tab left of the panel, which begins right of it
        place = {false, -1, tw, tw, o, th, pw};
        return true;
    case DockSide::Left: // tab right of the panel
        place = {false, +1, pw, tw, o, th, pw};
        return true;
    default: return false;
    }
}

TabArea tabAreaAt(int32_t x, int32_t y)
{
    TabPlace tab{};
    if (!findTab(tab))
        return TabArea::None;
    const int64_t across = tab.acrossIsY ? y : x;
    const int64_t along = tab.acrossIsY ? x : y;
    // How far beyond the panel's edge the press lies, toward the tab; every bound is strict, so a
    // press on the edge itself or on a side of the hide area goes on to the keys.
    const int64_t beyond = (across - tab.edge) * tab.outward;
    // Only the outer tab lies beyond the panel on that side, so its position along is not asked.
    if (beyond > 0)
        return TabArea::Show;
    if (beyond < 0 && -beyond < tab.depth && tab.offset < along && along < tab.offset + tab.length)
        return TabArea::Hide;
    return TabArea::None;
}
