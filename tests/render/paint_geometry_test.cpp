// Paint geometry: the dock tab and its arrows per dock side, font choice, label positions, bounds, fills,
// and the colour styles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/case_name.h"
#include "support/test_keys.h"
#include "render/paint_geometry.h"
#include "render/palette.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

std::vector<std::pair<int, int>> pairs(const Point* first, int count)
{
    std::vector<std::pair<int, int>> list;
    for (int i = 0; i < count; ++i)
        list.emplace_back(first[i].x, first[i].y);
    return list;
}

using Pairs = std::vector<std::pair<int, int>>;

// ---- Dock tab ---------------------------------------------------------------------------------

struct TabCase {
    std::string name;
    DockSide side;
    Rect box;
    Pairs outline; // empty: not checked
    Pairs firstArrow;
    Pairs secondArrow;
};

class TabShapeTest : public testing::TestWithParam<TabCase> {};

TEST_P(TabShapeTest, GivesBoxOutlineAndArrows)
{
    const TabCase& c = GetParam();
    const TabShape tab = computeTabShape({c.side, 500, 80, 60});
    ASSERT_TRUE(tab.drawn);
    EXPECT_EQ(tab.box.left, c.box.left);
    EXPECT_EQ(tab.box.top, c.box.top);
    EXPECT_EQ(tab.box.right, c.box.right);
    EXPECT_EQ(tab.box.bottom, c.box.bottom);
    // The outline follows from the box alike for every side; the Top example checks it in full.
    if (!c.outline.empty()) {
        EXPECT_EQ(pairs(tab.outline, TAB_SHAPE_POINTS), c.outline);
    }
    ASSERT_EQ(tab.arrowCount, 2);
    const Pairs first = pairs(tab.arrows[0], ARROW_POINTS);
    const Pairs second = pairs(tab.arrows[1], ARROW_POINTS);
    EXPECT_EQ(first, c.firstArrow);
    EXPECT_EQ(second, c.secondArrow);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DockSides, TabShapeTest,
    testing::Values(TabCase{"Top", DockSide::Top, {500, 540, 579, 659},
                            {{504, 540}, {575, 540}, {579, 544}, {579, 655}, {575, 659}, {504, 659}, {500, 655}, {500, 544}, {504, 540}},
                            {{539, 548}, {547, 564}, {531, 564}, {539, 548}},
                            {{539, 651}, {547, 635}, {531, 635}, {539, 651}}},
                    TabCase{"Bottom", DockSide::Bottom, {500, 0, 579, 119},
                            {},
                            {{539, 8}, {547, 24}, {531, 24}, {539, 8}},
                            {{539, 111}, {547, 95}, {531, 95}, {539, 111}}},
                    TabCase{"Right", DockSide::Right, {0, 500, 159, 559},
                            {},
                            {{8, 529}, {24, 521}, {24, 537}, {8, 529}},
                            {{151, 529}, {135, 521}, {135, 537}, {151, 529}}},
                    TabCase{"Left", DockSide::Left, {944, 500, 1103, 559},
                            {},
                            {{952, 529}, {968, 521}, {968, 537}, {952, 529}},
                            {{1095, 529}, {1079, 521}, {1079, 537}, {1095, 529}}}),
    CaseName());
// clang-format on

TEST(TabShape, NoneDrawsNoTab)
{
    const TabShape tab = computeTabShape({DockSide::None, 500, 80, 60});
    EXPECT_FALSE(tab.drawn);
    EXPECT_EQ(tab.arrowCount, 0);
}

TEST(TabShape, UnknownDockSideDrawsTheBoxAtTheOriginWithoutArrows)
{
    const TabShape tab = computeTabShape({static_cast<DockSide>(6), 500, 80, 60});
    EXPECT_TRUE(tab.drawn);
    EXPECT_EQ(tab.box.left, 0);
    EXPECT_EQ(tab.box.top, 0);
    EXPECT_EQ(tab.box.right, 80);
    EXPECT_EQ(tab.box.bottom, 60);
    EXPECT_EQ(tab.arrowCount, 0);
}

// ---- Fonts ------------------------------------------------------------------------------------

struct FontCase {
    std::string name;
    std::u16string label; // padded with NULs to the field's 16 units, unless it fills them
    bool measured;
    size_t bytes;
    bool isShort;
};

class LabelFontTest : public testing::TestWithParam<FontCase> {};

TEST_P(LabelFontTest, LooksAtNoMoreThanEightUnits)
{
    const FontCase& c = GetParam();
    char16_t field[LABEL_UNITS] = {};
    for (size_t i = 0; i < c.label.size() && i < LABEL_UNITS; ++i)
        field[i] = c.label[i];
    size_t bytes = 99;
    EXPECT_EQ(labelByteLength(field, &bytes), c.measured);
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(labelIsShort(field), c.isShort);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Labels, LabelFontTest,
                         testing::Values(FontCase{"Empty", u"", true, 0, true},
                                         FontCase{"OneUnit", u"A", true, 2, true},
                                         FontCase{"Arrow", u"\u2191", true, 2, true},
                                         FontCase{"SurrogatePair", u"\U0001F600", true, 4, false},
                                         FontCase{"Three", u"Esc", true, 6, false},
                                         FontCase{"Seven", u"abcdefg", true, 14, false},
                                         FontCase{"EightNoNul", u"abcdefgh", false, 0, false},
                                         FontCase{"Fifteen", u"abcdefghijklmno", false, 0, false}),
                         CaseName());
// clang-format on

TEST(LabelUnits, DrawsAtMostFifteenUnits)
{
    char16_t full[LABEL_UNITS];
    for (char16_t& unit : full)
        unit = u'x';
    EXPECT_EQ(labelUnits(full), 15);
    EXPECT_EQ(labelUnits(u"Esc\0\0\0\0\0\0\0\0\0\0\0\0"), 3);
}

// ---- Keys -------------------------------------------------------------------------------------

KeyRecord makeKey(int16_t cx, int16_t cy, int16_t width, int16_t height, int16_t angle, std::u16string_view label,
                  std::u16string_view shiftLabel = u"", std::u16string_view fnLabel = u"")
{
    return testKey(cx, cy, width, height, angle, label, shiftLabel, fnLabel);
}

struct PlacedLabel {
    std::u16string text;
    int x;
    int y;
    bool largeFont;
    bool fnColor;

    bool operator==(const PlacedLabel&) const = default;
};

void PrintTo(const PlacedLabel& label, std::ostream* out)
{
    *out << label.text.size() << " units at (" << label.x << ", " << label.y << ")"
         << (label.largeFont ? " large" : " small") << (label.fnColor ? " fn" : "");
}

struct LabelCase {
    std::string name;
    KeyRecord key;
    std::vector<PlacedLabel> labels; // relative to P0
};

class LabelPositionTest : public testing::TestWithParam<LabelCase> {};

TEST_P(LabelPositionTest, PlacesLabelsFromTheFirstCorner)
{
    clientOffset = 19;
    windowOrigin = {80, 19};
    const LabelCase& c = GetParam();
    const KeyPaint paint = computeKeyPaint(c.key);
    const Point p0 = paint.quad.corner[0];
    std::vector<PlacedLabel> got;
    for (int i = 0; i < paint.labelCount; ++i) {
        const LabelPaint& l = paint.labels[i];
        got.push_back({std::u16string(l.text, static_cast<size_t>(l.units)), l.origin.x - p0.x, l.origin.y - p0.y,
                       l.largeFont, l.fnColor});
    }
    EXPECT_EQ(got, c.labels);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, LabelPositionTest,
    testing::Values(LabelCase{"ThreeLegends",
                              makeKey(152, 88, 70, 86, 0, u"1", u"!", u"F1"),
                              {{u"1", 4, 32, true, false}, {u"!", 4, 4, true, false}, {u"F1", 4, 68, false, true}}},
                    LabelCase{"LongLabelOnly", makeKey(78, 178, 70, 86, 0, u"Tab"), {{u"Tab", 10, 10, false, false}}},
                    LabelCase{"ShortLabelOnly", makeKey(152, 268, 70, 86, 0, u"A"), {{u"A", 10, 10, true, false}}},
                    // shiftLabel follows label's font, whatever its own length.
                    LabelCase{"ShiftLabelInTheLabelsFont",
                              makeKey(78, 88, 70, 86, 0, u"Del", u"X"),
                              {{u"Del", 4, 32, false, false}, {u"X", 4, 4, false, false}}},
                    LabelCase{"EmptyLabelDrawsNothing",
                              makeKey(78, 88, 70, 86, 0, u"", u"~", u"Fn"),
                              {{u"~", 4, 4, true, false}, {u"Fn", 4, 68, false, true}}},
                    // Thirds and quarters of -7 truncate toward zero: -2 and -5.
                    LabelCase{"NegativeHeight",
                              makeKey(300, 300, 70, -7, 0, u"1", u"!", u"F1"),
                              {{u"1", 4, 2, true, false}, {u"!", 4, 4, true, false}, {u"F1", 4, -1, false, true}}},
                    // Offsets run along the screen's axes from the turned corner.
                    LabelCase{"Turned",
                              makeKey(300, 300, 70, 86, 300, u"Shift", u"", u"Caps"),
                              {{u"Shift", 10, 10, false, false}, {u"Caps", 4, 68, false, true}}}),
    CaseName());
// clang-format on

TEST(KeyPaint, TakesTheCentreToClientCoordinates)
{
    clientOffset = 19;
    const KeyRecord key = makeKey(78, 88, 70, 86, 0, u"Esc");
    for (Point origin : {Point{0, 19}, Point{80, 19}, Point{0, 79}, Point{0, 0}}) {
        windowOrigin = origin;
        const KeyPaint paint = computeKeyPaint(key);
        EXPECT_EQ(paint.center.x, 78 + origin.x);
        EXPECT_EQ(paint.center.y, 88 + origin.y - 19);
        EXPECT_EQ(paint.quad.corner[0].x, 43 + origin.x);
        EXPECT_EQ(paint.quad.corner[0].y, 45 + origin.y - 19);
    }
}

TEST(KeyPaint, UprightBoundsAreTheFirstAndThirdCorners)
{
    clientOffset = 19;
    windowOrigin = {0, 19};
    const KeyPaint paint = computeKeyPaint(makeKey(78, 88, 71, 87, 0, u"Esc"));
    EXPECT_EQ(paint.bounds.left, 43);
    EXPECT_EQ(paint.bounds.top, 45);
    EXPECT_EQ(paint.bounds.right, 113);
    EXPECT_EQ(paint.bounds.bottom, 131);
    // A negative size keeps the corners' order, so the rectangle comes out inside out.
    const KeyPaint negative = computeKeyPaint(makeKey(78, 88, -70, -86, 0, u""));
    EXPECT_EQ(negative.bounds.left, 113);
    EXPECT_EQ(negative.bounds.bottom, 45);
}

TEST(KeyPaint, TurnedBoundsEncloseAllFourCorners)
{
    clientOffset = 19;
    windowOrigin = {0, 19};
    // 100 x 40 turned by 30 degrees about (200, 200): offsets of up to 53.30 across and 42.32 down.
    const KeyPaint paint = computeKeyPaint(makeKey(200, 200, 100, 40, 300, u"A"));
    EXPECT_EQ(paint.bounds.left, 147);
    EXPECT_EQ(paint.bounds.top, 158);
    EXPECT_EQ(paint.bounds.right, 253);
    EXPECT_EQ(paint.bounds.bottom, 242);
}

TEST(KeyPaint, FillFollowsTheState)
{
    EXPECT_EQ(keyFill(KeyState::Up), KeyFill::Face);
    EXPECT_EQ(keyFill(KeyState::Down), KeyFill::Down);
    EXPECT_EQ(keyFill(KeyState::Locked), KeyFill::Locked);
}

// ---- Colour styles --------------------------------------------------------------------------------

struct StyleCase {
    std::string name;
    int style;
    ColorRef faceColor;
    ColorRef textColor;
};

class ColorStyleTest : public testing::TestWithParam<StyleCase> {};

TEST_P(ColorStyleTest, SetsFaceAndTextAndKeepsTheFixedColours)
{
    const StyleCase& c = GetParam();
    ASSERT_TRUE(isColorStyle(c.style));
    const PaletteColors colors = paletteColors(c.style);
    EXPECT_EQ(colors.faceColor, c.faceColor);
    EXPECT_EQ(colors.textColor, c.textColor);
    EXPECT_EQ(colors.downColor, 0xFFFFCCu);
    EXPECT_EQ(colors.lockedColor, 0xCCCCFFu);
    EXPECT_EQ(colors.fnLabelColor, 0xC0FFC0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Styles, ColorStyleTest,
                         testing::Values(StyleCase{"Style1", 1, 0xC0C0C0, 0xFFFFFF},
                                         StyleCase{"Style2", 2, 0x808080, 0xFFFFFF},
                                         StyleCase{"Style3", 3, 0x000000, 0xFFFFFF},
                                         StyleCase{"Style4", 4, 0xFFFFFF, 0xC0C0C0},
                                         StyleCase{"Style5", 5, 0xFFFFFF, 0x808080},
                                         StyleCase{"Style6", 6, 0xFFFFFF, 0x000000}),
                         CaseName());
// clang-format on

TEST(ColorStyle, OnlyOneToSixAreStyles)
{
    EXPECT_FALSE(isColorStyle(0));
    EXPECT_FALSE(isColorStyle(7));
    EXPECT_FALSE(isColorStyle(32784));
}

} // namespace
