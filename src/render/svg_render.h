// The panel as an SVG picture, drawn from the same paint geometry as the keyboard's own paint pass.
#pragma once

#include <string>

// The window's client area as the paint pass would leave it in a colour style from 1 to 6 (any other
// number draws style 1), clipped to the window region: reads keyTable, panelLayout, windowSize,
// windowOrigin and captionHeight.
std::string renderPanelSvg(int style);
