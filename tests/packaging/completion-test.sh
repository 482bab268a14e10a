#!/usr/bin/env bash
# Asks the bash completion of corvane-update for candidates as bash would, in a folder of sample
# files, and checks that it offers every long option that the program's --help lists.
# Usage: completion-test.sh COMPLETION_FILE CORVANE_UPDATE
set -euo pipefail
source "$1"
source "$(dirname "$0")/help-options.sh"
program=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir 'sub dir'
touch a.prm 'b c.PRM' d.reg e.txt

failures=0

# The candidates for the command line WORDS..., the last of which is being completed, sorted
# and joined by "|".
candidates() {
    COMP_WORDS=(corvane-update "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _corvane_update
    ((${#COMPREPLY[@]})) || return 0
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd '|'
}

expect() {
    local want=$1
    shift
    local got
    got=$(candidates "$@")
    if [[ $got != "$want" ]]; then
        echo "FAIL: corvane-update $*: got '$got', want '$want'"
        failures=$((failures + 1))
    fi
}

expect '31|47|K31|K47' -f ''
expect 'K31|K47' --family K
expect 'a.prm|b c.PRM|sub dir' ''
expect 'a.prm|b c.PRM|sub dir' -f 47 --check ''
expect 'b c.PRM' -q b
expect 'd.reg|sub dir' -r ''
expect 'd.reg|sub dir' --registry = ''
expect 'd.reg' --registry = d
expect '' --set-name ''
expect '115200' -b 11
expect '--family' --fam

# Serial devices only, of whatever this machine has.
expect '' -p /dev/nul
for device in $(candidates -p /dev/ | tr '|' ' '); do
    if [[ ! -c $device || ! $device =~ ^/dev/(ttyS|ttyUSB|ttyACM|serial/by-id/) ]]; then
        echo "FAIL: -p offers $device"
        failures=$((failures + 1))
    fi
done
if [[ -c /dev/ttyS0 && $(candidates --port /dev/ttyS) != */dev/ttyS0* ]]; then
    echo "FAIL: --port /dev/ttyS does not offer /dev/ttyS0"
    failures=$((failures + 1))
fi

offered="|$(candidates --)|"
for option in $(help_options "$program" | grep -- '^--'); do
    if [[ $offered != *"|$option|"* ]]; then
        echo "FAIL: -- does not offer $option, which --help lists"
        failures=$((failures + 1))
    fi
done

if ((failures)); then
    exit 1
fi
echo "completion: all cases passed"
