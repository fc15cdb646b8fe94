// What the keymap's options change in how the keyboard starts, decided before its window exists.
#pragma once

// The panel starts slid away, only its tab on the screen, when the keymap asks for it (Visible=0, or
// auto-show, which brings it when it is wanted): the last slide counts as a Hide, so the window's
// first fit places it at its hidden place. A panel with no tab (dock side 0) has nowhere to slide to
// and starts shown.
void startSlidAwayIfAsked();
