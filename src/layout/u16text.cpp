// Bounded UTF-16 string routines used by start-up, the keymap loader and painting.
#include "layout/u16text.h"

bool u16Length(const char16_t* text, size_t capacity, size_t* units)
{
    for (size_t i = 0; i < capacity; ++i) {
        if (text[i] == 0) {
            *units = i;
            return true;
        }
    }
    *units = 0;
    return false;
}

bool u16ByteLength(const char16_t* text, size_t capacity, size_t* bytes)
{
    size_t units = 0;
    bool found = u16Length(text, capacity, &units);
    *bytes = units * 2;
    return found;
}

TextResult u16Copy(char16_t* destination, size_t capacity, const char16_t* source)
{
    if (capacity == 0)
        return TextResult::Failed;
    size_t i = 0;
    for (; i + 1 < capacity && source[i] != 0; ++i)
        destination[i] = source[i];
    destination[i] = 0;
    return source[i] == 0 ? TextResult::Ok : TextResult::Truncated;
}

TextResult u16Append(char16_t* destination, size_t capacity, const char16_t* source)
{
    size_t used = 0;
    if (!u16Length(destination, capacity, &used))
        return TextResult::Failed;
    return u16Copy(destination + used, capacity - used, source);
}

bool u16Equal(const char16_t* a, const char16_t* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
