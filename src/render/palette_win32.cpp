// The palette's GDI objects: made once (fonts) or per colour style (brushes and pens), deleted at exit.
#include "render/palette_win32.h"

#include "render/geometry.h"
#include "render/palette.h"
#include "render/render_win32.h"
#include "render/scan_marks.h"

Palette palette = {};

namespace {

// Deletes what a field holds before storing its replacement, so that no object is ever leaked or
// a field left empty between two styles.
template <class Handle>
void replace(Handle& field, Handle replacement)
{
    if (field)
        DeleteObject(field);
    field = replacement;
}

template <class Handle>
void release(Handle& field)
{
    DeleteObject(field);
    field = nullptr;
}

} // namespace

HFONT createLabelFont(int height, int angle)
{
    return CreateFontW(height, 0, angle, angle, LABEL_FONT_WEIGHT, 0, 0, 0, LABEL_FONT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, LABEL_FONT_PITCH_AND_FAMILY,
                       reinterpret_cast<const wchar_t*>(LABEL_FONT_FACE));
}

void createFonts()
{
    replace(palette.smallFont, createLabelFont(labelFontHeight(false, panelScale), 0));
    replace(palette.largeFont, createLabelFont(labelFontHeight(true, panelScale), 0));
}

namespace {

void createPens()
{
    const int width = outlinePenWidth(panelScale);
    replace(palette.facePen, CreatePen(PS_SOLID, width, palette.faceColor));
    replace(palette.textPen, CreatePen(PS_SOLID, width, palette.textColor));
    replace(palette.scanFramePen,
            CreatePen(PS_SOLID, scaleAtLeastOne(SCAN_FRAME_WIDTH, panelScale), palette.faceColor));
}

} // namespace

void rescalePalette()
{
    createFonts();
    if (palette.facePen)
        createPens();
}

void applyColorStyle(HWND window, int style)
{
    // The menu offers only styles 1 to 6; anything else would index past the style table.
    if (!isColorStyle(style))
        return;
    const PaletteColors colors = paletteColors(style);
    palette.faceColor = colors.faceColor;
    palette.textColor = colors.textColor;
    palette.downColor = colors.downColor;
    palette.lockedColor = colors.lockedColor;
    palette.fnLabelColor = colors.fnLabelColor;

    replace(palette.faceBrush, CreateSolidBrush(palette.faceColor));
    replace(palette.textBrush, CreateSolidBrush(palette.textColor));
    replace(palette.downBrush, CreateSolidBrush(palette.downColor));
    replace(palette.lockedBrush, CreateSolidBrush(palette.lockedColor));
    createPens();

    // The new objects are on the screen before the command returns.
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void releasePalette()
{
    // Cleared as they go, so that nothing later can delete a handle that has since been reused.
    release(palette.smallFont);
    release(palette.largeFont);
    release(palette.faceBrush);
    release(palette.textBrush);
    release(palette.downBrush);
    release(palette.lockedBrush);
    release(palette.facePen);
    release(palette.textPen);
    release(palette.scanFramePen);
}
