// The built-in 66-key layout, used when no keymap file can be read: constant records copied verbatim.
#include "layout/default_layout.h"

#include <cstring>

namespace {

constexpr KeyKind N = KeyKind::Normal;
constexpr KeyKind F = KeyKind::Latching;

} // namespace

// Keys 60 and 61 ("[" and "]") lie exactly under keys 18 and 19 ("T" and "Y"): drawn beneath them and
// never reachable by touch. Their order in the table is part of the layout.
// The table keeps its rows as they are read.
// clang-format off
const KeyRecord DefaultLayout[DEFAULT_LAYOUT_KEYS] = {
    {N, 78, 88, 70, 86, 0, u"Esc", u"", u"", 0x1B, 0x1B, KeyState::Up, {}}, // 0 VK_ESCAPE
    {N, 152, 88, 70, 86, 0, u"1", u"!", u"F1", 0x31, 0x70, KeyState::Up, {}}, // 1 VK_1 / VK_F1
    {N, 226, 88, 70, 86, 0, u"2", u"@", u"F2", 0x32, 0x71, KeyState::Up, {}}, // 2 VK_2 / VK_F2
    {N, 300, 88, 70, 86, 0, u"3", u"#", u"F3", 0x33, 0x72, KeyState::Up, {}}, // 3 VK_3 / VK_F3
    {N, 374, 88, 70, 86, 0, u"4", u"$", u"F4", 0x34, 0x73, KeyState::Up, {}}, // 4 VK_4 / VK_F4
    {N, 448, 88, 70, 86, 0, u"5", u"%", u"F5", 0x35, 0x74, KeyState::Up, {}}, // 5 VK_5 / VK_F5
    {N, 522, 88, 70, 86, 0, u"6", u"^", u"F6", 0x36, 0x75, KeyState::Up, {}}, // 6 VK_6 / VK_F6
    {N, 596, 88, 70, 86, 0, u"7", u"&", u"F7", 0x37, 0x76, KeyState::Up, {}}, // 7 VK_7 / VK_F7
    {N, 670, 88, 70, 86, 0, u"8", u"*", u"F8", 0x38, 0x77, KeyState::Up, {}}, // 8 VK_8 / VK_F8
    {N, 744, 88, 70, 86, 0, u"9", u"(", u"F9", 0x39, 0x78, KeyState::Up, {}}, // 9 VK_9 / VK_F9
    {N, 818, 88, 70, 86, 0, u"0", u")", u"F10", 0x30, 0x79, KeyState::Up, {}}, // 10 VK_0 / VK_F10
    {N, 892, 88, 70, 86, 0, u"-", u"_", u"F11", 0xBD, 0x7A, KeyState::Up, {}}, // 11 VK_OEM_MINUS / VK_F11
    {N, 966, 88, 70, 86, 0, u"Del", u"", u"BS", 0x2E, 0x08, KeyState::Up, {}}, // 12 VK_DELETE / VK_BACK
    {N, 78, 178, 70, 86, 0, u"Tab", u"", u"", 0x09, 0x09, KeyState::Up, {}}, // 13 VK_TAB
    {N, 152, 178, 70, 86, 0, u"Q", u"", u"", 0x51, 0x51, KeyState::Up, {}}, // 14 VK_Q
    {N, 226, 178, 70, 86, 0, u"W", u"", u"", 0x57, 0x57, KeyState::Up, {}}, // 15 VK_W
    {N, 300, 178, 70, 86, 0, u"E", u"", u"", 0x45, 0x45, KeyState::Up, {}}, // 16 VK_E
    {N, 374, 178, 70, 86, 0, u"R", u"", u"", 0x52, 0x52, KeyState::Up, {}}, // 17 VK_R
    {N, 448, 178, 70, 86, 0, u"T", u"", u"", 0x54, 0x54, KeyState::Up, {}}, // 18 VK_T
    {N, 522, 178, 70, 86, 0, u"Y", u"", u"", 0x59, 0x59, KeyState::Up, {}}, // 19 VK_Y
    {N, 596, 178, 70, 86, 0, u"U", u"", u"", 0x55, 0x55, KeyState::Up, {}}, // 20 VK_U
    {N, 670, 178, 70, 86, 0, u"I", u"", u"", 0x49, 0x49, KeyState::Up, {}}, // 21 VK_I
    {N, 744, 178, 70, 86, 0, u"O", u"", u"", 0x4F, 0x4F, KeyState::Up, {}}, // 22 VK_O
    {N, 818, 178, 70, 86, 0, u"P", u"", u"", 0x50, 0x50, KeyState::Up, {}}, // 23 VK_P
    {N, 892, 178, 70, 86, 0, u"=", u"+", u"F12", 0xBB, 0x7B, KeyState::Up, {}}, // 24 VK_OEM_PLUS / VK_F12
    {N, 966, 178, 70, 86, 0, u"BS", u"", u"Del", 0x08, 0x2E, KeyState::Up, {}}, // 25 VK_BACK / VK_DELETE
    {F, 78, 268, 70, 86, 0, u"Ctrl", u"", u"", 0xA2, 0xA2, KeyState::Up, {}}, // 26 VK_LCONTROL
    {N, 152, 268, 70, 86, 0, u"A", u"", u"", 0x41, 0x41, KeyState::Up, {}}, // 27 VK_A
    {N, 226, 268, 70, 86, 0, u"S", u"", u"", 0x53, 0x53, KeyState::Up, {}}, // 28 VK_S
    {N, 300, 268, 70, 86, 0, u"D", u"", u"", 0x44, 0x44, KeyState::Up, {}}, // 29 VK_D
    {N, 374, 268, 70, 86, 0, u"F", u"", u"", 0x46, 0x46, KeyState::Up, {}}, // 30 VK_F
    {N, 448, 268, 70, 86, 0, u"G", u"", u"", 0x47, 0x47, KeyState::Up, {}}, // 31 VK_G
    {N, 522, 268, 70, 86, 0, u"H", u"", u"", 0x48, 0x48, KeyState::Up, {}}, // 32 VK_H
    {N, 596, 268, 70, 86, 0, u"J", u"", u"", 0x4A, 0x4A, KeyState::Up, {}}, // 33 VK_J
    {N, 670, 268, 70, 86, 0, u"K", u"", u"", 0x4B, 0x4B, KeyState::Up, {}}, // 34 VK_K
    {N, 744, 268, 70, 86, 0, u"L", u"", u"", 0x4C, 0x4C, KeyState::Up, {}}, // 35 VK_L
    {N, 818, 268, 70, 86, 0, u":", u":", u"", 0xBA, 0xBA, KeyState::Up, {}}, // 36 VK_OEM_1
    {N, 892, 268, 70, 86, 0, u"'", u"\"", u"", 0xDE, 0xDE, KeyState::Up, {}}, // 37 VK_OEM_7
    {N, 966, 313, 70, 176, 0, u"Enter", u"", u"", 0x0D, 0x0D, KeyState::Up, {}}, // 38 VK_RETURN
    {F, 78, 358, 70, 86, 0, u"Shift", u"", u"", 0xA0, 0xA0, KeyState::Up, {}}, // 39 VK_LSHIFT
    {N, 152, 358, 70, 86, 0, u"Z", u"", u"", 0x5A, 0x5A, KeyState::Up, {}}, // 40 VK_Z
    {N, 226, 358, 70, 86, 0, u"X", u"", u"", 0x58, 0x58, KeyState::Up, {}}, // 41 VK_X
    {N, 300, 358, 70, 86, 0, u"C", u"", u"", 0x43, 0x43, KeyState::Up, {}}, // 42 VK_C
    {N, 374, 358, 70, 86, 0, u"V", u"", u"", 0x56, 0x56, KeyState::Up, {}}, // 43 VK_V
    {N, 448, 358, 70, 86, 0, u"B", u"", u"", 0x42, 0x42, KeyState::Up, {}}, // 44 VK_B
    {N, 522, 358, 70, 86, 0, u"N", u"", u"", 0x4E, 0x4E, KeyState::Up, {}}, // 45 VK_N
    {N, 596, 358, 70, 86, 0, u"M", u"", u"", 0x4D, 0x4D, KeyState::Up, {}}, // 46 VK_M
    {N, 670, 358, 70, 86, 0, u",", u"<", u"", 0xBC, 0xBC, KeyState::Up, {}}, // 47 VK_OEM_COMMA
    {N, 744, 358, 70, 86, 0, u".", u">", u"", 0xBE, 0xBE, KeyState::Up, {}}, // 48 VK_OEM_PERIOD
    {N, 818, 358, 70, 86, 0, u"/", u"?", u"", 0xBF, 0xBF, KeyState::Up, {}}, // 49 VK_OEM_2
    {F, 892, 358, 70, 86, 0, u"Shift", u"", u"", 0xA1, 0xA1, KeyState::Up, {}}, // 50 VK_RSHIFT
    {F, 78, 448, 70, 86, 0, u"Fn", u"", u"", 0x3B, 0x3B, KeyState::Up, {}}, // 51 VK_FN
    {F, 152, 448, 70, 86, 0, u"Alt", u"", u"", 0xA4, 0xA4, KeyState::Up, {}}, // 52 VK_LMENU
    {N, 411, 448, 292, 86, 0, u" ", u"", u"", 0x20, 0x20, KeyState::Up, {}}, // 53 VK_SPACE
    {N, 596, 448, 70, 86, 0, u"\\", u"|", u"", 0xDC, 0xDC, KeyState::Up, {}}, // 54 VK_OEM_5
    {N, 670, 448, 70, 86, 0, u"`", u"~", u"", 0xC0, 0xC0, KeyState::Up, {}}, // 55 VK_OEM_3
    {F, 744, 448, 70, 86, 0, u"Alt", u"", u"", 0xA5, 0xA5, KeyState::Up, {}}, // 56 VK_RMENU
    {F, 818, 448, 70, 86, 0, u"Ctrl", u"", u"", 0xA3, 0xA3, KeyState::Up, {}}, // 57 VK_RCONTROL
    {N, 892, 448, 70, 86, 0, u"\u2191", u"", u"PgUp", 0x26, 0x21, KeyState::Up, {}}, // 58 VK_UP / VK_PRIOR
    {F, 966, 448, 70, 86, 0, u"Fn", u"", u"", 0x3B, 0x3B, KeyState::Up, {}}, // 59 VK_FN
    {N, 448, 178, 70, 86, 0, u"[", u"{", u"", 0xDB, 0xDB, KeyState::Up, {}}, // 60 VK_OEM_4
    {N, 522, 178, 70, 86, 0, u"]", u"}", u"", 0xDD, 0xDD, KeyState::Up, {}}, // 61 VK_OEM_6
    {N, 78, 538, 70, 86, 0, u"Exit", u"", u"", 0xFF, 0xFF, KeyState::Up, {}}, // 62 VK_EXIT
    {N, 818, 538, 70, 86, 0, u"\u2190", u"", u"Home", 0x25, 0x24, KeyState::Up, {}}, // 63 VK_LEFT / VK_HOME
    {N, 892, 538, 70, 86, 0, u"\u2193", u"", u"PgDn", 0x28, 0x22, KeyState::Up, {}}, // 64 VK_DOWN / VK_NEXT
    {N, 966, 538, 70, 86, 0, u"\u2192", u"", u"End", 0x27, 0x23, KeyState::Up, {}}, // 65 VK_RIGHT / VK_END
};
// clang-format on

void installDefaultLayout(KeyTable& table)
{
    std::memcpy(table.keys, DefaultLayout, sizeof DefaultLayout);
    table.count = DEFAULT_LAYOUT_KEYS;
}
