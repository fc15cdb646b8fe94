// The Win32 side of geometry and painting that the window procedure calls: region, palette, paint pass.
#pragma once

#include <windows.h>

// Computes windowSize, windowOrigin and the region from panelLayout, clientOffset and panelScale and
// gives the region to the window. Does nothing for a dock side outside 0 to 4.
void applyPanelShape(HWND window);

// Creates smallFont and largeFont at panelScale; at window creation.
void createFonts();
// Makes the fonts and pens anew at panelScale, keeping the colours: after the panel is fitted anew.
void rescalePalette();
// Sets the colours of style 1 to 6, re-makes the brushes and pens, and repaints the whole window
// before it returns.
void applyColorStyle(HWND window, int style);
// Deletes the fonts, brushes and pens; at window destruction.
void releasePalette();

// The paint pass: background, dock tab, every key from the last to the first, each key's bounds.
// Leaves the device context holding the objects and modes it had.
void paintPanel(HDC dc);
