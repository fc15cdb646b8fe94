// The keymap path is built from the program's own file name, within a 260-unit buffer.
#include <gtest/gtest.h>

#include <string>

#include "support/case_name.h"
#include "app/keymap_path.h"
#include "layout/u16text.h"

namespace {

struct PathCase {
    const char* name;
    std::u16string moduleFile;
    std::u16string expected;
};

class KeymapPath : public testing::TestWithParam<PathCase> {};

TEST_P(KeymapPath, SitsBesideTheProgram)
{
    char16_t buffer[PATH_UNITS + 1] = {};
    u16Copy(buffer, PATH_UNITS, GetParam().moduleFile.c_str());
    buildKeymapPath(buffer, PATH_UNITS, u"default.keymap");
    EXPECT_EQ(std::u16string(buffer), GetParam().expected);
}

const std::u16string longFolder = u"C:\\" + std::u16string(240, u'a') + u"\\";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, KeymapPath,
    testing::Values(PathCase{"folder", u"C:\\Program Files\\Plumtide\\plumtide.exe",
                             u"C:\\Program Files\\Plumtide\\default.keymap"},
                    PathCase{"root", u"C:\\plumtide.exe", u"C:\\default.keymap"},
                    PathCase{"noBackslash", u"plumtide.exe", u"plumtide.exedefault.keymap"},
                    PathCase{"cutAtTheBufferEnd", longFolder + u"plumtide.exe",
                             (longFolder + u"default.keymap").substr(0, PATH_UNITS - 1)}),
    CaseName());
// clang-format on

TEST(KeymapPathLimits, BufferWithoutTerminatorIsLeftUnchanged)
{
    char16_t buffer[PATH_UNITS + 1];
    for (size_t i = 0; i < PATH_UNITS; ++i)
        buffer[i] = i == 10 ? u'\\' : u'x';
    buffer[PATH_UNITS] = u'#';
    buildKeymapPath(buffer, PATH_UNITS, u"default.keymap");
    EXPECT_EQ(buffer[11], u'x');
    EXPECT_EQ(buffer[PATH_UNITS - 1], u'x');
    EXPECT_EQ(buffer[PATH_UNITS], u'#') << "nothing written past the buffer";
}

} // namespace
