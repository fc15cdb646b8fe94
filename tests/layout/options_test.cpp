// The keymap's OPT: lines: one table of option lines, each read by the loader and explained by check.
#include <gtest/gtest.h>

#include <string>

#include "fake/fake_platform.h"
#include "support/case_name.h"
#include "support/tool_run.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "layout/options.h"
#include "layout/u16text.h"

namespace {

struct OptionCase {
    std::string name;
    std::u16string text;  // the keymap's lines
    std::string options;  // what the loader makes of them: each option's value as KeymapOptions holds it
    std::string findings; // check's lines, after "options.keymap:"
};

// Every option by its table row, "Name=value" in table order.
std::string describe(const KeymapOptions& options)
{
    std::string out;
    for (int i = 0; i < KEYMAP_OPTION_COUNT; ++i)
        out += (i ? " " : "") + utf16ToUtf8(KEYMAP_OPTIONS[i].name) + "=" +
               std::to_string(KEYMAP_OPTIONS[i].field.get(options));
    return out;
}

class KeymapOptionLines : public testing::TestWithParam<OptionCase> {
protected:
    void SetUp() override
    {
        fake::reset();
        ASSERT_TRUE(resetLayout());
    }
    void TearDown() override { freeKeyTable(); }
};

TEST_P(KeymapOptionLines, AreReadByTheLoaderAndExplainedByCheck)
{
    const OptionCase& c = GetParam();
    fake::addFile(u"options.keymap", fake::utf16le(c.text));
    ASSERT_TRUE(loadKeymap(u"options.keymap"));
    EXPECT_EQ(describe(keymapOptions), c.options);
    const ToolRun run = runTool({u"check", u"options.keymap"});
    std::string expected;
    for (size_t start = 0; start < c.findings.size();) {
        const size_t end = c.findings.find('\n', start);
        expected += "options.keymap:" + c.findings.substr(start, end - start) + "\n";
        start = end == std::string::npos ? c.findings.size() : end + 1;
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.exitCode, c.findings.empty() ? 0 : 1);
}

const std::string defaults =
    "Transparency=0 Style=0 Visible=1 Panel=0 AutoShow=0 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32";
const std::string names =
    "(the options are Transparency, Style, Visible, Panel, AutoShow, HoverTime, Scan, ScanTime and ScanKey)";
const std::string keyName = "the name of a keyboard key, as key lines name them (VK_SPACE, VK_RETURN, ...)";
const std::string rejected = ", so the line changes nothing and the option keeps its value";

// 32 option lines, then a 33rd.
std::u16string thirtyThreeLines()
{
    std::u16string text;
    for (int i = 0; i < MAX_OPTION_LINES; ++i)
        text += u"OPT:Style=2\r\n";
    return text + u"OPT:Style=3\r\n";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, KeymapOptionLines,
    testing::Values(
        OptionCase{"none", u"; a comment\r\nTAG:1,500,80,60,\r\n", defaults, ""},
        OptionCase{"valid",
                   u"OPT:Transparency=80\r\nOPT:Style=6\r\nOPT:Visible=0\r\nOPT:Panel=keys\r\nOPT:AutoShow=1\r\n",
                   "Transparency=80 Style=6 Visible=0 Panel=1 AutoShow=1 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32", ""},
        OptionCase{"hoverAndScan", u"OPT:HoverTime=800\r\nOPT:scan=1\r\nOPT:ScanTime=300\r\nOPT:ScanKey=VK_RETURN\r\n",
                   "Transparency=0 Style=0 Visible=1 Panel=0 AutoShow=0 HoverTime=800 Scan=1 ScanTime=300 ScanKey=13", ""},
        OptionCase{"caseAndOtherValues", u"OPT:tRANSPARENCY=10\r\nOPT:panel=KEYS\r\nOPT:AUTOSHOW=Touch\r\nopt:Style=2\r\n",
                   "Transparency=10 Style=0 Visible=1 Panel=1 AutoShow=2 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32", ""},
        OptionCase{"spacing", u"OPT: Style = 4 \r\nOPT:\tVisible\t=\t0\r\nOPT:Panel= keys\nOPT:Transparency=+30\r\n",
                   "Transparency=30 Style=4 Visible=0 Panel=1 AutoShow=0 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32", ""},
        OptionCase{"unknown", u"OPT:Transparancy=50\r\nOPT:Sty le=2\r\nOPT:=2\r\nOPT:\r\n", defaults,
                   "1: error: option \"Transparancy\" is not known, so the line changes nothing " + names + "\n"
                   "2: error: option \"Sty le\" is not known, so the line changes nothing " + names + "\n"
                   "3: error: the option line has no name, so the line changes nothing " + names + "\n"
                   "4: error: the option line has no name, so the line changes nothing " + names},
        OptionCase{"outOfRange",
                   u"OPT:Transparency=55\r\nOPT:Style=0\r\nOPT:Visible=2\r\nOPT:Panel=1\r\nOPT:AutoShow=2\r\n"
                   u"OPT:Style=99999999999\r\nOPT:Style=4 4\r\nOPT:Style\r\nOPT:HoverTime=299\r\n"
                   u"OPT:ScanTime=0\r\nOPT:ScanKey=vk_space\r\nOPT:ScanKey=VK_FN\r\nOPT:ScanKey=VK_LBUTTON\r\n",
                   defaults,
                   "1: error: option Transparency takes 10, 20, 30, 50, 80 or 100, not \"55\"" + rejected + "\n"
                   "2: error: option Style takes 1 to 6, not \"0\"" + rejected + "\n"
                   "3: error: option Visible takes 0 or 1, not \"2\"" + rejected + "\n"
                   "4: error: option Panel takes full or keys, not \"1\"" + rejected + "\n"
                   "5: error: option AutoShow takes 0, 1 or touch, not \"2\"" + rejected + "\n"
                   "6: error: option Style takes 1 to 6, not \"99999999999\"" + rejected + "\n"
                   "7: error: option Style takes 1 to 6, not \"4 4\"" + rejected + "\n"
                   "8: error: option Style takes 1 to 6, not an empty value" + rejected + "\n"
                   "9: error: option HoverTime takes 0 or 300 to 5000, not \"299\"" + rejected + "\n"
                   "10: error: option ScanTime takes 300 to 5000, not \"0\"" + rejected + "\n"
                   "11: error: option ScanKey takes " + keyName + ", not \"vk_space\"" + rejected + "\n"
                   "12: error: option ScanKey takes " + keyName + ", not \"VK_FN\"" + rejected + "\n"
                   "13: error: option ScanKey takes " + keyName + ", not \"VK_LBUTTON\"" + rejected},
        // The last valid line of a name wins; a bad one after it changes nothing.
        OptionCase{"repeated", u"OPT:Style=2\r\nOPT:Panel=keys\r\nOPT:Style=5\r\nOPT:Panel=full\r\nOPT:Panel=half\r\n",
                   "Transparency=0 Style=5 Visible=1 Panel=0 AutoShow=0 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32",
                   "3: warning: option Style is set again, after line 1: this last line wins\n"
                   "4: warning: option Panel is set again, after line 2: this last line wins\n"
                   "5: error: option Panel takes full or keys, not \"half\"" + rejected},
        OptionCase{"thirtyThirdLine", thirtyThreeLines(), "Transparency=0 Style=2 Visible=1 Panel=0 AutoShow=0 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32",
                   "32: warning: option Style is set on 32 lines, first on line 1: this last line wins\n"
                   "33: error: more than 32 option lines: this OPT: line and every later one are ignored"},
        // check asks touches of the cut panel as the keyboard does: its tab's hide area, 60 deep, takes
        // all of this panel's 48 at the tab, where the full panel's leaves the key alone.
        OptionCase{"cutPanelHideArea", u"OPT:Panel=keys\r\n@N,540,300,60,40,0,K,,,VK_A,VK_A\r\n",
                   "Transparency=0 Style=0 Visible=1 Panel=1 AutoShow=0 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32",
                   "2: warning: key 0 (\"K\") can never be touched: earlier keys or the dock tab's hide area cover all "
                   "of it, or it has no area on the panel"},
        OptionCase{"fullPanelHideArea", u"@N,540,300,60,40,0,K,,,VK_A,VK_A\r\n", defaults, ""},
        // Key lines and the panel line around options read as ever.
        OptionCase{"amongKeys", u"@N,100,100,70,86,0,A,,,VK_A,VK_A\r\nOPT:Visible=0\r\nTAG:2,500,80,60,\r\n",
                   "Transparency=0 Style=0 Visible=0 Panel=0 AutoShow=0 HoverTime=0 Scan=0 ScanTime=1000 ScanKey=32", ""}),
    CaseName());
// clang-format on

} // namespace
