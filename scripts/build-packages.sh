#!/usr/bin/env bash
# Builds the packages of one release preset of the tree this script is in and copies them into
# OUTDIR: `release` makes the Debian packages, `windows-release` the Windows installer and zip
# (both stripped). Set CMAKE_BUILD_PARALLEL_LEVEL to limit the build's jobs.
# Usage: scripts/build-packages.sh release|windows-release OUTDIR
set -euo pipefail
if (($# != 2)) || [[ $1 != release && $1 != windows-release ]]; then
    echo "usage: $0 release|windows-release OUTDIR" >&2
    exit 64
fi
preset=$1
out=$(realpath -m "$2")
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
# cpack adds to what an earlier run left there.
packages="build-$preset/packages"
rm -rf "$packages"
cpack --preset "$preset"
mkdir -p "$out"
find "$packages" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.exe' -o -name '*.zip' \) \
    -exec cp -t "$out" {} +
