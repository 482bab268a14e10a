#!/usr/bin/env bash
# corvane-update.exe updating several modules at once under Wine: named ports with a record, every
# port a glob picks, and a watch that finds a module appearing behind a COM port mapped before.
# Usage: wine-line.sh corvane-update.exe corvane-modemsim SAMPLES_FOLDER
set -euo pipefail

update=$1
simulator=$2
sample=$3/k31-audio.prm
# shellcheck source=tests/win32/wine-com-ports.sh
source "$(dirname "$0")/wine-com-ports.sh"

# The silent module fails last, after its rate search, but comes first in port order.
module COM20
module COM21 --silent
module COM22
module COM23 --block-error
# Mapped while nothing is behind it: a port can only be mapped with a restart of Wine's server,
# which would end a watch running in it.
devices[COM24]=$scratch/late-link
map_com_ports

# run NAME OPTIONS...: its status, standard output and error go to $scratch/NAME.*
run() {
    local name=$1 status=0
    shift
    "$WINE" "$update" -f 31 --record "$scratch/$name.jsonl" "$@" "$sample" \
        >"$scratch/$name.out" 2>"$scratch/$name.err" || status=$?
    echo "$status" >"$scratch/$name.status"
}

# expect NAME STATUS 'PORT RESULT WRITTEN'...: the run's status, and its record, one line of
# JSON per port (in any order).
expect() {
    local name=$1 status=$2 found
    shift 2
    [[ $(<"$scratch/$name.status") == "$status" ]] ||
        fail "$name: exit status $(<"$scratch/$name.status"), not $status: $(<"$scratch/$name.err")"
    found=$(python3 -c '
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    r = json.loads(line)
    print(r["port"], r["result"], r["written"])' "$scratch/$name.jsonl" | sort) ||
        fail "$name: the record does not parse"
    [[ $found == "$(printf '%s\n' "$@")" ]] || fail "$name: the record holds $found"
}

start=$SECONDS
run named -p COM20 -p COM21 -p COM22 -p COM23
expect named 6 'COM20 0 3' 'COM21 6 0' 'COM22 0 3' 'COM23 4 0'

# Wine lists COM1 as well as every mapped port, also COM24 with nothing behind it.
run glob --all --match 'COM2?'
expect glob 6 'COM20 0 3' 'COM21 6 0' 'COM22 0 3' 'COM23 4 0'

"$WINE" "$update" --watch --count 2 --match 'COM2[04]' -f 31 --record "$scratch/watch.jsonl" \
    "$sample" >"$scratch/watch.out" 2>"$scratch/watch.err" &
watch=$!
# The watch has found COM20 and must not take COM24 for present before its module is there.
for ((i = 0; i < 200; ++i)); do
    grep -q COM20 "$scratch/watch.err" 2>/dev/null && break
    sleep 0.05
done
sleep 1
module COM24 --link "$scratch/late-link"
status=0
if ! timeout 60 tail --pid="$watch" -f /dev/null; then
    fail "watch: still running after a minute"
    kill -INT "$watch"
fi
wait "$watch" || status=$?
echo "$status" >"$scratch/watch.status"
expect watch 0 'COM20 0 3' 'COM24 0 3'
stop_modules
echo "three runs in $((SECONDS - start)) s"

for name in COM20 COM22 COM24; do
    [[ $(<"$scratch/$name.stored") == "$(text_set "$sample")" ]] ||
        fail "$name: the module holds something else than the file's data"
done
for name in COM21 COM23; do
    [[ ! -s $scratch/$name.stored ]] || fail "$name: the faulty module stored something"
done

end_checks
