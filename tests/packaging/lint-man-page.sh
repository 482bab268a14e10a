#!/bin/sh
# Formats a manual page as man does for a terminal and fails on any warning from man or groff.
set -eu
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -E UTF-8 -l "$1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    printf '%s\n' "$warnings"
    exit 1
fi
