#!/usr/bin/env bash
# The installer under Wine as an engineer meets it: page by page (install_pages.sh), then a silent install
# over it, the installed command line's version and a search on COM1 (a simulated instrument), the Apps &
# features entry with its size and the shortcut that starts each user in their own Documents, a session of
# the installed configurator started from its shortcut (gui_from_shortcut.sh), and an uninstall that removes
# exactly what it installed: a user's own files in the folder stay. Then the same in a folder of the user's
# (C:\Tools, which holds their scripts), refused while a Meshgate2 program runs from it.
# Usage: install_smoke.sh SETUP.EXE VERSION LINUX_CLI INSTRUMENT_DEVICE INSTRUMENT_FRAMES SCREENSHOT_FOLDER
# (in a Wine prefix with COM1 mapped to INSTRUMENT_DEVICE, whose simulator logs its frames with --trace, and
# COM2 to a silent one).
set -euo pipefail
setup=$1 version=$2 linux_cli=$3 device=$4 frames=$5 screens=$6
here=$(dirname "$0")
folder="$WINEPREFIX/drive_c/Program Files/Meshgate2"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Meshgate2'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Meshgate2.lnk"
quiet() { "$@" </dev/null 2>/dev/null; }
fail() { echo "install smoke test: $*" >&2; exit 1; }
# shellcheck source=wine_desktop.sh
. "$here/wine_desktop.sh"
# What a folder holds, one relative path a line, sorted.
contents() { (cd "$1" && find . -mindepth 1 | sed 's#^\./##' | LC_ALL=C sort); }
# The uninstaller runs a copy of itself and returns at once: wait for the copy's work (it removes itself last).
uninstalled() { # FOLDER
    for _ in $(seq 120); do [ -e "$1/uninstall.exe" ] || break; sleep 0.5; done
    [ ! -e "$1/uninstall.exe" ] || fail "the uninstaller did not finish in $1"
    sleep 1 # then the folders it may remove
}

bash "$here/install_pages.sh" "$setup" "$screens/pages" || fail "installing page by page failed"
installed=$(contents "$folder")

quiet wine "$setup" /S
[ -f "$folder/meshgate2.exe" ] && [ -f "$folder/platforms/qwindows.dll" ] || fail "nothing installed"
cli='C:\Program Files\Meshgate2\meshgate2-cli.exe'
[ "$(quiet wine "$cli" --version | tr -d '\r')" = "meshgate2-cli $version" ] || fail "wrong --version"
quiet wine "$cli" --port COM1 search >/dev/null || fail "search on COM1 failed"
# Windows words: a device to assign is a COM port or a device server, not a Linux path.
help=$(quiet wine "$cli" assign --help | tr -d '\r')
grep -q 'like COM14 or rfc2217://HOST:PORT' <<<"$help" && ! grep -q '/dev/' <<<"$help" ||
    fail "assign --help suggests a Linux device: $help"
quiet wine reg query "$key" /v DisplayVersion | grep -q "$version" || fail "not listed in Apps & features"
# Apps & features shows the size (in KB); the programs with Qt take far more than 10 MB.
size=$(quiet wine reg query "$key" /v EstimatedSize | tr -d '\r' | sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p')
[ -n "$size" ] && [ $((16#$size)) -gt 10000 ] || fail "no EstimatedSize in the uninstall key"
ls "$shortcut" >/dev/null || fail "no Start-menu entry"
# A shortcut for all users starts each in their own Documents, not in the installing account's.
strings -el "$shortcut" | grep -qxF '%USERPROFILE%\Documents' || fail "the shortcut's working folder is not per user"

# The configurator from its Start-menu entry, through a whole session with the instrument on COM1.
bash "$here/gui_from_shortcut.sh" "$linux_cli" "$device" "$frames" "$screens/session" ||
    fail "the configurator's session failed"
restart_wine_server # away from our output (the session ran it on a display of its own)

# A file of the user's in the installation folder stays; everything the installer put there goes.
echo "mine" >"$folder/my-notes.txt"
quiet wine "$folder/uninstall.exe" /S || true
uninstalled "$folder"
[ "$(contents "$folder")" = my-notes.txt ] ||
    fail "uninstalling did not leave exactly the user's file: $(contents "$folder" | tr '\n' ' ')"
rm "$folder/my-notes.txt"
rmdir "$folder"
! quiet wine reg query "$key" >/dev/null || fail "still listed in Apps & features"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is still there"

# Installed into a folder of the user's own, which holds their scripts.
tools="$WINEPREFIX/drive_c/Tools"
mkdir -p "$tools/MyScripts"
echo '{"card": "Profibus"}' >"$tools/MyScripts/plant-line-3.json"
quiet wine "$setup" /S '/D=C:\Tools' || fail "installing into C:\\Tools failed"
[ "$(contents "$tools" | grep -v '^MyScripts')" = "$installed" ] ||
    fail "C:\\Tools holds other files than the default folder did: $(contents "$tools" | tr '\n' ' ')"
# While a program of it runs (a command line searching a silent line for minutes), nothing is replaced or removed.
wine 'C:\Tools\meshgate2-cli.exe' --port COM2 --timeout 60000 search </dev/null >/dev/null 2>&1 &
running=$!
sleep 3
kill -0 "$running" 2>/dev/null || fail "the command line did not start"
status=0
quiet wine "$setup" /S '/D=C:\Tools' || status=$?
[ "$status" != 0 ] || fail "installing over a running command line reports success"
# In place (_?=) the uninstaller's own exit code comes back.
status=0
quiet wine "$tools/uninstall.exe" /S '_?=C:\Tools' || status=$?
[ "$status" != 0 ] || fail "uninstalling while the command line runs reports success"
[ "$(contents "$tools" | grep -v '^MyScripts')" = "$installed" ] || fail "uninstalling while running removed files"
quiet wine reg query "$key" >/dev/null || fail "uninstalling while running removed the Apps & features entry"
kill "$running"
wait "$running" || true
sleep 1
quiet wine "$tools/uninstall.exe" /S || true
uninstalled "$tools"
[ "$(contents "$tools")" = "$(printf 'MyScripts\nMyScripts/plant-line-3.json')" ] ||
    fail "uninstalling from C:\\Tools did not leave exactly the user's scripts: $(contents "$tools" | tr '\n' ' ')"
! quiet wine reg query "$key" >/dev/null || fail "still listed in Apps & features after uninstalling from C:\\Tools"
echo "install smoke test: page by page and silently, searched, used from the shortcut, refused while running," \
    "uninstalled leaving the user's files"
