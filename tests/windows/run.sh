#!/usr/bin/env bash
# Every Windows test, under Wine in a fresh prefix of its own: the test programs through ctest against
# simulated instruments started here (the Linux build's meshgate2-sim) and mapped to COM ports, the command
# line's results against the Linux build's (compare.sh), in a console, through a real ser2net, and the
# installer installed, used and uninstalled. scripts/windows.sh --test builds what it needs and calls it.
# Usage: run.sh WINDOWS_BUILD LINUX_BUILD (build-win/ with its zip and installer packed, and build/)
set -euo pipefail
dir=$1 linux=$2
here=$(cd "$(dirname "$0")" && pwd)
sim="$linux/sim/meshgate2-sim"
linux_cli="$linux/cli/meshgate2-cli"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
fail() { echo "windows tests: $*" >&2; exit 1; }

# The zip's programs and runtime DLLs carry no debug information (Debian's libstdc++ alone holds 19 MB of it).
# The sections are read whole first: a grep that stops at the first match could end objdump by a broken pipe,
# and a failed pipeline would pass.
zip_folder="$dir/dist/windows/meshgate2-$version-windows-x64"
for file in "$zip_folder"/*.exe "$zip_folder"/lib*.dll; do
    sections=$(x86_64-w64-mingw32-objdump -h "$file")
    ! grep -q ' \.debug_' <<<"$sections" || fail "$file carries debug information"
done

# The simulated instruments the tests talk to, on pseudo-terminals of this machine.
work=$(mktemp -d /tmp/meshgate2-windows.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# Wine links the prefix's Documents to the home's; the configurator writes there: keep it in the run's folder.
mkdir -p "$work/home"
export HOME="$work/home"
# shellcheck source=wine_desktop.sh
. "$here/wine_desktop.sh"
# restart_wine_server (wine_desktop.sh): one Wine server for what follows, started here and not from a test
# (ctest would wait on its output); the ports mapped so far are what its programs see.
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
restart_wine_server
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
restart_wine_server
windows_cli="$dir/wine-run.sh $dir/cli/meshgate2-cli.exe"
bash "$here/cli_same_as_linux.sh" "$linux_cli" "$linux_sim" "$windows_cli" COM1 "$work/cli"
echo "against instruments that answer at once:"
bash "$here/cli_same_as_linux.sh" "$linux_cli" "$linux_fast" "$windows_cli" COM7 "$work/cli-fast"
bash "$here/ctrl_c_same_as_linux.sh" "$linux_cli" "$linux_slow" "$work/linux-slow.log" "$windows_cli" COM5 \
    "$work/windows-slow.log" "$work/ctrl-c"
bash "$here/console_progress.sh" "$windows_cli" COM2 COM1

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
[ "$(printf '%s\n' "${ports[@]}" | sort -u | wc -l)" = 5 ] || fail "no free ports"
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
    "$linux_cli" --device "$scheme://127.0.0.1:${ports[$offset]}" search >/dev/null 2>&1 || true
    $windows_cli --device "$scheme://127.0.0.1:${ports[$((2 + offset))]}" search </dev/null >/dev/null 2>&1 || true
    # The last argument: a port nobody listens on, explained alike.
    bash "$here/cli_same_as_linux.sh" "$linux_cli" "$scheme://127.0.0.1:${ports[$offset]}" "$windows_cli" \
        "$scheme://127.0.0.1:${ports[$((2 + offset))]}" "$work/cli-$scheme" "$scheme://127.0.0.1:${ports[4]}"
done

# The installed program on COM1, an instrument that logs its frames for the configurator's run.
map COM1 "$(start_sim configurator --trace)"
restart_wine_server
bash "$here/install_smoke.sh" "$dir/dist/windows/meshgate2-$version-setup.exe" "$version" "$linux_cli" \
    "$work/configurator" "$work/configurator.log" "$dir/configurator-test"
