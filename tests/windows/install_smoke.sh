#!/usr/bin/env bash
# The installer under Wine as an engineer meets it: a silent install, the installed command line's version
# and a search on COM1 (a simulated instrument), a session of the installed configurator started from its
# shortcut (gui_from_shortcut.sh), and an uninstall that leaves nothing behind.
# Usage: install_smoke.sh SETUP.EXE VERSION LINUX_CLI INSTRUMENT_DEVICE INSTRUMENT_FRAMES SCREENSHOT_FOLDER
# (in a Wine prefix with COM1 mapped to INSTRUMENT_DEVICE, whose simulator logs its frames with --trace).
set -euo pipefail
setup=$1 version=$2 linux_cli=$3 device=$4 frames=$5 screens=$6
folder="$WINEPREFIX/drive_c/Program Files/Meshgate2"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Meshgate2'
quiet() { "$@" </dev/null 2>/dev/null; }
fail() { echo "install smoke test: $*" >&2; exit 1; }

quiet wine "$setup" /S
[ -f "$folder/meshgate2.exe" ] && [ -f "$folder/platforms/qwindows.dll" ] || fail "nothing installed"
cli='C:\Program Files\Meshgate2\meshgate2-cli.exe'
[ "$(quiet wine "$cli" --version | tr -d '\r')" = "meshgate2-cli $version" ] || fail "wrong --version"
quiet wine "$cli" --port COM1 search >/dev/null || fail "search on COM1 failed"
quiet wine reg query "$key" /v DisplayVersion | grep -q "$version" || fail "not listed in Apps & features"
ls "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Meshgate2.lnk" >/dev/null ||
    fail "no Start-menu entry"

# The configurator from its Start-menu entry, through a whole session with the instrument on COM1.
bash "$(dirname "$0")/gui_from_shortcut.sh" "$linux_cli" "$device" "$frames" "$screens" ||
    fail "the configurator's session failed"
# Start Wine's server again away from our output (the session ran it on a display of its own).
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true # the old one gone first, or the new one would not start
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# The uninstaller runs a copy of itself and returns at once: wait for its work.
quiet wine "$folder/uninstall.exe" /S || true
for _ in $(seq 60); do [ -e "$folder" ] || break; sleep 0.5; done
[ ! -e "$folder" ] || fail "the installation folder is still there"
! quiet wine reg query "$key" >/dev/null || fail "still listed in Apps & features"
[ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Meshgate2.lnk" ] ||
    fail "the Start-menu entry is still there"
echo "install smoke test: installed, searched, used from the shortcut, uninstalled"
