#!/usr/bin/env bash
# Configures and builds into build/ (or build-san/ with --sanitize). Prints the build folder's path last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build"
flags=()
if [ "${1:-}" = "--sanitize" ]; then
    dir="$root/build-san"
    flags+=(-DMESHGATE2_SANITIZE=ON -DMESHGATE2_BENCH=OFF)
fi
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >&2
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
