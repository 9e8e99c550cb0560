#!/usr/bin/env bash
# Configures and builds with warnings as errors. Prints the build folder's path last.
#   (none)       build/        GCC, with debug information, every target
#   --sanitize   build-san/    GCC with AddressSanitizer and UBSan, no benchmarks
#   --clang      build-clang/  clang, optimised as a release is, no benchmarks
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build"
type=RelWithDebInfo
flags=(-DMESHGATE2_WERROR=ON)
case "${1:-}" in
"") ;;
--sanitize)
    dir="$root/build-san"
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
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=$type "${flags[@]}" >&2
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
