// Bounded UTF-16 string routines: each takes a capacity in units and never writes past it.
#pragma once

#include <cstddef>
#include <string>

enum class TextResult {
    Ok,        // done in full
    Truncated, // the destination was too small: the text was cut and terminated
    Failed,    // nothing usable: no capacity, or no terminator within it
};

// Units before the first NUL among the first `capacity` units; fails when there is no NUL there.
bool u16Length(const char16_t* text, size_t capacity, size_t* units);
// The same length in bytes (twice the units).
bool u16ByteLength(const char16_t* text, size_t capacity, size_t* bytes);
// Copies `source` up to its NUL into `capacity` units; a source of `capacity` units or more is cut
// to capacity - 1 units. The destination is always terminated unless capacity is 0 (Failed).
TextResult u16Copy(char16_t* destination, size_t capacity, const char16_t* source);
// Appends `source` to the text already in `destination` by the copy rule; Failed, with nothing
// written, when `destination` holds no NUL within `capacity`.
TextResult u16Append(char16_t* destination, size_t capacity, const char16_t* source);
// True when the two NUL-terminated texts are equal unit for unit.
bool u16Equal(const char16_t* a, const char16_t* b);

// Conversions between UTF-8 and UTF-16 for tools and file names; malformed input is converted
// as far as it goes, never rejected.
std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);
// Appends one code point in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);
// The code point of the text that starts at `units`, of which `available` units may be read, and in
// `length` how many units it takes: 2 for a surrogate pair, else 1 (a lone surrogate stands for itself).
char32_t decodeUtf16(const char16_t* units, size_t available, int* length);
