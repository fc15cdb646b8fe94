# Shared by the scripts that run Windows programs: the project's private Wine prefix and display.
# Source it; it defines functions and exports WINEPREFIX and WINEDEBUG.

PLUMTIDE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The virtual desktop's size, WxH; each size other than 1024x600 has a prefix of its own, since Wine
# reads the size once, when the prefix's first program starts.
export PLUMTIDE_WINE_DESKTOP=${PLUMTIDE_WINE_DESKTOP:-1024x600}
if [ "$PLUMTIDE_WINE_DESKTOP" = 1024x600 ]; then
    export WINEPREFIX=${PLUMTIDE_WINEPREFIX:-$PLUMTIDE_ROOT/build/wineprefix}
else
    export WINEPREFIX=${PLUMTIDE_WINEPREFIX:-$PLUMTIDE_ROOT/build/wineprefix-$PLUMTIDE_WINE_DESKTOP}
fi
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the programs under test need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The program under test sets its own DPI awareness; keep Wine at 96 DPI and out of the way.
export WINEARCH=win64

# Creates the prefix once, as a virtual desktop of PLUMTIDE_WINE_DESKTOP, and gives an existing one that
# size when it had another; safe to call from parallel jobs.
plumtide_wine_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        local ready="$WINEPREFIX/.plumtide-ready" had
        if [ ! -f "$ready" ]; then
            wineboot -i >/dev/null 2>&1 || true
        fi
        # A marker without a size is from a prefix made when every desktop was 1024x600.
        had=$(cat "$ready" 2>/dev/null || true)
        [ -f "$ready" ] && [ -z "$had" ] && had=1024x600
        if [ "$had" != "$PLUMTIDE_WINE_DESKTOP" ]; then
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$PLUMTIDE_WINE_DESKTOP" /f \
                >/dev/null 2>&1
            wineserver -w
            echo "$PLUMTIDE_WINE_DESKTOP" >"$ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Starts a virtual X server on a free display and exports DISPLAY; PLUMTIDE_XVFB_PID names it. Its
# screen is the desktop's size: Wine's pointer stays where Xvfb puts it first, the screen's centre,
# unless that lies on the desktop, and nothing can move Xvfb's pointer from outside.
plumtide_start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${PLUMTIDE_WINE_DESKTOP}x24" -nolisten tcp >/dev/null 2>&1 &
        PLUMTIDE_XVFB_PID=$!
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$PLUMTIDE_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill "$PLUMTIDE_XVFB_PID" 2>/dev/null || true
    done
    echo "could not start Xvfb" >&2
    return 1
}

# Stops the Wine server of the prefix and the virtual X server, if this shell started one.
plumtide_stop_display() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${PLUMTIDE_XVFB_PID:-}" ]; then
        kill "$PLUMTIDE_XVFB_PID" 2>/dev/null || true
        wait "$PLUMTIDE_XVFB_PID" 2>/dev/null || true
        PLUMTIDE_XVFB_PID=
    fi
}
