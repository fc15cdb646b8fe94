// The window region: the panel and the bevelled dock tab, without the class menu's strip.
#include <windows.h>

#include "render/geometry.h"
#include "render/render_win32.h"

void applyPanelShape(HWND window)
{
    const PanelShape shape = updateWindowPlacement();
    if (!shape.valid)
        return;
    POINT vertices[PANEL_REGION_MAX_VERTICES];
    for (int i = 0; i < shape.vertexCount; ++i)
        vertices[i] = {shape.vertices[i].x, shape.vertices[i].y};
    // The window owns the region from here on; if it cannot be made the window keeps its rectangle.
    HRGN region = CreatePolygonRgn(vertices, shape.vertexCount, WINDING);
    SetWindowRgn(window, region, FALSE);
}
