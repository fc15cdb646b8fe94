// The built-in layout's facts, and the shipped keymap file that writes it out for authors.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "fake/fake_platform.h"
#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "layout/u16text.h"
#include "layout/vkeynames.h"
#include "input/input.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

bool sameShape(const KeyRecord& a, const KeyRecord& b)
{
    return a.centerX == b.centerX && a.centerY == b.centerY && a.width == b.width && a.height == b.height &&
           a.angle == b.angle;
}

TEST(DefaultLayout, HasTheFactsEveryOtherPartReliesOn)
{
    std::set<int> latching;
    std::set<int> fnLayerKeys;
    for (int i = 0; i < DEFAULT_LAYOUT_KEYS; ++i) {
        const KeyRecord& key = DefaultLayout[i];
        if (key.kind == KeyKind::Latching)
            latching.insert(i);
        if (key.vk != key.fnVk)
            fnLayerKeys.insert(i);
        EXPECT_EQ(key.fnLabel[0] != 0, key.vk != key.fnVk) << "exactly the Fn-layer keys carry a third legend: " << i;
        EXPECT_EQ(key.angle, 0);
        EXPECT_EQ(key.state, KeyState::Up);
        EXPECT_EQ(key.bounds.left | key.bounds.top | key.bounds.right | key.bounds.bottom, 0);
        for (const char16_t* field : {key.label, key.shiftLabel, key.fnLabel}) {
            size_t units = 0;
            ASSERT_TRUE(u16Length(field, LABEL_UNITS, &units));
            for (size_t u = units; u < LABEL_UNITS; ++u)
                EXPECT_EQ(field[u], 0) << "padding of key " << i;
        }
        EXPECT_GE(key.centerX - key.width / 2, 43);
        EXPECT_LE(key.centerX + key.width / 2, 1001);
        EXPECT_GE(key.centerY - key.height / 2, 45);
        EXPECT_LE(key.centerY + key.height / 2, 581);
    }
    EXPECT_EQ(latching, (std::set<int>{26, 39, 50, 51, 52, 56, 57, 59}));
    EXPECT_EQ(fnLayerKeys, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 24, 25, 58, 63, 64, 65}));
    // "[" and "]" lie exactly under "T" and "Y".
    EXPECT_TRUE(sameShape(DefaultLayout[60], DefaultLayout[18]));
    EXPECT_TRUE(sameShape(DefaultLayout[61], DefaultLayout[19]));
    EXPECT_EQ(DefaultLayout[62].vk, VK_EXIT);
    EXPECT_EQ(DefaultLayout[62].fnVk, VK_EXIT);
    EXPECT_EQ(DefaultLayout[51].vk, VK_FN);
    EXPECT_EQ(DefaultLayout[59].fnVk, VK_FN);
    EXPECT_EQ(DefaultLayout[12].fnVk, 0x08) << "Del becomes Backspace in the Fn layer";
    EXPECT_EQ(DefaultLayout[25].fnVk, 0x2E) << "and Backspace becomes Del";
    EXPECT_EQ(DefaultLayout[1].fnVk, 0x70);
}

TEST(DefaultLayout, InstallsAVerbatimCopy)
{
    KeyTable* table = allocateKeyTable();
    ASSERT_NE(table, nullptr);
    installDefaultLayout(*table);
    EXPECT_EQ(table->count, 66);
    EXPECT_EQ(std::memcmp(table->keys, DefaultLayout, sizeof DefaultLayout), 0);
    EXPECT_EQ(table->keys[66].kind, KeyKind::Normal);
    freeKeyTable();
}

// The shipped sample is the built-in layout word for word, but for the comma key's legend: a
// legend cannot hold a comma, so the file writes U+201A there.
TEST(ShippedLayout, BuiltinKeymapLoadsToTheBuiltInRecords)
{
    fake::reset();
    ASSERT_NE(allocateKeyTable(), nullptr);
    panelLayout = {DockSide::None, 0, 0, 0};
    ASSERT_TRUE(loadKeymap(utf8ToUtf16(PLUMTIDE_SOURCE_ROOT "/layouts/builtin.keymap").c_str()));
    ASSERT_EQ(keyTable->count, DEFAULT_LAYOUT_KEYS);
    KeyRecord expected[DEFAULT_LAYOUT_KEYS];
    std::memcpy(expected, DefaultLayout, sizeof expected);
    ASSERT_EQ(std::u16string(expected[47].label), u",");
    expected[47].label[0] = u'\u201A';
    for (int i = 0; i < DEFAULT_LAYOUT_KEYS; ++i)
        EXPECT_EQ(std::memcmp(&keyTable->keys[i], &expected[i], sizeof(KeyRecord)), 0) << "key " << i;
    EXPECT_EQ(panelLayout.dockSide, DockSide::Top);
    EXPECT_EQ(panelLayout.tabOffset, 500);
    EXPECT_EQ(panelLayout.tabWidth, 80);
    EXPECT_EQ(panelLayout.tabHeight, 60);
    freeKeyTable();
}

} // namespace
