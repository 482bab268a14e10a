#!/usr/bin/env bash
# Builds Corvane, then writes the samples into virtual radio modules on pseudo-terminals:
#   1. a K31 module with the text sample, port and rate given on the command line;
#   2. a K47 module with the binary sample, the same way;
#   3. a K31 module that answers only at 57600 while 115200 is configured, its port found
#      through a registry file: the rate search at work;
#   4. a K47 module sent the K31 file, which it refuses, then the K47 file on the same module:
#      the module is reset through the virtual module's power library;
#   5. four K47 modules at once, as on a production line, with a record of every update.
# Shows each result and what the module stored; exits non-zero when an update ended otherwise
# than it should or a module stored anything but the file's data. With CORVANE_BIN set, it takes
# the two commands from that directory as they are built there, and builds nothing; the power
# library is then the installed package's, or the one in CORVANE_POWER_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${CORVANE_BIN:-}
if [[ -z $bin ]]; then
    scripts/install-deps.sh demo
    cmake --preset demo >/dev/null
    cmake --build --preset demo
    bin=build-demo/bin
    CORVANE_POWER_DIR=${CORVANE_POWER_DIR:-build-demo/lib/corvane-modemsim}
fi
power_dir=${CORVANE_POWER_DIR:-$( (dpkg -L corvane-modemsim 2>/dev/null || true) | sed -n 's|/RHA_SWUP.DLL$||p')}
if [[ ! -f $power_dir/RHA_SWUP.DLL ]]; then
    echo "demo: the virtual module's power library is not found; set CORVANE_POWER_DIR" >&2
    exit 1
fi
# Where corvane-update finds the library through which it switches a virtual module on.
export LD_LIBRARY_PATH=$power_dir
update=$bin/corvane-update
modemsim=$bin/corvane-modemsim
work=$(mktemp -d)
sim_pid=""
sim_input=""

cleanup() {
    if [[ -n $sim_pid ]]; then kill "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Starts a virtual module with the given options; sets $device to the pseudo-terminal it serves.
start_module() {
    local name=$1
    shift
    mkfifo "$work/$name.in"
    "$modemsim" "$@" --stored "$work/$name.stored" <"$work/$name.in" >"$work/$name.out" &
    sim_pid=$!
    exec {sim_input}>"$work/$name.in"  # the module runs until its input closes
    for _ in $(seq 100); do
        [[ -s $work/$name.out ]] && break
        sleep 0.05
    done
    device=$(head -n 1 "$work/$name.out")
    if [[ -z $device ]]; then
        echo "corvane-modemsim did not start" >&2
        exit 1
    fi
}

stop_module() {
    exec {sim_input}>&-
    wait "$sim_pid"
    sim_pid=""
}

# The blocks a K31 module should store for a text file: its data lines, joined in pairs.
expected_text_blocks() {
    tr -d '\r' <"$1" | grep -v '^$' | tail -n +2 | paste -d '' - -
}

failures=0

# Runs one update; $1 names the case, $2 is the sample, the rest are corvane-update's options.
# The update is to end with $expected_status, 0 unless set.
run_update() {
    local name=$1 sample=$2 expected=${expected_status:-0}
    shift 2
    echo
    echo "=== $name"
    echo "\$ corvane-update $* $sample"
    local status=0
    "$update" "$@" "$sample" 2>"$work/$name.err" || status=$?
    # Of a trace, only where the port went and the rates tried; everything else as it came.
    grep -E '^\[.*\] (open|rate)|^[^[]' "$work/$name.err" || true
    echo "exit status: $status"
    if ((status != expected)); then failures=$((failures + 1)); fi
}

# Compares what the module stored with what the file holds and shows it.
check_stored() {
    local name=$1 family=$2 sample=$3
    echo "the module stored:"
    if [[ $family == 31 ]]; then
        sed 's/^/    /' "$work/$name.stored"
        if ! diff -q <(expected_text_blocks "$sample") "$work/$name.stored" >/dev/null; then
            echo "    MISMATCH: not the data lines of $sample"
            failures=$((failures + 1))
        fi
    else
        od -An -tx1 "$work/$name.stored" | head -n 4 | sed 's/^/   /'
        echo "    ... $(wc -c <"$work/$name.stored") bytes"
        if ! cmp -s "$sample" "$work/$name.stored"; then
            echo "    MISMATCH: not the records of $sample"
            failures=$((failures + 1))
        fi
    fi
}

start_module k31 --family 31
run_update k31 samples/k31-audio.prm --family 31 --port "$device" --baud 115200
stop_module
check_stored k31 31 samples/k31-audio.prm

start_module k47 --family 47
run_update k47 samples/k47-audio.prm --family 47 --port "$device" --baud 115200
stop_module
check_stored k47 47 samples/k47-audio.prm

start_module search --family 31 --rate 57600 --no-echo
cat >"$work/device.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Multiplexer]
"ParentPort"="$device"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]
"BaudRate"=dword:0001c200
REG
run_update search samples/k31-audio.prm --family 31 --registry "$work/device.reg" --trace
stop_module
check_stored search 31 samples/k31-audio.prm

start_module reset --family 47
expected_status=4 run_update k31-file-to-k47 samples/k31-audio.prm --family 31 --port "$device" \
    --baud 115200
run_update reset samples/k47-audio.prm --family 47 --port "$device" --baud 115200
stop_module
check_stored reset 47 samples/k47-audio.prm

# Four modules in one virtual-module process, under links that --match picks.
mkdir "$work/line"
start_module line --family 47 --count 4 --link "$work/line/port"
run_update line samples/k47-audio.prm --family 47 --all --match "$work/line/port-*" \
    --record "$work/line.jsonl"
stop_module
echo "the record, one line per update:"
sed 's/^/    /' "$work/line.jsonl"
for k in 1 2 3 4; do
    mv "$work/line.stored-$k" "$work/line-$k.stored"  # the module's own stored set
    check_stored "line-$k" 47 samples/k47-audio.prm
done
if [[ $(wc -l <"$work/line.jsonl") -ne 4 ]]; then
    echo "    MISMATCH: not four lines in the record"
    failures=$((failures + 1))
fi

echo
if ((failures > 0)); then
    echo "demo: $failures check(s) failed"
    exit 1
fi
echo "demo: every update ended as it should and every module holds its file's data"
