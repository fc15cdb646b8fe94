// The keymap's start options that are decisions over the portable state: where the panel starts.
#include "app/start_options.h"

#include "input/input.h"
#include "input/tab_area.h"
#include "layout/options.h"

void startSlidAwayIfAsked()
{
    TabPlace tab{};
    if ((!keymapOptions.visible || keymapOptions.autoShow != AutoShow::Off) && findTab(tab))
        slideState.direction = SlideDirection::Hide;
}
