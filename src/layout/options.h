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
};

constexpr KeymapOptions KEYMAP_OPTION_DEFAULTS = {NO_TRANSPARENCY, NO_STYLE, true, PanelCut::Full, AutoShow::Off};

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
// them, or a word "word=N" that stands for N (matched ignoring case).
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
};

constexpr int MAX_OPTION_VALUES = 16;

// The values option `index` takes, in table order; returns how many (at most `capacity` are stored).
int optionValues(int index, OptionValue* values, int capacity);
// The value that `text` (white space around it already taken off) gives option `index`: a decimal
// number (an optional sign, then digits and nothing else) that the option takes, or one of its words.
// False when the option takes no such value.
bool readOptionValue(int index, const char16_t* text, int32_t* value);
