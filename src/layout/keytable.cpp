// The key table's storage: one zero-filled block for the whole run.
#include "layout/keytable.h"

#include <cstdlib>

KeyTable* keyTable = nullptr;
PanelLayout panelLayout = PANEL_LAYOUT_DEFAULTS;

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
