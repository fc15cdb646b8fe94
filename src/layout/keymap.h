// The keymap file: UTF-16LE key lines ("@N", "@F"), an optional "TAG:" line and "OPT:" option lines, read
// once at start-up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "layout/keytable.h"
#include "layout/options.h"

constexpr size_t KEYMAP_READ_LIMIT = 65536; // bytes; the rest of a longer file is ignored

// Converts a number field the way the C library's wcstol does in base 10: leading white space,
// one optional sign, decimal digits, saturating at the signed 32-bit limits. `end` is where the
// conversion stopped: after the last digit, or `text` itself when there is no digit. `saturated`,
// when given, tells whether the digits went beyond the range.
int32_t convertNumber(const char16_t* text, const char16_t** end, bool* saturated = nullptr);

// What the parser passes over in silence, told to an observer (the keymap checker) as it happens.
enum class KeymapNote {
    KeyAdded,            // `field` is the index of the key the line added
    KeyLineAbandoned,    // `field` is where the line stopped; `reason` why; the key was not added
    UnknownKindLetter,   // `text` is the kind field after "@"
    LabelCut,            // `field` 6 to 8; `text` is the whole field
    NumberWrapped,       // `field` 1 to 5; `value` is the converted number, stored as its low 16 bits
    NumberSaturated,     // `field`; the digits went beyond the signed 32-bit range
    UnknownName,         // `field` 9 or 10; `text` is the name as written
    KeyLimitReached,     // a key line after the 255th, ignored
    DockSideIgnored,     // `value` is the side outside 0 to 4
    PanelValueSet,       // a "TAG:" line set panel field `field` (1 dock side, 2 offset, 3 width, 4 height) to `value`
    OptionSet,           // an "OPT:" line set option `field` (its row in KEYMAP_OPTIONS) to `value`
    UnknownOption,       // `text` is the name as written, white space around it taken off; the line changes nothing
    OptionValueRejected, // option `field` does not take `text` (as written, white space around it taken off)
    OptionLimitReached,  // an "OPT:" line after the 32nd, ignored
};

enum class AbandonReason {
    NoComma,          // no comma before the line ended
    TrailingText,     // a number field held more than a number
    NoNameTerminator, // neither a comma nor a carriage return after a name
};

struct KeymapNoteInfo {
    KeymapNote note;
    size_t line; // 1-based
    int field;   // 0 kind, 1 to 5 numbers, 6 to 8 legends, 9 and 10 names; panel fields 1 to 5; an option's row
    AbandonReason reason;
    int32_t value;
    const char16_t* text;     // NUL-terminated, valid during the call only
    bool lineEndedByLineFeed; // for an abandoned line: a line feed ended it, not the data or a NUL
};

struct KeymapObserver {
    void (*note)(void* context, const KeymapNoteInfo& info);
    void* context;
};

// Parses `units` UTF-16 units in place (separators are overwritten with NULs). text[units] must be
// a NUL unit that the caller reserved, so that no search runs past the data. Fills the records of
// `table` from index 0, sets its count, sets the `panel` fields that "TAG:" lines reach and the
// `options` that valid "OPT:Name=Value" lines give (the last line of a name wins; a line with an
// unknown name or a value the option does not take changes nothing). An observer, when given, hears
// of everything the parser skips or changes.
void parseKeymap(char16_t* text, size_t units, KeyTable& table, PanelLayout& panel, KeymapOptions& options,
                 const KeymapObserver* observer = nullptr);

// Reads the file at `path` (at most KEYMAP_READ_LIMIT bytes, opened with no sharing) into keyTable,
// panelLayout and keymapOptions. False only when the file cannot be opened or read, or the read buffer cannot be
// allocated; a file that was read counts as loaded even when it defines no key.
bool loadKeymap(const char16_t* path);
