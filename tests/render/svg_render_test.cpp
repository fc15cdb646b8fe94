// The SVG picture of the panel: the same outlines, fills, tab and legend anchors as the paint pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_keys.h"
#include "layout/default_layout.h"
#include "render/geometry.h"
#include "render/svg_render.h"
#include "layout/keytable.h"

namespace {

size_t countOf(const std::string& text, const std::string& needle)
{
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

class SvgRender : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(resetLayout());
        resetPlacement();
    }
    void TearDown() override { freeKeyTable(); }

    static void place() { updateWindowPlacement(); }

    static KeyRecord& addKey(int16_t cx, int16_t cy, int16_t width, int16_t height, int16_t angle,
                             std::u16string_view label)
    {
        KeyRecord& key = keyTable->keys[keyTable->count++];
        key = testKey(cx, cy, width, height, angle, label);
        return key;
    }
};

TEST_F(SvgRender, DrawsTheBuiltInLayoutFromTheLastKeyToTheFirst)
{
    installDefaultLayout(*keyTable);
    place();
    const std::string svg = renderPanelSvg(1);

    EXPECT_NE(svg.find("width=\"1024\" height=\"660\" viewBox=\"0 0 1024 660\""), std::string::npos);
    EXPECT_EQ(countOf(svg, "<g class=\"key\""), 66u);
    size_t previous = 0;
    for (int i = 65; i >= 0; --i) {
        const size_t at = svg.find("id=\"key-" + std::to_string(i) + "\"");
        ASSERT_NE(at, std::string::npos) << i;
        EXPECT_GT(at, previous) << "key " << i << " must follow key " << i + 1;
        previous = at;
    }
    // 66 labels (the space bar's is a space), 21 shift legends (two on the hidden keys), 18 Fn legends.
    EXPECT_EQ(countOf(svg, "<text "), 66u + 21u + 18u);

    EXPECT_NE(svg.find("<rect class=\"background\" x=\"-0.5\" y=\"-0.5\" width=\"1025\" height=\"677\" "
                       "fill=\"#FFFFFF\" stroke=\"#C0C0C0\"/>"),
              std::string::npos);
    EXPECT_NE(svg.find("<polygon points=\"0,0 1024,0 1024,600 580,600 580,656 576,660 504,660 500,656 500,600 "
                       "0,600 0,0\"/>"),
              std::string::npos)
        << "the window region in client coordinates clips the picture";
    EXPECT_NE(svg.find("<polygon class=\"tab\" points=\"504.50,540.50 575.50,540.50 579.50,544.50 579.50,655.50 "
                       "575.50,659.50 504.50,659.50 500.50,655.50 500.50,544.50 504.50,540.50\" fill=\"#C0C0C0\""),
              std::string::npos);
    EXPECT_NE(svg.find("<polygon class=\"arrow\" points=\"539.50,548.50 547.50,564.50 531.50,564.50 539.50,548.50\" "
                       "fill=\"#FFFFFF\""),
              std::string::npos);
    EXPECT_NE(svg.find("<polygon class=\"arrow\" points=\"539.50,651.50"), std::string::npos);

    EXPECT_NE(svg.find("<g class=\"key\" id=\"key-0\">\n<polygon points=\"43.50,45.50 113.50,45.50 113.50,131.50 "
                       "43.50,131.50\" fill=\"#C0C0C0\" stroke=\"#C0C0C0\"/>\n"
                       "<text x=\"53\" y=\"68.76\" font-size=\"16\" fill=\"#FFFFFF\">Esc</text>\n</g>"),
              std::string::npos);
    // "1" a third down, "!" at the top, "F1" three quarters down in the Fn legend colour.
    EXPECT_NE(svg.find("<text x=\"121\" y=\"98.50\" font-size=\"25\" fill=\"#FFFFFF\">1</text>\n"
                       "<text x=\"121\" y=\"70.50\" font-size=\"25\" fill=\"#FFFFFF\">!</text>\n"
                       "<text x=\"121\" y=\"126.76\" font-size=\"16\" fill=\"#C0FFC0\">F1</text>"),
              std::string::npos);
    EXPECT_NE(svg.find(">\xE2\x86\x91</text>"), std::string::npos) << "the up arrow's legend, in UTF-8";
}

TEST_F(SvgRender, TakesTheColoursOfTheStyleAndTheState)
{
    addKey(100, 100, 70, 86, 0, u"A").state = KeyState::Down;
    addKey(200, 100, 70, 86, 0, u"B").state = KeyState::Locked;
    addKey(300, 100, 70, 86, 0, u"C");
    place();
    const std::string svg = renderPanelSvg(6);
    EXPECT_NE(svg.find("class=\"background\" x=\"-0.5\" y=\"-0.5\" width=\"1025\" height=\"677\" fill=\"#000000\" "
                       "stroke=\"#FFFFFF\""),
              std::string::npos);
    EXPECT_NE(svg.find("fill=\"#CCFFFF\" stroke=\"#FFFFFF\"/>\n<text x=\"75\" y=\"88.50\" font-size=\"25\" "
                       "fill=\"#000000\">A</text>"),
              std::string::npos)
        << "Down: (204, 255, 255)";
    EXPECT_NE(svg.find("fill=\"#FFCCCC\" stroke=\"#FFFFFF\"/>\n<text x=\"175\""), std::string::npos)
        << "Locked: (255, 204, 204)";
    EXPECT_NE(svg.find("fill=\"#FFFFFF\" stroke=\"#FFFFFF\"/>\n<text x=\"275\""), std::string::npos) << "Up: face";
}

TEST_F(SvgRender, TurnsTextAboutItsAnchorAgainstTheScreensSense)
{
    addKey(200, 200, 100, 40, 300, u"Alt");
    addKey(400, 200, 100, 40, -150, u"Fn");
    place();
    const std::string svg = renderPanelSvg(1);
    // P0 of the first key is (147, 207): the label's anchor is (157, 217).
    EXPECT_NE(svg.find("<text x=\"157\" y=\"230.76\" font-size=\"16\" fill=\"#FFFFFF\" "
                       "transform=\"rotate(-30.00 157 217)\">Alt</text>"),
              std::string::npos);
    EXPECT_NE(svg.find("transform=\"rotate(15.00 "), std::string::npos);
}

TEST_F(SvgRender, KeepsTheFileWellFormedWhateverTheLabelsHold)
{
    addKey(100, 100, 70, 86, 0, u"<&>");
    addKey(200, 100, 70, 86, 0, u"\"'");
    addKey(300, 100, 70, 86, 0, u"a\u0001b\tc");
    addKey(400, 100, 70, 86, 0, u"\xD83Dx\U0001F600");
    place();
    const std::string svg = renderPanelSvg(1);
    EXPECT_NE(svg.find(">&lt;&amp;&gt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">\"'</text>"), std::string::npos);
    EXPECT_NE(svg.find(">a\xEF\xBF\xBD"
                       "b&#9;c</text>"),
              std::string::npos)
        << "a control character becomes U+FFFD";
    EXPECT_NE(svg.find(">\xEF\xBF\xBDx\xF0\x9F\x98\x80</text>"), std::string::npos)
        << "a lone surrogate becomes U+FFFD, a pair one character";
}

TEST_F(SvgRender, DockSideNoneShowsThePanelBelowTheMenuStrip)
{
    panelLayout.dockSide = DockSide::None;
    addKey(78, 88, 70, 86, 0, u"Esc");
    place();
    const std::string svg = renderPanelSvg(1);
    EXPECT_NE(svg.find("width=\"1024\" height=\"584\""), std::string::npos);
    EXPECT_NE(svg.find("<polygon points=\"0,-16 0,584 1024,584 1024,-16\"/>"), std::string::npos);
    EXPECT_EQ(svg.find("class=\"tab\""), std::string::npos);
    EXPECT_EQ(svg.find("class=\"arrow\""), std::string::npos);
    EXPECT_NE(svg.find("points=\"43.50,29.50 113.50,29.50"), std::string::npos) << "client y is panel y - 16";
}

TEST_F(SvgRender, UnknownDockSideLeavesNothingToSee)
{
    panelLayout.dockSide = static_cast<DockSide>(7);
    addKey(78, 88, 70, 86, 0, u"Esc");
    place();
    const std::string svg = renderPanelSvg(1);
    EXPECT_NE(svg.find("width=\"0\" height=\"0\""), std::string::npos);
    EXPECT_EQ(svg.find("clipPath"), std::string::npos);
}

TEST_F(SvgRender, DrawsNothingWithoutAKeyTable)
{
    place();
    freeKeyTable();
    const std::string svg = renderPanelSvg(1);
    EXPECT_EQ(svg.find("<rect"), std::string::npos);
    EXPECT_EQ(svg.find("<polygon class"), std::string::npos);
    ASSERT_NE(allocateKeyTable(), nullptr);
}

} // namespace
