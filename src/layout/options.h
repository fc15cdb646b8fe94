// The keymap file's options ("OPT:Name=Value" lines): how the keyboard starts and behaves, beyond its keys.
#pragma once

#include <cstdint>

// How much of the screen the shown panel takes.
enum class PanelCut : uint8_t {
    Full = 0, // the whole design rectangle, fitted to the screen
    Keys = 1, // the keys' bounding rectangle and a margin, against the dock edge
};

// Which presses on another application's text field slide the panel into view.
enum class AutoShow : uint8_t {
    Off = 0,
    AnyPointer = 1, // a finger, a pen or the mouse
    TouchOnly = 2,  // a finger or a pen
};

constexpr int32_t NO_TRANSPARENCY = 0; // no option given: the start alpha of a run without options

struct KeymapOptions {
    int32_t transparency; // percent of one of the menu's items (10, 20, 30, 50, 80, 100), or NO_TRANSPARENCY
    int32_t style;        // colour style 1 to 6
    bool visible;         // false: the panel starts slid away, only its tab on the screen
    PanelCut panel;
    AutoShow autoShow;
};

constexpr KeymapOptions KEYMAP_OPTION_DEFAULTS = {NO_TRANSPARENCY, 1, true, PanelCut::Full, AutoShow::Off};

// The options in effect: the defaults, then the keymap file's valid OPT: lines; the menu changes some
// of them for the run. Put back to the defaults by resetLayout.
extern KeymapOptions keymapOptions;
