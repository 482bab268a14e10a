#!/usr/bin/env bash
# Configures, builds and runs every test of one preset (default: "default").
# Usage: scripts/test.sh [preset] [extra ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true

scripts/install-deps.sh
if [[ $preset == windows ]]; then
    # The Windows tests run the Linux virtual module on the COM ports they use.
    cmake --preset default >/dev/null
    cmake --build --preset default --target corvane-modemsim
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" "$@"
