#!/usr/bin/env bash
# Runs the Windows serial port's test program under Wine against virtual modules on COM ports.
# Usage: run-port-test.sh WinSerialPortTest.exe corvane-modemsim [gtest options]
set -euo pipefail

test_program=$1
simulator=$2
shift 2
# shellcheck source=tests/win32/wine-com-ports.sh
source "$(dirname "$0")/wine-com-ports.sh"

start_module COM5 "$simulator" --family 31
start_module COM6 "$simulator" --family 31 --rate 57600
map_com_ports

CORVANE_PORT_115200=COM5 CORVANE_PORT_57600=COM6 "$WINE" "$test_program" "$@"
