// The keymap checker: runs the keyboard's own parser with an observer and adds what only the whole
// layout shows (keys off the panel, keys that no touch reaches, turned keys around the far point).
#include "keymap-tool/check.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "input/input.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "layout/u16text.h"
#include "layout/vkeynames.h"
#include "render/geometry.h"

namespace {

const char* const FIELD_NAMES[] = {
    "kind",           "x",         "y",           "width",         "height", "angle", "legend",
    "shifted legend", "Fn legend", "virtual key", "Fn virtual key"};

struct Finding {
    size_t line;
    std::string message;
    const char* severity = "warning"; // "error" for an option line that changes nothing
};

struct CheckState {
    std::vector<Finding> findings;
    std::vector<size_t> keyLines; // the line of each key added
    size_t panelLine = 0;         // the last line that set a panel value; 0 when none did
    std::vector<std::vector<size_t>> optionLines = std::vector<std::vector<size_t>>(KEYMAP_OPTION_COUNT); // by option
};

// Whether a code point may reach the terminal as it is. Controls, lone surrogates and the invisible
// marks that reorder or break a line could clear the screen or forge a finding; the quotation mark
// and the backslash are escaped too, so that every quotation mark and \u in a finding is the checker's.
bool printable(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == U'"' || c == U'\\')
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0x061C && c != 0x200E && c != 0x200F && !(c >= 0x2028 && c <= 0x202E) &&
           !(c >= 0x2066 && c <= 0x2069) && c != 0xFEFF && !(c >= 0xFFF9 && c <= 0xFFFB) && c != 0xFFFE && c != 0xFFFF;
}

// File text as UTF-8 for a finding, with every unit of what is not printable written as \uXXXX, as
// dump writes labels; a surrogate pair stands for one code point, a lone surrogate for itself.
std::string text(const char16_t* units)
{
    std::string out;
    int length = 1;
    // The unit after the last is its terminator: a pair is never read past it.
    for (; units && *units; units += length) {
        const char32_t c = decodeUtf16(units, 2, &length);
        if (printable(c)) {
            appendUtf8(out, c);
            continue;
        }
        length = 1;
        char escaped[7];
        std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(*units));
        out += escaped;
    }
    return out;
}

// File text in quotation marks.
std::string quoted(const char16_t* units)
{
    return '"' + text(units) + '"';
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
    case AbandonReason::NoComma: return where + "no comma ends it, so the key is not added";
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

std::string optionName(int index)
{
    return text(KEYMAP_OPTIONS[index].name);
}

// What option `index` takes, as "10, 20 or 30", "1 to 6", "full or keys".
std::string optionValuesText(int index)
{
    OptionValue values[MAX_OPTION_VALUES];
    const int count = std::min(optionValues(index, values, MAX_OPTION_VALUES), MAX_OPTION_VALUES);
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += i + 1 == count ? " or " : ", ";
        const OptionValue& value = values[i];
        if (value.keyName)
            out += "the name of a keyboard key, as key lines name them (VK_SPACE, VK_RETURN, ...)";
        else if (value.word)
            out += text(std::u16string(value.word, static_cast<size_t>(value.wordUnits)).c_str());
        else if (value.low == value.high)
            out += std::to_string(value.low);
        else
            out += std::to_string(value.low) + " to " + std::to_string(value.high);
    }
    return out;
}

std::string optionNames()
{
    std::string out;
    for (int i = 0; i < KEYMAP_OPTION_COUNT; ++i)
        out += (i == 0 ? "" : i + 1 == KEYMAP_OPTION_COUNT ? " and " : ", ") + optionName(i);
    return out;
}

std::string noteMessage(const KeymapNoteInfo& info)
{
    const char* field = info.field >= 0 && info.field <= 10 ? FIELD_NAMES[info.field] : "field";
    switch (info.note) {
    case KeymapNote::KeyAdded: return {};
    case KeymapNote::KeyLineAbandoned: return abandonMessage(info);
    case KeymapNote::UnknownKindLetter:
        return "kind \"@" + text(info.text) + "\" is neither N nor F: the key keeps the kind its record already had";
    case KeymapNote::LabelCut:
        return std::string(field) + " " + quoted(info.text) + " is longer than 15 UTF-16 units and is cut to 15";
    case KeymapNote::NumberWrapped:
        return format("%s %d does not fit in 16 bits and wraps to %d", field, info.value,
                      static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(info.value) & 0xFFFF)));
    case KeymapNote::NumberSaturated:
        return format("number in field %d is beyond the 32-bit range and is read as %d", info.field, info.value);
    case KeymapNote::UnknownName: {
        if (!info.text || !*info.text)
            return format("%s is empty: the key sends virtual key 0", field);
        std::string message =
            std::string(field) + " " + quoted(info.text) + " is not a known name: the key sends virtual key 0";
        if (const char16_t* nearest = nearestName(info.text))
            message += format(" (did you mean \"%s\"?)", text(nearest).c_str());
        return message;
    }
    case KeymapNote::KeyLimitReached: return "more than 255 keys: this key line and every later one are ignored";
    case KeymapNote::DockSideIgnored:
        return format("dock side %d is not 0 (none) to 4 (left) and is ignored", info.value);
    case KeymapNote::PanelValueSet: return {};
    case KeymapNote::OptionSet: return {};
    case KeymapNote::UnknownOption:
        return (*info.text ? "option " + quoted(info.text) + " is not known"
                           : std::string("the option line has no name")) +
               ", so the line changes nothing (the options are " + optionNames() + ")";
    case KeymapNote::OptionValueRejected:
        return "option " + optionName(info.field) + " takes " + optionValuesText(info.field) + ", not " +
               (*info.text ? quoted(info.text) : std::string("an empty value")) +
               ", so the line changes nothing and the option keeps its value";
    case KeymapNote::OptionLimitReached:
        return format("more than %d option lines: this OPT: line and every later one are ignored", MAX_OPTION_LINES);
    }
    return {};
}

bool isOptionError(KeymapNote note)
{
    return note == KeymapNote::UnknownOption || note == KeymapNote::OptionValueRejected ||
           note == KeymapNote::OptionLimitReached;
}

void observe(void* context, const KeymapNoteInfo& info)
{
    auto* state = static_cast<CheckState*>(context);
    if (info.note == KeymapNote::KeyAdded) {
        state->keyLines.push_back(info.line);
        return;
    }
    if (info.note == KeymapNote::PanelValueSet) {
        state->panelLine = info.line;
        return;
    }
    if (info.note == KeymapNote::OptionSet) {
        state->optionLines[static_cast<size_t>(info.field)].push_back(info.line);
        return;
    }
    state->findings.push_back({info.line, noteMessage(info), isOptionError(info.note) ? "error" : "warning"});
}

// An option set on more than one line: the last line wins, and says so.
void checkRepeatedOptions(CheckState& state)
{
    for (int i = 0; i < KEYMAP_OPTION_COUNT; ++i) {
        const std::vector<size_t>& lines = state.optionLines[static_cast<size_t>(i)];
        if (lines.size() == 2)
            state.findings.push_back(
                {lines.back(), format("option %s is set again, after line %lu: this last line "
                                      "wins",
                                      optionName(i).c_str(), static_cast<unsigned long>(lines.front()))});
        else if (lines.size() > 2)
            state.findings.push_back(
                {lines.back(), format("option %s is set on %lu lines, first on line %lu: this "
                                      "last line wins",
                                      optionName(i).c_str(), static_cast<unsigned long>(lines.size()),
                                      static_cast<unsigned long>(lines.front()))});
    }
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
        state.findings.push_back(
            {1, "the file has an odd number of bytes; its last byte is read as a unit of its own"});
    if (longer)
        state.findings.push_back({1, format("the file is longer than %d bytes; everything after them is ignored",
                                            static_cast<int>(KEYMAP_READ_LIMIT))});
}

std::string keyName(int index)
{
    return format("key %d (", index) + quoted(keyTable->keys[index].label) + ")";
}

// The panel's pixels that no later key can take: those of the tab's hide area and those of keys
// earlier in the file. Each row links every taken pixel to a pixel on its right (0 marks a free one,
// n links to pixel n - 1), and a walk along the links shortens them, so that a key's walk along a
// row steps over a taken run at once.
class TakenPixels {
public:
    TakenPixels()
        : links_(new uint16_t[SIZE])
    {
        std::memset(links_.get(), 0, SIZE * sizeof(uint16_t));
    }

    // The first pixel of row y at or right of x that is not taken; PANEL_WIDTH when there is none.
    int firstFree(int y, int x)
    {
        uint16_t* row = &links_[static_cast<size_t>(y) * ROW];
        while (row[x] != 0) {
            const int next = row[x] - 1;
            if (row[next] != 0)
                row[x] = row[next];
            x = row[x] - 1;
        }
        return x;
    }

    void take(int y, int x) { links_[static_cast<size_t>(y) * ROW + x] = static_cast<uint16_t>(x + 2); }

private:
    static constexpr int ROW = PANEL_WIDTH + 1; // the last one is never taken
    static constexpr size_t SIZE = static_cast<size_t>(PANEL_HEIGHT) * ROW;
    std::unique_ptr<uint16_t[]> links_;
};

// The columns of row y that a key's quad can contain, or false when the row misses it. The quad is a
// parallelogram (its corners are truncated symmetrically about the centre) and the far point lies
// outside it, so from any point outside the outline the test segment crosses it an even number of
// times, a corner passed through counting as its two edges' sides say: the hit test answers 1 only
// within the outline or on it. The row's crossings with the four edges bound every such pixel; the
// margin covers their rounding.
bool rowSpan(const KeyQuad& quad, int y, int64_t* first, int64_t* last)
{
    constexpr int64_t MARGIN = 2;
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    for (int i = 0; i < 4; ++i) {
        const Point a = quad.corner[i];
        const Point b = quad.corner[(i + 1) % 4];
        if (y < std::min(a.y, b.y) || y > std::max(a.y, b.y))
            continue;
        double from = a.x;
        double to = b.x;
        if (a.y != b.y)
            from = to = a.x + static_cast<double>(int64_t{b.x} - a.x) * static_cast<double>(int64_t{y} - a.y) /
                                  static_cast<double>(int64_t{b.y} - a.y);
        low = std::min({low, from, to});
        high = std::max({high, from, to});
    }
    if (low > high)
        return false;
    *first = static_cast<int64_t>(std::floor(low)) - MARGIN;
    *last = static_cast<int64_t>(std::ceil(high)) + MARGIN;
    return true;
}

// Keys the keyboard cannot use as drawn: partly off the panel, never reachable by a touch (earlier
// keys or the dock tab's hide area take every point of it), or turned around the hit test's far point.
// A key is reachable when one panel pixel in its bounding box is in it and neither in the hide area
// nor in an earlier key's box and shape. Each pixel is asked exactly as a touch is, but only while it
// is free and only where the key's outline can reach, and is taken for good by the first key that has it.
void checkGeometry(CheckState& state)
{
    // Touches are asked as the keyboard asks them: in client coordinates of the placed window.
    resetPlacement();
    updateWindowPlacement();
    TakenPixels taken;
    const int count = keyTable->count;
    for (int i = 0; i < count; ++i) {
        const KeyRecord& key = keyTable->keys[i];
        const KeyQuad quad = computeKeyQuad(key.centerX, key.centerY, key.width, key.height, key.angle);
        const Rect box = quadBounds(quad);
        size_t line = i < static_cast<int>(state.keyLines.size()) ? state.keyLines[i] : 0;
        if (box.left < 0 || box.top < 0 || box.right > PANEL_WIDTH || box.bottom > PANEL_HEIGHT)
            state.findings.push_back({line, keyName(i) + " reaches off the 1024x600 panel"});
        if (key.angle != 0 && box.left <= HIT_FAR_POINT.x && HIT_FAR_POINT.x <= box.right &&
            box.top <= HIT_FAR_POINT.y && HIT_FAR_POINT.y <= box.bottom)
            state.findings.push_back({line, keyName(i) + " is turned around the hit test's far point (-1000, -1000)"});

        bool reachable = false;
        const int top = std::max(box.top, 0);
        const int bottom = std::min(box.bottom, PANEL_HEIGHT - 1);
        for (int y = top; y <= bottom; ++y) {
            int64_t first = 0;
            int64_t last = 0;
            if (!rowSpan(quad, y, &first, &last))
                continue;
            const int left = static_cast<int>(std::max<int64_t>({first, box.left, 0}));
            const int right = static_cast<int>(std::min<int64_t>({last, box.right, PANEL_WIDTH - 1}));
            for (int x = left <= right ? taken.firstFree(y, left) : PANEL_WIDTH; x <= right;
                 x = taken.firstFree(y, x + 1)) {
                const Point client = panelToClient({x, y});
                if (tabAreaAt(client.x, client.y) != TabArea::None) {
                    taken.take(y, x);
                    continue;
                }
                // The quad is the one keyContainsPoint makes, and the client point turns back into
                // exactly this panel point, so this is its answer without the quad made anew.
                const int in =
                    key.angle == 0 ? keyContainsPoint(key, client.x, client.y) : quadContainsPoint({x, y}, quad);
                if (in) {
                    taken.take(y, x);
                    reachable = true;
                }
            }
        }
        if (!reachable)
            state.findings.push_back({line, keyName(i) + " can never be touched: earlier keys or the dock tab's "
                                                         "hide area cover all of it, or it has no area on the "
                                                         "panel"});
    }
}

// Every number of a panel shape in one row: the size, the origin, then the vertices.
std::vector<int64_t> shapeNumbers(const PanelShape& shape)
{
    std::vector<int64_t> numbers = {shape.size.width, shape.size.height, shape.origin.x, shape.origin.y};
    for (int i = 0; i < shape.vertexCount; ++i) {
        numbers.push_back(shape.vertices[i].x);
        numbers.push_back(shape.vertices[i].y);
    }
    return numbers;
}

// The numbers of the panel's shape as sums in 64 bits, before they wrap. Each is a constant (from
// the panel's size, the bevel and the caption) plus some of the tab offset, width and height, so the
// shapes of a layout with all three at 0 and with each alone at 1 tell which, without restating the
// shape of every dock side here.
std::vector<int64_t> wideShapeNumbers(const PanelLayout& layout, int32_t caption)
{
    const PanelLayout zero = {layout.dockSide, 0, 0, 0};
    const std::vector<int64_t> base = shapeNumbers(computePanelShape(zero, caption));
    std::vector<int64_t> wide = base;
    for (int32_t PanelLayout::*value : {&PanelLayout::tabOffset, &PanelLayout::tabWidth, &PanelLayout::tabHeight}) {
        PanelLayout one = zero;
        one.*value = 1;
        const std::vector<int64_t> step = shapeNumbers(computePanelShape(one, caption));
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] += (step[i] - base[i]) * (layout.*value);
    }
    return wide;
}

// Where the region's outline crosses the row of a pixel centre, and whether it runs down (1) or up.
struct Crossing {
    double x;
    int direction;
};

// Whether the point at `centre` on that row lies in the region (WINDING fill); a point on the outline
// counts as inside.
bool insideRegion(const std::vector<Crossing>& crossings, double centre)
{
    int winding = 0;
    for (const Crossing& crossing : crossings) {
        if (crossing.x == centre)
            return true;
        if (crossing.x > centre)
            winding += crossing.direction;
    }
    return winding != 0;
}

// The panel's pixels that the placed window leaves out: outside the window or outside its region.
// Without wrapping the window is placed so that panel point (x, y) is screen point (x, y), so each
// panel pixel is one screen pixel the panel must cover.
long uncoveredPixels(const PanelShape& shape)
{
    // The panel's columns within the window.
    const int64_t first = std::max<int64_t>(0, -int64_t{shape.origin.x});
    const int64_t last = std::min<int64_t>(PANEL_WIDTH, int64_t{shape.size.width} - shape.origin.x) - 1;
    long uncovered = 0;
    for (int y = 0; y < PANEL_HEIGHT; ++y) {
        const int64_t windowY = int64_t{shape.origin.y} + y;
        if (windowY < 0 || windowY >= shape.size.height || first > last) {
            uncovered += PANEL_WIDTH;
            continue;
        }
        uncovered += static_cast<long>(PANEL_WIDTH - (last - first + 1));
        const double centreY = static_cast<double>(windowY) + 0.5;
        std::vector<Crossing> crossings;
        bool inPanel = false; // whether the outline crosses this row within the panel's columns
        for (int i = 0; i < shape.vertexCount; ++i) {
            const Point a = shape.vertices[i];
            const Point b = shape.vertices[(i + 1) % shape.vertexCount];
            if ((a.y < centreY) == (b.y < centreY))
                continue;
            const double x = a.x + static_cast<double>(int64_t{b.x} - a.x) * (centreY - a.y) /
                                       static_cast<double>(int64_t{b.y} - a.y);
            crossings.push_back({x, b.y > a.y ? 1 : -1});
            inPanel = inPanel || (x > shape.origin.x && x < shape.origin.x + double{PANEL_WIDTH});
        }
        // Where the outline stays beside the panel, one pixel answers for the whole row.
        const int64_t step = inPanel ? 1 : last - first + 1;
        for (int64_t x = first; x <= last; x += step) {
            if (!insideRegion(crossings, static_cast<double>(shape.origin.x + x) + 0.5))
                uncovered += static_cast<long>(step);
        }
    }
    return uncovered;
}

// A panel line whose values leave the keyboard's window empty, misplaced or not covering the screen.
// Reported on the last line that set a panel value.
void checkWindow(CheckState& state)
{
    if (state.panelLine == 0)
        return;
    const PanelShape shape = computePanelShape(panelLayout, clientOffset);
    if (!shape.valid)
        return;
    if (shape.size.width <= 0 || shape.size.height <= 0) {
        state.findings.push_back({state.panelLine, format("the panel line makes the keyboard's window %d by %d "
                                                          "pixels: it has no area, so nothing of it shows",
                                                          shape.size.width, shape.size.height)});
        return;
    }
    if (shapeNumbers(shape) != wideShapeNumbers(panelLayout, clientOffset)) {
        state.findings.push_back({state.panelLine, "the panel line's tab values are so large that the keyboard's "
                                                   "window size, place or outline goes past 32 bits and wraps "
                                                   "round, so the window is misplaced or misshapen"});
        return;
    }
    if (long uncovered = uncoveredPixels(shape))
        state.findings.push_back(
            {state.panelLine, format("the panel line leaves %ld of the panel's pixels outside the keyboard's "
                                     "window, where nothing is drawn and no touch reaches (the tab must be at least "
                                     "%d pixels deep: its height when docked at the top or bottom, its width at a "
                                     "side)",
                                     uncovered, TAB_BEVEL)});
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
    resetLayout();
    KeymapObserver observer = {observe, &state};
    parseKeymap(units.data(), units.size() - 1, *keyTable, panelLayout, keymapOptions, &observer);
    checkRepeatedOptions(state);
    checkGeometry(state);
    checkWindow(state);

    std::stable_sort(state.findings.begin(), state.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& finding : state.findings)
        std::fprintf(out, "%s:%lu: %s: %s\n", displayName.c_str(), static_cast<unsigned long>(finding.line),
                     finding.severity, finding.message.c_str());
    return state.findings.empty() ? 0 : 1;
}
