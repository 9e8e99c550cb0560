#!/usr/bin/env bash
# The installer page by page, as a user clicks through it, under Wine on an X display of its own: the licence
# comes first (nothing is installed when it is accepted), then the folder, the installation, and the finish
# page, whose "Run Meshgate2" (ticked) starts the configurator. While it runs, a silent installation over it
# fails with a non-zero exit code and an uninstallation removes nothing: neither the files nor the Apps &
# features entry nor the shortcut. Keys go in through xdotool.
# Usage: install_pages.sh SETUP.EXE WORK_FOLDER (a Wine prefix without Meshgate2 installed)
set -euo pipefail
setup=$1 work=$2
# shellcheck source=wine_desktop.sh
. "$(dirname "$0")/wine_desktop.sh"
begin_test "installer pages"
folder="$WINEPREFIX/drive_c/Program Files/Meshgate2"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Meshgate2'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Meshgate2.lnk"
press() { # WINDOW_ID KEY
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers "$2"
}
start_display

(wine "$setup" </dev/null >/dev/null 2>&1 &)
pages=$(window 'Meshgate2 .* Setup.*' 200 1000 120) || fail "the installer did not open"
sleep 2
screenshot licence
press "$pages" Return # I Agree
sleep 3
screenshot folder
[ ! -e "$folder" ] || fail "installing began at the first page: no licence to accept before the folder"
press "$pages" Return # Install
for _ in $(seq 240); do [ -e "$folder/uninstall.exe" ] && break; sleep 0.25; done
[ -e "$folder/uninstall.exe" ] || fail "the installation did not finish"
sleep 3 # the finish page follows the installation by itself
screenshot finish
press "$pages" Return # Finish, "Run Meshgate2" ticked
gone "$pages" || fail "the finish page stays"
window 'Vorn Meshgate2 Configurator.*' 100 300 120 >/dev/null || fail "Run Meshgate2 did not start the configurator"
screenshot configurator

# The configurator runs: its files are held.
before=$(stat -c %Y "$folder/meshgate2.exe")
status=0
wine "$setup" /S </dev/null >/dev/null 2>&1 || status=$?
[ "$status" != 0 ] || fail "a silent installation over the running configurator reports success"
[ "$(stat -c %Y "$folder/meshgate2.exe")" = "$before" ] || fail "the installation over the running one replaced it"
# The uninstaller runs a copy of itself and returns at once: give the copy time to do whatever it would.
wine "$folder/uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
sleep 8
[ -e "$folder/meshgate2.exe" ] && [ -e "$folder/Qt6Core.dll" ] || fail "uninstalling removed the running one's files"
wine reg query "$key" </dev/null >/dev/null 2>&1 || fail "uninstalling removed the Apps & features entry of a running one"
[ -e "$shortcut" ] || fail "uninstalling removed the shortcut of a running one"

# Wine's server ends every program of the prefix with it, the configurator too.
restart_wine_server
echo "installer pages: licence, folder, installation, finish page running the configurator; refused over it"
