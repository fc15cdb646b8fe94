// Where the dock tab lies for each dock side, and which of its areas a client point is in.
#pragma once

#include <cstdint>

// The tab of a dock side in client coordinates, at panelScale. "Across" is the coordinate that crosses
// the panel's edge at the tab (y for Top and Bottom, x for Right and Left), "along" the one that runs
// beside it.
struct TabPlace {
    bool acrossIsY;
    int64_t outward; // +1 when the tab lies at larger across values than the panel, else -1
    int64_t edge;    // across value of the panel's edge under the tab
    int64_t depth;   // the tab's extent across the edge, and the depth of the hide area
    int64_t offset;  // where the tab begins along the edge
    int64_t length;  // the tab's extent along the edge
    int64_t panel;   // the panel's extent across: a slide moves it by quarters of this
};

// The tab of the current dock side; false for DockSide::None, which has no tab.
bool findTab(TabPlace& place);
