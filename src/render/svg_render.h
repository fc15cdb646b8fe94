// The panel as an SVG picture, drawn from the same paint geometry as the keyboard's own paint pass.
#pragma once

#include <string>

#include "render/geometry.h"

// The window's client area as the paint pass would leave it in a colour style from 1 to 6 (any other
// number draws style 1), clipped to the window region: reads keyTable, panelLayout, windowSize,
// windowOrigin, clientOffset and panelScale.
std::string renderPanelSvg(int style);
// A whole screen of that size with the window shown where the fit puts it (panelPosition), the
// desktop around it in a plain colour, and what lies beyond the screen's edges cut off.
std::string renderScreenSvg(int style, Size screen);
