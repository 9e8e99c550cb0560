#!/usr/bin/env bash
# Builds the Debian package as a packager would (a plain release build: warnings are not errors, no tests)
# in build-pkg/, checks it with lintian (which fails on errors, not on warnings) and prints its path last.
# Install it with: sudo apt install ./build-pkg/meshgate2_<version>_<arch>.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-pkg"
"$root/scripts/deps.sh" lintian
# Debian's compiler and linker flags, hardening included, as a Debian build passes them (CMake reads no
# CPPFLAGS, so they go with CXXFLAGS). Without -g: the package's binaries are stripped anyway.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --export=sh)"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMESHGATE2_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >&2
cmake --build "$dir" -j "$(nproc)" >&2
rm -f "$dir"/meshgate2_*.deb
(cd "$dir" && cpack -G DEB) >&2
deb=$(echo "$dir"/meshgate2_*.deb)
lintian "$deb" >&2
echo "$deb"
