#!/usr/bin/env bash
# Builds the Windows release packages, the installer and the .zip (stripped, statically linked
# as every Windows build is), and copies them into DIST.
# Usage: scripts/package-windows.sh DIST
set -euo pipefail
if (($# != 1)); then
    echo "usage: $0 DIST" >&2
    exit 64
fi
dist=$(realpath -m "$1")
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build="build-windows-release"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCORVANE_WERROR="${CORVANE_WERROR:-OFF}" -DCORVANE_BUILD_APP=OFF \
    -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF -DCORVANE_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" -j2
# Packages of an earlier run are not this run's.
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages"
mkdir -p "$dist"
cp "$build"/packages/*.exe "$build"/packages/*.zip "$dist"/
ls -l "$dist"/*-win64.*
