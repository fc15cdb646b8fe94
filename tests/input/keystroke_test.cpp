// Key events as the system receives them, and the two bulk releases of latched modifiers.
#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/vkeynames.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

struct ScanCase {
    const char* name;
    uint8_t virtualKey;
    uint32_t layoutScan; // what the layout answers, prefix included
    bool up;
    uint16_t scan;
    uint32_t flags;
};

void PrintTo(const ScanCase& c, std::ostream* out)
{
    *out << c.name;
}

class KeyEvent : public InputFixture, public testing::WithParamInterface<ScanCase> {};

TEST_P(KeyEvent, CarriesTheLowByteAndTheExtendedFlagOfThePrefix)
{
    const ScanCase& c = GetParam();
    fake::setScanCode(c.virtualKey, c.layoutScan);
    sendKeyEvent(c.virtualKey, c.up);
    if (!c.up)
        sendKeyEvent(c.virtualKey, true);
    const std::vector<fake::KeyEvent>& sent = fake::keyEvents();
    ASSERT_EQ(sent.size(), c.up ? 1u : 2u);
    EXPECT_EQ(sent[0].virtualKey, c.virtualKey);
    EXPECT_EQ(sent[0].scanCode, c.scan);
    EXPECT_EQ(sent[0].flags, c.flags);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, KeyEvent,
                         testing::Values(ScanCase{"letterDown", 0x41, 0x1E, false, 0x1E, 0},
                                         ScanCase{"letterUp", 0x41, 0x1E, true, 0x1E, KEY_EVENT_UP},
                                         ScanCase{"rightCtrlDown", 0xA3, 0xE01D, false, 0x1D, KEY_EVENT_EXTENDED},
                                         ScanCase{"rightAltUp", 0xA5, 0xE038, true, 0x38,
                                                  KEY_EVENT_EXTENDED | KEY_EVENT_UP},
                                         ScanCase{"arrowDown", 0x27, 0xE04D, false, 0x4D, KEY_EVENT_EXTENDED},
                                         // Pause's low byte is Right Ctrl's: it goes by its virtual key.
                                         ScanCase{"pausePrefixE1GoesWithoutAScan", 0x13, 0xE11D, false, 0, 0},
                                         ScanCase{"scan255IsNotExtended", 0x42, 0xFF, false, 0xFF, 0},
                                         ScanCase{"onlyTheE0PrefixIsExtended", 0x42, 0x100, true, 0, KEY_EVENT_UP},
                                         ScanCase{"noScanCodeStillSent", 0x3A, 0, false, 0, 0}),
                         CaseName());
// clang-format on

constexpr KeyKind N = KeyKind::Normal;
constexpr KeyKind L = KeyKind::Latching;

// A modifier in each state, an Fn key holding the layer, a Normal key held down, and a modifier that
// went down in the Fn layer as its second key.
class BulkRelease : public InputFixture {
protected:
    void SetUp() override
    {
        InputFixture::SetUp();
        useKeys({makeKey(L, 100, 100, u"Up", 0xA0), makeKey(N, 200, 100, u"A", 0x41),
                 makeKey(L, 300, 100, u"Down", 0xA2), makeKey(L, 400, 100, u"Locked", 0xA4),
                 makeKey(L, 500, 100, u"Fn", VK_FN), makeKey(L, 600, 100, u"Both", 0xA1, 0xA3)});
        const KeyState states[] = {KeyState::Up,     KeyState::Down, KeyState::Down,
                                   KeyState::Locked, KeyState::Down, KeyState::Down};
        const int codes[] = {-1, -1, 0xA2, 0xA4, VK_FN, 0xA3};
        for (int i = 0; i < keyTable->count; ++i) {
            keyTable->keys[i].state = states[i];
            keyTable->keys[i].bounds = {i, i, i + 10, i + 10};
            if (codes[i] >= 0)
                pressKeyCode(i, static_cast<uint8_t>(codes[i]));
        }
        start = fake::calls().size();
    }
    void TearDown() override
    {
        releaseEverything(fake::window()); // what the fixture pressed and a test left down
        InputFixture::TearDown();
    }
    static KeyState state(int i) { return keyTable->keys[i].state; }
    size_t start = 0;
};

TEST_F(BulkRelease, AllSendsAKeyUpForEveryModifierThatWentDownAndRepaintsNothing)
{
    ASSERT_EQ(fnLayer, 1);
    releaseAllLatchingKeys();
    EXPECT_EQ(calls(start, {"up", "down", "invalidate", "update"}), "up LCONTROL, up LMENU, up RCONTROL")
        << "each modifier's own code, and nothing for a key never pressed or for the layer";
    for (int i : {0, 2, 3, 4, 5})
        EXPECT_EQ(state(i), KeyState::Up) << i;
    EXPECT_EQ(state(1), KeyState::Down) << "Normal keys are not touched";
    EXPECT_EQ(fnLayer, 0) << "the Fn key went up with its layer";
}

TEST_F(BulkRelease, DownReleasesOnlyLatchedModifiersAndInvalidatesThem)
{
    releaseDownLatchingKeys(fake::window());
    EXPECT_EQ(calls(start, {"up", "down", "invalidate", "update"}),
              "up LCONTROL, invalidate 2,2,12,12, invalidate 4,4,14,14, up RCONTROL, invalidate 5,5,15,15");
    EXPECT_EQ(state(0), KeyState::Up);
    EXPECT_EQ(state(3), KeyState::Locked);
    EXPECT_EQ(state(4), KeyState::Up);
    EXPECT_EQ(fnLayer, 0) << "the latched Fn key went up with its layer";
    const size_t from = fake::calls().size();
    releaseDownLatchingKeys(fake::window());
    EXPECT_EQ(calls(from), "") << "with no modifier latched it sends and invalidates nothing";
}

} // namespace
