#!/usr/bin/env bash
# The Windows command line against a simulated instrument gives the same texts, JSON, files and exit codes
# as the Linux one against another simulated instrument in the same state.
# Usage: cli_same_as_linux.sh LINUX_CLI LINUX_DEVICE "WINDOWS_CLI COMMAND" WINDOWS_PORT WORK_FOLDER [ABSENT]
# ABSENT: a device both sides fail to open, for the same explanation and exit code.
set -uo pipefail
linux_cli=$1 linux_device=$2 windows_cli=$3 windows_port=$4 work=$5 absent=${6:-}
mkdir -p "$work/linux" "$work/windows"
failed=0
# shellcheck source=compare.sh
. "$(dirname "$0")/compare.sh"

# One step on both: the output and the exit code, compared.
step() {
    (cd "$work/linux" && "$linux_cli" --device "$linux_device" "$@" >out 2>&1; echo "exit $?" >>out)
    (cd "$work/windows" && $windows_cli --device "$windows_port" "$@" </dev/null >out 2>&1; echo "exit $?" >>out)
    same_as_linux "$*" "$work/linux/out" "$linux_device" "$work/windows/out" "$windows_port" || failed=1
}

step search
step read
step --json read
step backup card.json
if ! cmp -s "$work/linux/card.json" "$work/windows/card.json"; then
    echo "DIFFERENT: the backup files"
    diff -u "$work/linux/card.json" "$work/windows/card.json"
    failed=1
fi
step apply --address 9
step --json read
step apply --address 999 # out of range: exit 2, nothing written
step restore card.json
step read
step --range legacy --json search
if [ -n "$absent" ]; then
    linux_device=$absent windows_port=$absent
    step search
fi
exit $failed
