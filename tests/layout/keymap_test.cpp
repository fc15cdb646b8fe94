// The keymap loader, rule by rule: line ends, encoding, number, text and name fields, abandoned
// lines, panel-layout lines, and the limits on keys and bytes.
#include <gtest/gtest.h>

#include <string>

#include "support/case_name.h"
#include "fake/fake_platform.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

constexpr char16_t path[] = u"C:\\plumtide\\default.keymap";

class Keymap : public testing::Test {
protected:
    void SetUp() override
    {
        fake::reset();
        ASSERT_TRUE(resetLayout());
    }
    void TearDown() override
    {
        EXPECT_EQ(fake::openFiles(), 0) << "the loader left a file open";
        freeKeyTable();
    }

    static bool loadBytes(const std::string& bytes)
    {
        fake::addFile(path, bytes);
        return loadKeymap(path);
    }
    static bool load(std::u16string_view text) { return loadBytes(fake::utf16le(text)); }
    static int count() { return keyTable->count; }
    static const KeyRecord& key(int index) { return keyTable->keys[index]; }
    static std::u16string label(const char16_t* field) { return std::u16string(field); }
};

// A complete key line whose first number is `x`, with CRLF.
std::u16string keyLine(int x)
{
    std::u16string line = u"@N,";
    for (char c : std::to_string(x))
        line += static_cast<char16_t>(c);
    return line + u",2,3,4,5,L,S,F,VK_A,VK_B\r\n";
}

TEST_F(Keymap, ReadsTheWorkedExample)
{
    ASSERT_TRUE(load(u"TAG:3,200,40,120,\r\n"
                     u"@N,78,88,70,86,0,Esc,,,VK_ESCAPE,VK_ESCAPE\r\n"
                     u"@F,152,88,70,86,-150,Fn,,,VK_FN,VK_FN\r\n"));
    EXPECT_EQ(panelLayout.dockSide, DockSide::Right);
    EXPECT_EQ(panelLayout.tabOffset, 200);
    EXPECT_EQ(panelLayout.tabWidth, 40);
    EXPECT_EQ(panelLayout.tabHeight, 120);
    ASSERT_EQ(count(), 2);
    EXPECT_EQ(key(0).kind, KeyKind::Normal);
    EXPECT_EQ(key(0).centerX, 78);
    EXPECT_EQ(key(0).centerY, 88);
    EXPECT_EQ(key(0).width, 70);
    EXPECT_EQ(key(0).height, 86);
    EXPECT_EQ(key(0).angle, 0);
    EXPECT_EQ(label(key(0).label), u"Esc");
    EXPECT_EQ(label(key(0).shiftLabel), u"");
    EXPECT_EQ(key(0).vk, 0x1B);
    EXPECT_EQ(key(0).fnVk, 0x1B);
    EXPECT_EQ(key(1).kind, KeyKind::Latching);
    EXPECT_EQ(key(1).angle, -150);
    EXPECT_EQ(label(key(1).label), u"Fn");
    EXPECT_EQ(key(1).vk, 0x3B);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(key(i).state, KeyState::Up);
        EXPECT_EQ(key(i).bounds.right, 0);
    }
}

struct LineEndCase {
    const char* name;
    std::u16string text;
    int keys;
};

class KeymapLineEnds : public Keymap, public testing::WithParamInterface<LineEndCase> {};

TEST_P(KeymapLineEnds, DecideWhichKeyLinesComplete)
{
    ASSERT_TRUE(load(GetParam().text));
    EXPECT_EQ(count(), GetParam().keys);
}

const std::u16string line = u"@N,1,2,3,4,5,a,b,c,VK_A,VK_B";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, KeymapLineEnds,
    testing::Values(LineEndCase{"crlf", line + u"\r\n" + line + u"\r\n", 2},
                    LineEndCase{"bareLfNeedsTrailingComma", line + u"\n" + line + u"\n", 0},
                    LineEndCase{"bareLfWithTrailingComma", line + u",\n" + line + u",\n", 2},
                    LineEndCase{"lastLineWithoutEndButComma", line + u"\r\n" + line + u",", 2},
                    LineEndCase{"lastLineEndingInCarriageReturn", line + u"\r", 1},
                    LineEndCase{"lastLineWithoutAnyTerminator", line, 0},
                    LineEndCase{"nulUnitEndsALine", line + u"," + std::u16string(1, u'\0') + line + u",", 2},
                    LineEndCase{"nulAfterALineEndEndsTheText",
                                line + u",\n" + std::u16string(1, u'\0') + line + u",", 1},
                    LineEndCase{"firstUnitNul", std::u16string(1, u'\0') + line + u",", 0},
                    LineEndCase{"byteOrderMarkHidesFirstLine", u"\uFEFF" + line + u"\r\n" + line + u"\r\n", 1},
                    LineEndCase{"blankAndCommentLines", u"\r\n; comment\r\n\r\n" + line + u"\r\n", 1},
                    LineEndCase{"leadingSpaceIsNotAKeyLine", u" " + line + u"\r\n", 0},
                    LineEndCase{"emptyFile", u"", 0}),
    CaseName());
// clang-format on

struct NumberCase {
    const char* name;
    std::u16string field;
    int16_t stored;
    bool lineGoesOn;
};

class KeymapNumbers : public Keymap, public testing::WithParamInterface<NumberCase> {};

TEST_P(KeymapNumbers, StoreLow16BitsAndEndTheLineOnTrailingText)
{
    const NumberCase& c = GetParam();
    ASSERT_TRUE(load(u"@N," + c.field + u",7,3,4,5,a,b,c,VK_A,VK_B\r\n"));
    EXPECT_EQ(key(0).centerX, c.stored);
    EXPECT_EQ(key(0).centerY, c.lineGoesOn ? 7 : 0) << "the field after it";
    EXPECT_EQ(count(), c.lineGoesOn ? 1 : 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, KeymapNumbers,
    testing::Values(NumberCase{"plain", u"12", 12, true}, NumberCase{"leadingSpace", u" 12", 12, true},
                    NumberCase{"leadingTabAndPlus", u"\t+12", 12, true}, NumberCase{"minus", u"-12", -12, true},
                    NumberCase{"empty", u"", 0, true}, NumberCase{"trailingSpace", u"12 ", 12, false},
                    NumberCase{"trailingLetter", u"12x", 12, false}, NumberCase{"hex", u"0x10", 0, false},
                    NumberCase{"noDigits", u"x", 0, false}, NumberCase{"onlySpace", u" ", 0, false},
                    NumberCase{"onlySign", u"-", 0, false}, NumberCase{"wraps70000", u"70000", 4464, true},
                    NumberCase{"wraps40000", u"40000", -25536, true},
                    NumberCase{"int32Max", u"2147483647", -1, true},
                    NumberCase{"saturatesHigh", u"99999999999", -1, true},
                    NumberCase{"saturatesLow", u"-99999999999", 0, true},
                    NumberCase{"saturatesLowExact", u"-2147483649", 0, true},
                    NumberCase{"manyDigits", u"000000000000000000042", 42, true}),
    CaseName());
// clang-format on

TEST(ConvertNumber, SaturatesAtThe32BitLimitsOnEveryPlatform)
{
    struct Case {
        std::u16string text;
        int32_t value;
        size_t stop;
    };
    const Case cases[] = {{u"2147483647", INT32_MAX, 10},
                          {u"2147483648", INT32_MAX, 10},
                          {u"-2147483648", INT32_MIN, 11},
                          {u"-2147483649", INT32_MIN, 11},
                          {u"18446744073709551617", INT32_MAX, 20},
                          {u"  -7x", -7, 4},
                          {u"  x", 0, 0},
                          {u"+", 0, 0}};
    for (const Case& c : cases) {
        const char16_t* stop = nullptr;
        EXPECT_EQ(convertNumber(c.text.c_str(), &stop), c.value) << testing::PrintToString(c.text.size());
        EXPECT_EQ(static_cast<size_t>(stop - c.text.c_str()), c.stop);
    }
}

TEST_F(Keymap, KeepsTheFirst15UnitsOfALegend)
{
    ASSERT_TRUE(load(u"@N,0,0,0,0,0,ABCDEFGHIJKLMNO,ABCDEFGHIJKLMNOPQ,"
                     u"aaaaaaaaaaaaaa\U0001F600,VK_A,VK_A\r\n"));
    EXPECT_EQ(label(key(0).label), u"ABCDEFGHIJKLMNO") << "exactly 15 units fill the field";
    EXPECT_EQ(key(0).label[15], 0);
    EXPECT_EQ(label(key(0).shiftLabel), u"ABCDEFGHIJKLMNO");
    EXPECT_EQ(label(key(0).fnLabel), u"aaaaaaaaaaaaaa\xD83D") << "a surrogate pair is cut by units";
}

TEST_F(Keymap, AbandonedLineLeavesItsFieldsForTheNextKeyLine)
{
    ASSERT_TRUE(load(u"@F,9,9,9,9,9,ABCDEFGHIJKLMNO,half\r\n"
                     u"@x,1,2,3,4,5,AB,,,VK_A,VK_B\r\n"));
    ASSERT_EQ(count(), 1);
    EXPECT_EQ(key(0).kind, KeyKind::Latching) << "an unknown kind letter leaves the kind written before";
    EXPECT_EQ(key(0).centerX, 1);
    EXPECT_EQ(label(key(0).label), u"AB");
    EXPECT_EQ(key(0).label[3], u'D') << "units after the NUL stay as the abandoned line left them";
    EXPECT_EQ(key(0).vk, 0x41);
}

TEST_F(Keymap, UnknownKindLetterStillAddsTheKey)
{
    ASSERT_TRUE(load(u"@f,1,2,3,4,5,a,,,VK_A,VK_A\r\n"));
    ASSERT_EQ(count(), 1);
    EXPECT_EQ(key(0).kind, KeyKind::Normal);
}

struct NameCase {
    std::u16string field;
    uint8_t code;
};

class KeymapNames : public Keymap, public testing::WithParamInterface<NameCase> {};

TEST_P(KeymapNames, MustMatchExactlyAndStillAddTheKey)
{
    ASSERT_TRUE(load(u"@N,1,2,3,4,5,a,,," + GetParam().field + u",VK_B\r\n"));
    ASSERT_EQ(count(), 1);
    EXPECT_EQ(key(0).vk, GetParam().code);
    EXPECT_EQ(key(0).fnVk, 0x42);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, KeymapNames,
                         testing::Values(NameCase{u"VK_RETURN", 0x0D}, NameCase{u"vk_return", 0},
                                         NameCase{u"VK_RETURN ", 0}, NameCase{u" VK_RETURN", 0},
                                         NameCase{u"VK_HANGUL", 0x15}, NameCase{u"VK_SHIFT", 0},
                                         NameCase{u"", 0}));
// clang-format on

TEST_F(Keymap, SecondNameEndedByCarriageReturnButFirstNotByComma)
{
    ASSERT_TRUE(load(u"@N,1,2,3,4,5,a,,,VK_A\r\n"));
    EXPECT_EQ(count(), 0) << "the first name takes the carriage return, the second finds nothing";
    EXPECT_EQ(key(0).vk, 0x41);
}

struct PanelCase {
    const char* name;
    std::u16string text;
    PanelLayout panel;
};

class KeymapPanel : public Keymap, public testing::WithParamInterface<PanelCase> {};

TEST_P(KeymapPanel, SetsTheFieldsThatACommaEnds)
{
    ASSERT_TRUE(load(GetParam().text));
    const PanelLayout& want = GetParam().panel;
    EXPECT_EQ(panelLayout.dockSide, want.dockSide);
    EXPECT_EQ(panelLayout.tabOffset, want.tabOffset);
    EXPECT_EQ(panelLayout.tabWidth, want.tabWidth);
    EXPECT_EQ(panelLayout.tabHeight, want.tabHeight);
    EXPECT_EQ(count(), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, KeymapPanel,
    testing::Values(PanelCase{"allFour", u"TAG:3,200,40,120,\r\n", {DockSide::Right, 200, 40, 120}},
                    PanelCase{"noCommaAfterFourth", u"TAG:3,200,40,120\r\n", {DockSide::Right, 200, 40, 60}},
                    PanelCase{"fifthIgnored", u"TAG:2,1,2,3,99,\r\n", {DockSide::Bottom, 1, 2, 3}},
                    PanelCase{"lastLineWins", u"TAG:2,\r\nTAG:4,7,\r\n", {DockSide::Left, 7, 80, 60}},
                    PanelCase{"sideOutOfRangeKeepsSide", u"TAG:7,10,\r\n", {DockSide::Top, 10, 80, 60}},
                    PanelCase{"negativeSideKeepsSide", u"TAG:-1,10,\r\n", {DockSide::Top, 10, 80, 60}},
                    PanelCase{"trailingSpaceEndsLine", u"TAG:2 ,10,\r\n", {DockSide::Bottom, 500, 80, 60}},
                    PanelCase{"noDigitsStoresZero", u"TAG:x,10,\r\n", {DockSide::None, 500, 80, 60}},
                    PanelCase{"fullWidth32Bit", u"TAG:1,-70000,99999,0,\r\n", {DockSide::Top, -70000, 99999, 0}},
                    PanelCase{"caseSensitive", u"tag:2,\r\n", {DockSide::Top, 500, 80, 60}},
                    PanelCase{"noLeadingSpace", u" TAG:2,\r\n", {DockSide::Top, 500, 80, 60}},
                    PanelCase{"behindAByteOrderMark", u"\uFEFFTAG:2,\r\n", {DockSide::Top, 500, 80, 60}}),
    CaseName());
// clang-format on

TEST_F(Keymap, PanelLineMayFollowKeyLines)
{
    ASSERT_TRUE(load(keyLine(1) + u"TAG:4,\r\n"));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(panelLayout.dockSide, DockSide::Left);
}

TEST_F(Keymap, KeepsTheFirst255KeysAndStillReadsLaterPanelLines)
{
    std::u16string text;
    for (int i = 0; i < 300; ++i)
        text += keyLine(i);
    text += u"TAG:2,\r\n";
    ASSERT_TRUE(load(text));
    EXPECT_EQ(count(), 255);
    EXPECT_EQ(key(254).centerX, 254);
    EXPECT_EQ(key(255).centerX, 0) << "no record past the 255th is written";
    EXPECT_EQ(panelLayout.dockSide, DockSide::Bottom);
}

TEST_F(Keymap, ReadsOnlyTheFirst64KiB)
{
    // A comment line fills the first 32768 - 9 units; the key line after it is cut by the limit
    // after "@N,5,6,7," and the panel line beyond it is never read.
    std::u16string text(32768 - 10, u';');
    text += u"\n@N,5,6,7,8,9,a,b,c,VK_A,VK_A,\r\nTAG:2,\r\n";
    ASSERT_TRUE(load(text));
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(key(0).centerX, 5);
    EXPECT_EQ(key(0).width, 7) << "the cut line is used as far as it goes";
    EXPECT_EQ(key(0).height, 0);
    EXPECT_EQ(panelLayout.dockSide, DockSide::Top);
}

TEST_F(Keymap, FullBufferEndsAtTheLastUnitRead)
{
    // Exactly 65536 bytes with no NUL: the last key line ends with the data.
    std::u16string last = u"@N,1,2,3,4,5,a,b,c,VK_A,VK_B,";
    std::u16string text(32768 - last.size() - 1, u';');
    text += u"\n" + last;
    ASSERT_EQ(text.size() * 2, KEYMAP_READ_LIMIT);
    ASSERT_TRUE(load(text));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(key(0).fnVk, 0x42);
}

TEST_F(Keymap, OddFinalByteIsAUnitWithAZeroHighByte)
{
    ASSERT_TRUE(loadBytes(fake::utf16le(u"@N,1,2,3,4,5,a,b,c,VK_A,VK_B") + ","));
    EXPECT_EQ(count(), 1);
}

TEST_F(Keymap, FailsOnlyWhenTheFileCannotBeOpenedOrRead)
{
    EXPECT_FALSE(loadKeymap(u"C:\\nowhere\\missing.keymap"));
    fake::addUnreadableFile(u"C:\\locked.keymap");
    EXPECT_FALSE(loadKeymap(u"C:\\locked.keymap"));
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(fake::outOfMemoryShown(), 0);
    EXPECT_TRUE(load(u"TAG:2,\r\n; nothing else\r\n")) << "a file that was read counts as loaded";
    EXPECT_EQ(count(), 0);
}

} // namespace
