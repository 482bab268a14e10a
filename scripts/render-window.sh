#!/usr/bin/env bash
# Renders the operator's window, as it opens, to a PNG without a display (Qt's offscreen platform).
# Usage: scripts/render-window.sh [output.png] [build directory]
#   defaults: resources/window.png, build (configured and built with the default preset if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
output="${1:-resources/window.png}"
build="${2:-build}"

if [[ ! -x "$build/bin/Corvane" ]]; then
    scripts/install-deps.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target Corvane
fi
# The sample registry names a port, so the window opens without its registry warning.
QT_QPA_PLATFORM=offscreen "$build/bin/Corvane" --registry samples/registry.reg \
    --screenshot "$output"
echo "$output"
