#!/usr/bin/env bash
# Draws resources/corvane-full.ico from resources/org.corvane.Corvane.svg: the program's icon at
# 16, 32 and 48 px in full colour (32-bit with alpha), as Explorer, the taskbar and the Start menu
# show it. The .ico is kept in the tree, so that builds need neither tool; run this after the SVG
# changed. Icon 128 (corvane.ico, 32 px in 16 colours) is the dialog's own and stays as it is.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in rsvg-convert:librsvg2-bin convert:imagemagick; do
    if ! command -v "${tool%%:*}" >/dev/null; then
        sudo=""
        if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${tool#*:}"
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 32 48)
for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" resources/org.corvane.Corvane.svg -o "$work/$size.png"
done
convert $(printf "$work/%s.png " "${sizes[@]}") -alpha on -depth 8 resources/corvane-full.ico
identify resources/corvane-full.ico
