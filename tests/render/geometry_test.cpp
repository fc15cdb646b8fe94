// Panel shape and placement per dock side, the panel/client conversions, key corners and hit testing.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/case_name.h"
#include "support/test_keys.h"
#include "render/geometry.h"
#include "layout/keytable.h"

namespace {

bool operator==(Point a, Point b)
{
    return a.x == b.x && a.y == b.y;
}

using Pairs = std::vector<std::pair<int, int>>;

Pairs points(const Point* first, int count)
{
    Pairs list;
    for (int i = 0; i < count; ++i)
        list.emplace_back(first[i].x, first[i].y);
    return list;
}

std::string describe(Point p)
{
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

KeyRecord key(int16_t cx, int16_t cy, int16_t width, int16_t height, int16_t angle)
{
    return testKey(cx, cy, width, height, angle);
}

// ---- Panel shape --------------------------------------------------------------------------------

struct ShapeCase {
    std::string name;
    PanelLayout layout;
    Size size;
    Point origin;
    Pairs vertices;
};

class PanelShapeTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(PanelShapeTest, GivesSizeOriginAndRegion)
{
    const ShapeCase& c = GetParam();
    const PanelShape shape = computePanelShape(c.layout, 19);
    ASSERT_TRUE(shape.valid);
    EXPECT_EQ(shape.size.width, c.size.width);
    EXPECT_EQ(shape.size.height, c.size.height);
    EXPECT_TRUE(shape.origin == c.origin);
    EXPECT_EQ(points(shape.vertices, shape.vertexCount), c.vertices);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DockSides, PanelShapeTest,
    testing::Values(
        ShapeCase{"None", {DockSide::None, 500, 80, 60}, {1024, 600}, {0, 0}, {{0, 0}, {0, 600}, {1024, 600}, {1024, 0}}},
        ShapeCase{"Top", {DockSide::Top, 500, 80, 60}, {1024, 679}, {0, 19},
                  {{0, 19}, {1024, 19}, {1024, 619}, {580, 619}, {580, 675}, {576, 679}, {504, 679}, {500, 675}, {500, 619}, {0, 619}, {0, 19}}},
        ShapeCase{"Bottom", {DockSide::Bottom, 500, 80, 60}, {1024, 679}, {0, 79},
                  {{0, 79}, {500, 79}, {500, 23}, {504, 19}, {576, 19}, {580, 23}, {580, 79}, {1024, 79}, {1024, 679}, {0, 679}, {0, 79}}},
        ShapeCase{"Right", {DockSide::Right, 500, 80, 60}, {1104, 619}, {80, 19},
                  {{80, 19}, {1104, 19}, {1104, 619}, {80, 619}, {80, 579}, {4, 579}, {0, 575}, {0, 523}, {4, 519}, {80, 519}, {80, 19}}},
        ShapeCase{"Left", {DockSide::Left, 500, 80, 60}, {1104, 619}, {0, 19},
                  {{0, 19}, {1024, 19}, {1024, 519}, {1100, 519}, {1104, 523}, {1104, 575}, {1100, 579}, {1024, 579}, {1024, 619}, {0, 619}, {0, 19}}},
        // Not clamped: the window, only 1024 wide, cuts the tab off at its edge.
        ShapeCase{"TopTabPastTheEnd", {DockSide::Top, 1000, 80, 60}, {1024, 679}, {0, 19},
                  {{0, 19}, {1024, 19}, {1024, 619}, {1080, 619}, {1080, 675}, {1076, 679}, {1004, 679}, {1000, 675}, {1000, 619}, {0, 619}, {0, 19}}}),
    CaseName());
// clang-format on

TEST(PanelShape, DockSideOutsideZeroToFourComputesNothing)
{
    for (int side : {-1, 5, 7}) {
        const PanelShape shape = computePanelShape({static_cast<DockSide>(side), 500, 80, 60}, 19);
        EXPECT_FALSE(shape.valid) << side;
        EXPECT_EQ(shape.vertexCount, 0) << side;
    }
}

TEST(PanelShape, PlacementKeepsTheWindowValuesForAnUnknownDockSide)
{
    clientOffset = 19;
    windowSize = {3, 4};
    windowOrigin = {5, 6};
    panelLayout = {static_cast<DockSide>(9), 500, 80, 60};
    EXPECT_FALSE(updateWindowPlacement().valid);
    EXPECT_EQ(windowSize.width, 3);
    EXPECT_TRUE(windowOrigin == (Point{5, 6}));

    panelLayout = {DockSide::Bottom, 500, 80, 60};
    EXPECT_TRUE(updateWindowPlacement().valid);
    EXPECT_EQ(windowSize.height, 679);
    EXPECT_TRUE(windowOrigin == (Point{0, 79}));
}

TEST(PanelShape, AbsurdTabSizesWrapInsteadOfOverflowing)
{
    const PanelShape shape = computePanelShape({DockSide::Right, INT32_MAX, INT32_MAX, INT32_MAX}, 19);
    ASSERT_TRUE(shape.valid);
    EXPECT_EQ(shape.size.width, INT32_MIN + 1023);
    EXPECT_EQ(shape.origin.x, INT32_MAX);
}

// ---- Conversions ----------------------------------------------------------------------------------

struct ConversionCase {
    std::string name;
    Point origin;
    Point client;
    Point panel;
};

class ConversionTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, ConvertsBothWays)
{
    const ConversionCase& c = GetParam();
    clientOffset = 19;
    windowOrigin = c.origin;
    EXPECT_TRUE(clientToPanel(c.client) == c.panel);
    EXPECT_TRUE(panelToClient(c.panel) == c.client);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(DockSides, ConversionTest,
                         testing::Values(ConversionCase{"Top", {0, 19}, {300, 200}, {300, 200}},
                                         ConversionCase{"Right", {80, 19}, {80, 0}, {0, 0}},
                                         ConversionCase{"Bottom", {0, 79}, {10, 60}, {10, 0}},
                                         ConversionCase{"None", {0, 0}, {0, 0}, {0, 19}}),
                         CaseName());
// clang-format on

// ---- Key corners ----------------------------------------------------------------------------------

struct QuadCase {
    std::string name;
    KeyRecord key;
    Pairs corners;
};

class KeyQuadTest : public testing::TestWithParam<QuadCase> {};

TEST_P(KeyQuadTest, TruncatesOffsetsTowardTheCentre)
{
    const KeyRecord& k = GetParam().key;
    const KeyQuad quad = computeKeyQuad(k.centerX, k.centerY, k.width, k.height, k.angle);
    EXPECT_EQ(points(quad.corner, 4), GetParam().corners);
    // A centre moved anywhere moves the corners exactly as far.
    const KeyQuad moved = computeKeyQuad(k.centerX + 80, k.centerY - 19, k.width, k.height, k.angle);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(moved.corner[i] == (Point{quad.corner[i].x + 80, quad.corner[i].y - 19})) << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, KeyQuadTest,
    testing::Values(QuadCase{"Upright", key(78, 88, 70, 86, 0), {{43, 45}, {113, 45}, {113, 131}, {43, 131}}},
                    QuadCase{"OddSizeLikeEven", key(78, 88, 71, 87, 0), {{43, 45}, {113, 45}, {113, 131}, {43, 131}}},
                    QuadCase{"NegativeSize", key(78, 88, -70, -86, 0), {{113, 131}, {43, 131}, {43, 45}, {113, 45}}},
                    QuadCase{"Turned45", key(200, 200, 100, 100, 450), {{130, 200}, {200, 130}, {270, 200}, {200, 270}}},
                    QuadCase{"Turned90", key(78, 88, 70, 86, 900), {{35, 123}, {35, 53}, {121, 53}, {121, 123}}},
                    QuadCase{"TurnedMinus90", key(78, 88, 70, 86, -900), {{121, 53}, {121, 123}, {35, 123}, {35, 53}}},
                    // A full turn takes the turned path: sin(-2 pi) is not quite 0, and offsets a hair
                    // short of an integer lose a pixel.
                    QuadCase{"FullTurn", key(78, 88, 70, 86, 3600), {{44, 45}, {113, 46}, {112, 131}, {43, 130}}},
                    QuadCase{"TurnedZeroSize", key(50, 60, 0, 0, 300), {{50, 60}, {50, 60}, {50, 60}, {50, 60}}}),
    CaseName());
// clang-format on

// ---- Orientation ----------------------------------------------------------------------------------

struct TurnCase {
    std::string name;
    Point p;
    Point a;
    Point b;
    int direction;
};

class TurnDirectionTest : public testing::TestWithParam<TurnCase> {};

TEST_P(TurnDirectionTest, TellsTheSenseOfTheTurn)
{
    const TurnCase& c = GetParam();
    EXPECT_EQ(turnDirection(c.p, c.a, c.b), c.direction);
}

// B = (0, 0), A = (10, 0): the path runs along +x.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Points, TurnDirectionTest,
                         testing::Values(TurnCase{"BelowOnScreen", {15, 5}, {10, 0}, {0, 0}, 1},
                                         TurnCase{"AboveOnScreen", {15, -5}, {10, 0}, {0, 0}, -1},
                                         TurnCase{"AtA", {10, 0}, {10, 0}, {0, 0}, 0},
                                         TurnCase{"BeyondAWithinAB", {20, 0}, {10, 0}, {0, 0}, 0},
                                         TurnCase{"BeyondAFartherThanB", {21, 0}, {10, 0}, {0, 0}, -1},
                                         TurnCase{"BackTowardB", {5, 0}, {10, 0}, {0, 0}, -1},
                                         TurnCase{"AllAtOnePoint", {3, 3}, {3, 3}, {3, 3}, 0}),
                         CaseName());
// clang-format on

// ---- Hit testing ----------------------------------------------------------------------------------

struct HitCase {
    std::string name;
    KeyRecord key;
    std::vector<Point> hits;
    std::vector<Point> misses;
};

class KeyHitTest : public testing::TestWithParam<HitCase> {};

// With windowOrigin (0, clientOffset), as for Top and Left, client and panel points agree; with
// the origin of Right the same panel points must give the same answers.
TEST_P(KeyHitTest, FollowsTheEdgeAndCornerRules)
{
    const HitCase& c = GetParam();
    clientOffset = 19;
    for (Point origin : {Point{0, 19}, Point{80, 19}, Point{0, 0}}) {
        windowOrigin = origin;
        for (Point p : c.hits) {
            const Point client = panelToClient(p);
            EXPECT_EQ(keyContainsPoint(c.key, client.x, client.y), 1) << describe(p) << " origin x " << origin.x;
        }
        for (Point p : c.misses) {
            const Point client = panelToClient(p);
            EXPECT_EQ(keyContainsPoint(c.key, client.x, client.y), 0) << describe(p) << " origin x " << origin.x;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, KeyHitTest,
    testing::Values(
        HitCase{"Upright",
                key(78, 88, 70, 86, 0),
                {{43, 45}, {112, 45}, {43, 130}, {112, 130}, {78, 88}},
                {{42, 88}, {113, 88}, {78, 44}, {78, 131}}},
        HitCase{"OddSize", key(78, 88, 71, 87, 0), {{43, 45}, {112, 130}}, {{42, 88}, {113, 88}, {78, 44}, {78, 131}}},
        HitCase{"ZeroWidth", key(78, 88, 0, 86, 0), {}, {{78, 88}, {77, 88}}},
        HitCase{"OneWide", key(78, 88, 1, 86, 0), {}, {{78, 88}}},
        HitCase{"ZeroHeight", key(78, 88, 70, 0, 0), {}, {{78, 88}}},
        HitCase{"Negative", key(78, 88, -70, -86, 0), {}, {{78, 88}, {43, 45}, {112, 130}}},
        HitCase{"TurnedZeroSize", key(78, 88, 0, 0, 450), {}, {{78, 88}}},
        // Collapsed onto the segment from (50, 100) to (150, 100).
        HitCase{"TurnedZeroWidth", key(100, 100, 0, 100, 900), {{51, 100}, {100, 100}, {149, 100}}, {{100, 99}, {100, 101}}},
        HitCase{"Turned45",
                key(200, 200, 100, 100, 450),
                {{200, 200}, {131, 200}, {269, 200}, {130, 200}},
                {{165, 165}, {235, 235}, {165, 235}, {235, 165}, {200, 130}, {270, 200}, {200, 270}, {129, 200}}},
        HitCase{"Turned90",
                key(78, 88, 70, 86, 900),
                {{36, 80}, {120, 80}, {35, 123}, {78, 88}},
                {{35, 80}, {121, 80}, {35, 53}, {121, 53}, {121, 123}}},
        // The upright key's left column and top row are lost to the slightly skewed full turn.
        HitCase{"FullTurn", key(78, 88, 70, 86, 3600), {{78, 88}, {44, 46}, {112, 129}}, {{43, 88}, {78, 45}, {113, 88}}}),
    CaseName());
// clang-format on

// ---- The far point -------------------------------------------------------------------------------

struct FarPointCase {
    std::string name;
    KeyRecord key;
    std::vector<Point> hits;
    std::vector<Point> misses;
};

class FarPointTest : public testing::TestWithParam<FarPointCase> {};

// Keys lying over (-1000, -1000): counted from there, every answer would be the wrong way round.
TEST_P(FarPointTest, KeysAroundTheFarPointAnswerRightToo)
{
    const FarPointCase& c = GetParam();
    const KeyQuad quad = computeKeyQuad(c.key.centerX, c.key.centerY, c.key.width, c.key.height, c.key.angle);
    for (Point p : c.hits)
        EXPECT_EQ(quadContainsPoint(p, quad), 1) << describe(p);
    for (Point p : c.misses)
        EXPECT_EQ(quadContainsPoint(p, quad), 0) << describe(p);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, FarPointTest,
    testing::Values(FarPointCase{"Turned45",
                                 key(-1000, -1000, 100, 100, 450),
                                 {{-1000, -1000}, {-1069, -1000}, {-1000, -931}},
                                 {{-1071, -1000}, {-1000, -900}, {0, 0}}},
                    FarPointCase{"Turned300",
                                 key(-990, -1010, 300, 40, 300),
                                 {{-990, -1010}, {-1000, -1000}, {-1100, -950}},
                                 {{-990, -1040}, {-800, -800}}},
                    FarPointCase{"FarPointOnTheEdge",
                                 key(-1000, -950, 100, 100, 900),
                                 {{-1000, -950}, {-999, -999}},
                                 {{-1000, -1001}, {-1051, -950}}},
                    // Collapsed onto a 45-degree segment through the far point itself.
                    FarPointCase{"CollapsedThroughTheFarPoint",
                                 key(-1000, -1000, 0, 100, 450),
                                 {{-1010, -1010}, {-1000, -1000}, {-980, -980}},
                                 {{-1010, -1009}, {-1100, -1100}}}),
    CaseName());
// clang-format on

TEST(FarPoint, KeysElsewhereStillCountFromIt)
{
    // The far point lies on the line of this collapsed key, so the key has no hit at all there.
    const KeyQuad quad = computeKeyQuad(0, 0, 0, 100, 450);
    EXPECT_EQ(quadContainsPoint({0, 0}, quad), 0);
    EXPECT_EQ(quadContainsPoint({10, 10}, quad), 0);
}

} // namespace
