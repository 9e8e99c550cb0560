#!/usr/bin/env bash
# Shows the whole workflow without hardware: builds, starts a simulated instrument on a pseudo-terminal
# (a Profibus card unless told otherwise) and opens the configurator with COM1 leading to it.
#
#   scripts/run.sh                      Profibus card (code 5)
#   scripts/run.sh --card 7 --ip 10.0.0.5   any meshgate2-sim options (see meshgate2-sim --help)
#   scripts/run.sh --here ...           keep Meshgate2.dat in the current folder instead of a temporary one
# MESHGATE2_BUILD=<folder> uses that build folder as it is (no dependency check, no build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

here=0
sim_args=()
for arg in "$@"; do
    if [ "$arg" = "--here" ]; then here=1; else sim_args+=("$arg"); fi
done

if [ -n "${MESHGATE2_BUILD:-}" ]; then
    build=$(cd "$MESHGATE2_BUILD" && pwd)
else
    "$root/scripts/deps.sh"
    build=$("$root/scripts/build.sh" | tail -n 1)
fi

workdir=$PWD
scratch=$(mktemp -d)
sim_pid=""
app_pid=""
stop() {
    if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
        kill "$1"
        wait "$1" 2>/dev/null || true
    fi
}
cleanup() {
    # The configurator runs in a process group of its own (with xvfb-run's X server, when there is one).
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -- "-$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    stop "$sim_pid"
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
[ "$here" -eq 1 ] || workdir="$scratch/work"
mkdir -p "$workdir"

# The simulator prints the device path on its first line, then serves until it is stopped.
"$build/sim/meshgate2-sim" "${sim_args[@]}" >"$scratch/sim.out" 2>"$scratch/sim.err" &
sim_pid=$!
device=""
for _ in $(seq 100); do
    device=$(head -n 1 "$scratch/sim.out" 2>/dev/null || true)
    [ -n "$device" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "run.sh: the simulator did not start:" >&2
        cat "$scratch/sim.err" >&2
        exit 1
    fi
    sleep 0.1
done
if [ -z "$device" ]; then
    echo "run.sh: the simulator printed no device path within 10 s" >&2
    exit 1
fi
echo "Simulated instrument on $device (COM1); working folder $workdir" >&2

export MESHGATE2_COM1="$device"
cd "$workdir"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (\$DISPLAY and \$WAYLAND_DISPLAY are unset): running under a virtual X server," >&2
    echo "  xvfb-run -a $build/app/meshgate2" >&2
    echo "The window is not visible there; run this script inside a desktop session to use it. Ctrl+C ends it." >&2
    setsid xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/meshgate2" &
else
    setsid "$build/app/meshgate2" &
fi
# In the background, in a group of its own, so that a stop signal reaches this script at once and everything
# started here is ended by its ids.
app_pid=$!
wait "$app_pid"
