#!/usr/bin/env bash
# Configures and builds with warnings as errors. Prints the build folder's path last.
#   (none)       build/        GCC, optimised, with line tables, every target
#   --sanitize   build-san/    GCC with AddressSanitizer and UBSan at -O1, with line tables, no benchmarks
#   --clang      build-clang/  clang, optimised as a release is, no benchmarks
# Line tables (-g1) give a failing test's or a sanitizer's backtrace its files and lines at a fraction of
# full debug information's compile time, which keeps CI's three builds on two cores within its time; for a
# debugger session, configure a folder of your own with -DCMAKE_BUILD_TYPE=Debug.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=ccache.sh
. "$root/scripts/ccache.sh"
dir="$root/build"
type=RelWithDebInfo
optimise="-O2 -g1 -DNDEBUG"
flags=(-DMESHGATE2_WERROR=ON -DMESHGATE2_BENCH=ON -DMESHGATE2_GALLERIES=ON)
case "${1:-}" in
"") ;;
--sanitize)
    dir="$root/build-san"
    optimise="-O1 -g1 -DNDEBUG" # as the sanitizers' documentation advises; a quicker build too
    flags+=(-DMESHGATE2_SANITIZE=ON -DMESHGATE2_BENCH=OFF)
    ;;
--clang)
    dir="$root/build-clang"
    type=Release
    flags+=(-DCMAKE_CXX_COMPILER=clang++ -DMESHGATE2_BENCH=OFF)
    ;;
*)
    echo "build.sh: unknown option '$1' (--sanitize or --clang)" >&2
    exit 2
    ;;
esac
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=$type -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$optimise" \
    "${flags[@]}" >&2
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
