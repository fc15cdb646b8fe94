// Bounded UTF-16 routines: capacity limits, truncation and the failure cases.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "layout/u16text.h"

namespace {

TEST(BoundedText, LengthCountsUnitsBeforeTheFirstNulWithinCapacity)
{
    size_t units = 99;
    EXPECT_TRUE(u16Length(u"abc", 4, &units));
    EXPECT_EQ(units, 3u);
    EXPECT_FALSE(u16Length(u"abc", 3, &units)) << "no NUL among the first 3 units";
    EXPECT_TRUE(u16Length(u"", 1, &units));
    EXPECT_EQ(units, 0u);
    size_t bytes = 0;
    EXPECT_TRUE(u16ByteLength(u"abcd", 8, &bytes));
    EXPECT_EQ(bytes, 8u);
}

struct CopyCase {
    size_t capacity;
    std::u16string source;
    TextResult result;
    std::u16string stored;
};

class BoundedCopy : public testing::TestWithParam<CopyCase> {};

TEST_P(BoundedCopy, CopiesCutsAndAlwaysTerminates)
{
    const CopyCase& c = GetParam();
    std::array<char16_t, 8> guard;
    guard.fill(u'#');
    EXPECT_EQ(u16Copy(guard.data(), c.capacity, c.source.c_str()), c.result);
    if (c.capacity == 0) {
        EXPECT_EQ(guard[0], u'#') << "capacity 0 writes nothing";
        return;
    }
    EXPECT_EQ(std::u16string(guard.data()), c.stored);
    for (size_t i = c.capacity; i < guard.size(); ++i)
        EXPECT_EQ(guard[i], u'#') << "wrote past the capacity at " << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, BoundedCopy,
                         testing::Values(CopyCase{0, u"abc", TextResult::Failed, u""},
                                         CopyCase{4, u"abc", TextResult::Ok, u"abc"},
                                         CopyCase{3, u"abc", TextResult::Truncated, u"ab"},
                                         CopyCase{1, u"abc", TextResult::Truncated, u""},
                                         CopyCase{5, u"", TextResult::Ok, u""}));
// clang-format on

TEST(BoundedAppend, AppendsWithinCapacityAndFailsWithoutATerminator)
{
    char16_t path[8] = u"C:\\a\\";
    EXPECT_EQ(u16Append(path, 8, u"bc"), TextResult::Ok);
    EXPECT_EQ(std::u16string(path), u"C:\\a\\bc");

    char16_t small[8] = u"C:\\a\\";
    EXPECT_EQ(u16Append(small, 8, u"bcdef"), TextResult::Truncated);
    EXPECT_EQ(std::u16string(small), u"C:\\a\\bc") << "cut to 7 units and a NUL";

    char16_t full[4] = {u'a', u'b', u'c', u'd'};
    EXPECT_EQ(u16Append(full, 4, u"x"), TextResult::Failed);
    EXPECT_EQ(full[3], u'd') << "nothing written when the text has no NUL within capacity";
}

TEST(Utf8, RoundTripsOutsideTheBasicPlane)
{
    std::string text = "A\xC3\xA9\xE2\x86\x90\xF0\x9F\x98\x80";
    std::u16string wide = utf8ToUtf16(text);
    EXPECT_EQ(wide, std::u16string(u"A\u00E9\u2190\U0001F600"));
    EXPECT_EQ(utf16ToUtf8(wide), text);
}

} // namespace
