// Switch scanning: the rows in reading order, the highlight's steps and returns, the switch, when the timer runs.
#include <gtest/gtest.h>

#include <sstream>

#include "fake/fake_platform.h"
#include "input/input.h"
#include "input/scan.h"
#include "input_fixture.h"
#include "layout/options.h"
#include "layout/u16text.h"
#include "layout/vkeynames.h"

namespace {

constexpr uint8_t LSHIFT = 0xA0;

std::string legend(int key)
{
    return utf16ToUtf8(keyTable->keys[key].label);
}

// "A B | C": each row's first legends, rows apart by " | ".
std::string describeRows(const ScanRows& rows)
{
    std::string text;
    for (int r = 0; r < rows.count; ++r) {
        for (int i = rows.start[r]; i < rows.start[r + 1]; ++i)
            text += (text.empty() ? "" : i == rows.start[r] ? " | " : " ") + legend(rows.order[i]);
    }
    return text;
}

struct RowsCase {
    const char* name;
    std::vector<KeyRecord> keys; // the built-in layout when empty
    PanelLayout layout;
    const char* rows;
};

class ScanRowOrder : public InputFixture, public testing::WithParamInterface<RowsCase> {};

TEST_P(ScanRowOrder, GroupsReachableKeysByTheirCentresInReadingOrder)
{
    const RowsCase& c = GetParam();
    useKeys(c.keys);
    dock(c.layout);
    ScanRows rows{};
    computeScanRows(rows);
    EXPECT_EQ(describeRows(rows), c.rows);
}

KeyRecord key(const char16_t* label, int16_t x, int16_t y, int16_t angle = 0)
{
    return makeKey(KeyKind::Normal, x, y, label, 0x41, -1, angle);
}

// The built-in layout: its tall Enter key lies between two rows and is one of its own, and "[" and "]",
// which lie under "T" and "Y", can be neither tapped nor scanned.
constexpr const char* BUILT_IN_ROWS = "Esc 1 2 3 4 5 6 7 8 9 0 - Del | Tab Q W E R T Y U I O P = BS | "
                                      "Ctrl A S D F G H J K L : ' | Enter | Shift Z X C V B N M , . / Shift | "
                                      "Fn Alt   \\ ` Alt Ctrl ↑ Fn | Exit ← ↓ →";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ScanRowOrder,
    testing::Values(
        RowsCase{"builtIn", {}, PANEL_LAYOUT_DEFAULTS, BUILT_IN_ROWS},
        // The panel is not turned with its dock side: docked at a side it reads as it does at the top.
        RowsCase{"builtInDockedLeft", {}, {DockSide::Left, 300, 80, 60}, BUILT_IN_ROWS},
        // Half the median height (86) is 43: 42 below the row's first key joins it, 43 starts the next;
        // turned keys count by their centres, and a row reads left to right whatever the table's order.
        RowsCase{"withinHalfTheMedianHeight",
                 {key(u"c", 300, 142), key(u"a", 100, 100), key(u"b", 200, 130, 450), key(u"d", 50, 143, -150)},
                 PANEL_LAYOUT_DEFAULTS, "a b c | d"},
        RowsCase{"sameCentreTakenByTheFirstInTheTable",
                 {key(u"top", 100, 100), key(u"under", 100, 100), key(u"next", 200, 100)},
                 PANEL_LAYOUT_DEFAULTS, "top next"},
        RowsCase{"centreOffThePanel", {key(u"off", 1100, 100), key(u"on", 100, 100)}, PANEL_LAYOUT_DEFAULTS, "on"}),
    CaseName());
// clang-format on

TEST(ScanKey, GenericModifierNamesStandForEitherHand)
{
    const struct {
        uint8_t scanKey;
        uint32_t reported;
        bool isSwitch;
    } rows[] = {{0x20, 0x20, true}, {0x20, 0x0D, false}, {0x10, 0xA1, true},
                {0x12, 0xA5, true}, {0x12, 0xA0, false}, {0xA0, 0xA1, false}};
    for (const auto& row : rows)
        EXPECT_EQ(isScanKey(row.scanKey, row.reported), row.isSwitch) << +row.scanKey << " " << row.reported;
}

// What the scan shows: "row X" (X the row's first legend), "key X", or "-" with nothing highlighted.
// Whether the marks and the timer agree with it is the press fuzzer's to check, at every step.
std::string highlight()
{
    if (!scanState.running)
        return "-";
    const ScanRows& rows = scanState.rows;
    const int first = rows.start[scanState.row];
    const int length = rows.start[scanState.row + 1] - first;
    const bool keys = scanState.phase == ScanPhase::Keys;
    return (keys ? "key " : "row ") + legend(rows.order[first + (keys ? scanState.step % length : 0)]);
}

// The trace of a script: every change of the highlight and every key event, in order.
std::vector<std::string> trace;
std::string shown;

void note(size_t from)
{
    std::string events;
    for (size_t i = from; i < fake::calls().size(); ++i) {
        const std::string& call = fake::calls()[i];
        if (call.starts_with("down ") || call.starts_with("up ") || call == "destroy")
            events += (events.empty() ? "" : ", ") + call;
    }
    if (!events.empty())
        trace.push_back(events);
    if (!fake::destroyed() && highlight() != shown)
        trace.push_back(shown = highlight());
}

void onTick(PlatformWindow* window, uint32_t id)
{
    const size_t from = fake::calls().size();
    onWindowTimer(window, id);
    note(from);
}

struct ScriptCase {
    const char* name;
    const char* script;
    const char* trace;
};

class ScanScript : public InputFixture, public testing::WithParamInterface<ScriptCase> {
protected:
    // Rows "a b c" and "d Shift x", away from the dock tab's hide area (540, 570); x is the Exit key.
    void SetUp() override
    {
        InputFixture::SetUp();
        useKeys({makeKey(KeyKind::Normal, 100, 100, u"a", 0x41), makeKey(KeyKind::Normal, 200, 100, u"b", 0x42),
                 makeKey(KeyKind::Normal, 300, 100, u"c", 0x43), makeKey(KeyKind::Normal, 100, 200, u"d", 0x44),
                 makeKey(KeyKind::Latching, 200, 200, u"Shift", LSHIFT),
                 makeKey(KeyKind::Normal, 300, 200, u"x", VK_EXIT)});
        dock(PANEL_LAYOUT_DEFAULTS);
        fake::onTimer(onTick);
        trace.clear();
        shown = "-";
    }
};

// The input fixture's steps, and the scan's own, each "@T": "on", "switch", "hide" and "show" (the
// window), "let go" (everything is let go of, as at the session's end).
TEST_P(ScanScript, HighlightsStepsAndTypes)
{
    keymapOptions.scanTimeMs = 1000;
    PlatformWindow* window = fake::window();
    std::stringstream steps(GetParam().script);
    for (std::string step; std::getline(steps, step, ',');) {
        const std::string verb = step.substr(1, step.find(" @") - 1);
        const size_t from = fake::calls().size();
        if (verb == "on" || verb == "switch" || verb == "hide" || verb == "show" || verb == "let go") {
            fake::advanceTo(static_cast<uint32_t>(std::stoul(step.substr(step.find('@') + 1))));
            if (verb == "on")
                setScanning(window, true);
            else if (verb == "switch")
                scanSwitch(window);
            else if (verb == "let go")
                releaseEverything(window);
            else
                setScanPanelShown(window, verb == "show");
        } else {
            run(step);
        }
        note(from);
    }
    std::string joined;
    for (const std::string& entry : trace)
        joined += (joined.empty() ? "" : "; ") + entry;
    EXPECT_EQ(joined, GetParam().trace);
    if (!fake::destroyed())
        setScanning(window, false);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ScanScript,
    testing::Values(
        // The first row at once, each next one a scan time later, wrapping.
        ScriptCase{"rowsInTurn", " on @0, wait @2500", "row a; row d; row a"},
        // A picked row's first key at once, the next a whole scan time after the switch; typing
        // starts again at the first row.
        ScriptCase{"pickRowThenKey", " on @0, switch @500, wait @1400, wait @1600, switch @1700",
                   "row a; key a; key b; down B, up B; row a"},
        // Twice through the row's keys with no switch, and the rows are scanned again from the first.
        ScriptCase{"twoPassesThenRows", " on @0, switch @100, wait @6500",
                   "row a; key a; key b; key c; key a; key b; key c; row a"},
        // A modifier chosen by the switch latches and goes with the next key typed.
        ScriptCase{"latchedModifier", " on @0, wait @1500, switch @1600, wait @2700, switch @2800, switch @2900, switch @3000",
                   "row a; row d; key d; key Shift; down LSHIFT; row a; key a; down A, up A, up LSHIFT; row a"},
        // The timer runs only while the panel is shown; the switch does nothing meanwhile.
        ScriptCase{"hiddenFromTheMenu", " on @0, switch @100, hide @200, switch @300, wait @5000, show @5100",
                   "row a; key a; -; row a"},
        ScriptCase{"letGoForgetsThePickedRow", " on @0, switch @100, let go @200, wait @1300",
                   "row a; key a; row a; row d"},
        // A slide stops the scan; a switch during it does nothing; with the panel slid away the switch
        // slides it back, and the scan starts again at the first row once it is in.
        ScriptCase{"slideAwayAndBack",
                   " on @0, wait @1500, tap 540:570 @1600, switch @1620, wait @3000, switch @3100, switch @3120, wait @3500",
                   "row a; row d; -; row a"},
        // Typing the Exit key ends the program with nothing held.
        ScriptCase{"exitKey", " on @0, wait @1500, switch @1600, wait @3800, switch @3900",
                   "row a; row d; key d; key Shift; key x; destroy"}),
    CaseName());
// clang-format on

// Only the keys whose highlight changes are repainted, each once.
TEST_F(InputFixture, ScanRepaintsOnlyTheKeysWhoseHighlightChanges)
{
    useKeys({makeKey(KeyKind::Normal, 100, 100, u"a", 0x41), makeKey(KeyKind::Normal, 200, 100, u"b", 0x42),
             makeKey(KeyKind::Normal, 100, 200, u"c", 0x43)});
    for (int i = 0; i < 3; ++i)
        keyTable->keys[i].bounds = {i, i, i + 10, i + 10};
    const std::string a = "invalidate 0,0,10,10", b = "invalidate 1,1,11,11";
    setScanning(fake::window(), true);
    EXPECT_EQ(calls(0, {"invalidate"}), a + ", " + b) << "the first row";
    size_t from = fake::calls().size();
    scanSwitch(fake::window());
    EXPECT_EQ(calls(from, {"invalidate"}), a + ", " + b) << "a from row to key, b out of the row";
    from = fake::calls().size();
    fake::advanceTo(1500);
    EXPECT_EQ(calls(from, {"invalidate"}), a + ", " + b) << "from a to b";
    setScanning(fake::window(), false);
}

} // namespace
