// The key table's storage: one zero-filled block for the whole run.
#include "layout/keytable.h"

#include "layout/options.h"

#include <cstdlib>
#include <cstring>

KeyTable* keyTable = nullptr;
PanelLayout panelLayout = PANEL_LAYOUT_DEFAULTS;
KeymapOptions keymapOptions = KEYMAP_OPTION_DEFAULTS;

KeyTable* allocateKeyTable()
{
    keyTable = static_cast<KeyTable*>(std::calloc(1, sizeof(KeyTable)));
    return keyTable;
}

void freeKeyTable()
{
    std::free(keyTable);
    keyTable = nullptr;
}

bool resetLayout()
{
    panelLayout = PANEL_LAYOUT_DEFAULTS;
    keymapOptions = KEYMAP_OPTION_DEFAULTS;
    if (!keyTable && !allocateKeyTable())
        return false;
    std::memset(keyTable, 0, sizeof(KeyTable));
    return true;
}
