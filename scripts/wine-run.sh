#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build's own, never ~/.wine.
# Usage: scripts/wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The prefix is made on first use; runs that start together wait for the one that makes it.
set -euo pipefail
prefix="$1"
shift

wine_dir=/usr/lib/wine  # Debian's wine64 puts no wine64 on the PATH
export WINEPREFIX="$prefix" WINEDEBUG=-all
# No window is ever needed, and without a display Wine stays out of X entirely.
unset DISPLAY WAYLAND_DISPLAY

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [[ ! -e "$prefix/.corvane-ready" ]]; then
    # A prefix left half made by an interrupted run is made again from nothing. Mono and Gecko
    # are not installed: their installers would look for the network.
    rm -rf "$prefix"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$wine_dir/wine64" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    "$wine_dir/wineserver" -w 9>&-
    touch "$prefix/.corvane-ready"
fi
# Wine's background programs (services, device drivers) start with the first program that a
# server runs and inherit its output; ctest would wait for them to end, after the server's idle
# time. So a new server starts them with a program of its own that writes nowhere. It stays up
# 30 s after the last program, so that a run of tests shares one. None of them may keep the
# lock, which they would hold for as long as they run.
if "$wine_dir/wineserver" -p30 </dev/null >/dev/null 2>&1 9>&-; then
    "$wine_dir/wine64" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
fi
exec 9>&-

exec "$wine_dir/wine64" "$@"
