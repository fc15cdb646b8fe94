// Every process-wide variable of the keyboard's portable core, listed once with what it is.
#pragma once

// Each module defines its own variables and puts them back as at start with one reset of its own:
// resetLayout (layout), resetPlacement (render) and resetInput (input). The Windows program adds
// its own, each listed once where it is declared: `app` (app/app_win32.h: the instance, window,
// icon, menus and single-instance event), `palette` (render/palette_win32.h: colours, brushes, pens
// and fonts) and the system functions looked up at run time (platform/system_calls_win32.h).

#include <cstdint>

#include "input/input.h"
#include "layout/keytable.h"
#include "render/geometry.h"

// --- Layout: src/layout/keytable.cpp, resetLayout ----------------------------------------------
// The one key table of the process; null before start-up allocates it and after teardown frees it.
extern KeyTable* keyTable;
// The panel's dock side and tab, from a keymap's "TAG:" lines over the defaults.
extern PanelLayout panelLayout;

// --- Placement: src/render/geometry.cpp, resetPlacement ----------------------------------------
// How far below the window's top edge its client area begins: the system caption height until the
// window is measured, then the window's own offset (the class menu's bar lies above the client area).
extern int32_t captionHeight;
// The window's size, and the panel's top-left corner in window coordinates; set when the window is
// shaped.
extern Size windowSize;
extern Point windowOrigin;

// --- Input: src/input/input_state.cpp, resetInput ----------------------------------------------
// 1 while the Fn layer is on: keys then send their fnVk.
extern int fnLayer;
// Clock value of the last press that hit a key, and the index of that key (-1 before the first).
extern uint32_t lastPressTime;
extern int lastPressKey;
// The slide-away panel's animation.
extern SlideState slideState;
// The presses that hit a key and are held, the mouse's at MOUSE_PRESS and each contact's.
extern Press presses[MAX_CONTACTS + 1];
// The held key that repeats, if any.
extern KeyRepeat keyRepeat;
// What each key's key-down sent, from that key-down until its key-up.
extern HeldCode heldCodes[MAX_KEYS];
