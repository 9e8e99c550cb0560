#!/usr/bin/env bash
# The installed configurator as an engineer uses it, under Wine on an X display of its own: started from the
# Start-menu shortcut (so in the folder the shortcut names), it takes the firmware range, searches COM1 (a
# simulated instrument), shows the Profibus page and reads it, applies a new station address, reads again,
# saves the card's settings to a file and exits. Mouse and keys go in through xdotool; what happened is
# checked from outside: the instrument's frame log and state, the files written.
# Usage: gui_from_shortcut.sh LINUX_CLI INSTRUMENT_DEVICE INSTRUMENT_LOG WORK_FOLDER (Wine prefix set up,
# the installer run, COM1 mapped to INSTRUMENT_DEVICE, whose simulator runs with --trace into INSTRUMENT_LOG).
set -euo pipefail
linux_cli=$1 device=$2 frames=$3 work=$4
# shellcheck source=wine_desktop.sh
. "$(dirname "$0")/wine_desktop.sh"
begin_test "configurator test"

start_display

# A click at a point of a window given in dialog units of its template (base units 6 x 13 for 8 pt Tahoma and
# MS Sans Serif at 96 dpi), from the client area's corner.
click() { # WINDOW_ID X Y [BUTTON]
    local x y
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$((X + $2 * 6 / 4)) y=$((Y + $3 * 13 / 8))
    xdotool mousemove --sync "$x" "$y" click "${4:-1}"
}
# The message box the program shows (titled with the program's name) is answered with Enter.
answer() { # WHAT
    local box
    box=$(window Meshgate2 1 400 120) || fail "no message box after $1"
    screenshot "$1"
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    gone "$box" || fail "the message box after $1 stays"
}

documents=$(winepath -u "$(wine cmd /c echo '%USERPROFILE%\Documents' </dev/null 2>/dev/null | tr -d '\r')")
rm -f "$documents/Meshgate2.dat"
start_menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Meshgate2.lnk'
# start.exe opens the shortcut as Explorer does, in the folder the shortcut names; whether the program
# came up is told by its window below.
(cd "$work" && wine start "$start_menu" </dev/null >/dev/null 2>&1) || true

title='Vorn Meshgate2 Configurator.*'
range=$(window "$title" 100 300 120) || fail "the version choice did not open"
screenshot version
xdotool windowfocus --sync "$range" 2>/dev/null || true
xdotool key --clearmodifiers Return # OK, with the range it proposes
main=$(window "$title" 400 700 120) || fail "the main window did not open"
sleep 1
screenshot main

click "$main" 39 115 # Search Device
answer search
screenshot page
click "$main" 39 154 # Read
answer read
# The Profibus page sits in the tab sheet (85, 67) below its tab; its address edit at (108, 55, 42, 12).
click "$main" $((85 + 2 + 108 + 15)) $((67 + 15 + 55 + 6))
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 100 42
screenshot edited
click "$main" 39 193 # Apply
answer apply
click "$main" 39 154 # Read
answer "read after apply"

# The card's settings to a file, through the window's context menu (right-clicked over the page, left of its
# controls) and the system's file dialog.
click "$main" $((85 + 2 + 6)) $((67 + 15 + 30)) 3
sleep 2 # the menu opens; a popup has no title to wait for
screenshot menu
xdotool key --clearmodifiers s # the menu item's key: &Save Settings to File...
saved=$(wine cmd /c echo '%USERPROFILE%\Documents\card.json' </dev/null 2>/dev/null | tr -d '\r')
dialog=$(window 'Save Settings to File.*' 1 2000 60) || fail "the file dialog did not open"
sleep 1
screenshot file-dialog
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 50 "$saved"
xdotool key --clearmodifiers Return
gone "$dialog" || fail "the file dialog stays"
answer save # "Settings saved to ..."

# The line monitor in the system's own fonts fits the screen (and the screenshot shows its columns).
xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+l
monitor=$(window 'Line Monitor' 200 2000 60) || fail "Ctrl+L did not open the line monitor"
sleep 1
screenshot line-monitor
[ "$(xdotool getwindowgeometry --shell "$monitor" | sed -n 's/^WIDTH=//p')" -le 1280 ] ||
    fail "the line monitor is wider than the screen"
xdotool windowfocus --sync "$monitor" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
gone "$monitor" || fail "the line monitor did not close"

click "$main" 39 232 # Exit
gone "$main" || fail "the main window did not close"

# What the instrument saw and holds.
grep -q '^<- FF 03 30 11 00 01' "$frames" || fail "the instrument saw no read of the station address"
grep -q '^<- FF 10 30 11 00 01 02 2A 00' "$frames" || fail "the instrument saw no write of station address 42"
"$linux_cli" --device "$device" --json read 2>/dev/null | grep -A4 '"station address"' | grep -q '"raw": 42' ||
    fail "the instrument does not hold station address 42"
# The port remembered in the folder the shortcut starts in (the README says Documents), and the card file.
[ "$(od -An -tx1 "$documents/Meshgate2.dat" 2>/dev/null | tr -d ' \n')" = 01000000 ] ||
    fail "no Meshgate2.dat holding COM1 in $documents"
[ ! -e "$work/Meshgate2.dat" ] || fail "Meshgate2.dat landed in the folder the shortcut was started from"
card=$(winepath -u "$saved")
grep -q '"nodeAddress": 42' "$card" 2>/dev/null ||
    fail "the saved settings file does not hold station address 42: $(cat "$card" 2>/dev/null)"
echo "configurator test: started from the shortcut, searched, read, applied, read, saved, exited"
