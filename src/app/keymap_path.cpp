// Builds the keymap file's path from the program's own path.
#include "app/keymap_path.h"

#include "layout/u16text.h"

void buildKeymapPath(char16_t* path, size_t capacity, const char16_t* fileName)
{
    size_t length = 0;
    if (!u16Length(path, capacity, &length))
        return;
    for (size_t i = length; i > 0; --i) {
        if (path[i - 1] == u'\\') {
            path[i] = 0;
            break;
        }
    }
    u16Append(path, capacity, fileName);
}
