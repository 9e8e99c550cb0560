#!/usr/bin/env bash
# Cross-builds Qt 6.4.2 qtbase for 64-bit Windows from Debian 12's own qt6-base source package, with Debian's
# MinGW-w64 (posix threads) and Debian's Qt 6.4.2 host tools. Usage: qt6-mingw.sh PREFIX [WORKDIR]
# About an hour on two cores. Needs: qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix cmake ninja-build.
# The source comes through a private APT configuration with a deb-src entry, so the system's stays untouched.
set -euo pipefail
prefix=$(realpath -m "${1:?usage: qt6-mingw.sh PREFIX [WORKDIR]}")
work=$(realpath -m "${2:-$(mktemp -d)}")
toolchain=$(cd "$(dirname "$0")/../cmake" && pwd)/mingw-w64-x86_64.cmake
mkdir -p "$work" && cd "$work"
if [ ! -d qtbase-everywhere-src-6.4.2 ]; then
  mkdir -p apt/parts apt/lists/partial
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >apt/parts/src.sources
  o=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/apt/parts" -o Dir::State::Lists="$work/apt/lists")
  apt-get "${o[@]}" update && apt-get "${o[@]}" source --download-only qt6-base=6.4.2+dfsg-10
  tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
fi
# Debian's source drops src/3rdparty/wintab (its licence forbids changes): tablet events off.
cmake -S qtbase-everywhere-src-6.4.2 -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DQT_BUILD_BENCHMARKS=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DINPUT_opengl=no -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
cmake --build build --parallel "$(nproc)"
cmake --install build
find "$prefix/bin" "$prefix/plugins" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
rm -rf "$prefix/doc"
# Relocatable: the installed Qt toolchain file loads the MinGW toolchain file from the prefix itself.
cp "$toolchain" "$prefix/" 2>/dev/null || true
sed -i 's#^set(__qt_initially_configured_toolchain_file .*#set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../mingw-w64-x86_64.cmake")#' \
  "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
