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
#include "render/geometry.h"
#include "render/scan_marks.h"

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

void PrintTo(const RowsCase& c, std::ostream* out)
{
    *out << c.name;
}

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
        RowsCase{"builtInUndocked", {}, {DockSide::None, 500, 80, 60}, BUILT_IN_ROWS},
        // Half the median height (86) is 43: 42 below the row's first key joins it, 43 starts the next;
        // turned keys count by their centres, and a row reads left to right whatever the table's order.
        RowsCase{"withinHalfTheMedianHeight",
                 {key(u"c", 300, 142), key(u"a", 100, 100), key(u"b", 200, 130, 450), key(u"d", 50, 143, -150)},
                 PANEL_LAYOUT_DEFAULTS, "a b c | d"},
        // The row's first key is its top-most: a row does not creep down a slope of keys.
        RowsCase{"measuredFromTheRowsTopKey",
                 {key(u"a", 100, 100), key(u"b", 200, 140), key(u"c", 300, 180), key(u"d", 400, 220)},
                 PANEL_LAYOUT_DEFAULTS, "a b | c d"},
        RowsCase{"sameCentreTakenByTheFirstInTheTable",
                 {key(u"top", 100, 100), key(u"under", 100, 100), key(u"next", 200, 100)},
                 PANEL_LAYOUT_DEFAULTS, "top next"},
        RowsCase{"centreOffTheDesign", {key(u"off", 1100, 100), key(u"on", 100, 100)}, PANEL_LAYOUT_DEFAULTS, "on"},
        RowsCase{"nothingToReach", {key(u"off", -100, 100)}, PANEL_LAYOUT_DEFAULTS, ""}),
    CaseName());
// clang-format on

struct ScanKeyCase {
    const char* name;
    uint8_t scanKey;
    uint32_t reported;
    bool isSwitch;
};

class ScanKeyMatch : public testing::TestWithParam<ScanKeyCase> {};

TEST_P(ScanKeyMatch, GenericModifierNamesStandForEitherHand)
{
    EXPECT_EQ(isScanKey(GetParam().scanKey, GetParam().reported), GetParam().isSwitch);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanKeyMatch,
    testing::Values(ScanKeyCase{"space", 0x20, 0x20, true}, ScanKeyCase{"otherKey", 0x20, 0x0D, false},
                    ScanKeyCase{"rightShiftForShift", 0x10, 0xA1, true},
                    ScanKeyCase{"leftCtrlForCtrl", 0x11, 0xA2, true}, ScanKeyCase{"rightAltForAlt", 0x12, 0xA5, true},
                    ScanKeyCase{"shiftIsNoAlt", 0x12, 0xA0, false}, ScanKeyCase{"oneHandOnly", 0xA0, 0xA1, false}),
    CaseName());

// What the scan shows: "row X" (X the row's first legend), "key X", or "-" with nothing highlighted.
std::string highlight()
{
    if (!scanState.running)
        return "-";
    const ScanRows& rows = scanState.rows;
    const int row = scanState.row;
    const int length = rows.start[row + 1] - rows.start[row];
    if (scanState.phase == ScanPhase::Rows)
        return "row " + legend(rows.order[rows.start[row]]);
    return "key " + legend(rows.order[rows.start[row] + scanState.step % length]);
}

// The trace of a script: every change of the highlight and every key event, in order.
std::vector<std::string> trace;
std::string shown = "-";

// The highlight, what the marks say, and the timer agree, whenever anything happened.
void noteHighlight()
{
    const std::string now = highlight();
    int marked = 0;
    for (int i = 0; keyTable && i < keyTable->count; ++i)
        marked += scanMarks[i] != ScanMark::None;
    const ScanRows& rows = scanState.rows;
    const int expected = !scanState.running ? 0
                         : scanState.phase == ScanPhase::Keys
                             ? 1
                             : rows.start[scanState.row + 1] - rows.start[scanState.row];
    EXPECT_EQ(marked, expected) << "keys marked while " << now;
    EXPECT_EQ(fake::timerRunning(SCAN_TIMER_ID), scanState.running) << "the scan timer while " << now;
    if (now != shown)
        trace.push_back(now);
    shown = now;
}

// The key events from call `from` on, and the window's end.
void noteKeyEvents(size_t from)
{
    std::string events;
    for (size_t i = from; i < fake::calls().size(); ++i) {
        const std::string& call = fake::calls()[i];
        if (call.starts_with("down ") || call.starts_with("up ") || call == "destroy")
            events += (events.empty() ? "" : ", ") + call;
    }
    if (!events.empty())
        trace.push_back(events);
}

void onTick(PlatformWindow* window, uint32_t id)
{
    const size_t from = fake::calls().size();
    onWindowTimer(window, id);
    noteKeyEvents(from);
    noteHighlight();
}

struct ScriptCase {
    const char* name;
    int32_t scanTimeMs;
    const char* script;
    const char* trace;
};

void PrintTo(const ScriptCase& c, std::ostream* out)
{
    *out << c.name;
}

class ScanScript : public InputFixture, public testing::WithParamInterface<ScriptCase> {
protected:
    // Two rows, a modifier among them, well away from the dock tab's hide area (540, 570).
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

    // The input fixture's steps, and the scan's own: "on", "off", "switch", "hide" and "show" (the
    // window), "let go" (everything is let go of, as at the session's end), each "@T".
    static std::string runScan(const std::string& script)
    {
        PlatformWindow* window = fake::window();
        std::stringstream steps(script);
        std::string step;
        while (std::getline(steps, step, ',')) {
            const size_t at = step.find('@');
            const std::string verb = step.substr(step.find_first_not_of(' '), at - step.find_first_not_of(' ') - 1);
            const size_t from = fake::calls().size();
            if (verb == "on" || verb == "off" || verb == "switch" || verb == "hide" || verb == "show" ||
                verb == "let go") {
                fake::advanceTo(static_cast<uint32_t>(std::stoul(step.substr(at + 1))));
                if (verb == "on" || verb == "off")
                    setScanning(window, verb == "on");
                else if (verb == "switch")
                    scanSwitch(window);
                else if (verb == "let go")
                    releaseEverything(window);
                else
                    setScanPanelShown(window, verb == "show");
            } else {
                run(step);
            }
            noteKeyEvents(from);
            if (!fake::destroyed())
                noteHighlight();
        }
        std::string joined;
        for (const std::string& entry : trace)
            joined += (joined.empty() ? "" : "; ") + entry;
        return joined;
    }
};

TEST_P(ScanScript, HighlightsStepsAndTypes)
{
    const ScriptCase& c = GetParam();
    keymapOptions.scanTimeMs = c.scanTimeMs;
    EXPECT_EQ(runScan(c.script), c.trace);
    // Whatever the script left running, off means no timer and no highlight.
    if (!fake::destroyed()) {
        setScanning(fake::window(), false);
        noteHighlight();
        EXPECT_FALSE(fake::timerRunning(SCAN_TIMER_ID));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ScanScript,
    testing::Values(
        // The first row at once, each next one a scan time later, wrapping.
        ScriptCase{"rowsInTurn", 1000, "on @0, wait @2500", "row a; row d; row a"},
        ScriptCase{"scanTimeOfTheKeymap", 300, "on @0, wait @700", "row a; row d; row a"},
        // A picked row's first key at once, the next a whole scan time after the switch; typing
        // starts again at the first row.
        ScriptCase{"pickRowThenKey", 1000, "on @0, switch @500, wait @1400, wait @1600, switch @1700",
                   "row a; key a; key b; down B, up B; row a"},
        ScriptCase{"secondRowWrapsBack", 1000, "on @0, wait @1500, switch @1600, wait @4700",
                   "row a; row d; key d; key Shift; key x; key d"},
        // Twice through the row's keys with no switch, and the rows are scanned again from the first.
        ScriptCase{"twoPassesThenRows", 1000, "on @0, switch @100, wait @6500",
                   "row a; key a; key b; key c; key a; key b; key c; row a"},
        // A modifier chosen by the switch latches and goes with the next key typed.
        ScriptCase{"latchedModifier", 1000,
                   "on @0, wait @1500, switch @1600, wait @2700, switch @2800, switch @2900, switch @3000",
                   "row a; row d; key d; key Shift; down LSHIFT; row a; key a; down A, up A, up LSHIFT; row a"},
        // Chosen twice running, it locks; a third time, it lets go.
        ScriptCase{"modifierChosenAgainLocks", 1000,
                   "on @0, wait @1500, switch @1600, wait @2700, switch @2800, wait @3900, switch @4000, "
                   "wait @5100, switch @5200, wait @6300, switch @6400, wait @7500, switch @7600",
                   "row a; row d; key d; key Shift; down LSHIFT; row a; row d; key d; key Shift; row a; row d; "
                   "key d; key Shift; up LSHIFT; row a"},
        ScriptCase{"tapsStillType", 1000, "on @0, tap a @100, wait @1100", "row a; down A, up A; row d"},
        // The timer runs only while the panel is shown; the switch does nothing meanwhile.
        ScriptCase{"hiddenFromTheMenu", 1000, "on @0, switch @100, hide @200, switch @300, wait @5000, show @5100",
                   "row a; key a; -; row a"},
        ScriptCase{"offStopsAtOnce", 1000, "on @0, off @100, switch @200, wait @3000", "row a; -"},
        ScriptCase{"onWhileHidden", 1000, "hide @0, on @100, wait @3000, show @3100", "row a"},
        // Letting go of everything forgets a picked row.
        ScriptCase{"letGoForgetsThePickedRow", 1000, "on @0, switch @100, let go @200, wait @1300",
                   "row a; key a; row a; row d"},
        // A slide stops the scan; a switch during it does nothing; with the panel slid away the switch
        // slides it back, and the scan starts again at the first row once it is in.
        ScriptCase{"slideAwayAndBack", 1000,
                   "on @0, wait @1500, tap 540:570 @1600, switch @1620, wait @3000, switch @3100, switch @3120, "
                   "wait @3500",
                   "row a; row d; -; row a"},
        // Typing the Exit key ends the program with nothing held.
        ScriptCase{"exitKey", 1000, "on @0, wait @1500, switch @1600, wait @3800, switch @3900",
                   "row a; row d; key d; key Shift; key x; destroy"}),
    CaseName());
// clang-format on

TEST_F(InputFixture, NothingToScanWakesNothing)
{
    useKeys({makeKey(KeyKind::Normal, -100, 100, u"off", 0x41)});
    setScanning(fake::window(), true);
    scanSwitch(fake::window());
    EXPECT_FALSE(scanState.running);
    EXPECT_FALSE(fake::timerRunning(SCAN_TIMER_ID));
    EXPECT_EQ(calls(0, {"down", "timer"}), "");
}

// Only the keys whose highlight changes are repainted.
TEST_F(InputFixture, ScanRepaintsOnlyTheKeysItMovesFrom)
{
    useKeys({makeKey(KeyKind::Normal, 100, 100, u"a", 0x41), makeKey(KeyKind::Normal, 200, 100, u"b", 0x42),
             makeKey(KeyKind::Normal, 100, 200, u"c", 0x43)});
    for (int i = 0; i < 3; ++i)
        keyTable->keys[i].bounds = {i, i, i + 10, i + 10};
    setScanning(fake::window(), true);
    EXPECT_EQ(calls(0, {"invalidate"}), "invalidate 0,0,10,10, invalidate 1,1,11,11");
    size_t from = fake::calls().size();
    scanSwitch(fake::window());
    // b leaves the highlighted row; a goes from row to key.
    EXPECT_EQ(calls(from, {"invalidate"}), "invalidate 0,0,10,10, invalidate 1,1,11,11");
    from = fake::calls().size();
    fake::advanceTo(1500);
    EXPECT_EQ(calls(from, {"invalidate"}), "invalidate 0,0,10,10, invalidate 1,1,11,11") << "from a to b";
    setScanning(fake::window(), false);
}

} // namespace
