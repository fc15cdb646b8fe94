// The keymap checker: runs the keyboard's own parser with an observer and adds what only the whole
// layout shows (keys off the panel, keys that no touch reaches, turned keys around the far point).
#include "keymap-tool/check.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "input/input.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "layout/u16text.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"

namespace {

const char* const FIELD_NAMES[] = {"kind",   "x",      "y",     "width",          "height",    "angle",
                                   "legend", "shifted legend", "Fn legend", "virtual key", "Fn virtual key"};

struct Finding {
    size_t line;
    std::string message;
};

struct CheckState {
    std::vector<Finding> findings;
    std::vector<size_t> keyLines; // the line of each key added
};

std::string text(const char16_t* units)
{
    return utf16ToUtf8(units ? std::u16string(units) : std::u16string());
}

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

// The table's name that differs from `name` only in case or spaces, if any.
const char16_t* nearestName(const char16_t* name)
{
    auto normalise = [](const char16_t* units) {
        std::u16string out;
        for (; *units; ++units) {
            if (*units == u' ')
                continue;
            out += *units >= u'a' && *units <= u'z' ? static_cast<char16_t>(*units - 32) : *units;
        }
        return out;
    };
    std::u16string wanted = normalise(name);
    for (const VirtualKeyName& row : VirtualKeyNameTable) {
        if (normalise(row.name) == wanted)
            return row.name;
    }
    return nullptr;
}

std::string abandonMessage(const KeymapNoteInfo& info)
{
    std::string where = format("key line abandoned at field %d (%s): ", info.field, FIELD_NAMES[info.field]);
    switch (info.reason) {
    case AbandonReason::NoComma:
        return where + "no comma ends it, so the key is not added";
    case AbandonReason::TrailingText:
        return where + "text after the number (or no number at all), so the key is not added";
    case AbandonReason::NoNameTerminator:
        if (info.lineEndedByLineFeed)
            return where + "bare line feed with no final comma after the name, so the key is not added "
                           "(end key lines with a comma, or use CRLF line ends)";
        return where + "neither a comma nor a carriage return after the name, so the key is not added";
    }
    return where;
}

std::string noteMessage(const KeymapNoteInfo& info)
{
    const char* field = info.field >= 0 && info.field <= 10 ? FIELD_NAMES[info.field] : "field";
    switch (info.note) {
    case KeymapNote::KeyAdded:
        return {};
    case KeymapNote::KeyLineAbandoned:
        return abandonMessage(info);
    case KeymapNote::UnknownKindLetter:
        return format("kind \"@%s\" is neither N nor F: the key keeps the kind its record already had",
                      text(info.text).c_str());
    case KeymapNote::LabelCut:
        return format("%s \"%s\" is longer than 15 UTF-16 units and is cut to 15", field, text(info.text).c_str());
    case KeymapNote::NumberWrapped:
        return format("%s %d does not fit in 16 bits and wraps to %d", field, info.value,
                      static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(info.value) & 0xFFFF)));
    case KeymapNote::NumberSaturated:
        return format("number in field %d is beyond the 32-bit range and is read as %d", info.field, info.value);
    case KeymapNote::UnknownName: {
        if (!info.text || !*info.text)
            return format("%s is empty: the key sends virtual key 0", field);
        std::string message = format("%s \"%s\" is not a known name: the key sends virtual key 0", field,
                                     text(info.text).c_str());
        if (const char16_t* nearest = nearestName(info.text))
            message += format(" (did you mean \"%s\"?)", text(nearest).c_str());
        return message;
    }
    case KeymapNote::KeyLimitReached:
        return "more than 255 keys: this key line and every later one are ignored";
    case KeymapNote::DockSideIgnored:
        return format("dock side %d is not 0 (none) to 4 (left) and is ignored", info.value);
    }
    return {};
}

void observe(void* context, const KeymapNoteInfo& info)
{
    auto* state = static_cast<CheckState*>(context);
    if (info.note == KeymapNote::KeyAdded) {
        state->keyLines.push_back(info.line);
        return;
    }
    state->findings.push_back({info.line, noteMessage(info)});
}

// What the bytes say about the encoding before any line is read.
void checkEncoding(const std::vector<unsigned char>& bytes, bool longer, CheckState& state)
{
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        state.findings.push_back({1, "the file is UTF-8 (it starts with a UTF-8 byte-order mark), not UTF-16LE; "
                                     "convert it with plumtide-keymap convert"});
    } else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        state.findings.push_back({1, "the file starts with a byte-order mark, so its first line is ignored; "
                                     "save it without one"});
    } else if (bytes.size() >= 2) {
        // Keymap text is mostly ASCII: in UTF-16LE every other byte is zero.
        size_t pairs = bytes.size() / 2;
        size_t zeroHigh = 0;
        size_t zeroLow = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            zeroLow += bytes[i] == 0;
            zeroHigh += bytes[i + 1] == 0;
        }
        if (zeroLow * 2 > pairs && zeroHigh * 2 <= pairs)
            state.findings.push_back({1, "the file looks like UTF-16 big-endian; the keyboard reads UTF-16LE"});
        else if (zeroHigh * 2 <= pairs)
            state.findings.push_back({1, "the file is not UTF-16LE text: every other byte should be zero for the "
                                         "ASCII characters of a keymap (UTF-8? convert it with plumtide-keymap "
                                         "convert)"});
    }
    if (bytes.size() % 2 != 0 && !longer)
        state.findings.push_back({1, "the file has an odd number of bytes; its last byte is read as a unit of its own"});
    if (longer)
        state.findings.push_back({1, format("the file is longer than %d bytes; everything after them is ignored",
                                            static_cast<int>(KEYMAP_READ_LIMIT))});
}

std::string keyName(int index)
{
    return format("key %d (\"%s\")", index, text(keyTable->keys[index].label).c_str());
}

// Keys the keyboard cannot use as drawn: partly off the panel, never reachable by a touch (earlier
// keys or the dock tab's hide area take every point of it), or turned around the hit test's far point.
void checkGeometry(CheckState& state)
{
    // Touches are asked as the keyboard asks them: in client coordinates of the placed window.
    windowSize = {0, 0};
    windowOrigin = {0, 0};
    updateWindowPlacement();
    const int count = keyTable->count;
    std::vector<Rect> boxes(count);
    for (int i = 0; i < count; ++i) {
        const KeyRecord& key = keyTable->keys[i];
        KeyQuad quad = computeKeyQuad(key.centerX, key.centerY, key.width, key.height, key.angle);
        Rect box = {quad.corner[0].x, quad.corner[0].y, quad.corner[0].x, quad.corner[0].y};
        for (const Point& c : quad.corner) {
            box.left = std::min(box.left, c.x);
            box.top = std::min(box.top, c.y);
            box.right = std::max(box.right, c.x);
            box.bottom = std::max(box.bottom, c.y);
        }
        boxes[i] = box;
        size_t line = i < static_cast<int>(state.keyLines.size()) ? state.keyLines[i] : 0;
        if (box.left < 0 || box.top < 0 || box.right > PANEL_WIDTH || box.bottom > PANEL_HEIGHT)
            state.findings.push_back({line, keyName(i) + " reaches off the 1024x600 panel"});
        if (key.angle != 0 && box.left <= HIT_FAR_POINT.x && HIT_FAR_POINT.x <= box.right &&
            box.top <= HIT_FAR_POINT.y && HIT_FAR_POINT.y <= box.bottom)
            state.findings.push_back(
                {line, keyName(i) + " is turned around the hit test's far point (-1000, -1000)"});

        bool reachable = false;
        const int left = std::max(box.left, 0);
        const int right = std::min(box.right, PANEL_WIDTH - 1);
        const int top = std::max(box.top, 0);
        const int bottom = std::min(box.bottom, PANEL_HEIGHT - 1);
        for (int y = top; y <= bottom && !reachable; ++y) {
            for (int x = left; x <= right && !reachable; ++x) {
                const Point client = panelToClient({x, y});
                if (!keyContainsPoint(key, client.x, client.y) || tabAreaAt(client.x, client.y) != TabArea::None)
                    continue;
                bool covered = false;
                for (int j = 0; j < i && !covered; ++j) {
                    const Rect& other = boxes[j];
                    covered = other.left <= x && x <= other.right && other.top <= y && y <= other.bottom &&
                              keyContainsPoint(keyTable->keys[j], client.x, client.y);
                }
                reachable = !covered;
            }
        }
        if (!reachable)
            state.findings.push_back({line, keyName(i) + " can never be touched: earlier keys or the dock tab's "
                                                         "hide area cover all of it, or it has no area on the "
                                                         "panel"});
    }
}

} // namespace

int checkKeymap(const std::u16string& path, const std::string& displayName, std::FILE* out, std::FILE* err)
{
    PlatformFile* file = platformOpenFile(path.c_str());
    if (!file) {
        std::fprintf(err, "%s: cannot open the file\n", displayName.c_str());
        return 2;
    }
    std::vector<unsigned char> bytes(KEYMAP_READ_LIMIT + 1);
    size_t got = 0;
    bool read = platformReadFile(file, bytes.data(), bytes.size(), &got);
    platformCloseFile(file);
    if (!read) {
        std::fprintf(err, "%s: cannot read the file\n", displayName.c_str());
        return 2;
    }
    bool longer = got > KEYMAP_READ_LIMIT;
    bytes.resize(std::min(got, KEYMAP_READ_LIMIT));

    CheckState state;
    checkEncoding(bytes, longer, state);

    // Exactly what the loader hands the parser.
    std::vector<char16_t> units((bytes.size() + 1) / 2 + 1, 0);
    std::memcpy(units.data(), bytes.data(), bytes.size());
    if (!keyTable)
        allocateKeyTable();
    std::memset(keyTable, 0, sizeof(KeyTable));
    panelLayout = PANEL_LAYOUT_DEFAULTS;
    KeymapObserver observer = {observe, &state};
    parseKeymap(units.data(), units.size() - 1, *keyTable, panelLayout, &observer);
    checkGeometry(state);

    std::stable_sort(state.findings.begin(), state.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& finding : state.findings)
        std::fprintf(out, "%s:%lu: warning: %s\n", displayName.c_str(), static_cast<unsigned long>(finding.line),
                     finding.message.c_str());
    return state.findings.empty() ? 0 : 1;
}
