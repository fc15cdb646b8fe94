// The option table and the reading of an OPT: line's value against its row.
#include "layout/options.h"

#include "layout/keymap.h"
#include "layout/vkeynames.h"

// clang-format off
const KeymapOption KEYMAP_OPTIONS[] = {
    {u"Transparency", u"10|20|30|50|80|100", optionField<&KeymapOptions::transparency>()},
    {u"Style", u"1..6", optionField<&KeymapOptions::style>()},
    {u"Visible", u"0|1", optionField<&KeymapOptions::visible>()},
    {u"Panel", u"full=0|keys=1", optionField<&KeymapOptions::panel>()},
    {u"AutoShow", u"0|1|touch=2", optionField<&KeymapOptions::autoShow>()},
    {u"HoverTime", u"0|300..5000", optionField<&KeymapOptions::hoverTimeMs>()},
    {u"Scan", u"0|1", optionField<&KeymapOptions::scan>()},
    {u"ScanTime", u"300..5000", optionField<&KeymapOptions::scanTimeMs>()},
    {u"ScanKey", u"VK", optionField<&KeymapOptions::scanKey>()},
};
// clang-format on
const int KEYMAP_OPTION_COUNT = static_cast<int>(sizeof KEYMAP_OPTIONS / sizeof KEYMAP_OPTIONS[0]);

namespace {

char16_t lower(char16_t unit)
{
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

// Whether the first `units` units of `word` are `text`, ignoring ASCII case.
bool sameWord(const char16_t* word, int units, const char16_t* text)
{
    for (int i = 0; i < units; ++i) {
        if (text[i] == 0 || lower(word[i]) != lower(text[i]))
            return false;
    }
    return text[units] == 0;
}

int wordLength(const char16_t* text)
{
    int units = 0;
    while (text[units] != 0)
        ++units;
    return units;
}

// A whole decimal number, an optional sign and digits with nothing around them; false for anything
// else and for digits beyond the 32-bit range.
bool wholeNumber(const char16_t* text, int32_t* value)
{
    if (*text == u' ' || (*text >= u'\t' && *text <= u'\r'))
        return false;
    const char16_t* end = text;
    bool saturated = false;
    *value = convertNumber(text, &end, &saturated);
    return end != text && *end == 0 && !saturated;
}

// A number of a table row, from `at` up to `end`.
int32_t rowNumber(const char16_t* at, const char16_t* end)
{
    int32_t value = 0;
    bool negative = *at == u'-';
    for (const char16_t* unit = negative ? at + 1 : at; unit < end; ++unit)
        value = value * 10 + (*unit - u'0');
    return negative ? -value : value;
}

// One alternative of a row's values, from `at` up to `end` ("N", "N..M" or "word=N").
OptionValue parseAlternative(const char16_t* at, const char16_t* end)
{
    if (end - at == 2 && at[0] == u'V' && at[1] == u'K')
        return {nullptr, 0, 1, 254, true};
    for (const char16_t* unit = at; unit < end; ++unit) {
        if (*unit == u'=') {
            const int32_t value = rowNumber(unit + 1, end);
            return {at, static_cast<int>(unit - at), value, value, false};
        }
        if (*unit == u'.' && unit + 1 < end && unit[1] == u'.')
            return {nullptr, 0, rowNumber(at, unit), rowNumber(unit + 2, end), false};
    }
    const int32_t value = rowNumber(at, end);
    return {nullptr, 0, value, value, false};
}

} // namespace

int findKeymapOption(const char16_t* name)
{
    for (int i = 0; i < KEYMAP_OPTION_COUNT; ++i) {
        if (sameWord(KEYMAP_OPTIONS[i].name, wordLength(KEYMAP_OPTIONS[i].name), name))
            return i;
    }
    return -1;
}

int optionValues(int index, OptionValue* values, int capacity)
{
    int count = 0;
    const char16_t* at = KEYMAP_OPTIONS[index].values;
    while (*at != 0) {
        const char16_t* end = at;
        while (*end != 0 && *end != u'|')
            ++end;
        if (count < capacity)
            values[count] = parseAlternative(at, end);
        ++count;
        at = *end == u'|' ? end + 1 : end;
    }
    return count;
}

bool readOptionValue(int index, const char16_t* text, int32_t* value)
{
    OptionValue values[MAX_OPTION_VALUES];
    const int count = optionValues(index, values, MAX_OPTION_VALUES);
    int32_t number = 0;
    const bool isNumber = wholeNumber(text, &number);
    for (int i = 0; i < count && i < MAX_OPTION_VALUES; ++i) {
        const OptionValue& accepted = values[i];
        if (accepted.keyName) {
            const uint8_t code = findVirtualKey(text);
            if (isKeyboardKeyCode(code)) {
                *value = code;
                return true;
            }
            continue;
        }
        const bool match = accepted.word ? sameWord(accepted.word, accepted.wordUnits, text)
                                         : isNumber && accepted.low <= number && number <= accepted.high;
        if (match) {
            *value = accepted.word ? accepted.low : number;
            return true;
        }
    }
    return false;
}

bool isKeyboardKeyCode(uint8_t code)
{
    const bool mouseButton = code == 0x01 || code == 0x02 || (code >= 0x04 && code <= 0x06);
    return code != 0 && !mouseButton && code != VK_FN && code != VK_EXIT && code != VK_INDICATOR;
}
