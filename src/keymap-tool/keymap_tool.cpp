// The commands of plumtide-keymap, built on the keyboard's own loader and layout model.
#include "keymap-tool/keymap_tool.h"

#include <cstring>

#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "layout/keytable.h"

namespace {

const char usage[] = "usage: plumtide-keymap dump [FILE]\n";

// Fills the key table exactly as start-up does: the file when it can be read, else the built-in
// layout. Returns whether the file was loaded.
bool loadLikeStartUp(const std::u16string* path)
{
    if (!keyTable)
        allocateKeyTable();
    std::memset(keyTable, 0, sizeof(KeyTable));
    panelLayout = PANEL_LAYOUT_DEFAULTS;
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

int dump(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err)
{
    if (args.size() > 2) {
        std::fputs(usage, err);
        return 2;
    }
    bool loaded = loadLikeStartUp(args.size() == 2 ? &args[1] : nullptr);
    std::fprintf(out,
                 "{\"loaded\": %s, \"panel\": {\"dockSide\": %d, \"tabOffset\": %d, \"tabWidth\": %d, "
                 "\"tabHeight\": %d}, \"count\": %d, \"keys\": [",
                 loaded ? "true" : "false", static_cast<int>(panelLayout.dockSide), panelLayout.tabOffset,
                 panelLayout.tabWidth, panelLayout.tabHeight, keyTable->count);
    for (int i = 0; i < keyTable->count; ++i) {
        std::fputs(i == 0 ? "\n  " : ",\n  ", out);
        printKey(out, keyTable->keys[i]);
    }
    std::fputs(keyTable->count ? "\n]}\n" : "]}\n", out);
    return 0;
}

} // namespace

int runKeymapTool(const std::vector<std::u16string>& args, std::FILE* out, std::FILE* err)
{
    if (!args.empty() && args[0] == u"dump")
        return dump(args, out, err);
    std::fputs(usage, err);
    return 2;
}
