#!/usr/bin/env bash
# Ctrl-C during an apply, on both sides alike: the interrupt arrives the moment the instrument has received
# the first write (seen in its frame log), that write's transaction finishes, nothing more is written, the
# report says what was and was not, and the exit code is 130. Under Wine a SIGINT to the program's process
# reaches its console control handler as CTRL_C_EVENT, as Ctrl-C in a console window does.
# Usage: ctrl_c_same_as_linux.sh LINUX_CLI LINUX_DEVICE LINUX_FRAMES "WINDOWS_CLI COMMAND" WINDOWS_PORT
#        WINDOWS_FRAMES WORK_FOLDER (each instrument slow, --delay, and logging its frames with --trace)
set -uo pipefail
linux_cli=$1 linux_device=$2 linux_frames=$3 windows_cli=$4 windows_port=$5 windows_frames=$6 work=$7
mkdir -p "$work"

interrupted_apply() { # FRAMES OUT COMMAND...
    local frames=$1 out=$2 pid
    shift 2
    local before
    before=$(wc -l <"$frames")
    "$@" apply --address 9 --exchange 3 </dev/null >"$out" 2>&1 &
    pid=$!
    # Generous: Wine takes a while to start on a busy machine, and each reply is slow on purpose.
    for _ in $(seq 1200); do
        tail -n +$((before + 1)) "$frames" | grep -q '^<- FF 10 30 11' && break
        sleep 0.05
    done
    kill -INT "$pid"
    wait "$pid"
    echo "exit $?" >>"$out"
}

interrupted_apply "$linux_frames" "$work/linux" "$linux_cli" --device "$linux_device"
# shellcheck disable=SC2086 # the Windows command is a runner and the program
interrupted_apply "$windows_frames" "$work/windows" $windows_cli --device "$windows_port"
# shellcheck source=compare.sh
. "$(dirname "$0")/compare.sh"
same_as_linux "Ctrl-C during apply" "$work/linux" "$linux_device" "$work/windows" "$windows_port" || exit 1
grep -qx 'exit 130' "$work/windows" || { echo "Ctrl-C during apply: not exit 130" && cat "$work/windows" && exit 1; }
echo "Ctrl-C during apply: exit 130, station address written, exchange table not"
