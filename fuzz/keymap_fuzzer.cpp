// Fuzzes the keymap parser with arbitrary file contents and checks the key table's invariants.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "layout/keymap.h"
#include "layout/keytable.h"
#include "layout/u16text.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Exactly what the loader hands the parser: at most 64 KiB, one reserved NUL unit after the
    // data, in an allocation of that size so that any search past it is caught.
    size_t bytes = size < KEYMAP_READ_LIMIT ? size : KEYMAP_READ_LIMIT;
    size_t units = (bytes + 1) / 2;
    std::vector<char16_t> text(units + 1, 0);
    std::memcpy(text.data(), data, bytes);

    static KeyTable table;
    std::memset(&table, 0, sizeof table);
    PanelLayout panel = PANEL_LAYOUT_DEFAULTS;
    KeymapOptions options = KEYMAP_OPTION_DEFAULTS;
    parseKeymap(text.data(), units, table, panel, options);

    require(table.count <= MAX_KEYS);
    for (int i = 0; i < MAX_KEYS; ++i) {
        const KeyRecord& key = table.keys[i];
        size_t length = 0;
        require(u16Length(key.label, LABEL_UNITS, &length));
        require(u16Length(key.shiftLabel, LABEL_UNITS, &length));
        require(u16Length(key.fnLabel, LABEL_UNITS, &length));
        require(key.kind == KeyKind::Normal || key.kind == KeyKind::Latching);
        require(key.state == KeyState::Up);
        require(key.bounds.left == 0 && key.bounds.top == 0 && key.bounds.right == 0 && key.bounds.bottom == 0);
    }
    // Nothing past the 255th record is ever written.
    static const KeyRecord blank{};
    for (int i = MAX_KEYS; i < KEYTABLE_CAPACITY; ++i)
        require(std::memcmp(&table.keys[i], &blank, sizeof blank) == 0);
    require(static_cast<int32_t>(panel.dockSide) >= 0 && static_cast<int32_t>(panel.dockSide) <= 4);
    // Every option holds a value its row takes, or its default.
    for (int i = 0; i < KEYMAP_OPTION_COUNT; ++i) {
        const int32_t value = KEYMAP_OPTIONS[i].field.get(options);
        OptionValue values[MAX_OPTION_VALUES];
        const int count = optionValues(i, values, MAX_OPTION_VALUES);
        bool taken = value == KEYMAP_OPTIONS[i].field.get(KEYMAP_OPTION_DEFAULTS);
        for (int j = 0; j < count; ++j)
            taken = taken || (values[j].low <= value && value <= values[j].high);
        require(taken);
    }
    return 0;
}
