// The commands of plumtide-keymap, built on the keyboard's own loader and layout model.
#include "keymap-tool/keymap_tool.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "keymap-tool/check.h"
#include "keymap-tool/convert.h"
#include "input/scan.h"
#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "layout/vkeynames.h"
#include "layout/options.h"
#include "platform/platform.h"
#include "render/geometry.h"
#include "render/hover_ring.h"
#include "render/palette.h"
#include "render/scan_marks.h"
#include "render/svg_render.h"

namespace {

const char usage[] = "usage: plumtide-keymap dump [FILE]\n"
                     "       plumtide-keymap check FILE\n"
                     "       plumtide-keymap hit FILE X Y [--screen WxH]\n"
                     "       plumtide-keymap render [FILE] -o OUT.svg [--style N] [--screen WxH]\n"
                     "                              [--hover N[,PERCENT]] [--scan ROW[,KEY]]\n"
                     "       plumtide-keymap convert IN.txt -o OUT.keymap\n";

// Panel points farther out than this are refused: within it every product of the hit test is exact.
constexpr long HIT_COORDINATE_LIMIT = 1000000;
// Screens are given up to this size on a side; the keyboard fits the panel to at most 16384 of it.
constexpr long SCREEN_ARGUMENT_LIMIT = 1000000;

// Fills the key table exactly as start-up does: the file when it can be read, else the built-in
// layout. Returns whether the file was loaded.
bool loadLikeStartUp(const std::u16string* path)
{
    resetLayout();
    bool loaded = path && loadKeymap(path->c_str());
    if (!loaded)
        installDefaultLayout(*keyTable);
    return loaded;
}

// A label as a JSON string: the units before its NUL, everything outside printable ASCII (and the
// quotation mark and backslash) as \uXXXX of the UTF-16 unit, so a cut surrogate pair stays visible.
void printLabel(std::FILE* out, const char16_t* label)
{
    std::fputc('"', out);
    for (int i = 0; i < LABEL_UNITS && label[i] != 0; ++i) {
        char16_t unit = label[i];
        if (unit >= 0x20 && unit < 0x7F && unit != u'"' && unit != u'\\')
            std::fputc(static_cast<char>(unit), out);
        else
            std::fprintf(out, "\\u%04X", static_cast<unsigned>(unit));
    }
    std::fputc('"', out);
}

void printKey(std::FILE* out, const KeyRecord& key)
{
    std::fprintf(out,
                 "{\"kind\": %d, \"centerX\": %d, \"centerY\": %d, \"width\": %d, \"height\": %d, \"angle\": %d, "
                 "\"label\": ",
                 static_cast<int>(key.kind), key.centerX, key.centerY, key.width, key.height, key.angle);
    printLabel(out, key.label);
    std::fputs(", \"shiftLabel\": ", out);
    printLabel(out, key.shiftLabel);
    std::fputs(", \"fnLabel\": ", out);
    printLabel(out, key.fnLabel);
    std::fprintf(out, ", \"vk\": %d, \"fnVk\": %d}", key.vk, key.fnVk);
}

// The options in effect, each as a keymap would write its value: a number, a word in quotation
// marks, or null for an option left without a value it takes (Transparency and Style when not given).
void printOptions(std::FILE* out)
{
    std::fputs("\"options\": {", out);
    for (int i = 0; i < KEYMAP_OPTION_COUNT; ++i) {
        std::fputs(i == 0 ? "\"" : ", \"", out);
        std::fputs(utf16ToUtf8(KEYMAP_OPTIONS[i].name).c_str(), out);
        std::fputs("\": ", out);
        const int32_t value = KEYMAP_OPTIONS[i].field.get(keymapOptions);
        OptionValue values[MAX_OPTION_VALUES];
        const int count = std::min(optionValues(i, values, MAX_OPTION_VALUES), MAX_OPTION_VALUES);
        const OptionValue* taken = nullptr;
        for (int j = 0; j < count && !taken; ++j) {
            if (values[j].low <= value && value <= values[j].high)
                taken = &values[j];
        }
        if (taken && taken->keyName && virtualKeyName(static_cast<uint8_t>(value)))
            std::fprintf(out, "\"%s\"", utf16ToUtf8(virtualKeyName(static_cast<uint8_t>(value))).c_str());
        else if (!taken || taken->keyName)
            std::fputs("null", out);
        else if (taken->word)
            std::fprintf(out, "\"%s\"",
                         utf16ToUtf8(std::u16string(taken->word, static_cast<size_t>(taken->wordUnits))).c_str());
        else
            std::fprintf(out, "%d", value);
    }
    std::fputs("}, ", out);
}

int dump(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err)
{
    if (args.size() > 2) {
        std::fputs(usage, err);
        return 2;
    }
    bool loaded = loadLikeStartUp(args.size() == 2 ? &args[1] : nullptr);
    std::fprintf(out,
                 "{\"loaded\": %s, \"panel\": {\"dockSide\": %d, \"tabOffset\": %d, \"tabWidth\": %d, "
                 "\"tabHeight\": %d}, ",
                 loaded ? "true" : "false", static_cast<int>(panelLayout.dockSide), panelLayout.tabOffset,
                 panelLayout.tabWidth, panelLayout.tabHeight);
    printOptions(out);
    std::fprintf(out, "\"count\": %d, \"keys\": [", keyTable->count);
    for (int i = 0; i < keyTable->count; ++i) {
        std::fputs(i == 0 ? "\n  " : ",\n  ", out);
        printKey(out, keyTable->keys[i]);
    }
    std::fputs(keyTable->count ? "\n]}\n" : "]}\n", out);
    return 0;
}

// Loads like start-up and then places the panel as the window's creation does, from a window that
// does not exist yet: on the 1024x600 screen of the design, or fitted to `screen` when one is given.
void loadAndPlace(const std::u16string* path, const Size* screen)
{
    loadLikeStartUp(path);
    resetPlacement();
    updateWindowPlacement();
    if (screen)
        fitPanelToScreen({0, 0, screen->width, screen->height});
}

// A whole decimal number within [min, max], optionally signed; nothing else around it.
bool parseInteger(const std::u16string& text, long min, long max, long* value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    if (i == text.size())
        return false;
    // Stops before the magnitude could leave the range of a 32-bit long.
    const long bound = max > -min ? max : -min;
    long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > bound)
            return false;
    }
    *value = negative ? -magnitude : magnitude;
    return *value >= min && *value <= max;
}

// "WxH": a screen of W by H pixels, each from 1 up.
bool parseScreen(const std::u16string& text, Size* screen)
{
    const size_t x = text.find(u'x');
    long width = 0;
    long height = 0;
    if (x == std::u16string::npos || !parseInteger(text.substr(0, x), 1, SCREEN_ARGUMENT_LIMIT, &width) ||
        !parseInteger(text.substr(x + 1), 1, SCREEN_ARGUMENT_LIMIT, &height))
        return false;
    *screen = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

// "N" or "N,M": N within [firstMin, firstMax] and, when given, M within [secondMin, secondMax];
// `second` keeps its value without one.
bool parseNumberPair(const std::u16string& text, long firstMin, long firstMax, long* first, long secondMin,
                     long secondMax, long* second)
{
    const size_t comma = text.find(u',');
    return parseInteger(text.substr(0, comma), firstMin, firstMax, first) &&
           (comma == std::u16string::npos || parseInteger(text.substr(comma + 1), secondMin, secondMax, second));
}

// Takes "--screen WxH" out of the arguments wherever it stands; false when it is there but bad, or
// given twice.
bool takeScreen(std::vector<std::u16string>& args, Size* screen, bool* given)
{
    *given = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] != u"--screen")
            continue;
        if (*given || i + 1 >= args.size() || !parseScreen(args[i + 1], screen))
            return false;
        *given = true;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return true;
}

int hit(const std::vector<std::u16string>& given, std::FILE* out, std::FILE* err)
{
    std::vector<std::u16string> args = given;
    Size screen = {};
    bool onScreen = false;
    long x = 0;
    long y = 0;
    if (!takeScreen(args, &screen, &onScreen) || args.size() != 4 ||
        !parseInteger(args[2], -HIT_COORDINATE_LIMIT, HIT_COORDINATE_LIMIT, &x) ||
        !parseInteger(args[3], -HIT_COORDINATE_LIMIT, HIT_COORDINATE_LIMIT, &y)) {
        std::fputs(usage, err);
        return 2;
    }
    loadAndPlace(&args[1], onScreen ? &screen : nullptr);
    // Asked exactly as the press handling asks: in client coordinates, in table order, first hit wins.
    // A screen point is taken to the client area of the window where the fit shows it.
    Point client = panelToClient({static_cast<int32_t>(x), static_cast<int32_t>(y)});
    if (onScreen) {
        const Point window = shownWindowPosition();
        client = {static_cast<int32_t>(int64_t{x} - window.x),
                  static_cast<int32_t>(int64_t{y} - window.y - clientOffset)};
    }
    std::fprintf(out, "%d\n", fittedKeyAt(client.x, client.y));
    return 0;
}

// Writes `bytes` to `path` ("-" for the standard output); 0, or 2 with a message when it fails.
int writeOutput(const std::u16string& path, const std::string& bytes, std::FILE* out, std::FILE* err)
{
    const bool written = path == u"-"
                             ? std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0
                             : platformWriteFile(path.c_str(), bytes.data(), bytes.size());
    if (!written) {
        std::fprintf(err, "plumtide-keymap: cannot write %s\n", utf16ToUtf8(path).c_str());
        return 2;
    }
    return 0;
}

// The whole of a file, through the same file services as the keyboard.
bool readWholeFile(const std::u16string& path, std::string* bytes)
{
    PlatformFile* file = platformOpenFile(path.c_str());
    if (!file)
        return false;
    char chunk[65536];
    size_t got = 0;
    bool read = true;
    while ((read = platformReadFile(file, chunk, sizeof chunk, &got)) && got > 0)
        bytes->append(chunk, got);
    platformCloseFile(file);
    return read;
}

// What "--scan ROW[,KEY]" asks to highlight, counting from 1; 0 for none.
struct ScanPick {
    long row;
    long key;
};

// The highlight of the scan as the keyboard paints it: the row's keys, or the one key of the picked
// row that the switch would type. False when the panel has no such row or key.
bool markScan(const ScanPick& pick, std::FILE* err)
{
    clearScanMarks();
    if (pick.row == 0)
        return true;
    ScanRows rows{};
    computeScanRows(rows);
    const long row = pick.row - 1;
    const long length = row < rows.count ? rows.start[row + 1] - rows.start[row] : 0;
    if (length == 0 || pick.key > length) {
        std::fprintf(err, "plumtide-keymap: the panel has %d scan rows; no row %ld%s\n", rows.count, pick.row,
                     length ? " with so many keys" : "");
        return false;
    }
    for (long i = 0; i < length; ++i) {
        if (pick.key == 0 || i == pick.key - 1)
            scanMarks[rows.order[rows.start[row] + i]] = pick.key == 0 ? ScanMark::Row : ScanMark::Key;
    }
    return true;
}

int render(const std::vector<std::u16string>& given, std::FILE* out, std::FILE* err)
{
    std::vector<std::u16string> args = given;
    Size screen = {};
    bool onScreen = false;
    const std::u16string* file = nullptr;
    const std::u16string* output = nullptr;
    long style = 0;    // the keymap's Style option, or 1 without, unless --style gives one
    long ringKey = -1; // --hover N[,PERCENT]: the ring on key N, half filled unless PERCENT is given
    long ringPercent = 50;
    ScanPick scan = {0, 0};
    bool good = takeScreen(args, &screen, &onScreen);
    for (size_t i = 1; i < args.size() && good; ++i) {
        if (args[i] == u"-o" && i + 1 < args.size() && !output) {
            output = &args[++i];
        } else if (args[i] == u"--style" && i + 1 < args.size()) {
            good = parseInteger(args[++i], 1, COLOR_STYLE_COUNT, &style);
        } else if (args[i] == u"--hover" && i + 1 < args.size()) {
            good = parseNumberPair(args[++i], 0, MAX_KEYS - 1, &ringKey, 0, 100, &ringPercent);
        } else if (args[i] == u"--scan" && i + 1 < args.size() && scan.row == 0) {
            good = parseNumberPair(args[++i], 1, MAX_KEYS, &scan.row, 1, MAX_KEYS, &scan.key);
        } else if (!args[i].empty() && args[i][0] != u'-' && !file) {
            file = &args[i];
        } else {
            good = false;
        }
    }
    if (!good || !output || output->empty()) {
        std::fputs(usage, err);
        return 2;
    }
    loadAndPlace(file, onScreen ? &screen : nullptr);
    if (ringKey >= keyTable->count) {
        std::fprintf(err, "plumtide-keymap: --hover %ld: the layout has keys 0 to %d\n", ringKey, keyTable->count - 1);
        return 2;
    }
    if (!markScan(scan, err))
        return 2;
    hoverRing = {static_cast<int>(ringKey), static_cast<int32_t>(ringPercent * RING_FULL / 100)};
    if (style == 0)
        style = keymapOptions.style != NO_STYLE ? keymapOptions.style : 1;
    const Size shown = {std::min(screen.width, SCREEN_SIDE_LIMIT), std::min(screen.height, SCREEN_SIDE_LIMIT)};
    const std::string picture =
        onScreen ? renderScreenSvg(static_cast<int>(style), shown) : renderPanelSvg(static_cast<int>(style));
    // The ring and the highlight are this picture's only: the next command starts without them.
    resetHoverRing();
    clearScanMarks();
    return writeOutput(*output, picture, out, err);
}

int check(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err)
{
    if (args.size() != 2) {
        std::fputs(usage, err);
        return 2;
    }
    return checkKeymap(args[1], utf16ToUtf8(args[1]), out, err);
}

int convert(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err)
{
    if (args.size() != 4 || args[2] != u"-o" || args[3].empty() || args[1].empty()) {
        std::fputs(usage, err);
        return 2;
    }
    std::string text;
    if (!readWholeFile(args[1], &text)) {
        std::fprintf(err, "plumtide-keymap: cannot read %s\n", utf16ToUtf8(args[1]).c_str());
        return 2;
    }
    return writeOutput(args[3], keymapFromUtf8(text), out, err);
}

} // namespace

int runKeymapTool(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err)
{
    using Command = int (*)(const std::vector<std::u16string>&, std::FILE*, std::FILE*);
    const struct {
        const char16_t* name;
        Command run;
    } commands[] = {{u"dump", dump}, {u"check", check}, {u"hit", hit}, {u"render", render}, {u"convert", convert}};
    // Every command works on the one key table; it is made here, once.
    if (!resetLayout()) {
        std::fputs("plumtide-keymap: out of memory\n", err);
        return 2;
    }
    for (const auto& command : commands) {
        if (args.empty() || args[0] != command.name)
            continue;
        const int code = command.run(args, out, err);
        // What could not be written is lost: that is no success, nor a plain list of findings.
        if (code != 2 && (std::fflush(out) != 0 || std::ferror(out))) {
            std::fputs("plumtide-keymap: cannot write the standard output\n", err);
            return 2;
        }
        return code;
    }
    std::fputs(usage, err);
    return 2;
}
