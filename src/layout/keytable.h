// The layout model: the process-wide key table and the panel's dock settings, read and written in place.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int PANEL_WIDTH = 1024;
constexpr int PANEL_HEIGHT = 600;

constexpr int LABEL_UNITS = 16; // 15 significant units and a NUL
constexpr int KEYTABLE_CAPACITY = 1024;
constexpr int MAX_KEYS = 255; // the count is one byte

enum class KeyKind : uint8_t {
    Normal = 0,   // down at the touch, up when the pen lifts
    Latching = 1, // modifier: latches, locks on a quick second tap
};

enum class KeyState : int32_t {
    Up = 0,
    Down = 1,
    Locked = 2,
};

struct KeyRecord {
    KeyKind kind;
    int16_t centerX; // panel pixels
    int16_t centerY;
    int16_t width; // before rotation
    int16_t height;
    int16_t angle; // tenths of a degree, counter-clockwise on the screen
    char16_t label[LABEL_UNITS];
    char16_t shiftLabel[LABEL_UNITS];
    char16_t fnLabel[LABEL_UNITS];
    uint8_t vk;   // sent while the Fn layer is off
    uint8_t fnVk; // sent while the Fn layer is on
    KeyState state;
    Rect bounds; // client coordinates, as last painted
};

struct KeyTable {
    uint8_t count;
    KeyRecord keys[KEYTABLE_CAPACITY];
};

enum class DockSide : int32_t {
    None = 0,
    Top = 1,
    Bottom = 2,
    Right = 3,
    Left = 4,
};

struct PanelLayout {
    DockSide dockSide;
    int32_t tabOffset;
    int32_t tabWidth;
    int32_t tabHeight;
};

constexpr PanelLayout PANEL_LAYOUT_DEFAULTS = {DockSide::Top, 500, 80, 60};

// The layout's process-wide state, put back as at start by resetLayout.
// The one key table of the process; null before start-up allocates it and after teardown frees it.
extern KeyTable* keyTable;
// The panel's dock side and tab, from a keymap's "TAG:" lines over the defaults.
extern PanelLayout panelLayout;

// Allocates the zero-filled table and points keyTable at it; null (and the table unset) when memory is short.
KeyTable* allocateKeyTable();
void freeKeyTable();
// Back to the state before a keymap is read: an empty, zero-filled key table (allocated when there
// is none), the default panel layout and the default options. False when there is no table and no memory for one.
bool resetLayout();
