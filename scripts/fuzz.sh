#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (into build-fuzz/) and runs each for the given number of seconds
# (default 60), two at a time, on its seed corpus in fuzz/corpus/<target>. What a run discovers goes to a
# scratch folder, never into the repository. Exits non-zero when any target finds a fault.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=ccache.sh
. "$root/scripts/ccache.sh"
seconds=${1:-60}
dir="$root/build-fuzz"
"$root/scripts/deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMESHGATE2_FUZZ=ON \
    -DMESHGATE2_WERROR=ON -DMESHGATE2_TESTS=OFF >&2
cmake --build "$dir" -j "$(nproc)" --target fuzzers >&2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run() {
    local target=$1
    mkdir -p "$scratch/$target"
    if "$dir/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/$target-" \
        "$scratch/$target" "$root/fuzz/corpus/$target" >"$scratch/$target.log" 2>&1; then
        echo "$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$scratch/$target.log" | grep -o '[0-9]*$') executions, no finding"
    else
        echo "$target: FINDING"
        tail -n 60 "$scratch/$target.log"
        for artifact in "$scratch/$target"-*; do
            [ -e "$artifact" ] && { echo "input that failed (base64):"; base64 "$artifact"; }
        done
        return 1
    fi
}
export -f run
export dir root scratch seconds
# Every target fuzz/CMakeLists.txt defines, as the build lists them.
xargs -P 2 -I{} bash -c 'run {}' <"$dir/fuzz/targets.txt"
