// The keymap loader: a lenient in-place parser that uses every line as far as it goes and never complains.
#include "layout/keymap.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "layout/u16text.h"
#include "layout/vkeynames.h"
#include "layout/keytable.h"

static_assert(std::endian::native == std::endian::little, "keymap files are read as little-endian units");

namespace {

bool isWhiteSpace(char16_t unit)
{
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

bool isDigit(char16_t unit)
{
    return unit >= u'0' && unit <= u'9';
}

// The first `unit` at or after `text`, stopping at the first NUL (which may be a separator
// overwritten earlier on the same line).
char16_t* findUnit(char16_t* text, char16_t unit)
{
    for (; *text != 0; ++text) {
        if (*text == unit)
            return text;
    }
    return nullptr;
}

// The line being parsed, for telling an observer where things happened.
struct LineContext {
    const KeymapObserver* observer;
    size_t line;
    bool endedByLineFeed;
};

void tell(const LineContext& context, KeymapNote note, int field, int32_t value = 0, const char16_t* text = nullptr,
          AbandonReason reason = AbandonReason::NoComma)
{
    if (context.observer)
        context.observer->note(context.observer->context,
                               {note, context.line, field, reason, value, text, context.endedByLineFeed});
}

bool abandon(const LineContext& context, int field, AbandonReason reason)
{
    tell(context, KeymapNote::KeyLineAbandoned, field, 0, nullptr, reason);
    return false;
}

// Cuts the field that starts at `field` at its comma and converts it. Returns where scanning resumes
// (one unit after the conversion stopped), or null when no comma ends the field. `trailing` tells
// whether anything but the number stood in the field, which ends the line after it.
char16_t* takeNumber(char16_t* field, int32_t* value, bool* trailing, bool* saturated)
{
    char16_t* comma = findUnit(field, u',');
    if (!comma)
        return nullptr;
    *comma = 0;
    const char16_t* stop = field;
    *value = convertNumber(field, &stop, saturated);
    *trailing = stop != comma;
    return field + (stop - field) + 1;
}

int16_t low16(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFF));
}

// One "@" line into `key`. True only when both names were read, which is what adds the key; a line
// that stops early leaves what it wrote in the record for the next key line to overwrite.
bool parseKeyLine(char16_t* line, KeyRecord& key, const LineContext& context)
{
    if (line[1] == u'N')
        key.kind = KeyKind::Normal;
    else if (line[1] == u'F')
        key.kind = KeyKind::Latching;

    char16_t* cursor = findUnit(line + 1, u',');
    if (!cursor)
        return abandon(context, 0, AbandonReason::NoComma);
    if (line[1] != u'N' && line[1] != u'F') {
        *cursor = 0;
        tell(context, KeymapNote::UnknownKindLetter, 0, 0, line + 1);
        *cursor = u',';
    }
    ++cursor;

    int16_t* numbers[] = {&key.centerX, &key.centerY, &key.width, &key.height, &key.angle};
    for (int i = 0; i < 5; ++i) {
        int field = 1 + i;
        int32_t value = 0;
        bool trailing = false;
        bool saturated = false;
        cursor = takeNumber(cursor, &value, &trailing, &saturated);
        if (!cursor)
            return abandon(context, field, AbandonReason::NoComma);
        *numbers[i] = low16(value);
        if (saturated)
            tell(context, KeymapNote::NumberSaturated, field, value);
        else if (value != *numbers[i])
            tell(context, KeymapNote::NumberWrapped, field, value);
        // Anything after the number ends the line here: the next field's comma cannot be found.
        if (trailing)
            return abandon(context, field, AbandonReason::TrailingText);
    }

    char16_t* labels[] = {key.label, key.shiftLabel, key.fnLabel};
    for (int i = 0; i < 3; ++i) {
        char16_t* comma = findUnit(cursor, u',');
        if (!comma)
            return abandon(context, 6 + i, AbandonReason::NoComma);
        *comma = 0;
        if (u16Copy(labels[i], LABEL_UNITS, cursor) == TextResult::Truncated)
            tell(context, KeymapNote::LabelCut, 6 + i, 0, cursor);
        cursor = comma + 1;
    }

    // The last name may end at the carriage return of a CRLF line instead of a comma.
    uint8_t* codes[] = {&key.vk, &key.fnVk};
    for (int i = 0; i < 2; ++i) {
        char16_t* end = findUnit(cursor, u',');
        if (!end)
            end = findUnit(cursor, u'\r');
        if (!end)
            return abandon(context, 9 + i, AbandonReason::NoNameTerminator);
        *end = 0;
        *codes[i] = findVirtualKey(cursor);
        if (*codes[i] == 0)
            tell(context, KeymapNote::UnknownName, 9 + i, 0, cursor);
        cursor = end + 1;
    }
    return true;
}

// The fields after "TAG:"; each is used only when a comma ends it.
void parsePanelLine(char16_t* fields, PanelLayout& panel, const LineContext& context)
{
    int32_t* targets[] = {nullptr, &panel.tabOffset, &panel.tabWidth, &panel.tabHeight, nullptr};
    char16_t* cursor = fields;
    for (int field = 0; field < 5; ++field) {
        int32_t value = 0;
        bool trailing = false;
        bool saturated = false;
        cursor = takeNumber(cursor, &value, &trailing, &saturated);
        if (!cursor)
            return;
        if (saturated)
            tell(context, KeymapNote::NumberSaturated, field + 1, value);
        if (field == 0) {
            // A side outside 0 to 4 would give a window of no size that nobody could see or use.
            if (value >= 0 && value <= 4) {
                panel.dockSide = static_cast<DockSide>(value);
                tell(context, KeymapNote::PanelValueSet, 1, value);
            } else {
                tell(context, KeymapNote::DockSideIgnored, 1, value);
            }
        } else if (targets[field]) {
            *targets[field] = value;
            tell(context, KeymapNote::PanelValueSet, field + 1, value);
        }
    }
}

bool startsWith(const char16_t* line, const char16_t (&prefix)[5])
{
    return line[0] == prefix[0] && line[1] == prefix[1] && line[2] == prefix[2] && line[3] == prefix[3];
}

// `text` without the white space around it (a CRLF line's carriage return included): the start moved
// on, the end cut with a NUL.
char16_t* trim(char16_t* text)
{
    while (isWhiteSpace(*text))
        ++text;
    char16_t* end = text;
    while (*end != 0)
        ++end;
    while (end > text && isWhiteSpace(end[-1]))
        --end;
    *end = 0;
    return text;
}

// The text after "OPT:": a name, "=" and a value, white space around either ignored. A line without
// "=" names an option with an empty value.
void parseOptionLine(char16_t* text, KeymapOptions& options, const LineContext& context)
{
    const char16_t* value = u"";
    if (char16_t* equals = findUnit(text, u'=')) {
        *equals = 0;
        value = trim(equals + 1);
    }
    const char16_t* name = trim(text);
    const int index = findKeymapOption(name);
    if (index < 0) {
        tell(context, KeymapNote::UnknownOption, 0, 0, name);
        return;
    }
    int32_t read = 0;
    if (!readOptionValue(index, value, &read)) {
        tell(context, KeymapNote::OptionValueRejected, index, 0, value);
        return;
    }
    KEYMAP_OPTIONS[index].field.set(options, read);
    tell(context, KeymapNote::OptionSet, index, read);
}

} // namespace

int32_t convertNumber(const char16_t* text, const char16_t** end, bool* saturated)
{
    if (saturated)
        *saturated = false;
    const char16_t* cursor = text;
    while (isWhiteSpace(*cursor))
        ++cursor;
    bool negative = false;
    if (*cursor == u'+' || *cursor == u'-') {
        negative = *cursor == u'-';
        ++cursor;
    }
    if (!isDigit(*cursor)) {
        *end = text;
        return 0;
    }
    constexpr int64_t beyondLimit = int64_t{1} << 32;
    int64_t magnitude = 0;
    for (; isDigit(*cursor); ++cursor) {
        if (magnitude < beyondLimit)
            magnitude = magnitude * 10 + (*cursor - u'0');
    }
    *end = cursor;
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN) {
        if (saturated)
            *saturated = true;
        return value > 0 ? INT32_MAX : INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

void parseKeymap(char16_t* text, size_t units, KeyTable& table, PanelLayout& panel, KeymapOptions& options,
                 const KeymapObserver* observer)
{
    unsigned count = 0;
    int optionLines = 0;
    size_t start = 0;
    LineContext context = {observer, 0, false};
    while (start < units && text[start] != 0) {
        size_t end = start;
        while (end < units && text[end] != u'\n' && text[end] != 0)
            ++end;
        context.line += 1;
        context.endedByLineFeed = end < units && text[end] == u'\n';
        text[end] = 0;

        char16_t* line = text + start;
        if (line[0] == u'@') {
            // Past the 255th key the count would wrap: further key lines are ignored.
            if (count >= MAX_KEYS)
                tell(context, KeymapNote::KeyLimitReached, 0);
            else if (parseKeyLine(line, table.keys[count], context))
                tell(context, KeymapNote::KeyAdded, static_cast<int>(count++));
        } else if (startsWith(line, u"TAG:")) {
            parsePanelLine(line + 4, panel, context);
        } else if (startsWith(line, u"OPT:")) {
            if (optionLines >= MAX_OPTION_LINES)
                tell(context, KeymapNote::OptionLimitReached, 0);
            else
                parseOptionLine(line + 4, options, context);
            ++optionLines;
        }
        // A line end directly followed by a NUL unit ends the text.
        if (end + 1 >= units || text[end + 1] == 0)
            break;
        start = end + 1;
    }
    table.count = static_cast<uint8_t>(count);
}

bool loadKeymap(const char16_t* path)
{
    PlatformFile* file = platformOpenFile(path);
    if (!file)
        return false;

    // One unit more than is read, so that a full 64 KB read still ends in a NUL.
    constexpr size_t bufferBytes = KEYMAP_READ_LIMIT + sizeof(char16_t);
    auto* buffer = static_cast<char16_t*>(std::malloc(bufferBytes));
    if (!buffer) {
        platformShowOutOfMemory();
        platformCloseFile(file);
        return false;
    }
    std::memset(buffer, 0, bufferBytes);
    size_t bytesRead = 0;
    bool read = platformReadFile(file, buffer, KEYMAP_READ_LIMIT, &bytesRead);
    platformCloseFile(file);
    if (!read) {
        std::free(buffer);
        return false;
    }
    // An odd final byte is a unit whose high byte is zero: the buffer was zero-filled.
    parseKeymap(buffer, (bytesRead + 1) / 2, *keyTable, panelLayout, keymapOptions);
    std::free(buffer);
    return true;
}
