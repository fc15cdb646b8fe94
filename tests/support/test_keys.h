// Key records for tests: a shape and legends, everything else zero, as the loader would leave them.
#pragma once

#include <cstdint>
#include <string_view>

#include "layout/keytable.h"

inline KeyRecord testKey(int16_t cx, int16_t cy, int16_t width, int16_t height, int16_t angle,
                         std::u16string_view label = u"", std::u16string_view shiftLabel = u"",
                         std::u16string_view fnLabel = u"")
{
    KeyRecord key{};
    key.centerX = cx;
    key.centerY = cy;
    key.width = width;
    key.height = height;
    key.angle = angle;
    // At most 15 units, so the field keeps its NUL.
    const auto fill = [](char16_t* field, std::u16string_view text) {
        for (size_t i = 0; i < text.size() && i + 1 < LABEL_UNITS; ++i)
            field[i] = text[i];
    };
    fill(key.label, label);
    fill(key.shiftLabel, shiftLabel);
    fill(key.fnLabel, fnLabel);
    return key;
}
