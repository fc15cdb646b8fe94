// Auto-show's decision: one table of presses, focus changes and hardware keys, timed on the fake's clock.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "input/auto_show.h"
#include "input/input.h"
#include "input_fixture.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

constexpr Rect PRIMARY = {0, 0, 1024, 600};
constexpr Rect SECOND = {1024, 0, 2944, 1080};

// The objects a focus change or a press names.
struct Target {
    const char* name;
    bool text;
    Rect field;
    Rect screen;
};

constexpr Target TARGETS[] = {
    {"edit", true, {100, 100, 400, 200}, PRIMARY},
    {"button", false, {500, 300, 600, 340}, PRIMARY},
    {"far", true, {1100, 100, 1400, 200}, SECOND}, // an edit on the second monitor
    {"unknown", true, {0, 0, 0, 0}, {0, 0, 0, 0}}, // text whose place the system does not give
};

const Target* findTarget(const std::string& name)
{
    for (const Target& target : TARGETS) {
        if (name == target.name)
            return &target;
    }
    return nullptr;
}

struct AutoShowCase {
    const char* name;
    AutoShow mode;
    bool shownAtStart;
    // Comma-separated steps, each at clock time @T, stamped with =S when reported later than it happened:
    //   "mouse|touch TARGET|X:Y"  the user presses there      "focus TARGET"  the focus moves to it
    //   "key"  a hardware key    "hold K" / "lift"  the mouse holds panel key K, and lets go
    //   "wait"  time passes
    const char* script;
    // What the keyboard did, in order: "show@T" and "hide@T" for each slide it started and when,
    // "fit L,T,R,B" for a fit to another screen, and the key events.
    const char* expected;
};

void PrintTo(const AutoShowCase& c, std::ostream* out)
{
    *out << c.name;
}

class AutoShowDecision : public InputFixture, public testing::WithParamInterface<AutoShowCase> {
protected:
    void SetUp() override
    {
        InputFixture::SetUp();
        fake::onFit([](PlatformWindow* window, const Rect& screen) { refitPanel(window, screen); });
        fake::onTimer([](PlatformWindow* window, uint32_t id) {
            onWindowTimer(window, id);
            noteWhatHappened();
        });
        ASSERT_TRUE(refitPanel(fake::window(), PRIMARY));
        seen = fake::calls().size();
        log.clear();
        lastSlide = slideState;
    }

    // New slides since the last look, and the fits and key events recorded meanwhile.
    static void noteWhatHappened()
    {
        const std::string calls = InputFixture::calls(seen, {"fit", "down", "up"});
        seen = fake::calls().size();
        if (!calls.empty())
            log.push_back(calls);
        const bool started =
            slideState.step == 1 && (lastSlide.step != 1 || lastSlide.direction != slideState.direction);
        if (started) {
            log.push_back((slideState.direction == SlideDirection::Show ? "show@" : "hide@") +
                          std::to_string(fake::clock()));
        }
        lastSlide = slideState;
    }

    static std::string run(const std::string& script)
    {
        std::stringstream steps(script);
        for (std::string step; std::getline(steps, step, ',');) {
            std::vector<std::string> words;
            std::stringstream split(step);
            for (std::string word; split >> word;)
                words.push_back(word);
            const std::string& at = words.back();
            const size_t stamp = at.find('=');
            const auto now = static_cast<uint32_t>(std::stoul(at.substr(1, stamp)));
            const uint32_t time =
                stamp == std::string::npos ? now : static_cast<uint32_t>(std::stoul(at.substr(stamp + 1)));
            fake::advanceTo(now);
            perform(words, time);
            noteWhatHappened();
        }
        std::string joined;
        for (const std::string& entry : log)
            joined += (joined.empty() ? "" : ", ") + entry;
        return joined;
    }

    static void perform(const std::vector<std::string>& words, uint32_t time)
    {
        PlatformWindow* window = fake::window();
        const std::string& verb = words[0];
        const Target* target = words.size() > 2 ? findTarget(words[1]) : nullptr;
        if (verb == "mouse" || verb == "touch") {
            Point at{};
            if (target) {
                at = {(target->field.left + target->field.right) / 2, (target->field.top + target->field.bottom) / 2};
            } else {
                const size_t colon = words[1].find(':');
                at = {std::stoi(words[1].substr(0, colon)), std::stoi(words[1].substr(colon + 1))};
            }
            autoShowUserPress(window, {verb == "mouse" ? PointerKind::Mouse : PointerKind::TouchOrPen, at, time});
        } else if (verb == "focus" && target) {
            autoShowFocusChange(window, {target->text, target->field, target->screen, time});
        } else if (verb == "key") {
            autoShowHardwareKey(window);
        } else if (verb == "hold" || verb == "lift") {
            // The panel's own presses, as the input tests script them.
            InputFixture::run((verb == "hold" ? "press " + words[1] : "release") + " " + words.back());
        } else if (verb != "wait") {
            ADD_FAILURE() << "unknown step " << verb;
        }
    }

    static inline size_t seen = 0;
    static inline std::vector<std::string> log;
    static inline SlideState lastSlide = {};
};

TEST_P(AutoShowDecision, SlidesThePanelForTheUsersPressesOnText)
{
    const AutoShowCase& c = GetParam();
    setAutoShow(fake::window(), c.mode);
    slideState.direction = c.shownAtStart ? SlideDirection::Show : SlideDirection::Hide;
    lastSlide = slideState;
    EXPECT_EQ(run(c.script), c.expected);
    EXPECT_FALSE(fake::timerRunning(AUTO_SHOW_TIMER_ID)) << "a timer runs while nothing is pending";
}

constexpr AutoShow ANY = AutoShow::AnyPointer;
constexpr AutoShow TOUCH = AutoShow::TouchOnly;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, AutoShowDecision,
    testing::Values(
        AutoShowCase{"MouseOnAnEdit", ANY, false, "mouse edit @1000, focus edit @1004, wait @2000", "show@1004"},
        AutoShowCase{"TouchOnAnEdit", TOUCH, false, "touch edit @1000, focus edit @1004, wait @2000", "show@1004"},
        AutoShowCase{"MouseWithTouchOnly", TOUCH, false, "mouse edit @1000, focus edit @1004, wait @2000", ""},
        AutoShowCase{"FocusedByAProgram", ANY, false, "focus edit @1000, wait @3000", ""},
        AutoShowCase{"PressLongBefore", ANY, false, "mouse edit @1000, focus edit @1600, wait @2000", ""},
        AutoShowCase{"PressBesideTheField", ANY, false, "mouse 50:50 @1000, focus edit @1004, wait @2000", ""},
        AutoShowCase{"PressReportedAfterItsFocus", ANY, false, "focus edit @1004, mouse edit @1009=1000, wait @2000",
                     "show@1009"},
        AutoShowCase{"FocusReportedLate", ANY, false, "mouse edit @1000, focus edit @1300=1004, wait @2000",
                     "show@1300"},
        AutoShowCase{"TapOnTheFocusedEdit", ANY, false, "focus edit @1000, mouse edit @5000, wait @6000", "show@5000"},
        AutoShowCase{"TapOnAFocusedButton", ANY, false, "focus button @1000, mouse button @1100, wait @2000", ""},
        AutoShowCase{"PlaceUnknownJudgedByTime", ANY, false, "mouse 50:50 @1000, focus unknown @1004, wait @2000",
                     "show@1004"},
        AutoShowCase{"EditOnAnotherMonitor", TOUCH, false, "touch far @1000, focus far @1004, wait @2000",
                     "fit 1024,0,2944,1080, show@1004"},
        AutoShowCase{"FocusLeavesText", ANY, true, "focus edit @1000, focus button @2000, wait @3000", "hide@2500"},
        AutoShowCase{"FocusLeavesTextTwice", ANY, true, "focus button @2000, focus button @2300, wait @3000",
                     "hide@2500"},
        AutoShowCase{"LeftTextReportedLate", ANY, true, "focus button @2300=2000, wait @3000", "hide@2500"},
        AutoShowCase{"BackToTextInTime", ANY, true, "focus button @2000, focus edit @2499, wait @3000", ""},
        AutoShowCase{"BackToTextTooLate", ANY, true, "focus button @2000, focus edit @2600, wait @3000", "hide@2500"},
        AutoShowCase{"LeavesTextWhileHidden", ANY, false, "focus button @2000, wait @3000", ""},
        AutoShowCase{"HardwareKeyUntilTheNextTap", ANY, false,
                     "touch edit @1000, focus edit @1004, key @1200, focus edit @1300, key @1400, touch edit @3000, "
                     "wait @4000",
                     "show@1004, hide@1200, show@3000"},
        AutoShowCase{"HardwareKeyWhileHidden", ANY, false, "key @1000, wait @2000", ""},
        AutoShowCase{"HeldKeyLetGoOfFirst", ANY, true, "hold Shift @1000, focus button @1100, wait @1700, lift @1800",
                     "down LSHIFT, up LSHIFT, hide@1600"},
        AutoShowCase{"Off", AutoShow::Off, true,
                     "touch edit @1000, focus edit @1004, focus button @1100, key @1200, wait @2000", ""}),
    CaseName());
// clang-format on

} // namespace
