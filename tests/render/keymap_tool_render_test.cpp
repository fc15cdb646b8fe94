// plumtide-keymap hit and render: which key a touch presses, and the panel as an SVG file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/case_name.h"
#include "fake/fake_platform.h"
#include "support/tool_run.h"
#include "keymap-tool/keymap_tool.h"

namespace {

std::u16string number(int value)
{
    std::u16string text;
    for (char c : std::to_string(value))
        text += static_cast<char16_t>(c);
    return text;
}

// ---- hit ----------------------------------------------------------------------------------------

struct HitCase {
    std::string name;
    std::u16string keymap; // empty: no such file, the built-in layout
    int x;
    int y;
    int index;
};

class KeymapHit : public testing::TestWithParam<HitCase> {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_P(KeymapHit, NamesTheFirstKeyInTableOrderThatTheTouchPresses)
{
    const HitCase& c = GetParam();
    const std::u16string path = c.keymap.empty() ? u"missing.keymap" : u"hit.keymap";
    if (!c.keymap.empty())
        fake::addFile(path, fake::utf16le(c.keymap));
    const ToolRun run = runTool({u"hit", path, number(c.x), number(c.y)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::to_string(c.index) + "\n");
    EXPECT_EQ(run.err, "");
}

constexpr char16_t turnedKeys[] = u"@N,78,88,70,86,0,Esc,,,VK_ESCAPE,VK_ESCAPE\r\n"
                                  u"@N,200,200,100,100,450,A,,,VK_A,VK_A\r\n"
                                  u"@N,478,88,70,86,900,B,,,VK_B,VK_B\r\n";
constexpr char16_t rightDocked[] = u"TAG:3,500,80,60,\r\n@N,10,10,20,20,0,A,,,VK_A,VK_A\r\n";
constexpr char16_t undocked[] = u"TAG:0,500,80,60,\r\n@N,10,10,20,20,0,A,,,VK_A,VK_A\r\n";
constexpr char16_t overlapping[] = u"@N,100,100,70,86,0,A,,,VK_A,VK_A\r\n@N,120,100,70,86,300,B,,,VK_B,VK_B\r\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Points, KeymapHit,
    testing::Values(HitCase{"UprightTopLeftInside", turnedKeys, 43, 45, 0},
                    HitCase{"UprightLastInside", turnedKeys, 112, 130, 0},
                    HitCase{"UprightRightColumnOutside", turnedKeys, 113, 88, -1},
                    HitCase{"UprightRowAboveOutside", turnedKeys, 78, 44, -1},
                    HitCase{"Turned45Inside", turnedKeys, 131, 200, 1},
                    HitCase{"Turned45EdgeOutside", turnedKeys, 165, 165, -1},
                    HitCase{"Turned45LeftCornerInside", turnedKeys, 130, 200, 1},
                    HitCase{"Turned45TopCornerOutside", turnedKeys, 200, 130, -1},
                    HitCase{"Turned90LeftEdgeOutside", turnedKeys, 435, 80, -1},
                    HitCase{"Turned90InsideLeftEdge", turnedKeys, 436, 80, 2},
                    HitCase{"Turned90CornerInside", turnedKeys, 435, 123, 2},
                    HitCase{"BuiltInA", u"", 152, 268, 27},
                    HitCase{"BuiltInTNotBracket", u"", 448, 178, 18},
                    HitCase{"BuiltInYNotBracket", u"", 522, 178, 19},
                    HitCase{"BuiltInGap", u"", 114, 88, -1},
                    HitCase{"BuiltInOutsideThePanel", u"", -1, -1, -1},
                    HitCase{"RightDockedPanelOrigin", rightDocked, 0, 0, 0},
                    HitCase{"RightDockedLastInside", rightDocked, 19, 19, 0},
                    HitCase{"RightDockedLeftOfThePanel", rightDocked, -1, 0, -1},
                    HitCase{"UndockedPanelOrigin", undocked, 0, 0, 0},
                    HitCase{"OverlapGoesToTheFirst", overlapping, 120, 100, 0},
                    HitCase{"OverlapTurnedOnly", overlapping, 150, 100, 1}),
    CaseName());
// clang-format on

TEST(KeymapHitArguments, BadArgumentsPrintUsageAndExit2)
{
    for (const std::vector<std::u16string>& args :
         {std::vector<std::u16string>{u"hit"}, std::vector<std::u16string>{u"hit", u"f", u"1"},
          std::vector<std::u16string>{u"hit", u"f", u"1", u"2", u"3"},
          std::vector<std::u16string>{u"hit", u"f", u"x", u"2"},
          std::vector<std::u16string>{u"hit", u"f", u"1", u"2.5"}, std::vector<std::u16string>{u"hit", u"f", u"", u"2"},
          std::vector<std::u16string>{u"hit", u"f", u"-", u"2"}, std::vector<std::u16string>{u"hit", u"f", u" 1", u"2"},
          std::vector<std::u16string>{u"hit", u"f", u"1000001", u"2"},
          std::vector<std::u16string>{u"hit", u"f", u"1", u"-99999999999999999999"}}) {
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    const ToolRun limits = runTool({u"hit", u"missing.keymap", u"-1000000", u"+1000000"});
    EXPECT_EQ(limits.exitCode, 0);
    EXPECT_EQ(limits.out, "-1\n");
}

// ---- render -------------------------------------------------------------------------------------

class KeymapRender : public testing::Test {
protected:
    void SetUp() override
    {
        fake::reset();
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        outputName = std::string("keymap_render_") + info->name() + ".svg";
        for (char c : outputName)
            outputPath += static_cast<char16_t>(c);
        std::remove(outputName.c_str());
    }
    void TearDown() override { std::remove(outputName.c_str()); }

    std::string readOutput() const
    {
        std::FILE* file = std::fopen(outputName.c_str(), "rb");
        if (!file)
            return "(no file)";
        return readAll(file);
    }

    std::string outputName;
    std::u16string outputPath;
};

TEST_F(KeymapRender, WritesTheBuiltInLayoutWhenTheFileCannotBeRead)
{
    const ToolRun run = runTool({u"render", u"missing.keymap", u"-o", outputPath});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string svg = readOutput();
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << svg.substr(0, 80);
    EXPECT_NE(svg.find("id=\"key-65\""), std::string::npos);
    EXPECT_NE(svg.find(">Esc</text>"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST_F(KeymapRender, TheShippedPicturesOfTheBuiltInLayoutAreCurrent)
{
    const struct {
        const char* picture;
        std::vector<std::u16string> options;
    } pictures[] = {{"builtin.svg", {}},
                    {"hover-ring.svg", {u"--hover", u"27,60"}},
                    {"builtin-scan-row.svg", {u"--scan", u"2"}},
                    {"builtin-scan-key.svg", {u"--scan", u"2,3", u"--style", u"3"}}};
    for (const auto& shipped : pictures) {
        std::FILE* file = std::fopen((std::string(PLUMTIDE_SOURCE_ROOT "/layouts/") + shipped.picture).c_str(), "rb");
        ASSERT_NE(file, nullptr) << shipped.picture;
        std::vector<std::u16string> args = {u"render", u"-o", u"-"};
        args.insert(args.end(), shipped.options.begin(), shipped.options.end());
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out == readAll(file)) << "regenerate layouts/" << shipped.picture;
    }
}

// The ring's track alone when nothing has gone, a whole circle when the time is up; between, an arc
// that takes the long way round past half. A key the layout lacks is refused.
TEST_F(KeymapRender, TheHoverRingFillsWithItsPercent)
{
    const struct {
        const char16_t* hover;
        const char* part;
        bool drawn;
    } cases[] = {{u"27,0", "stroke-width=\"5\"", false},
                 {u"27", " 0 0 1 ", true},
                 {u"27,51", " 0 1 1 ", true},
                 {u"27,100", "<path", false},
                 {u"27,100", "stroke-width=\"5\"", true}};
    for (const auto& c : cases) {
        const ToolRun run = runTool({u"render", u"-o", u"-", u"--hover", c.hover});
        const size_t ring = run.out.find("<g class=\"hover-ring\">");
        ASSERT_NE(ring, std::string::npos);
        const std::string drawn = run.out.substr(ring, run.out.find("</g>", ring) - ring);
        EXPECT_EQ(drawn.find(c.part) != std::string::npos, c.drawn) << c.part << " in " << drawn;
    }
    const ToolRun beyond = runTool({u"render", u"-o", u"-", u"--hover", u"66"});
    EXPECT_EQ(beyond.exitCode, 2);
    EXPECT_NE(beyond.err.find("keys 0 to 65"), std::string::npos) << beyond.err;
}

TEST_F(KeymapRender, WritesToStandardOutputForADashAndTakesAStyle)
{
    fake::addFile(u"one.keymap", fake::utf16le(u"@N,78,88,70,86,0,Esc,,,VK_ESCAPE,VK_ESCAPE\r\n"));
    const ToolRun toFile = runTool({u"render", u"--style", u"6", u"one.keymap", u"-o", outputPath});
    const ToolRun toOut = runTool({u"render", u"one.keymap", u"-o", u"-", u"--style", u"6"});
    EXPECT_EQ(toFile.exitCode, 0);
    EXPECT_EQ(toOut.exitCode, 0);
    EXPECT_EQ(toOut.out, readOutput());
    EXPECT_NE(toOut.out.find("class=\"background\" x=\"-0.5\" y=\"-0.5\" width=\"1025\" height=\"677\" "
                             "fill=\"#000000\""),
              std::string::npos);
    EXPECT_EQ(toOut.out.find("id=\"key-1\""), std::string::npos);
}

TEST_F(KeymapRender, FailsWithExit2WhenTheOutputCannotBeWritten)
{
    const ToolRun run = runTool({u"render", u"-o", u"no-such-folder/deeper/out.svg"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("cannot write no-such-folder/deeper/out.svg"), std::string::npos) << run.err;
}

TEST_F(KeymapRender, BadArgumentsPrintUsageAndExit2)
{
    for (const std::vector<std::u16string>& args :
         {std::vector<std::u16string>{u"render"}, std::vector<std::u16string>{u"render", u"f.keymap"},
          std::vector<std::u16string>{u"render", u"-o"}, std::vector<std::u16string>{u"render", u"-o", u""},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"-o", outputPath},
          std::vector<std::u16string>{u"render", u"a", u"b", u"-o", outputPath},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--style"},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--style", u"0"},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--style", u"7"},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--style", u"one"},
          std::vector<std::u16string>{u"render", u"-x", u"-o", outputPath},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--hover"},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--hover", u"one"},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--hover", u"1,101"},
          std::vector<std::u16string>{u"render", u"-o", outputPath, u"--hover", u"-1"}}) {
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(readOutput(), "(no file)");
}

// ---- render --scan --------------------------------------------------------------------------------

struct ScanRenderCase {
    const char* name;
    std::vector<std::u16string> args; // after "render", before "-o -"
    int exitCode;
    const char* highlighted; // the keys filled in the text colour, by index in drawing order
    int frames;              // keys with the switch's frame
};

class KeymapRenderScan : public testing::TestWithParam<ScanRenderCase> {
protected:
    void SetUp() override { fake::reset(); }
};

// The keys of a picture whose fill is the style's text colour (style 1: white) instead of its face.
std::string highlightedKeys(const std::string& svg)
{
    std::string ids;
    for (size_t at = svg.find("<g class=\"key\" id=\"key-"); at != std::string::npos;
         at = svg.find("<g class=\"key\" id=\"key-", at + 1)) {
        const size_t id = at + 23;
        const size_t polygon = svg.find("<polygon", id);
        if (svg.compare(svg.find("fill=\"", polygon) + 6, 7, "#FFFFFF") == 0)
            ids += (ids.empty() ? "" : " ") + svg.substr(id, svg.find('"', id) - id);
    }
    return ids;
}

TEST_P(KeymapRenderScan, DrawsTheRowOrTheKeyTheSwitchWouldTake)
{
    const ScanRenderCase& c = GetParam();
    fake::addFile(u"rows.keymap", fake::utf16le(u"@N,100,100,70,86,0,A,,,VK_A,VK_A\r\n"
                                                u"@N,200,100,70,86,0,B,,,VK_B,VK_B\r\n"
                                                u"@N,100,200,70,86,0,C,,,VK_C,VK_C\r\n"));
    std::vector<std::u16string> args = {u"render", u"rows.keymap"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {u"-o", u"-"});
    const ToolRun run = runTool(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.exitCode != 0) {
        EXPECT_EQ(run.out, "");
        return;
    }
    EXPECT_EQ(highlightedKeys(run.out), c.highlighted);
    int frames = 0;
    for (size_t at = run.out.find("scan-frame"); at != std::string::npos; at = run.out.find("scan-frame", at + 1))
        ++frames;
    EXPECT_EQ(frames, c.frames);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, KeymapRenderScan,
    testing::Values(ScanRenderCase{"none", {}, 0, "", 0},
                    ScanRenderCase{"firstRow", {u"--scan", u"1"}, 0, "1 0", 0},
                    ScanRenderCase{"secondKeyOfTheFirstRow", {u"--scan", u"1,2"}, 0, "1", 1},
                    ScanRenderCase{"noSuchRow", {u"--scan", u"3"}, 2, "", 0},
                    ScanRenderCase{"noSuchKey", {u"--scan", u"2,2"}, 2, "", 0},
                    ScanRenderCase{"notANumber", {u"--scan", u"1,x"}, 2, "", 0},
                    ScanRenderCase{"givenTwice", {u"--scan", u"1", u"--scan", u"2"}, 2, "", 0}),
    CaseName());
// clang-format on

} // namespace
