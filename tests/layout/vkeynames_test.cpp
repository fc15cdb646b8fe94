// The virtual-key name table: exact, case-sensitive lookups, aliases and the program's own names.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "layout/u16text.h"
#include "layout/vkeynames.h"

namespace {

struct Lookup {
    std::u16string name;
    uint8_t code;
};

class VirtualKeyLookup : public testing::TestWithParam<Lookup> {};

TEST_P(VirtualKeyLookup, GivesTheCodeOfTheFirstEqualRow)
{
    EXPECT_EQ(findVirtualKey(GetParam().name.c_str()), GetParam().code);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Names, VirtualKeyLookup,
    testing::Values(Lookup{u"VK_ESCAPE", 0x1B}, Lookup{u"VK_LBUTTON", 0x01}, Lookup{u"VK_KANA", 0x15},
                    Lookup{u"VK_HANGUEL", 0x15}, Lookup{u"VK_HANGUL", 0x15}, Lookup{u"VK_HANJA", 0x19},
                    Lookup{u"VK_KANJI", 0x19}, Lookup{u"VK_CONTROL", 0x11}, Lookup{u"VK_LSHIFT", 0xA0},
                    Lookup{u"VK_LAUNCH_MEDIA_SELECT", 0xB5}, Lookup{u"VK_OEM_CLEAR", 0xFE},
                    Lookup{u"VK_EXIT", 0xFF}, Lookup{u"VK_INDICATOR", 0x3A}, Lookup{u"VK_FN", 0x3B},
                    // Not found: case, spaces, prefixes, longer names, the generic shift, empty.
                    Lookup{u"vk_escape", 0}, Lookup{u"VK_ESCAPE ", 0}, Lookup{u" VK_ESCAPE", 0},
                    Lookup{u"VK_ESC", 0}, Lookup{u"VK_ESCAPEX", 0}, Lookup{u"VK_SHIFT", 0}, Lookup{u"", 0},
                    Lookup{u"VK_LAUNCH_MEDIA_SELECTED_LONGER_THAN_ANY_ROW", 0}));
// clang-format on

TEST(VirtualKeyNameTable, HasUniqueTerminatedNamesAndEightBitCodes)
{
    std::set<std::u16string> names;
    for (const VirtualKeyName& row : VirtualKeyNameTable) {
        size_t units = 0;
        ASSERT_TRUE(u16Length(row.name, 32, &units));
        EXPECT_LE(units, 22u);
        EXPECT_LE(row.code, 0xFF);
        EXPECT_TRUE(names.insert(row.name).second) << "duplicate name";
    }
    EXPECT_EQ(names.size(), 174u);
    EXPECT_EQ(virtualKeyName(0x15), std::u16string(u"VK_KANA")) << "the first row of an alias wins";
    EXPECT_EQ(virtualKeyName(0x10), nullptr) << "no generic shift row";
}

} // namespace
