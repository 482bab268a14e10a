#!/usr/bin/env bash
# Builds the release of HEAD into dist/: the Debian packages corvane and corvane-modemsim, the
# Windows installer and zip (scripts/build-packages.sh windows-release), and dist/SHA256SUMS over them all.
# Refuses a tree with changes not committed, and builds from an export of HEAD, so that the
# release holds exactly what HEAD holds and nothing a build folder kept.
# Usage: scripts/release.sh [--linux-only]
set -euo pipefail
cd "$(dirname "$0")/.."

windows=1
case ${1:-} in
    --linux-only) windows=0 ;;
    "") ;;
    *)
        echo "usage: $0 [--linux-only]" >&2
        exit 64
        ;;
esac

if [[ -n $(git status --porcelain) ]]; then
    echo "release.sh: the tree has changes not committed; commit or stash them first:" >&2
    git status --short >&2
    exit 1
fi

dist=$PWD/dist
source=$(mktemp -d)
trap 'rm -rf "$source"' EXIT
git archive HEAD | tar -x -C "$source"
rm -rf "$dist"
mkdir -p "$dist"

echo "=== Debian packages of $(git rev-parse --short HEAD)"
"$source/scripts/build-packages.sh" release "$dist"
if ((windows)); then
    echo "=== Windows installer and zip"
    "$source/scripts/build-packages.sh" windows-release "$dist"
fi

(cd "$dist" && sha256sum -- * >"$source/SHA256SUMS")
mv "$source/SHA256SUMS" "$dist/SHA256SUMS"
echo "=== dist/"
cat "$dist/SHA256SUMS"
