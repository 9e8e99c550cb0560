#!/usr/bin/env bash
# Builds the Windows programs (meshgate2.exe, meshgate2-cli.exe) and their tests into build-win/ with Debian's
# MinGW-w64, and packs both programs as a portable zip and an NSIS installer. With --test: then runs the
# Windows tests under Wine against simulated instruments started here (build/sim/meshgate2-sim), the command
# line's results against the Linux build's, and installs, uses and uninstalls the installer.
# Qt for Windows: $MESHGATE2_QT_WINDOWS, else ../shared/qt6-mingw beside the repository (or beside the local
# repository it was cloned from), else built once from Debian's source package into ~/.cache/meshgate2/
# (about an hour on two cores; scripts/qt6-mingw.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths inside the checkout hash as relative ones, so a clone elsewhere (CI's) reuses the compiler cache;
# with line tables ccache also hashes the build folder unless told not to (then a clone in another folder
# missed every object). A cached object's line tables may name the folder it was first built in.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
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

# The zip's programs and runtime DLLs carry no debug information (Debian's libstdc++ alone holds 19 MB of it).
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
for file in "$dir/dist/windows/meshgate2-$version-windows-x64"/*.exe "$dir/dist/windows/meshgate2-$version-windows-x64"/lib*.dll; do
    if x86_64-w64-mingw32-objdump -h "$file" | grep -q ' \.debug_'; then
        echo "windows.sh: $file carries debug information" >&2
        exit 1
    fi
done

# The simulated instruments the tests talk to, on pseudo-terminals of this machine.
sim="$root/build/sim/meshgate2-sim"
[ -x "$sim" ] || "$root/scripts/build.sh" >/dev/null
work=$(mktemp -d /tmp/meshgate2-windows.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# Wine links the prefix's Documents to the home's; the configurator writes there: keep it in the run's folder.
mkdir -p "$work/home"
export HOME="$work/home"
# What we started, by process id; a simulator's id is kept in a file, as start_sim runs in a subshell ($(...)).
pids=()
finish() {
    for pid in "${pids[@]}" $(cat "$work"/*.pid 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
wineboot -i </dev/null >/dev/null 2>&1
# Timing as on a line, with the instrument's turnaround: a reply never begins while the request is still
# going out, as on a real port.
common=(--wire-timing --turnaround 2000)
start_sim() { # NAME OPTIONS...
    start_line "$1" "${common[@]}" "${@:2}"
}
# Without the line's timing: it answers the moment a request is in, as a software instrument on a virtual
# port pair does. Faster than a wire, and a reply must never be lost for it.
start_fast_sim() { # NAME OPTIONS...
    start_line "$@"
}
start_line() { # NAME OPTIONS...
    local link="$work/$1"
    shift
    "$sim" "$@" --link "$link" >"$link.log" 2>&1 &
    echo $! >"$link.pid"
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    readlink -f "$link"
}
map() { wine reg add 'HKLM\Software\Wine\Ports' /v "$1" /d "$2" /f </dev/null >/dev/null 2>&1; }
# One Wine server for what follows, started here and not from a test (ctest would wait on its output); the
# ports mapped so far are what its programs see.
restart_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true # the old one gone first, or the new one would not start
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}
first=$(start_sim profibus)
map COM1 "$first"
map COM12 "$first"
map COM2 "$(start_sim silent --silent)"
map COM3 "$(start_sim short --short-reply)"
map COM4 "$(start_sim late --delay 600)"
map COM6 "$(start_fast_sim fast)"
# COM8: a slow instrument whose line goes away the moment it has received the first write of an Apply, and
# comes back under the same name seconds later, as an adapter pulled out and plugged in again. Mapped to its
# link, which leads to whichever device it has now.
start_sim vanishing --delay 300 --trace >/dev/null
map COM8 "$work/vanishing"
(
    for _ in $(seq 6000); do
        if grep -q '^<- FF 10' "$work/vanishing.log" 2>/dev/null; then
            kill "$(cat "$work/vanishing.pid")"
            sleep 5
            start_sim vanishing --delay 300 >/dev/null
            break
        fi
        sleep 0.05
    done
) &
pids+=($!)
# Qt finds Windows' own faces there; a fresh prefix lacks them.
cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/ms_sans_serif*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
restart_wine
# One test at a time: some share a simulated instrument. Left out: two tests that measure glyphs as Linux's
# font engine draws them (Windows' rasterises the same faces a pixel or so differently).
export GTEST_FILTER='-HighDpi.TextDrawsAtTheScreensScaleWithItsNormalSpacing:DialogBuilderTest.DialogUnitsScaleWithTheTemplateFontAndNeighboursStayFlush'
(cd "$dir" && ctest --output-on-failure -j 1 --timeout 600)

# The command line gives the same texts, JSON and exit codes as on Linux, against a fresh instrument each.
linux_sim=$(start_sim linux)
windows_sim=$(start_sim windows)
map COM1 "$windows_sim"
linux_fast=$(start_fast_sim linux-fast)
map COM7 "$(start_fast_sim windows-fast)"
# Slow instruments that log their frames, for Ctrl-C in the middle of an apply.
linux_slow=$(start_sim linux-slow --delay 300 --trace)
map COM5 "$(start_sim windows-slow --delay 300 --trace)"
restart_wine
windows_cli="$dir/wine-run.sh $dir/cli/meshgate2-cli.exe"
bash "$root/tests/windows/cli_same_as_linux.sh" "$root/build/cli/meshgate2-cli" "$linux_sim" "$windows_cli" COM1 \
    "$work/cli"
echo "against instruments that answer at once:"
bash "$root/tests/windows/cli_same_as_linux.sh" "$root/build/cli/meshgate2-cli" "$linux_fast" "$windows_cli" COM7 \
    "$work/cli-fast"
bash "$root/tests/windows/ctrl_c_same_as_linux.sh" "$root/build/cli/meshgate2-cli" "$linux_slow" \
    "$work/linux-slow.log" "$windows_cli" COM5 "$work/windows-slow.log" "$work/ctrl-c"
bash "$root/tests/windows/console_progress.sh" "$windows_cli" COM2 COM1

# And over a serial device server: a real ser2net in front of a fresh instrument for each side, serving it
# as raw TCP and as RFC 2217 (from a port at 9600 8N1, so the client's own 57600 8E1 must be set).
free_port() {
    local port
    for _ in $(seq 100); do
        port=$((20000 + RANDOM % 40000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
    return 1
}
linux_net=$(start_sim linux-net)
windows_net=$(start_sim windows-net)
ports=()
for _ in 1 2 3 4 5; do ports+=("$(free_port)"); done
[ "$(printf '%s\n' "${ports[@]}" | sort -u | wc -l)" = 5 ] || { echo "windows.sh: no free ports" >&2; exit 1; }
{
    for side in 0 1; do
        device=$([ $side = 0 ] && echo "$linux_net" || echo "$windows_net")
        printf 'connection: &raw%s\n  accepter: tcp,127.0.0.1,%s\n  connector: serialdev,%s,57600e81,local\n' \
            $side "${ports[$((side * 2))]}" "$device"
        printf 'connection: &rfc2217%s\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n' $side "${ports[$((side * 2 + 1))]}"
        printf '  connector: serialdev,%s,9600n81,local\n' "$device"
    done
} >"$work/ser2net.yaml"
/usr/sbin/ser2net -n -d -c "$work/ser2net.yaml" >"$work/ser2net.log" 2>&1 &
pids+=($!)
for port in "${ports[@]:0:4}"; do
    for _ in $(seq 200); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
done
sleep 0.3 # the probes opened the devices for a moment; let ser2net close them
for scheme in tcp rfc2217; do
    offset=$([ $scheme = tcp ] && echo 0 || echo 1)
    echo "through ser2net, $scheme://:"
    # ser2net opens a device afresh for each connection; the first open can take longer than a reply's
    # time-out on a busy machine (the request waits in ser2net meanwhile). The comparison is of results:
    # let each side connect once first.
    "$root/build/cli/meshgate2-cli" --device "$scheme://127.0.0.1:${ports[$offset]}" search >/dev/null 2>&1 || true
    $windows_cli --device "$scheme://127.0.0.1:${ports[$((2 + offset))]}" search </dev/null >/dev/null 2>&1 || true
    # The last argument: a port nobody listens on, explained alike.
    bash "$root/tests/windows/cli_same_as_linux.sh" "$root/build/cli/meshgate2-cli" \
        "$scheme://127.0.0.1:${ports[$offset]}" "$windows_cli" \
        "$scheme://127.0.0.1:${ports[$((2 + offset))]}" "$work/cli-$scheme" "$scheme://127.0.0.1:${ports[4]}"
done

# The installed program on COM1, an instrument that logs its frames for the configurator's run.
map COM1 "$(start_sim configurator --trace)"
restart_wine
bash "$root/tests/windows/install_smoke.sh" "$dir/dist/windows/meshgate2-$version-setup.exe" "$version" \
    "$root/build/cli/meshgate2-cli" "$work/configurator" "$work/configurator.log" "$dir/configurator-test"
