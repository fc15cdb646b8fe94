// plumtide-keymap check and convert: one fixture per finding, the panel line's window, each key's reach
// against a sweep of every pixel, the shipped layouts, and the round trip from UTF-8 text to a keymap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "support/tool_run.h"
#include "input/input.h"
#include "layout/default_layout.h"
#include "layout/keymap.h"
#include "layout/u16text.h"
#include "render/geometry.h"
#include "layout/keytable.h"

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

// clang-format off
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
                   std::string("1: warning: key 0 (\"A\") ") + unreachable}},
        // A thin key across the panel is reached below the upper half's key, a thin one within that
        // half is not, keys of negative or no size never are, and a key around the far point is.
        CheckCase{"turned-shapes",
                  {"3: warning: key 1 (\"Thin\") reaches off the 1024x600 panel",
                   std::string("4: warning: key 2 (\"Hid\") ") + unreachable,
                   std::string("5: warning: key 3 (\"Neg\") ") + unreachable,
                   std::string("6: warning: key 4 (\"Zero\") ") + unreachable,
                   "7: warning: key 5 (\"Far\") reaches off the 1024x600 panel",
                   std::string("7: warning: key 5 (\"Far\") ") + unreachable,
                   "8: warning: key 6 (\"Big\") reaches off the 1024x600 panel",
                   "8: warning: key 6 (\"Big\") is turned around the hit test's far point (-1000, -1000)"}},
        // Terminal escapes, a carriage return, line and direction marks, a lone surrogate, the quotation
        // mark and backslash are escaped; printable non-ASCII text stays as it is.
        CheckCase{"control-characters",
                  {"1: warning: virtual key \"VK_\\u001B[2J\\u001B[31mA\" is not a known name: the key sends "
                   "virtual key 0",
                   "2: warning: virtual key \"VK_A\\u000Dcontrol-characters.keymap:9: error: forged\" is not a "
                   "known name: the key sends virtual key 0",
                   "3: warning: legend \"\\u202Eevil\\u2028x\\u0085y\\uD800z0123456789\" is longer than 15 "
                   "UTF-16 units and is cut to 15",
                   "4: warning: kind \"@\\u0007N\" is neither N nor F: the key keeps the kind its record already had",
                   "5: warning: virtual key \"VK_\u2192\" is not a known name: the key sends virtual key 0",
                   std::string("5: warning: key 4 (\"\\u2066\\u0022\\u005C\\uFEFF\\u007F\") ") + unreachable,
                   std::string("6: warning: key 5 (\"\u4E2D\U0001F600\") ") + unreachable}},
        // The last panel line sets the values, so the finding is on its line.
        CheckCase{"panel-line",
                  {"3: warning: the panel line makes the keyboard's window 1024 by -2147483033 pixels: it has no "
                   "area, so nothing of it shows"}}),
    CaseName());
// clang-format on

TEST(KeymapCheckFile, UnreadableFileExits2)
{
    fake::reset();
    const ToolRun run = runTool({u"check", u"C:\\missing.keymap"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("cannot open"), std::string::npos);
    EXPECT_EQ(runTool({u"check"}).exitCode, 2);
}

struct PanelLineCase {
    std::string name;
    std::u16string line;
    std::string finding; // after "FILE:2: warning: ", or empty
};

std::string uncoveredPixels(long pixels)
{
    return "the panel line leaves " + std::to_string(pixels) +
           " of the panel's pixels outside the keyboard's window, where nothing is drawn and no touch reaches (the "
           "tab must be at least 4 pixels deep: its height when docked at the top or bottom, its width at a side)";
}

const char* const wrapped = "the panel line's tab values are so large that the keyboard's window size, place or "
                            "outline goes past 32 bits and wraps round, so the window is misplaced or misshapen";

class KeymapCheckPanelLine : public testing::TestWithParam<PanelLineCase> {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_P(KeymapCheckPanelLine, ReportsAWindowThatDoesNotCoverTheScreen)
{
    fake::addFile(u"panel.keymap", fake::utf16le(u"@N,100,100,70,86,0,A,,,VK_A,VK_A\r\n" + GetParam().line + u"\r\n"));
    const ToolRun run = runTool({u"check", u"panel.keymap"});
    EXPECT_EQ(run.out, GetParam().finding.empty() ? "" : "panel.keymap:2: warning: " + GetParam().finding + "\n");
}

// A bevel corner of a tab with no depth cuts 6 pixel centres out of the panel: those of a right
// triangle with 4-pixel sides, less the 4 on its long side.
constexpr long BEVEL_CORNER = 6;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, KeymapCheckPanelLine,
    testing::Values(
        PanelLineCase{"defaults", u"TAG:1,500,80,60,", ""},
        PanelLineCase{"noDockIgnoresTheTab", u"TAG:0,-2147483648,-5,2147483647,", ""},
        PanelLineCase{"shallowTabBesideThePanel", u"TAG:1,5000,80,0,", ""},
        PanelLineCase{"tabAsDeepAsItsBevel", u"TAG:2,500,80,4,", ""},
        PanelLineCase{"tabWithNoDepth", u"TAG:1,500,80,0,", uncoveredPixels(2 * BEVEL_CORNER)},
        PanelLineCase{"tabCutIntoThePanel", u"TAG:2,500,80,-10,", uncoveredPixels(10 * 80 + 2 * BEVEL_CORNER)},
        PanelLineCase{"windowShorterThanThePanel", u"TAG:1,500,80,-50,", uncoveredPixels(50 * 1024 + 2 * BEVEL_CORNER)},
        PanelLineCase{"panelLeftOfTheWindow", u"TAG:3,200,-100,120,", uncoveredPixels(100 * 600 + 2 * BEVEL_CORNER)},
        PanelLineCase{"noHeight", u"TAG:1,500,80,-616,",
                      "the panel line makes the keyboard's window 1024 by 0 pixels: it has no area, so nothing of "
                      "it shows"},
        PanelLineCase{"widthWrapsNegative", u"TAG:4,0,-2147483648,10,",
                      "the panel line makes the keyboard's window -2147482624 by 616 pixels: it has no area, so "
                      "nothing of it shows"},
        PanelLineCase{"tabEndsAtTheLastNumber", u"TAG:1,2147483000,647,60,", ""},
        PanelLineCase{"tabEndPassesIt", u"TAG:1,2147483000,648,60,", wrapped},
        PanelLineCase{"sideTabPassesIt", u"TAG:3,2147483000,40,1000,", wrapped}),
    [](const testing::TestParamInfo<PanelLineCase>& param) { return param.param.name; });
// clang-format on

// The keys that no touch reaches, found the slow way from the loaded layout: every panel pixel in the
// keys' boxes goes to the first key whose box and shape hold it, unless the tab's hide area has it.
std::vector<int> unreachableBySweep()
{
    windowSize = {0, 0};
    windowOrigin = {0, 0};
    updateWindowPlacement();
    const int count = keyTable->count;
    std::vector<Rect> boxes;
    Rect all = {PANEL_WIDTH, PANEL_HEIGHT, -1, -1};
    for (int i = 0; i < count; ++i) {
        const KeyRecord& key = keyTable->keys[i];
        const KeyQuad quad = computeKeyQuad(key.centerX, key.centerY, key.width, key.height, key.angle);
        Rect box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const Point& c : quad.corner)
            box = {std::min(box.left, c.x), std::min(box.top, c.y), std::max(box.right, c.x),
                   std::max(box.bottom, c.y)};
        boxes.push_back(box);
        all = {std::min(all.left, box.left), std::min(all.top, box.top), std::max(all.right, box.right),
               std::max(all.bottom, box.bottom)};
    }
    std::vector<bool> reached(count, false);
    for (int y = std::max(all.top, 0); y <= std::min(all.bottom, PANEL_HEIGHT - 1); ++y) {
        for (int x = std::max(all.left, 0); x <= std::min(all.right, PANEL_WIDTH - 1); ++x) {
            const Point client = panelToClient({x, y});
            if (tabAreaAt(client.x, client.y) != TabArea::None)
                continue;
            for (int i = 0; i < count; ++i) {
                const Rect& box = boxes[i];
                if (box.left <= x && x <= box.right && box.top <= y && y <= box.bottom &&
                    keyContainsPoint(keyTable->keys[i], client.x, client.y)) {
                    reached[i] = true;
                    break;
                }
            }
        }
    }
    std::vector<int> untouched;
    for (int i = 0; i < count; ++i) {
        if (!reached[i])
            untouched.push_back(i);
    }
    return untouched;
}

// The keys that `check` says no touch reaches.
std::vector<int> unreachableByCheck(const std::string& out)
{
    std::vector<int> keys;
    for (size_t at = out.find(unreachable); at != std::string::npos; at = out.find(unreachable, at + 1)) {
        const size_t key = out.rfind("key ", at);
        keys.push_back(std::stoi(out.substr(key + 4)));
    }
    return keys;
}

// Small layouts of every kind of key, a few around the hit test's far point, under every dock side.
TEST(KeymapCheckReach, AgreesWithASweepOfEveryPixel)
{
    std::mt19937 random(20261207);
    auto pick = [&random](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    for (int layout = 0; layout < 250; ++layout) {
        fake::reset();
        std::string text = "TAG:" + std::to_string(pick(0, 4)) + "," + std::to_string(pick(-50, 1000)) + "," +
                           std::to_string(pick(0, 300)) + "," + std::to_string(pick(0, 300)) + ",\r\n";
        auto addKey = [&text](int x, int y, int width, int height, int angle) {
            text += "@N," + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
                    std::to_string(height) + "," + std::to_string(angle) + ",K,,,VK_A,VK_A\r\n";
        };
        if (layout % 25 == 0)
            addKey(pick(-1050, -950), pick(-1050, -950), pick(1600, 2000), pick(1600, 2000), pick(1, 899));
        const int left = pick(-60, 1000);
        const int top = pick(-60, 560);
        for (int keys = pick(2, 6); keys > 0; --keys) {
            const int x = left + pick(0, 100);
            const int y = top + pick(0, 80);
            switch (pick(0, 4)) {
            case 0: // upright, possibly of no or negative size
                addKey(x, y, pick(-10, 90), pick(-10, 90), 0);
                break;
            case 1: // turned
                addKey(x, y, pick(0, 90), pick(0, 90), pick(-3600, 3600));
                break;
            case 2: // thin, near the diagonals
                addKey(x, y, pick(20, 120), pick(0, 3), 450 * pick(-4, 4) + pick(-2, 2));
                break;
            case 3: // a few pixels
                addKey(x, y, pick(0, 4), pick(0, 4), pick(-900, 900));
                break;
            default: // turned, of negative size
                addKey(x, y, pick(-90, 0), pick(-90, 0), pick(-3600, 3600));
                break;
            }
        }
        fake::addFile(u"random.keymap", fake::utf16le(utf8ToUtf16(text)));
        const ToolRun run = runTool({u"check", u"random.keymap"});
        std::memset(keyTable, 0, sizeof(KeyTable));
        panelLayout = PANEL_LAYOUT_DEFAULTS;
        ASSERT_TRUE(loadKeymap(u"random.keymap"));
        ASSERT_EQ(unreachableByCheck(run.out), unreachableBySweep()) << text;
    }
}

// Every shipped layout is free of findings, but the built-in one, whose "[" and "]" lie under "T" and
// "Y" as they do in the keyboard itself.
TEST(ShippedLayouts, CheckCleanAndMatchTheirSources)
{
    fake::reset();
    for (const char* name : {"builtin", "full-bottom", "split-right", "keys-bottom"}) {
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
        ASSERT_TRUE(resetLayout());
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
    fake::addFile(u"in.txt", "\xEF\xBB\xBF@N,1,2,3,4,5,\xE2\x86\x90,,,VK_LEFT,VK_HOME\nTAG:2,\r\nOPT:Panel=keys\nlast");
    const ToolRun run = runTool({u"convert", u"in.txt", u"-o", u"-"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, fake::utf16le(u"@N,1,2,3,4,5,\u2190,,,VK_LEFT,VK_HOME\r\nTAG:2,\r\nOPT:Panel=keys\r\nlast\r\n"));
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
