// plumtide-keymap dump, which prints what start-up would use as JSON, and every command's exit when its
// output cannot be written.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/case_name.h"
#include "fake/fake_platform.h"
#include "support/tool_run.h"
#include "keymap-tool/keymap_tool.h"

namespace {

const std::string defaultOptions =
    "\"options\": {\"Transparency\": null, \"Style\": null, \"Visible\": 1, \"Panel\": \"full\", \"AutoShow\": 0, "
    "\"HoverTime\": 0, \"Scan\": 0, \"ScanTime\": 1000, \"ScanKey\": \"VK_SPACE\"}, ";

class KeymapTool : public testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(KeymapTool, DumpsTheWorkedExample)
{
    fake::addFile(u"example.keymap", fake::utf16le(u"TAG:3,200,40,120,\r\n"
                                                   u"OPT:Transparency=80\r\nOPT:Panel=keys\r\nOPT:AutoShow=touch\r\n"
                                                   u"OPT:ScanKey=VK_F12\r\n"
                                                   u"@N,78,88,70,86,0,Esc,,,VK_ESCAPE,VK_ESCAPE\r\n"
                                                   u"@F,152,88,70,86,-150,Fn,,,VK_FN,VK_FN\r\n"));
    ToolRun run = runTool({u"dump", u"example.keymap"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        run.out,
        "{\"loaded\": true, \"panel\": {\"dockSide\": 3, \"tabOffset\": 200, \"tabWidth\": 40, \"tabHeight\": 120}, "
        "\"options\": {\"Transparency\": 80, \"Style\": null, \"Visible\": 1, \"Panel\": \"keys\", \"AutoShow\": "
        "\"touch\", \"HoverTime\": 0, \"Scan\": 0, \"ScanTime\": 1000, \"ScanKey\": \"VK_F12\"}, \"count\": 2, "
        "\"keys\": [\n"
        "  {\"kind\": 0, \"centerX\": 78, \"centerY\": 88, \"width\": 70, \"height\": 86, \"angle\": 0, "
        "\"label\": \"Esc\", \"shiftLabel\": \"\", \"fnLabel\": \"\", \"vk\": 27, \"fnVk\": 27},\n"
        "  {\"kind\": 1, \"centerX\": 152, \"centerY\": 88, \"width\": 70, \"height\": 86, \"angle\": -150, "
        "\"label\": \"Fn\", \"shiftLabel\": \"\", \"fnLabel\": \"\", \"vk\": 59, \"fnVk\": 59}\n"
        "]}\n");
}

TEST_F(KeymapTool, EscapesEverythingOutsidePrintableAscii)
{
    fake::addFile(u"labels.keymap",
                  fake::utf16le(u"@N,0,0,0,0,0,\"\\\u2190,aaaaaaaaaaaaaa\U0001F600,\t,VK_A,VK_A\r\n"));
    ToolRun run = runTool({u"dump", u"labels.keymap"});
    EXPECT_NE(run.out.find("\"label\": \"\\u0022\\u005C\\u2190\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"shiftLabel\": \"aaaaaaaaaaaaaa\\uD83D\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"fnLabel\": \"\\u0009\""), std::string::npos) << run.out;
}

TEST_F(KeymapTool, FallsBackToTheBuiltInLayoutLikeStartUp)
{
    for (const std::vector<std::u16string>& args :
         {std::vector<std::u16string>{u"dump"}, std::vector<std::u16string>{u"dump", u"C:\\missing.keymap"}}) {
        ToolRun run = runTool(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.rfind("{\"loaded\": false, \"panel\": {\"dockSide\": 1, \"tabOffset\": 500, "
                                "\"tabWidth\": 80, \"tabHeight\": 60}, " +
                                    defaultOptions + "\"count\": 66, ",
                                0),
                  0u)
            << run.out;
    }
}

TEST_F(KeymapTool, EmptyFileDumpsNoKeys)
{
    fake::addFile(u"empty.keymap", "");
    ToolRun run = runTool({u"dump", u"empty.keymap"});
    EXPECT_EQ(run.out, "{\"loaded\": true, \"panel\": {\"dockSide\": 1, \"tabOffset\": 500, \"tabWidth\": 80, "
                       "\"tabHeight\": 60}, " +
                           defaultOptions + "\"count\": 0, \"keys\": []}\n");
}

TEST_F(KeymapTool, BadArgumentsPrintUsageAndExit2)
{
    for (const std::vector<std::u16string>& args :
         {std::vector<std::u16string>{}, std::vector<std::u16string>{u"frobnicate"},
          std::vector<std::u16string>{u"dump", u"a", u"b"}}) {
        ToolRun run = runTool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
}

struct LostOutputCase {
    std::string name;
    std::vector<std::u16string> args;
    int exitCode;
    std::string err;
};

class KeymapToolLostOutput : public testing::TestWithParam<LostOutputCase> {
protected:
    void SetUp() override { fake::reset(); }
};

// Every write to a stream opened for reading fails, here and under Wine alike.
TEST_P(KeymapToolLostOutput, ExitsWith2WhenAnythingIsLost)
{
    std::FILE* out = std::fopen(PLUMTIDE_SOURCE_ROOT "/tests/fixtures/check/clean.keymap", "rb");
    ASSERT_NE(out, nullptr);
    std::FILE* err = std::tmpfile();
    const int code = runKeymapTool(GetParam().args, out, err);
    std::fclose(out);
    EXPECT_EQ(code, GetParam().exitCode);
    EXPECT_EQ(readAll(err), GetParam().err);
}

const std::u16string clean = utf8ToUtf16(PLUMTIDE_SOURCE_ROOT "/tests/fixtures/check/clean.keymap");
const std::u16string covered = utf8ToUtf16(PLUMTIDE_SOURCE_ROOT "/tests/fixtures/check/covered.keymap");
const std::string lost = "plumtide-keymap: cannot write the standard output\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Commands, KeymapToolLostOutput,
    testing::Values(LostOutputCase{"dump", {u"dump", clean}, 2, lost},
                    LostOutputCase{"hit", {u"hit", clean, u"100", u"100"}, 2, lost},
                    LostOutputCase{"checkFindings", {u"check", covered}, 2, lost},
                    // Nothing to write, so nothing is lost.
                    LostOutputCase{"checkClean", {u"check", clean}, 0, ""},
                    LostOutputCase{"render", {u"render", clean, u"-o", u"-"}, 2, "plumtide-keymap: cannot write -\n"}),
    CaseName());
// clang-format on

} // namespace
