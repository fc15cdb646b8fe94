// The built-in layout that start-up installs when the keymap file cannot be read.
#pragma once

#include "layout/keytable.h"

constexpr int DEFAULT_LAYOUT_KEYS = 66;
extern const KeyRecord DefaultLayout[DEFAULT_LAYOUT_KEYS];

// Copies the 66 records verbatim into records 0 to 65 and sets the count to 66.
void installDefaultLayout(KeyTable& table);
