#!/usr/bin/env bash
# Builds the Windows programs (meshgate2.exe, meshgate2-cli.exe) and their tests into build-win/ with Debian's
# MinGW-w64, and packs both programs as a portable zip and an NSIS installer. With --test: then runs the
# Windows tests under Wine (tests/windows/run.sh) against the Linux build (build/, built when it has no
# simulated instrument): the command line's results against its, and the installer installed, used and
# uninstalled.
# Qt for Windows: $MESHGATE2_QT_WINDOWS, else ../shared/qt6-mingw beside the repository (or beside the local
# repository it was cloned from), else built once from Debian's source package into ~/.cache/meshgate2/
# (about an hour on two cores; scripts/qt6-mingw.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=ccache.sh
. "$root/scripts/ccache.sh"
dir="$root/build-win"
run_tests=false
case "${1:-}" in
"") ;;
--test) run_tests=true ;;
*)
    echo "windows.sh: unknown option '$1' (--test)" >&2
    exit 2
    ;;
esac

"$root/scripts/deps.sh" g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools \
    binutils-mingw-w64-x86-64 nsis wine wine64 \
    xdotool tmux # the configurator's session is driven with xdotool; tmux keeps a console's screen

qt=${MESHGATE2_QT_WINDOWS:-}
# Beside this checkout, or beside the local repository it was cloned from (a clean clone made elsewhere).
origin=$(git -C "$root" config --get remote.origin.url 2>/dev/null || true)
for beside in "$root" "$origin"; do
    if [ -z "$qt" ] && [ -n "$beside" ] && [ -f "$beside/../shared/qt6-mingw/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        qt=$(cd "$beside/../shared/qt6-mingw" && pwd)
    fi
done
if [ -z "$qt" ]; then
    qt="${XDG_CACHE_HOME:-$HOME/.cache}/meshgate2/qt6-mingw-6.4.2"
    [ -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ] || bash "$root/scripts/qt6-mingw.sh" "$qt" "$qt.work"
fi

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DMESHGATE2_QT_WINDOWS="$qt" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DMESHGATE2_WERROR=ON >&2
cmake --build "$dir" -j "$(nproc)" >&2
cmake --build "$dir" --target meshgate2-zip meshgate2-installer >&2

$run_tests || exit 0
# The tests set the Linux build's command line beside this one and talk to its simulated instruments.
[ -x "$root/build/sim/meshgate2-sim" ] || "$root/scripts/build.sh" >/dev/null
bash "$root/tests/windows/run.sh" "$dir" "$root/build"
