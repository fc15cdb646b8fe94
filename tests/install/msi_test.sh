#!/usr/bin/env bash
# The Windows Installer packages under Wine, in a prefix of the test's own: a silent install puts every
# file, the shortcut and the run-at-sign-in value in place, AUTOSTART=0 writes no run value, a newer
# package replaces an older one in place (keeping the user's default.keymap, leaving one product), a
# repair keeps the keymap too, an upgrade or a repair keeps AUTOSTART=0 unless AUTOSTART=1 is given,
# and an uninstall leaves nothing of the product behind. The keyboard that runs is closed and started
# again by an upgrade and a repair, left alone by a modify that writes no file and by a refused
# install, and closed by an uninstall, which lets go of a Shift latched on it.
#   tests/install/msi_test.sh BUILD_DIR ARCH   (win64 or win32; a win32 package is installed and
#                                               removed, but its programs are not run here)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1
arch=$2
export PLUMTIDE_WINEPREFIX=$PWD/build/wineprefix-install-$arch
source tools/wine-env.sh

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

if [ -z "${DISPLAY:-}" ]; then
    trap plumtide_stop_display EXIT
    plumtide_start_xvfb
fi
# A fresh prefix every run: nothing installed before.
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
plumtide_wine_prefix

version=$(sed -n 's/^project(plumtide VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
current=$(tools/msi "$build" "$version" "$arch")
older=$(tools/msi "$build" 1.1.0 "$arch")
older_copy="$build/plumtide-older-$arch.msi"
mv "$older" "$older_copy"
probe=
if [ "$arch" = win64 ]; then
    probe=$build/tests/install/install_probe.exe
else
    # Without a 32-bit Wine, Wine's installer waits for ever on the 32-bit custom actions' DLL. The test
    # takes them out of its own copies; they are the 64-bit package's, which is tested with them.
    tested_copy="$build/plumtide-tested-$arch.msi"
    cp "$current" "$tested_copy"
    current=$tested_copy
    for package in "$current" "$older_copy"; do
        for action in FindKeyboard CloseKeyboard StartKeyboard; do
            msibuild "$package" -q "DELETE FROM \`InstallExecuteSequence\` WHERE \`Action\` = '$action'"
        done
    done
fi

if [ "$arch" = win64 ]; then
    folder="$WINEPREFIX/drive_c/Program Files/Plumtide"
    view=/reg:64
else
    folder="$WINEPREFIX/drive_c/Program Files (x86)/Plumtide"
    view=/reg:32
fi
# The start menu's programs folder of all users; Wine's installer takes the user's even for a
# package installed for all users.
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Plumtide.lnk"
           "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Plumtide.lnk")
shortcut_present() { [ -f "${shortcuts[0]}" ] || [ -f "${shortcuts[1]}" ]; }
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

# An installation that hangs (a custom action waiting for ever) fails the test instead of stalling it.
msi() {
    local status=0
    timeout 300 wine msiexec "$@" /qn >/dev/null 2>&1 || status=$?
    [ "$status" = 0 ] || fail "msiexec $* exited with $status"
}
run_value() { wine reg query "$run_key" /v Plumtide $view 2>/dev/null | tr -d '\r' | grep -i 'REG_SZ'; }
# The entries "Apps" lists for the product: one DisplayName line each, with its version.
products() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s $view 2>/dev/null | tr -d '\r' |
        grep -A20 -i 'DisplayName.*REG_SZ.*Plumtide$' | grep -ci 'DisplayVersion' || true
}
product_version() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s $view 2>/dev/null | tr -d '\r' |
        grep -A20 -i 'DisplayName.*REG_SZ.*Plumtide$' | sed -n 's/.*DisplayVersion *REG_SZ *//p' | head -n 1
}
every_file() {
    local f
    for f in plumtide.exe plumtide-keymap.exe README.txt layouts/builtin.keymap layouts/full-bottom.keymap \
             layouts/split-right.keymap layouts/keys-bottom.keymap layouts/builtin.txt layouts/full-bottom.txt \
             layouts/split-right.txt layouts/keys-bottom.txt; do
        [ -f "$folder/$f" ] || { echo "missing $f" >&2; return 1; }
    done
}
no_run_value() { ! run_value >/dev/null; }
has_run_value() { run_value >/dev/null; }
# "PID PROGRAM" of the keyboard that runs, as Windows sees it.
keyboard() { wine "$probe" keyboard | tr -d '\r'; }
started_again() { local now; now=$(keyboard) && [ "${now%% *}" != "${1%% *}" ] && [ "${now#* }" = "$program" ]; }
still_running() { [ "$(keyboard)" = "$1" ]; }
nothing_left() {
    [ ! -e "$folder" ] && ! shortcut_present && no_run_value && [ "$(products)" = 0 ]
}

# A silent install, then an uninstall.
msi /i "$(wine winepath -w "$current")"
check "installs every file" every_file
check "installs the start-menu shortcut" shortcut_present
value=$(run_value || true)
check "writes the run-at-sign-in value" test -n "$value"
check "the run value starts the installed keyboard" grep -qi 'Plumtide\\plumtide.exe"$' <<<"$value"
check "one product is listed" test "$(products)" = 1
msi /x "$(wine winepath -w "$current")"
check "an uninstall leaves nothing of the product" nothing_left

# AUTOSTART=0: the keyboard without the start at sign-in.
msi /i "$(wine winepath -w "$current")" AUTOSTART=0
check "AUTOSTART=0 installs the keyboard" test -f "$folder/plumtide.exe"
check "AUTOSTART=0 writes no run value" no_run_value
msi /x "$(wine winepath -w "$current")"
check "and its uninstall leaves nothing" nothing_left

# An upgrade over an older package installed with AUTOSTART=0, with a keymap of the user's (the built-in
# layout, so that the probe finds Shift) and the keyboard running; then a repair, a repair with
# AUTOSTART=1, a modify with AUTOSTART=0 and a refused downgrade while it runs; and an uninstall.
msi /i "$(wine winepath -w "$older_copy")" AUTOSTART=0
check "the older package installs" test "$(product_version)" = 1.1.0
cp layouts/builtin.keymap "$folder/default.keymap"
keymap_before=$(md5sum <"$folder/default.keymap")
program=$(wine winepath -w "$folder/plumtide.exe" | tr -d '\r')
keyboard_pid=
if [ -n "$probe" ]; then
    wine "$program" >/dev/null 2>&1 &
    keyboard_pid=$!
    running=$(keyboard) || fail "the installed keyboard starts"
fi
msi /i "$(wine winepath -w "$current")"
check "the upgrade leaves one product" test "$(products)" = 1
check "the upgrade is the newer version" test "$(product_version)" = "$version"
check "the upgrade keeps the user's default.keymap" test "$(md5sum <"$folder/default.keymap")" = "$keymap_before"
check "the upgrade keeps every file" every_file
check "the upgrade keeps AUTOSTART=0: no run value" no_run_value
if [ -n "$keyboard_pid" ]; then
    status=0
    for _ in $(seq 1 100); do kill -0 "$keyboard_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$keyboard_pid" 2>/dev/null; then
        fail "the upgrade closes the running keyboard"
        kill "$keyboard_pid" 2>/dev/null || true
    else
        wait "$keyboard_pid" || status=$?
        check "the upgrade closes the running keyboard, which ends cleanly" test "$status" = 0
    fi
    check "the upgrade starts the keyboard again from the installed folder" started_again "$running"
    running=$(keyboard)
fi
# A repair (msiexec /fa is the same; Wine's msiexec hands /f to a 32-bit process, which cannot run here).
msi /i "$(wine winepath -w "$current")" REINSTALL=ALL REINSTALLMODE=amus
check "a repair keeps the user's default.keymap" test "$(md5sum <"$folder/default.keymap")" = "$keymap_before"
check "a repair keeps AUTOSTART=0: no run value" no_run_value
[ -z "$probe" ] || { check "a repair starts the keyboard again" started_again "$running"; running=$(keyboard); }
msi /i "$(wine winepath -w "$current")" REINSTALL=ALL REINSTALLMODE=amus AUTOSTART=1
check "a repair with AUTOSTART=1 writes the run value" has_run_value
[ -z "$probe" ] || running=$(keyboard)
msi /i "$(wine winepath -w "$current")" AUTOSTART=0
check "a modify with AUTOSTART=0 removes the run value" no_run_value
[ -z "$probe" ] || check "a modify that writes no file leaves the keyboard running" still_running "$running"
status=0
timeout 300 wine msiexec /i "$(wine winepath -w "$older_copy")" /qn >/dev/null 2>&1 || status=$?
check "the older package is refused over the newer" test "$status" != 0
[ -z "$probe" ] || check "a refused install leaves the keyboard running" still_running "$running"
check "and keeps the newer version" test "$(product_version)" = "$version"
if [ -n "$probe" ]; then
    latched="$build/install-probe-$arch.log"
    wine "$probe" latch-shift >"$latched" 2>&1 &
    latch_pid=$!
    for _ in $(seq 1 100); do grep -q latched "$latched" && break; sleep 0.1; done
    check "Shift latches on the installed keyboard" grep -q latched "$latched"
    check "and stays down until the uninstall" kill -0 "$latch_pid"
fi
msi /x "$(wine winepath -w "$current")"
if [ -n "$probe" ]; then
    # The probe waits for Shift's key-up with a deadline of its own.
    status=0
    wait "$latch_pid" || status=$?
    check "an uninstall closes the keyboard, which lets go of the latched Shift" test "$status" = 0
    check "no keyboard runs after the uninstall" wine "$probe" none
    rm -f "$latched"
fi
check "an uninstall removes the program" test ! -e "$folder/plumtide.exe"
check "an uninstall removes the shortcut" sh -c '! [ -e "$0" ] && ! [ -e "$1" ]' "${shortcuts[@]}"
check "an uninstall leaves the user's default.keymap alone" test -f "$folder/default.keymap"
rm -f "$folder/default.keymap"
rmdir "$folder" 2>/dev/null || true
check "and nothing else of the product" nothing_left

rm -f "$older_copy" "${tested_copy:-}"
wineserver -k 2>/dev/null || true
if [ "$failures" -gt 0 ]; then
    echo "$failures install checks failed ($arch)" >&2
    exit 1
fi
echo "all install checks passed ($arch)"
