// Converts UTF-8 keymap text to the UTF-16LE, CRLF form the keyboard reads.
#include "keymap-tool/convert.h"

#include "layout/u16text.h"

std::string keymapFromUtf8(const std::string& text)
{
    std::string source = text;
    if (source.rfind("\xEF\xBB\xBF", 0) == 0)
        source.erase(0, 3);
    std::u16string units = utf8ToUtf16(source);

    std::u16string lines;
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] == u'\n' && (i == 0 || units[i - 1] != u'\r'))
            lines += u'\r';
        lines += units[i];
    }
    // A key line needs a comma or a carriage return after its last name, even at the end of the file.
    if (!lines.empty() && lines.back() != u'\n')
        lines += u"\r\n";

    std::string bytes;
    bytes.reserve(lines.size() * 2);
    for (char16_t unit : lines) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}
