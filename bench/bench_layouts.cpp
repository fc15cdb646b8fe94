// The benchmarks' layouts: the worst cases are generated, so that their size and shape are stated once.
#include "bench_layouts.h"

#include <cstdio>

#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "render/geometry.h"
#include "layout/keytable.h"

namespace {

// A 17 x 15 grid of 60 x 40 cells fills the 1024 x 600 panel. A 52 x 34 key turned by up to 45
// degrees reaches at most 31 pixels from its centre, so no key covers another's centre.
constexpr int COLUMNS = 17;
constexpr int CELL_WIDTH = 60;
constexpr int CELL_HEIGHT = 40;
constexpr int KEY_WIDTH = 52;
constexpr int KEY_HEIGHT = 34;
// No key is upright. A split keyboard uses the first two angles, a fanned one all six.
constexpr int ANGLES[] = {150, -150, 300, -300, 450, -450};
// Names from the end of the name table: the longest look-ups a key line can make for a real key.
constexpr const char* NAMES[] = {"VK_OEM_CLEAR", "VK_PA1", "VK_NONAME", "VK_ZOOM", "VK_PLAY"};
// The worst case spends the whole read limit.
constexpr size_t FILE_UNITS = KEYMAP_READ_LIMIT / 2;

int angleOf(int column, Turning turning)
{
    const int bands = turning == Turning::Split ? 2 : static_cast<int>(std::size(ANGLES));
    return ANGLES[column * bands / COLUMNS];
}

std::string keyLine(int index, Turning turning)
{
    const int column = index % COLUMNS;
    const int row = index / COLUMNS;
    const char letter = static_cast<char>('A' + index % 26);
    const char lower = static_cast<char>('a' + index % 26);
    // Every third key has a long legend, drawn in the small font.
    std::string label(1, letter);
    if (index % 3 == 2)
        label += "xy";
    char line[160];
    std::snprintf(line, sizeof line, "@%c,%d,%d,%d,%d,%d,%s,%c,F%d,%s,%s\r\n", column == 0 ? 'F' : 'N',
                  CELL_WIDTH / 2 + column * CELL_WIDTH, CELL_HEIGHT / 2 + row * CELL_HEIGHT, KEY_WIDTH, KEY_HEIGHT,
                  angleOf(column, turning), label.c_str(), lower, 1 + index % 24, NAMES[index % std::size(NAMES)],
                  NAMES[(index + 1) % std::size(NAMES)]);
    return line;
}

std::string utf16leBytes(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void placeWindow(int caption)
{
    panelLayout = PANEL_LAYOUT_DEFAULTS;
    clientOffset = caption;
    updateWindowPlacement();
}

} // namespace

std::u16string worstCaseKeymap(Turning turning)
{
    std::string lines[WORST_CASE_KEYS];
    size_t keyUnits = 0;
    for (int i = 0; i < WORST_CASE_KEYS; ++i) {
        lines[i] = keyLine(i, turning);
        keyUnits += lines[i].size();
    }
    // The padding after each key line: a ";" comment, its CRLF, and its share of what is left.
    const size_t padding = FILE_UNITS - keyUnits;
    std::u16string text;
    size_t padded = 0;
    for (int i = 0; i < WORST_CASE_KEYS; ++i) {
        text.append(lines[i].begin(), lines[i].end());
        const size_t share = padding * (i + 1) / WORST_CASE_KEYS - padded;
        padded += share;
        text += u';';
        text.append(share - 3, u'-');
        text += u"\r\n";
    }
    return text;
}

std::string worstCaseKeymapBytes(Turning turning)
{
    return utf16leBytes(worstCaseKeymap(turning));
}

std::string checkWorstCaseKeymapBytes()
{
    std::string text;
    char line[80];
    // A little longer than the panel's diagonal, 2 pixels thin, each turned 1.4 degrees more.
    for (int i = 0; i < CHECK_WORST_CASE_THIN_KEYS; ++i) {
        std::snprintf(line, sizeof line, "@N,%d,%d,1200,2,%d,T,,,VK_B,VK_B\r\n", PANEL_WIDTH / 2, PANEL_HEIGHT / 2,
                      5 + 14 * i);
        text += line;
    }
    for (int i = 0; i < CHECK_WORST_CASE_FULL_KEYS; ++i) {
        std::snprintf(line, sizeof line, "@N,%d,%d,%d,%d,0,F,,,VK_A,VK_A\r\n", PANEL_WIDTH / 2, PANEL_HEIGHT / 2,
                      PANEL_WIDTH, PANEL_HEIGHT);
        text += line;
    }
    return utf16leBytes(std::u16string(text.begin(), text.end()));
}

void useBuiltInLayout(int caption)
{
    placeWindow(caption);
    installDefaultLayout(*keyTable);
}

void useWorstCaseLayout(int caption, Turning turning)
{
    placeWindow(caption);
    std::u16string text = worstCaseKeymap(turning);
    text += u'\0';
    PanelLayout panel = panelLayout;
    KeymapOptions options = keymapOptions;
    parseKeymap(text.data(), text.size() - 1, *keyTable, panel, options);
}

Point keyCentre(int index)
{
    const KeyRecord& key = keyTable->keys[index];
    return panelToClient({key.centerX, key.centerY});
}
