// The process-wide drawing objects of painting: colours, brushes, pens and the two label fonts.
#pragma once

#include <windows.h>

struct Palette {
    COLORREF faceColor;
    COLORREF textColor;
    COLORREF downColor;
    COLORREF lockedColor;
    COLORREF fnLabelColor;
    HBRUSH faceBrush;
    HBRUSH textBrush;
    HBRUSH downBrush;
    HBRUSH lockedBrush;
    HPEN facePen;
    HPEN textPen;
    HPEN scanFramePen; // the frame of the key the scan's switch would type
    HFONT smallFont;
    HFONT largeFont;
};

// Owned here for the whole run; painting only selects its objects for the length of a pass.
extern Palette palette;

// A bold "MS UI GOTHIC" label font of the given cell height whose text runs at `angle` (tenths of
// a degree, counter-clockwise). The caller owns it.
HFONT createLabelFont(int height, int angle);
