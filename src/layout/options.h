// The keymap file's options ("OPT:Name=Value" lines): how the keyboard starts and behaves, beyond its keys.
#pragma once

#include <cstdint>
#include <type_traits>

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
constexpr int32_t NO_STYLE = 0;        // no option given: colour style 1, and no style item checked

struct KeymapOptions {
    int32_t transparency; // percent of one of the menu's items (10, 20, 30, 50, 80, 100), or NO_TRANSPARENCY
    int32_t style;        // colour style 1 to 6, or NO_STYLE
    bool visible;         // false: the panel starts slid away, only its tab on the screen
    PanelCut panel;
    AutoShow autoShow;
    int32_t hoverTimeMs; // how long the mouse pointer rests on a key to type it; 0: hovering types nothing
    bool scan;           // switch scanning: rows, then their keys, highlighted in turn, a switch picks
    int32_t scanTimeMs;  // how long each row or key of the scan is highlighted
    uint8_t scanKey;     // the virtual key that is the switch on a physical keyboard
};

constexpr int32_t NO_HOVER = 0;
constexpr int32_t DEFAULT_SCAN_TIME_MS = 1000;
constexpr uint8_t DEFAULT_SCAN_KEY = 0x20; // VK_SPACE

constexpr KeymapOptions KEYMAP_OPTION_DEFAULTS = {NO_TRANSPARENCY, NO_STYLE, true,  PanelCut::Full,
                                                  AutoShow::Off,   NO_HOVER, false, DEFAULT_SCAN_TIME_MS,
                                                  DEFAULT_SCAN_KEY};

// The options in effect: the defaults, then the keymap file's valid OPT: lines; the menu changes some
// of them for the run. Put back to the defaults by resetLayout.
extern KeymapOptions keymapOptions;

// At most this many OPT: lines are read; later ones are ignored.
constexpr int MAX_OPTION_LINES = 32;

// Where an option's value goes in KeymapOptions, and how it is read back.
struct OptionField {
    void (*set)(KeymapOptions& options, int32_t value);
    int32_t (*get)(const KeymapOptions& options);
};

template <auto Member>
constexpr OptionField optionField()
{
    return {[](KeymapOptions& options, int32_t value) {
                using Type = std::remove_reference_t<decltype(options.*Member)>;
                options.*Member = static_cast<Type>(value);
            },
            [](const KeymapOptions& options) { return static_cast<int32_t>(options.*Member); }};
}

// One row of the option table: adding an option is adding a row (and its field in KeymapOptions).
// `values` lists what the option takes, separated by "|": a decimal number "N", a range "N..M" of
// them, a word "word=N" that stands for N (matched ignoring case), or "VK" for the name of a key of
// a physical keyboard in the virtual-key name table (matched exactly, as key lines name keys), which
// stands for its code.
struct KeymapOption {
    const char16_t* name; // as documented; matched ignoring ASCII case
    const char16_t* values;
    OptionField field;
};

extern const KeymapOption KEYMAP_OPTIONS[];
extern const int KEYMAP_OPTION_COUNT;

// The index of the option of that name, ignoring ASCII case; -1 for none.
int findKeymapOption(const char16_t* name);

// One of the values an option takes, as its table row spells it.
struct OptionValue {
    const char16_t* word; // null for numbers; else not NUL-terminated, `wordUnits` long
    int wordUnits;
    int32_t low; // the numbers low to high, or the value the word stands for (low == high)
    int32_t high;
    bool keyName; // "VK": any key name of a physical keyboard, for codes 1 to 254 (low and high)
};

constexpr int MAX_OPTION_VALUES = 16;

// The values option `index` takes, in table order; returns how many (at most `capacity` are stored).
int optionValues(int index, OptionValue* values, int capacity);
// The value that `text` (white space around it already taken off) gives option `index`: a decimal
// number (an optional sign, then digits and nothing else) that the option takes, one of its words, or
// for "VK" the name of a keyboard key (not a mouse button nor one of the keyboard's own codes).
// False when the option takes no such value.
bool readOptionValue(int index, const char16_t* text, int32_t* value);
// Whether a virtual-key code names a key that a physical keyboard can press: not a mouse button, not
// one of the codes that act inside the keyboard only (VK_FN, VK_EXIT, VK_INDICATOR), not 0.
bool isKeyboardKeyCode(uint8_t code);
