# shellcheck shell=bash
# Virtual modules (corvane-modemsim) on pseudo-terminals, which Windows programs under Wine see
# as COM ports. Sourced by the runners beside it: a runner starts each module with start_module,
# named by the COM port it is to appear as, then calls map_com_ports once (one wineserver restart
# for all of them). On exit every module is stopped and Wine's server ended. A script that serves
# its devices itself (scripts/bench.sh) names them in devices[COMn] before map_com_ports, and runs
# finish from its own exit trap.
#
# Wine's prefix is $WINEPREFIX, else one of the runner's own under $TMPDIR, made on first use
# (some seconds). A runner must have its prefix to itself: mapping a port restarts the prefix's
# wineserver, which ends every Windows program running in it.

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/corvane-wine-$(basename "$0" .sh)-$(id -u)}

scratch=$(mktemp -d)
declare -A devices=()
module_pids=()
wine_server_started=""

# Ends every module; each writes its --stored and --transcript files as it goes.
stop_modules() {
    local pid
    for pid in "${module_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" || echo "a virtual module ended with status $?" >&2
    done
    module_pids=()
}

finish() {
    stop_modules
    if [[ -n $wine_server_started ]]; then
        "$WINESERVER" -k 2>/dev/null || true
    fi
    # KEEP_SCRATCH=1 keeps the modules' output, stored sets and transcripts for a look.
    [[ -n ${KEEP_SCRATCH:-} ]] || rm -rf "$scratch"
}
trap finish EXIT

# What a K31 module holds after the whole text file went in: the declared number of data
# lines, two to a block, one block a line.
text_set() {
    tr '\r' '\n' <"$1" | grep -v '^$' | {
        read -r header
        head -n "$((${header#Lines:}))" | paste -d '' - -
    }
}

# The runners' checks: each failed one is told at once, and end_checks ends the runner with
# their count.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

end_checks() {
    if ((failures > 0)); then
        echo "$failures checks failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# start_module COMn SIMULATOR OPTIONS...: its device goes into ${devices[COMn]}.
start_module() {
    local name=$1 simulator=$2 input
    shift 2
    # A module serves until its input ends. Its input is a pipe that it holds open for writing
    # itself, so that no other process (Wine's server, for one) holds it open by inheritance;
    # SIGTERM ends it instead.
    input=$scratch/$name.in
    mkfifo "$input"
    "$simulator" "$@" <>"$input" >"$scratch/$name.out" 2>&1 &
    module_pids+=("$!")
    # The module prints its device on its first line once it serves it.
    for ((i = 0; i < 200; ++i)); do
        [[ -s $scratch/$name.out ]] && break
        sleep 0.05
    done
    devices[$name]=$(head -n 1 "$scratch/$name.out")
    if [[ ${devices[$name]} != /dev/* ]]; then
        echo "the module for $name did not start: ${devices[$name]}" >&2
        return 1
    fi
}

# module COMn OPTIONS...: start_module with the runner's $simulator, the module's stored set and
# transcript kept under its port's name.
module() {
    local name=$1
    shift
    start_module "$name" "$simulator" --stored "$scratch/$name.stored" \
        --transcript "$scratch/$name.transcript" "$@"
}

# Maps every started module's COM port onto its device. Wine reads the mapping when its server
# starts, so the server is restarted afterwards, and kept running until the runner ends (no
# restart per program). Its own output stays out of the test's: it dumps its state on SIGHUP,
# which the kernel sends it when a module hangs its line up.
map_com_ports() {
    local reg=$scratch/ports.reg name
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
        for name in "${!devices[@]}"; do
            printf '"%s"="%s"\n' "$name" "${devices[$name]}"
        done
    } >"$reg"
    "$WINE" reg import "Z:${reg//\//\\}" >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w
    "$WINESERVER" -p >/dev/null 2>>"$scratch/wineserver.log"
    wine_server_started=yes
}
