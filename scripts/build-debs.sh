#!/usr/bin/env bash
# Builds the Debian packages of the tree this script is in (release preset, stripped) and copies
# them into OUTDIR. Set CMAKE_BUILD_PARALLEL_LEVEL to limit the build's jobs.
# Usage: scripts/build-debs.sh OUTDIR
set -euo pipefail
if (($# != 1)); then
    echo "usage: $0 OUTDIR" >&2
    exit 64
fi
out=$(realpath -m "$1")
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
# cpack adds to what an earlier run left there.
rm -rf build-release/packages
cpack --preset release
mkdir -p "$out"
cp build-release/packages/*.deb "$out"/
