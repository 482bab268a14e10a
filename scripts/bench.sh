#!/usr/bin/env bash
# Measures complete updates against the protocol's own floor.
#
# Usage: scripts/bench.sh [--runs N] [--build DIR] [--report FILE]
#                         [--windows | --only-windows] [--windows-build DIR]
#        scripts/bench.sh --parallel N [--parallel N ...] [--runs N] [--build DIR] [--report FILE]
#   --runs           runs per case (default 5); times are the medians over the runs
#   --build          build directory (default build; configured RelWithDebInfo when it is not yet);
#                    its tools drive every run, the Windows program's too
#   --report         where the Markdown tables go (default <build>/bench/report.md)
#   --windows        also measures the Windows corvane-update.exe under Wine (a second table)
#   --only-windows   measures only the Windows program
#   --windows-build  the Windows build (default build-windows, from the windows preset); when it
#                    is not configured, or Wine is missing, the report says so instead
#   --parallel       instead of the cases below, N modules updated at once by one corvane-update
#                    (see "Many modules at once"); given again, one table row per N
#
# Each run is a whole update with corvane-update against corvane-modemsim (zero reply latency,
# echo on, answering only at the case's rate, which is also the configured rate). Between them
# sits corvane-wire, a pseudo-terminal relay that gives both directions the wire time of a real
# line: ten bits per byte at the rate the program has set. It puts what the module sends on the
# line at the time the byte it answers arrived (--answers-at-once): a real module's echo does
# not wait for a CPU, the virtual one's does, and on a busy machine that would be counted
# against the program. The program's own waits for a CPU all count. Cases: a text file of 200
# data lines of 60 characters (K31) and a binary file of 60 records of 1000 bytes (K47), each at
# 115200 and 19200 bit/s. Every run is checked: exit status 0, and the module stored exactly the
# file.
#
# The floor (corvane-floor, from the run's --trace) is the shortest time the path that the trace
# shows can take with a module that answers at once and a program that costs nothing:
#   - 100 ms per power-on-and-reset (DTR low);
#   - per probe of the baud-rate search: the 200 ms wait, then the 20 ms empty read that ends the
#     capture (the probe's few bytes are on the wire during the wait);
#   - per single command: 50 ms after the purge, the wire time up to the first reply byte,
#     the 50 ms pause after it (the rest of the reply arrives meanwhile; a longer rest adds its
#     excess), and the 20 ms empty read;
#   - per block: 50 ms after the purge, the command and its reply on the wire, 20 ms empty read;
#     50 ms before the data, the data and the confirmation on the wire, 20 ms empty read;
#   - the pause after the switch-off command: 100 ms (text), 200 ms (binary).
# Wire time: 10 bits per byte at the rate in force. The line is full duplex: an echo travels
# alongside the bytes sent, one byte behind, and the reply follows it, so an echoed exchange
# costs (sent + 1 + reply) byte times and an unechoed one (sent + reply); counting the echo again
# would put the floor above what any program could reach. The 20 ms empty read is the real cost
# of ending a capture: the port's read time-outs are what tells silence from a pause. Not
# counted: the 10 ms pause after an empty read while a reply is awaited (it costs only when the
# reply happens to arrive during it), process start and exit.
#
# Reported per case: medians of wall time, floor, wall/floor (each run's own ratio), CPU time
# (user + system) of corvane-update, CPU as a share of that run's wall time, and peak RSS.
#
# The Windows program runs the same cases as `wine64 corvane-update.exe --port COM5`. The script's
# own Wine prefix (<windows-build>/wineprefix-bench) maps COM5 onto a link that each run points at
# its corvane-wire pseudo-terminal, so one mapping and one wineserver, started once and kept up
# (wineserver -p), serve every run. Its trace is the Linux program's line for line, except that
# lines end in CR LF; the CRs go before corvane-floor reads it (the trace escapes a CR in the
# bytes, so a raw one is only ever a line end). Counted, per run:
#   - Run: wall time of `wine64 corvane-update.exe ...` from fork to exit, with the wineserver and
#     Wine's background programs already up (an untimed run starts them before the first case);
#   - Start-up: the same for `wine64 corvane-update.exe --version`, timed just before the update:
#     Wine loading itself and the program, up to main and back out;
#   - Update: Run minus that Start-up, which is what wall/floor is taken of. The floor leaves
#     process start and exit out. The Linux wall keeps them, at about 2 ms; under Wine they take
#     30 to 60 ms, and that is Wine's loader at work, not the program.
# CPU and peak RSS are not reported for Windows: the Wine process's own CPU times leave out the
# work the wineserver does on its behalf, and its resident set is mostly Wine's own libraries.
#
# Many modules at once (--parallel N): the binary case at 115200, on N modules that one
# corvane-modemsim --count N serves, each behind a corvane-wire of its own, updated by ONE
# corvane-update with N --port (one thread per port). All N take the same path, so each one's
# floor is that of a single run of the case; --trace is refused with several ports, so the floor
# comes from one traced single run made first (its own wall/floor is reported beside). Every
# module must have stored exactly the file, and the --record line of each must say result 0.
# Reported per N: medians of the process's wall time, the slowest module's own update time
# (duration_ms of its record line: without process start, exit and the other ports' start),
# wall/floor, CPU time (user + system) of the process divided by N and that as a share of one
# core over the wall time, the process's peak RSS, and the CPU time the relays and the virtual
# modules took meanwhile (on a small machine they compete with the program for the cores). Each
# relay lets bytes wait up to 1 ms to be passed on together (corvane-wire --hold-us); the last
# byte of a burst is never held, so what the program waits for arrives on time.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5
build=build
report=""
linux=yes
windows=""
windows_build="build-windows"
parallel=()
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        --report) report=$2; shift 2 ;;
        --windows) windows=yes; shift ;;
        --only-windows) windows=yes linux=""; shift ;;
        --windows-build) windows_build=$2; shift 2 ;;
        --parallel) parallel+=("$2"); shift 2 ;;
        *)
            echo "usage: $0 [--runs N] [--build DIR] [--report FILE]" \
                "[--windows | --only-windows] [--windows-build DIR] | --parallel N ..." >&2
            exit 64
            ;;
    esac
done
for modules in "${parallel[@]}"; do
    if [[ ! $modules =~ ^[0-9]+$ ]] || ((modules < 2 || modules > 256)); then
        echo "$0: --parallel takes 2 to 256 modules" >&2
        exit 64
    fi
done
if ((${#parallel[@]})) && [[ -n $windows ]]; then
    echo "$0: --parallel measures the Linux program only" >&2
    exit 64
fi
report=${report:-$build/bench/report.md}
bin=$build/bin
windows_bin=$windows_build/bin

if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target corvane-update corvane-modemsim corvane-wire corvane-floor \
    corvane-measure >/dev/null

work=$(mktemp -d)
servers=()
cleanup() {
    local pid
    for pid in "${servers[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Why the Windows table is missing, when it is.
windows_note=""
if [[ -n $windows && ! -f $windows_build/CMakeCache.txt ]]; then
    windows_note="not measured: no Windows build in $windows_build (cmake --preset windows &&"
    windows_note+=" cmake --build --preset windows)"
elif [[ -n $windows ]]; then
    cmake --build "$windows_build" --target corvane-update >/dev/null
    WINEPREFIX=$(realpath -m "$windows_build/wineprefix-bench")
    export WINEPREFIX
    # Wine needs no display for a console program; with one it would start talking to it.
    unset DISPLAY WAYLAND_DISPLAY
    # shellcheck source=tests/win32/wine-com-ports.sh
    source tests/win32/wine-com-ports.sh
    trap 'cleanup; finish' EXIT
    if [[ ! -x $WINE ]]; then
        windows_note="not measured: no Wine at $WINE"
    else
        devices[COM5]=$work/com5
        map_com_ports
        # Wine's background programs start with the first program the server runs and stay up
        # with it. Started here, they hold none of the servers' inputs open, which would keep a
        # server from ever ending.
        "$WINE" "$windows_bin/corvane-update.exe" --version </dev/null >/dev/null 2>&1
    fi
fi
[[ -z $windows_note ]] || echo "Windows: $windows_note" >&2

# --- inputs, the same bytes on every machine
text_lines=200 line_width=60 records=60 record_length=1000
LC_ALL=C awk -v lines=$text_lines -v width=$line_width 'BEGIN {
    chars = "0123456789ABCDEF "
    printf "Lines: %d\r\n", lines
    for (i = 0; i < lines; i++) {
        line = ""
        for (c = 0; c < width; c++) line = line substr(chars, (i + c) % 17 + 1, 1)
        printf "%s\r\n", line
    }
}' >"$work/text.prm"
LC_ALL=C awk -v records=$records -v length_=$record_length 'BEGIN {
    for (r = 0; r < records; r++) {
        printf "%c%c", int(length_ / 256), length_ % 256
        for (b = 2; b < length_; b++) printf "%c", (r * 31 + b * 7) % 256
    }
}' >"$work/binary.prm"
# What the module stores: the text blocks (two lines joined) one per line, the records as they are.
LC_ALL=C awk 'NR > 1 { sub(/\r$/, ""); pair = pair $0 } NR > 1 && NR % 2 == 1 { print pair; pair = "" }' \
    "$work/text.prm" >"$work/text.stored"
cp "$work/binary.prm" "$work/binary.stored"

# Starts a server that prints its device paths (count of them), one a line, first, and runs
# until its stdin closes. Sets served_pid, served_fd (holding its stdin open), served_devices and
# served_device (the first).
serve() {
    local name=$1 count=$2
    shift 2
    rm -f "$work/$name.in" "$work/$name.out"
    mkfifo "$work/$name.in"
    "$@" <"$work/$name.in" >"$work/$name.out" &
    served_pid=$!
    servers+=("$served_pid")
    exec {served_fd}>"$work/$name.in"
    until (($(wc -l <"$work/$name.out") >= count)); do
        kill -0 "$served_pid" 2>/dev/null || { echo "$name did not start" >&2; exit 1; }
        sleep 0.01
    done
    mapfile -t -n "$count" served_devices <"$work/$name.out"
    served_device=${served_devices[0]}
}

# Closes a server's stdin and waits for it to end.
stop() {
    local pid=$1 fd=$2 left=() other
    exec {fd}>&-
    wait "$pid"
    for other in "${servers[@]}"; do
        [[ $other == "$pid" ]] || left+=("$other")
    done
    servers=("${left[@]}")
}

value() { # key, "k=v k=v ..." line
    sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"
}

# One update of the system named (linux, windows); appends its measurements and its floor, as
# one line of key=value pairs, to the file named.
run_once() {
    local system=$1 family=$2 rate=$3 kind=$4 lines=$5
    local program=("$bin/corvane-update") startup=""
    if [[ $system == windows ]]; then
        program=("$WINE" "$windows_bin/corvane-update.exe")
        "$bin/corvane-measure" "$work/startup" "${program[@]}" --version >/dev/null
        startup=" startup_ms=$(value wall_ms "$(<"$work/startup")")"
    fi
    serve module 1 "$bin/corvane-modemsim" --family "$family" --rate "$rate" --latency 0 --echo \
        --stored "$work/stored"
    local module_pid=$served_pid module_fd=$served_fd
    serve wire 1 "$bin/corvane-wire" --answers-at-once "$served_device"
    local wire_pid=$served_pid wire_fd=$served_fd

    local port=$served_device
    if [[ $system == windows ]]; then
        port=COM5
        ln -sfn "$served_device" "${devices[COM5]}"
    fi
    # The program gets none of the servers' inputs: whatever it left running (under Wine, a
    # wineserver it had to start) would keep them from ending.
    (
        exec {module_fd}>&- {wire_fd}>&-
        exec "$bin/corvane-measure" "$work/measured" "${program[@]}" --family "$family" \
            --port "$port" --baud "$rate" --trace --quiet "$work/$kind.prm" \
            >/dev/null 2>"$work/trace"
    )
    stop "$wire_pid" "$wire_fd"
    stop "$module_pid" "$module_fd"

    local measured
    measured=$(<"$work/measured")
    if [[ $(value status "$measured") != 0 ]] || ! cmp -s "$work/stored" "$work/$kind.stored"; then
        echo "the $system $kind update at $rate failed; its trace:" >&2
        tail -n 20 "$work/trace" >&2
        exit 1
    fi
    # Windows ends its lines in CR LF.
    tr -d '\r' <"$work/trace" >"$work/trace.lf"
    echo "$measured$startup $("$bin/corvane-floor" "$family" "$work/trace.lf")" >>"$lines"
}

# The many-modules case: the binary file at 115200, each relay passing bytes on at most 1 ms
# after they arrived (and the last byte of a burst as it arrives).
parallel_family=47 parallel_rate=115200 parallel_kind=binary parallel_hold_us=1000

# CPU time (user + system, ms) a running process has used so far.
cpu_ms() {
    awk -v tick="$(getconf CLK_TCK)" '{ print ($14 + $15) * 1000 / tick }' "/proc/$1/stat"
}

# One update of N modules at once by one corvane-update; appends its measurements, the slowest
# module's own update time and the floor of the traced single run whose line is in the file
# named second, as one line of key=value pairs, to the file named third.
run_parallel() {
    local modules=$1 single=$2 lines=$3 k fd
    local family=$parallel_family rate=$parallel_rate kind=$parallel_kind
    local wire_pids=() wire_fds=() ports=()
    rm -f "$work"/stored-* "$work/record"
    serve module "$modules" "$bin/corvane-modemsim" --count "$modules" --family "$family" \
        --rate "$rate" --latency 0 --echo --stored "$work/stored"
    local module_pid=$served_pid module_fd=$served_fd module_devices=("${served_devices[@]}")
    for ((k = 0; k < modules; k++)); do
        serve "wire-$k" 1 "$bin/corvane-wire" --answers-at-once --hold-us "$parallel_hold_us" \
            "${module_devices[k]}"
        wire_pids+=("$served_pid")
        wire_fds+=("$served_fd")
        ports+=(--port "$served_device")
    done
    (
        exec {module_fd}>&-
        for fd in "${wire_fds[@]}"; do
            exec {fd}>&-
        done
        exec "$bin/corvane-measure" "$work/measured" "$bin/corvane-update" --family "$family" \
            "${ports[@]}" --baud "$rate" --quiet --record "$work/record" "$work/$kind.prm" \
            >/dev/null 2>"$work/errors"
    )
    local harness_ms pid
    harness_ms=$(for pid in "$module_pid" "${wire_pids[@]}"; do cpu_ms "$pid"; done |
        awk '{ sum += $1 } END { print sum }')
    # Each server holds the inputs of those started before it: the last one ends first.
    for ((k = modules - 1; k >= 0; k--)); do
        stop "${wire_pids[k]}" "${wire_fds[k]}"
    done
    stop "$module_pid" "$module_fd"

    local measured failures=() succeeded
    measured=$(<"$work/measured")
    [[ $(value status "$measured") == 0 ]] || failures+=("exit status $(value status "$measured")")
    for ((k = 1; k <= modules; k++)); do
        cmp -s "$work/stored-$k" "$work/$kind.stored" || failures+=("module $k stored another set")
    done
    succeeded=$(grep -c '"result":0,' "$work/record" || true)
    ((succeeded == modules)) || failures+=("$succeeded of $modules records say result 0")
    if ((${#failures[@]})); then
        echo "the update of $modules modules at once failed: ${failures[*]}" >&2
        cat "$work/errors" >&2
        exit 1
    fi
    local slowest
    slowest=$(sed -n 's/.*"duration_ms":\([0-9]*\).*/\1/p' "$work/record" | sort -n | tail -n 1)
    echo "$measured modules=$modules harness_ms=$harness_ms slowest_ms=$slowest floor_ms=$(value floor_ms "$(<"$single")")" \
        >>"$lines"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The median over a case's run lines (in a file) of an awk expression of their fields m["key"].
median_of() {
    awk "{ for (i = 1; i <= NF; i++) { split(\$i, f, \"=\"); m[f[1]] = f[2] } print $2 }" "$1" |
        median
}

# The path the last run took, as the rows' last cell.
path_of() {
    local last
    last=$(tail -n 1 "$1")
    echo "$(value probes "$last") probes, $(value commands "$last") commands," \
        "$(value blocks "$last") blocks; $(value sent "$last") B out, $(value received "$last") B in"
}

# A case's medians as one Markdown table row.
linux_row() {
    local name=$1 lines=$2
    printf '| %s | %.2f | %.2f | %.3f | %.0f | %.2f %% | %.1f | %s |\n' "$name" \
        "$(median_of "$lines" 'm["wall_ms"] / 1000')" \
        "$(median_of "$lines" 'm["floor_ms"] / 1000')" \
        "$(median_of "$lines" 'm["wall_ms"] / m["floor_ms"]')" \
        "$(median_of "$lines" 'm["user_ms"] + m["sys_ms"]')" \
        "$(median_of "$lines" '100 * (m["user_ms"] + m["sys_ms"]) / m["wall_ms"]')" \
        "$(median_of "$lines" 'm["maxrss_kib"] / 1024')" "$(path_of "$lines")"
}

windows_row() {
    local name=$1 lines=$2
    printf '| %s | %.2f | %.0f | %.2f | %.2f | %.3f | %s |\n' "$name" \
        "$(median_of "$lines" 'm["wall_ms"] / 1000')" \
        "$(median_of "$lines" 'm["startup_ms"]')" \
        "$(median_of "$lines" '(m["wall_ms"] - m["startup_ms"]) / 1000')" \
        "$(median_of "$lines" 'm["floor_ms"] / 1000')" \
        "$(median_of "$lines" '(m["wall_ms"] - m["startup_ms"]) / m["floor_ms"]')" \
        "$(path_of "$lines")"
}

# N modules at once, one table row.
parallel_row() {
    local lines=$1
    printf '| %d | %.2f | %.2f | %.2f | %.3f | %.1f | %.3f %% | %.1f | %.1f |\n' \
        "$(median_of "$lines" 'm["modules"]')" \
        "$(median_of "$lines" 'm["wall_ms"] / 1000')" \
        "$(median_of "$lines" 'm["slowest_ms"] / 1000')" \
        "$(median_of "$lines" 'm["floor_ms"] / 1000')" \
        "$(median_of "$lines" 'm["wall_ms"] / m["floor_ms"]')" \
        "$(median_of "$lines" '(m["user_ms"] + m["sys_ms"]) / m["modules"]')" \
        "$(median_of "$lines" '100 * (m["user_ms"] + m["sys_ms"]) / m["modules"] / m["wall_ms"]')" \
        "$(median_of "$lines" 'm["maxrss_kib"] / 1024')" \
        "$(median_of "$lines" 'm["harness_ms"] / 1000')"
}

# Every N asked for, one table row each, after the traced single run that gives the floor.
measure_parallel() {
    local modules run
    : >"$work/single"
    echo "one module, traced, for the floor" >&2
    run_once linux "$parallel_family" "$parallel_rate" "$parallel_kind" "$work/single"
    echo "Binary case, 60 records × 1000 B at 115200, every module through its own paced line" \
        "(bytes held up to $parallel_hold_us µs to be passed on together)."
    printf 'Floor from one traced single run: %s; that run took %.2f s, wall/floor %.3f.\n' \
        "$(path_of "$work/single")" "$(median_of "$work/single" 'm["wall_ms"] / 1000')" \
        "$(median_of "$work/single" 'm["wall_ms"] / m["floor_ms"]')"
    echo
    echo "| Modules | Wall (s) | Slowest update (s) | Floor (s) | Wall / floor | CPU per module (ms) | CPU per module, of a core | Peak RSS (MiB) | Relays + modules CPU (s) |"
    echo "|---|---|---|---|---|---|---|---|---|"
    for modules in "${parallel[@]}"; do
        : >"$work/lines"
        for ((run = 1; run <= runs; run++)); do
            echo "$modules modules at once: run $run of $runs" >&2
            run_parallel "$modules" "$work/single" "$work/lines"
        done
        parallel_row "$work/lines"
    done
    echo
}

cases=(
    "31 115200 text|text, 200 lines × 60 chars, 115200"
    "31 19200 text|text, 200 lines × 60 chars, 19200"
    "47 115200 binary|binary, 60 records × 1000 B, 115200"
    "47 19200 binary|binary, 60 records × 1000 B, 19200"
)

# Every case of one system, one table row each.
measure() {
    local system=$1 entry family rate kind run
    for entry in "${cases[@]}"; do
        read -r family rate kind <<<"${entry%%|*}"
        : >"$work/lines"
        for ((run = 1; run <= runs; run++)); do
            echo "$system, ${entry#*|}: run $run of $runs" >&2
            run_once "$system" "$family" "$rate" "$kind" "$work/lines"
        done
        "${system}_row" "${entry#*|}" "$work/lines"
    done
}

mkdir -p "$(dirname "$report")"
: >"$report"
if ((${#parallel[@]})); then
    measure_parallel >>"$report"
    linux=""
fi
if [[ -n $linux ]]; then
    {
        echo "| Case | Wall (s) | Floor (s) | Wall / floor | CPU user+sys (ms) | CPU of wall | Peak RSS (MiB) | Path |"
        echo "|---|---|---|---|---|---|---|---|"
        measure linux
        echo
    } >>"$report"
fi
if [[ -n $windows ]]; then
    echo "Windows: corvane-update.exe under Wine; Update = Run − Start-up." >>"$report"
    echo >>"$report"
    if [[ -n $windows_note ]]; then
        echo "${windows_note^}." >>"$report"
    else
        {
            echo "| Case | Run (s) | Start-up (ms) | Update (s) | Floor (s) | Update / floor | Path |"
            echo "|---|---|---|---|---|---|---|"
            measure windows
        } >>"$report"
    fi
    echo >>"$report"
fi
systems="Linux $(uname -r)"
[[ -z $windows || -n $windows_note ]] || systems+=", $("$WINE" --version)"
echo "Medians of $runs runs per case; $systems, $(nproc) CPUs, load average" \
    "$(cut -d ' ' -f 1-3 /proc/loadavg) at the end, $(date -u +%Y-%m-%d)." >>"$report"
cat "$report"
