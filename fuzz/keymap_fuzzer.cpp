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
    parseKeymap(text.data(), units, table, panel);

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
    return 0;
}
