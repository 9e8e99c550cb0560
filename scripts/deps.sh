#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, skipping what is already there:
# GCC and clang (CI builds with both; clang also the fuzz targets), clang-format (CI checks the format), the
# libraries, the tools that make and check the man pages, desktop entry and metainfo, and dpkg-shlibdeps for
# the package's dependencies.
# Packages named as arguments are installed as well (scripts/package.sh adds lintian).
set -euo pipefail
packages=(
    g++ cmake make ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    fonts-wine fonts-dejavu-core xvfb xauth
    clang libclang-rt-14-dev clang-format
    help2man man-db desktop-file-utils appstream dpkg-dev
    tshark # a test reads the line monitor's pcap captures back as Modbus RTU
    ser2net # the network line tests talk to a real serial device server
    "$@"
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
