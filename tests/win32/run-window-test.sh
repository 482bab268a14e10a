#!/usr/bin/env bash
# Runs the Win32 windows' test program under Wine on a virtual display, against virtual modules on
# COM ports: for the dialog a quick one, and a slow one that an update can be stopped on; for the
# station a line of eight, one of them silent, and one plugged in while it watches.
# Usage: run-window-test.sh Win32WindowTest.exe corvane-modemsim [gtest options]
set -euo pipefail

test_program=$1
simulator=$2
shift 2
# shellcheck source=tests/win32/wine-com-ports.sh
source "$(dirname "$0")/wine-com-ports.sh"
# A prefix made on a display would wait there for someone to install Mono and Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="

start_module COM5 "$simulator" --family 31
# Block commands answered late, so that an update can be stopped after its first block.
start_module COM6 "$simulator" --family 31 --answer-to "AT^QBNW" --answer-delay 2000
station_ports=()
for number in {10..17}; do
    if ((number == 13)); then
        start_module "COM$number" "$simulator" --family 31 --silent
    else
        start_module "COM$number" "$simulator" --family 31
    fi
    station_ports+=("COM$number")
done
# Mapped while nothing is behind it; its module comes when the watch test asks for it.
devices[COM18]=$scratch/late-link
map_com_ports

# A display of the run's own: the first free number from 90 on.
display=90
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'finish; kill "$xvfb_pid" 2>/dev/null || true' EXIT
for ((i = 0; i < 100; ++i)); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.05
done
export DISPLAY=:$display

CORVANE_PORT_QUICK=COM5 CORVANE_PORT_SLOW=COM6 CORVANE_STATION_PORTS="${station_ports[*]}" \
    CORVANE_STATION_FAULTY=COM13 CORVANE_STATION_RECORD="$scratch/station.jsonl" \
    CORVANE_WATCH_PORT=COM18 CORVANE_WATCH_PLUG_IN="$scratch/plug-in" \
    "$WINE" "$test_program" "$@" &
test_pid=$!
while kill -0 "$test_pid" 2>/dev/null && [[ ! -e $scratch/plug-in ]]; do
    sleep 0.1
done
if [[ -e $scratch/plug-in ]]; then
    start_module COM18 "$simulator" --family 31 --link "$scratch/late-link"
fi
wait "$test_pid"
