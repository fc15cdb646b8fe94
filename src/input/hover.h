// Hover typing: the mouse pointer resting on a key for the hover time types it as a tap does.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Moves of the pointer no farther than this from where its rest began (design units, scaled with the
// panel) keep the time running: a head pointer or an eye tracker never holds quite still.
constexpr int32_t HOVER_JITTER_RADIUS = 10;
// The ring fills in this many steps of the hover time, but a step no shorter than HOVER_MIN_STEP_MS:
// a finer ring is not seen, and each step wakes the keyboard.
constexpr uint32_t HOVER_RING_STEPS = 20;
constexpr uint32_t HOVER_MIN_STEP_MS = 30;

// What the pointer rests on.
enum class HoverTarget : uint8_t {
    None,    // off the panel, between keys, or nothing hovers now
    Key,     // a key of the table
    TabArea, // the dock tab's show or hide area: the panel slides as a tap there slides it
};

// The rest of the mouse pointer; put back as at start by resetHover.
struct HoverState {
    bool tracking;      // the system was asked to report the pointer's leave, and has not yet
    HoverTarget target; // what the rest is on
    int key;            // the key, for HoverTarget::Key
    Point anchor;       // where the rest began, in client coordinates
    Point at;           // the pointer's last place
    uint32_t start;     // when the rest began, or last typed its key
    bool timerRunning;  // HOVER_TIMER_ID runs: only while a rest is on a target
};

extern HoverState hoverState;

void resetHover();

// The hover time for the rest of the run (keymapOptions.hoverTimeMs), 0 for off; a rest under way is
// dropped, and off, the pointer is not followed at all.
void setHoverTime(PlatformWindow* window, int32_t hoverTimeMs);
// The timer's step for a hover time, and the jitter radius in client pixels at panelScale.
uint32_t hoverStepMs(int32_t hoverTimeMs);
int32_t hoverJitterRadius();

// WM_MOUSEMOVE of the mouse itself (not one the system made from a touch or a pen, nor one with the
// button held), at a client point.
void hoverPointerMove(PlatformWindow* window, int32_t x, int32_t y);
// WM_MOUSELEAVE: the pointer left the panel.
void hoverPointerLeave(PlatformWindow* window);
// The mouse's button went down or up: the key under the pointer was pressed by hand, and hovering
// types it only a whole hover time after the button came up.
void hoverPointerPress(PlatformWindow* window);
void hoverPointerRelease(PlatformWindow* window);
// A tick of HOVER_TIMER_ID.
void advanceHover(PlatformWindow* window);
// The rest ends with nothing typed: its ring goes and its timer stops. At the start of a slide, at a
// re-fit, and when everything is let go of (hide, Exit, the session's end); the next move starts anew.
void endHover(PlatformWindow* window);
