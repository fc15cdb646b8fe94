// The colours of painting: the six colour styles, the fixed state and legend colours, the label fonts.
#pragma once

#include <cstdint>

#include "render/geometry.h"

// Colours are COLORREF values, 0x00BBGGRR: red in the low byte.
using ColorRef = uint32_t;

constexpr int COLOR_STYLE_COUNT = 6;

struct ColorStyle {
    ColorRef faceColor; // Up keys, every outline, the tab shape
    ColorRef textColor; // label and shiftLabel, the background, the tab arrows
};

// Styles 1 to 6, at index style - 1. Styles 4 to 6 are 1 to 3 with the two colours exchanged.
constexpr ColorStyle COLOR_STYLES[COLOR_STYLE_COUNT] = {
    {0xC0C0C0, 0xFFFFFF}, {0x808080, 0xFFFFFF}, {0x000000, 0xFFFFFF},
    {0xFFFFFF, 0xC0C0C0}, {0xFFFFFF, 0x808080}, {0xFFFFFF, 0x000000},
};

// The same in every style.
constexpr ColorRef DOWN_COLOR = 0xFFFFCC;     // (204, 255, 255), fill of Down keys
constexpr ColorRef LOCKED_COLOR = 0xCCCCFF;   // (255, 204, 204), fill of Locked keys
constexpr ColorRef FN_LABEL_COLOR = 0xC0FFC0; // (192, 255, 192), text of fnLabel

// Every colour painting uses.
struct PaletteColors {
    ColorRef faceColor;
    ColorRef textColor;
    ColorRef downColor;
    ColorRef lockedColor;
    ColorRef fnLabelColor;
};

constexpr bool isColorStyle(int style)
{
    return style >= 1 && style <= COLOR_STYLE_COUNT;
}

// The colours of a style from 1 to 6.
constexpr PaletteColors paletteColors(int style)
{
    const ColorStyle& row = COLOR_STYLES[style - 1];
    return {row.faceColor, row.textColor, DOWN_COLOR, LOCKED_COLOR, FN_LABEL_COLOR};
}

// The two label fonts differ only in their cell height (pixels); both are bold "MS UI GOTHIC" in
// the Shift-JIS character set, variable pitch, roman family.
constexpr int SMALL_FONT_HEIGHT = 16;
constexpr int LARGE_FONT_HEIGHT = 25;
constexpr int LABEL_FONT_WEIGHT = 700;
constexpr int LABEL_FONT_CHARSET = 128;
constexpr int LABEL_FONT_PITCH_AND_FAMILY = 0x12;
constexpr char16_t LABEL_FONT_FACE[] = u"MS UI GOTHIC";

// The label fonts' cell heights at a scale, a pixel at least: small legends stay legible down to
// about 6 pixels and are still drawn below that.
constexpr int32_t labelFontHeight(bool large, Scale scale)
{
    return scaleAtLeastOne(large ? LARGE_FONT_HEIGHT : SMALL_FONT_HEIGHT, scale);
}

// The width of the outline pens at a scale: 0, the system's one-pixel pen, until the scale rounds to
// 2 or more.
constexpr int32_t outlinePenWidth(Scale scale)
{
    const int32_t width = scaleValue(1, scale);
    return width > 1 ? width : 0;
}
