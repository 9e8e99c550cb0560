#!/usr/bin/env bash
# Builds and runs every test. With --sanitize: the same tests under AddressSanitizer and UBSan; with --clang:
# built by clang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" "$@")
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$dir"
# Two more tests than cores: many of them mostly wait for a time-out on the line, and every wait for a
# reply has room for a busy machine.
ctest --output-on-failure -j "$(($(nproc) + 2))" --timeout 600
