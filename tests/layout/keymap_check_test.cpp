// plumtide-keymap check and convert: one fixture per finding, the shipped layouts, and the round trip
// from UTF-8 text to a keymap the keyboard reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "fake/tool_run.h"
#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "layout/u16text.h"

namespace {

const std::string fixtures = PLUMTIDE_SOURCE_ROOT "/tests/fixtures/check/";
const std::string layouts = PLUMTIDE_SOURCE_ROOT "/layouts/";

struct CheckCase {
    const char* fixture;
    std::vector<std::string> findings; // "LINE: message", after the file name
};

struct CaseName {
    std::string operator()(const testing::TestParamInfo<CheckCase>& param) const
    {
        std::string name = param.param.fixture;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    }
};

class KeymapCheck : public testing::TestWithParam<CheckCase> {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_P(KeymapCheck, ReportsEachFindingWithItsLine)
{
    const std::string path = fixtures + GetParam().fixture + ".keymap";
    const ToolRun run = runTool({u"check", utf8ToUtf16(path)});
    std::string expected;
    for (const std::string& finding : GetParam().findings)
        expected += path + ":" + finding + "\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.exitCode, GetParam().findings.empty() ? 0 : 1);
    EXPECT_EQ(run.err, "");
}

const char* const unreachable =
    "can never be touched: earlier keys or the dock tab's hide area cover all of it, or it has no area on the panel";

INSTANTIATE_TEST_SUITE_P(
    Fixtures, KeymapCheck,
    testing::Values(
        CheckCase{"clean", {}},
        CheckCase{"missing-comma",
                  {"1: warning: key line abandoned at field 7 (shifted legend): no comma ends it, so the key is not "
                   "added"}},
        CheckCase{"trailing-text",
                  {"1: warning: key line abandoned at field 1 (x): text after the number (or no number at all), so "
                   "the key is not added"}},
        CheckCase{"bare-line-feed",
                  {"1: warning: key line abandoned at field 10 (Fn virtual key): bare line feed with no final comma "
                   "after the name, so the key is not added (end key lines with a comma, or use CRLF line ends)"}},
        CheckCase{"end-of-file",
                  {"1: warning: key line abandoned at field 10 (Fn virtual key): neither a comma nor a carriage "
                   "return after the name, so the key is not added"}},
        CheckCase{"unknown-names",
                  {"1: warning: virtual key \"vk_a\" is not a known name: the key sends virtual key 0 (did you mean "
                   "\"VK_A\"?)",
                   "1: warning: Fn virtual key \"VK_A \" is not a known name: the key sends virtual key 0 (did you "
                   "mean \"VK_A\"?)",
                   "2: warning: virtual key \"VK_SHIFT\" is not a known name: the key sends virtual key 0",
                   "2: warning: Fn virtual key is empty: the key sends virtual key 0"}},
        CheckCase{"byte-order-mark",
                  {"1: warning: the file starts with a byte-order mark, so its first line is ignored; save it "
                   "without one"}},
        CheckCase{"utf8",
                  {"1: warning: the file is not UTF-16LE text: every other byte should be zero for the ASCII "
                   "characters of a keymap (UTF-8? convert it with plumtide-keymap convert)"}},
        CheckCase{"kind-letter",
                  {"1: warning: kind \"@n\" is neither N nor F: the key keeps the kind its record already had"}},
        CheckCase{"label-cut",
                  {"1: warning: legend \"ABCDEFGHIJKLMNOPQ\" is longer than 15 UTF-16 units and is cut to 15"}},
        CheckCase{"number-wrap",
                  {"1: warning: y 70000 does not fit in 16 bits and wraps to 4464",
                   "1: warning: key 0 (\"A\") reaches off the 1024x600 panel",
                   std::string("1: warning: key 0 (\"A\") ") + unreachable}},
        CheckCase{"too-many-keys",
                  {"256: warning: more than 255 keys: this key line and every later one are ignored"}},
        CheckCase{"dock-side", {"1: warning: dock side 5 is not 0 (none) to 4 (left) and is ignored"}},
        CheckCase{"off-panel", {"1: warning: key 0 (\"A\") reaches off the 1024x600 panel"}},
        CheckCase{"covered", {std::string("2: warning: key 1 (\"B\") ") + unreachable}},
        CheckCase{"under-the-tab", {std::string("2: warning: key 0 (\"Hid\") ") + unreachable}},
        CheckCase{"far-point",
                  {"1: warning: key 0 (\"A\") reaches off the 1024x600 panel",
                   "1: warning: key 0 (\"A\") is turned around the hit test's far point (-1000, -1000)",
                   std::string("1: warning: key 0 (\"A\") ") + unreachable}}),
    CaseName());

TEST(KeymapCheckFile, UnreadableFileExits2)
{
    fake::reset();
    const ToolRun run = runTool({u"check", u"C:\\missing.keymap"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("cannot open"), std::string::npos);
    EXPECT_EQ(runTool({u"check"}).exitCode, 2);
}

// Every shipped layout is free of findings, but the built-in one, whose "[" and "]" lie under "T" and
// "Y" as they do in the keyboard itself.
TEST(ShippedLayouts, CheckCleanAndMatchTheirSources)
{
    fake::reset();
    for (const char* name : {"builtin", "full-bottom", "split-right"}) {
        const std::string keymap = layouts + name + ".keymap";
        const ToolRun run = runTool({u"check", utf8ToUtf16(keymap)});
        if (std::string(name) == "builtin") {
            EXPECT_EQ(run.out, keymap + ":67: warning: key 60 (\"[\") " + unreachable + "\n" + keymap +
                                   ":68: warning: key 61 (\"]\") " + unreachable + "\n");
        } else {
            EXPECT_EQ(run.out, "") << name;
            EXPECT_EQ(run.exitCode, 0) << name;
        }
        // Each keymap is its UTF-8 source converted.
        const ToolRun converted = runTool({u"convert", utf8ToUtf16(layouts + name + ".txt"), u"-o", u"-"});
        EXPECT_EQ(converted.exitCode, 0);
        EXPECT_TRUE(converted.out == readFile(keymap)) << name << ".keymap is not its .txt converted";
        // And the picture in the README is the layout as it stands (builtin.svg shows the keyboard's
        // own built-in layout, comma legend included, and is checked with the render command).
        if (std::string(name) != "builtin") {
            const ToolRun picture = runTool({u"render", utf8ToUtf16(keymap), u"-o", u"-"});
            EXPECT_TRUE(picture.out == readFile(layouts + name + ".svg")) << name << ".svg is out of date";
        }
    }
}

class KeymapConvert : public testing::Test {
protected:
    void SetUp() override
    {
        fake::reset();
        ASSERT_NE(allocateKeyTable(), nullptr);
        panelLayout = PANEL_LAYOUT_DEFAULTS;
    }
    void TearDown() override { freeKeyTable(); }

    // Converts UTF-8 `text` and loads the result as the keyboard would.
    static bool convertAndLoad(const std::string& text)
    {
        fake::addFile(u"layout.txt", text);
        const ToolRun run = runTool({u"convert", u"layout.txt", u"-o", u"-"});
        if (run.exitCode != 0)
            return false;
        fake::addFile(u"layout.keymap", run.out);
        return loadKeymap(u"layout.keymap");
    }
};

TEST_F(KeymapConvert, MakesCrlfUtf16WithoutAByteOrderMark)
{
    fake::addFile(u"in.txt", "\xEF\xBB\xBF@N,1,2,3,4,5,\xE2\x86\x90,,,VK_LEFT,VK_HOME\nTAG:2,\r\nlast");
    const ToolRun run = runTool({u"convert", u"in.txt", u"-o", u"-"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, fake::utf16le(u"@N,1,2,3,4,5,\u2190,,,VK_LEFT,VK_HOME\r\nTAG:2,\r\nlast\r\n"));
}

TEST_F(KeymapConvert, RoundTripGivesTheKeysWritten)
{
    ASSERT_TRUE(convertAndLoad("TAG:4,100,40,90,\n"
                               "@N,78,88,70,86,0,Esc,,,VK_ESCAPE,VK_ESCAPE\n"
                               "@F,152,88,70,86,-150,\xE2\x87\xA7,,Fn,VK_LSHIFT,VK_FN"));
    ASSERT_EQ(keyTable->count, 2) << "the last line got its line end";
    EXPECT_EQ(panelLayout.dockSide, DockSide::Left);
    EXPECT_EQ(panelLayout.tabHeight, 90);
    EXPECT_EQ(std::u16string(keyTable->keys[1].label), u"\u21E7");
    EXPECT_EQ(keyTable->keys[1].kind, KeyKind::Latching);
    EXPECT_EQ(keyTable->keys[1].angle, -150);
    EXPECT_EQ(keyTable->keys[1].fnVk, 0x3B);
}

TEST_F(KeymapConvert, BuiltInSourceLoadsToTheBuiltInRecords)
{
    ASSERT_TRUE(convertAndLoad(readFile(layouts + "builtin.txt")));
    ASSERT_EQ(keyTable->count, DEFAULT_LAYOUT_KEYS);
    for (int i = 0; i < DEFAULT_LAYOUT_KEYS; ++i) {
        if (i == 47)
            continue; // a legend cannot hold the comma: the file writes U+201A
        EXPECT_EQ(std::memcmp(&keyTable->keys[i], &DefaultLayout[i], sizeof(KeyRecord)), 0) << "key " << i;
    }
}

TEST_F(KeymapConvert, BadArgumentsAndUnreadableInputExit2)
{
    EXPECT_EQ(runTool({u"convert", u"in.txt"}).exitCode, 2);
    EXPECT_EQ(runTool({u"convert", u"in.txt", u"-x", u"out"}).exitCode, 2);
    const ToolRun missing = runTool({u"convert", u"C:\\missing.txt", u"-o", u"-"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
}

} // namespace
