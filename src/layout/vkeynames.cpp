// The 174 rows of the virtual-key name table, in lookup order: the platform's names and the program's own three.
#include "layout/vkeynames.h"

#include "layout/u16text.h"

// The table keeps its rows as they are read.
// clang-format off
const VirtualKeyName VirtualKeyNameTable[VIRTUAL_KEY_NAME_ROWS] = {
    {u"VK_LBUTTON", 0x01}, {u"VK_RBUTTON", 0x02}, {u"VK_CANCEL", 0x03}, {u"VK_MBUTTON", 0x04},
    {u"VK_XBUTTON1", 0x05}, {u"VK_XBUTTON2", 0x06}, {u"VK_BACK", 0x08}, {u"VK_TAB", 0x09},
    {u"VK_CLEAR", 0x0C}, {u"VK_RETURN", 0x0D}, {u"VK_CONTROL", 0x11}, {u"VK_MENU", 0x12},
    {u"VK_PAUSE", 0x13}, {u"VK_CAPITAL", 0x14}, {u"VK_KANA", 0x15}, {u"VK_HANGUEL", 0x15},
    {u"VK_HANGUL", 0x15}, {u"VK_JUNJA", 0x17}, {u"VK_FINAL", 0x18}, {u"VK_HANJA", 0x19},
    {u"VK_KANJI", 0x19}, {u"VK_ESCAPE", 0x1B}, {u"VK_CONVERT", 0x1C}, {u"VK_NONCONVERT", 0x1D},
    {u"VK_ACCEPT", 0x1E}, {u"VK_MODECHANGE", 0x1F}, {u"VK_SPACE", 0x20}, {u"VK_PRIOR", 0x21},
    {u"VK_NEXT", 0x22}, {u"VK_END", 0x23}, {u"VK_HOME", 0x24}, {u"VK_LEFT", 0x25},
    {u"VK_UP", 0x26}, {u"VK_RIGHT", 0x27}, {u"VK_DOWN", 0x28}, {u"VK_SELECT", 0x29},
    {u"VK_PRINT", 0x2A}, {u"VK_EXECUTE", 0x2B}, {u"VK_SNAPSHOT", 0x2C}, {u"VK_INSERT", 0x2D},
    {u"VK_DELETE", 0x2E}, {u"VK_HELP", 0x2F}, {u"VK_0", 0x30}, {u"VK_1", 0x31},
    {u"VK_2", 0x32}, {u"VK_3", 0x33}, {u"VK_4", 0x34}, {u"VK_5", 0x35},
    {u"VK_6", 0x36}, {u"VK_7", 0x37}, {u"VK_8", 0x38}, {u"VK_9", 0x39},
    {u"VK_A", 0x41}, {u"VK_B", 0x42}, {u"VK_C", 0x43}, {u"VK_D", 0x44},
    {u"VK_E", 0x45}, {u"VK_F", 0x46}, {u"VK_G", 0x47}, {u"VK_H", 0x48},
    {u"VK_I", 0x49}, {u"VK_J", 0x4A}, {u"VK_K", 0x4B}, {u"VK_L", 0x4C},
    {u"VK_M", 0x4D}, {u"VK_N", 0x4E}, {u"VK_O", 0x4F}, {u"VK_P", 0x50},
    {u"VK_Q", 0x51}, {u"VK_R", 0x52}, {u"VK_S", 0x53}, {u"VK_T", 0x54},
    {u"VK_U", 0x55}, {u"VK_V", 0x56}, {u"VK_W", 0x57}, {u"VK_X", 0x58},
    {u"VK_Y", 0x59}, {u"VK_Z", 0x5A}, {u"VK_LWIN", 0x5B}, {u"VK_RWIN", 0x5C},
    {u"VK_APPS", 0x5D}, {u"VK_SLEEP", 0x5F}, {u"VK_NUMPAD0", 0x60}, {u"VK_NUMPAD1", 0x61},
    {u"VK_NUMPAD2", 0x62}, {u"VK_NUMPAD3", 0x63}, {u"VK_NUMPAD4", 0x64}, {u"VK_NUMPAD5", 0x65},
    {u"VK_NUMPAD6", 0x66}, {u"VK_NUMPAD7", 0x67}, {u"VK_NUMPAD8", 0x68}, {u"VK_NUMPAD9", 0x69},
    {u"VK_MULTIPLY", 0x6A}, {u"VK_ADD", 0x6B}, {u"VK_SEPARATOR", 0x6C}, {u"VK_SUBTRACT", 0x6D},
    {u"VK_DECIMAL", 0x6E}, {u"VK_DIVIDE", 0x6F}, {u"VK_F1", 0x70}, {u"VK_F2", 0x71},
    {u"VK_F3", 0x72}, {u"VK_F4", 0x73}, {u"VK_F5", 0x74}, {u"VK_F6", 0x75},
    {u"VK_F7", 0x76}, {u"VK_F8", 0x77}, {u"VK_F9", 0x78}, {u"VK_F10", 0x79},
    {u"VK_F11", 0x7A}, {u"VK_F12", 0x7B}, {u"VK_F13", 0x7C}, {u"VK_F14", 0x7D},
    {u"VK_F15", 0x7E}, {u"VK_F16", 0x7F}, {u"VK_F17", 0x80}, {u"VK_F18", 0x81},
    {u"VK_F19", 0x82}, {u"VK_F20", 0x83}, {u"VK_F21", 0x84}, {u"VK_F22", 0x85},
    {u"VK_F23", 0x86}, {u"VK_F24", 0x87}, {u"VK_NUMLOCK", 0x90}, {u"VK_SCROLL", 0x91},
    {u"VK_LSHIFT", 0xA0}, {u"VK_RSHIFT", 0xA1}, {u"VK_LCONTROL", 0xA2}, {u"VK_RCONTROL", 0xA3},
    {u"VK_LMENU", 0xA4}, {u"VK_RMENU", 0xA5}, {u"VK_BROWSER_BACK", 0xA6}, {u"VK_BROWSER_FORWARD", 0xA7},
    {u"VK_BROWSER_REFRESH", 0xA8}, {u"VK_BROWSER_STOP", 0xA9}, {u"VK_BROWSER_SEARCH", 0xAA}, {u"VK_BROWSER_FAVORITES", 0xAB},
    {u"VK_BROWSER_HOME", 0xAC}, {u"VK_VOLUME_MUTE", 0xAD}, {u"VK_VOLUME_DOWN", 0xAE}, {u"VK_VOLUME_UP", 0xAF},
    {u"VK_MEDIA_NEXT_TRACK", 0xB0}, {u"VK_MEDIA_PREV_TRACK", 0xB1}, {u"VK_MEDIA_STOP", 0xB2}, {u"VK_MEDIA_PLAY_PAUSE", 0xB3},
    {u"VK_LAUNCH_MAIL", 0xB4}, {u"VK_LAUNCH_MEDIA_SELECT", 0xB5}, {u"VK_LAUNCH_APP1", 0xB6}, {u"VK_LAUNCH_APP2", 0xB7},
    {u"VK_OEM_1", 0xBA}, {u"VK_OEM_PLUS", 0xBB}, {u"VK_OEM_COMMA", 0xBC}, {u"VK_OEM_MINUS", 0xBD},
    {u"VK_OEM_PERIOD", 0xBE}, {u"VK_OEM_2", 0xBF}, {u"VK_OEM_3", 0xC0}, {u"VK_OEM_4", 0xDB},
    {u"VK_OEM_5", 0xDC}, {u"VK_OEM_6", 0xDD}, {u"VK_OEM_7", 0xDE}, {u"VK_OEM_8", 0xDF},
    {u"VK_OEM_102", 0xE2}, {u"VK_PROCESSKEY", 0xE5}, {u"VK_ATTN", 0xF6}, {u"VK_CRSEL", 0xF7},
    {u"VK_EXSEL", 0xF8}, {u"VK_EREOF", 0xF9}, {u"VK_PLAY", 0xFA}, {u"VK_ZOOM", 0xFB},
    {u"VK_NONAME", 0xFC}, {u"VK_PA1", 0xFD}, {u"VK_OEM_CLEAR", 0xFE}, {u"VK_INDICATOR", 0x3A},
    {u"VK_FN", 0x3B}, {u"VK_EXIT", 0xFF},
};
// clang-format on

uint8_t findVirtualKey(const char16_t* name)
{
    for (const VirtualKeyName& row : VirtualKeyNameTable) {
        if (u16Equal(row.name, name))
            return static_cast<uint8_t>(row.code & 0xFF);
    }
    return 0;
}

const char16_t* virtualKeyName(uint8_t code)
{
    for (const VirtualKeyName& row : VirtualKeyNameTable) {
        if (row.code == code)
            return row.name;
    }
    return nullptr;
}
