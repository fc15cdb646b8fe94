// The dock tab's areas: a press beyond the panel on the tab's side shows it, one beside the tab hides it.
#include "input/input.h"
#include "input/tab_area.h"
#include "layout/keytable.h"

bool findTab(TabPlace& place)
{
    const int64_t tw = panelLayout.tabWidth;
    const int64_t th = panelLayout.tabHeight;
    const int64_t quarterHeight = PANEL_HEIGHT / SLIDE_STEPS;
    const int64_t quarterWidth = PANEL_WIDTH / SLIDE_STEPS;
    switch (panelLayout.dockSide) {
    case DockSide::Top: // tab below the panel
        place = {true, +1, PANEL_HEIGHT, th, tw, quarterHeight};
        return true;
    case DockSide::Bottom: // tab above the panel, which begins below it
        place = {true, -1, th, th, tw, quarterHeight};
        return true;
    case DockSide::Right: // tab left of the panel, which begins right of it
        place = {false, -1, tw, tw, th, quarterWidth};
        return true;
    case DockSide::Left: // tab right of the panel
        place = {false, +1, PANEL_WIDTH, tw, th, quarterWidth};
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
    const int64_t offset = panelLayout.tabOffset;
    if (beyond < 0 && -beyond < tab.depth && offset < along && along < offset + tab.length)
        return TabArea::Hide;
    return TabArea::None;
}
