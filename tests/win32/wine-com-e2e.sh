#!/usr/bin/env bash
# corvane-update end to end against virtual modules: the Windows program under Wine on COM
# ports when given the .exe, else the program as it is on the pseudo-terminals themselves.
# Usage: wine-com-e2e.sh corvane-update[.exe] corvane-modemsim SAMPLES_FOLDER
set -euo pipefail

update=$1
simulator=$2
samples=$3
# shellcheck source=tests/win32/wine-com-ports.sh
source "$(dirname "$0")/wine-com-ports.sh"

text_sample=$samples/k31-audio.prm
binary_sample=$samples/k47-audio.prm
# Wine hands the program its arguments from UTF-8.
export LC_ALL=C.UTF-8
success="Audio Parameter Update successfull"

module COM5 --family 31
module COM6 --family 47
module COM7 --family 47 --rate 57600
# Late answers make a run long enough to be interrupted after its first block.
module COM8 --family 47 --latency 200
module COM9 --family 31 --latency 200
runner=()
if [[ $update == *.exe ]]; then
    map_com_ports
    runner=("$WINE")
fi

port() {
    if [[ $update == *.exe ]]; then echo "$1"; else echo "${devices[$1]}"; fi
}

# run NAME OPTIONS...: its status, standard output and error go to $scratch/NAME.*
run() {
    local name=$1 status=0
    shift
    "${runner[@]}" "$update" "$@" >"$scratch/$name.out" 2>"$scratch/$name.err" || status=$?
    echo "$status" >"$scratch/$name.status"
}

expect_success() {
    local name=$1
    [[ $(<"$scratch/$name.status") == 0 ]] ||
        fail "$name: exit status $(<"$scratch/$name.status"): $(<"$scratch/$name.err")"
    # A Windows program ends its lines with CR LF.
    [[ $(tr -d '\r' <"$scratch/$name.out") == "$success" ]] ||
        fail "$name: printed '$(<"$scratch/$name.out")'"
}

# interrupt NAME TIMES TRACE_LINE OPTIONS...: starts an update with the options and once its
# trace shows the line (the first block confirmed) sends it SIGINT, TIMES times.
interrupt() {
    local name=$1 times=$2 line=$3 pid status=0
    shift 3
    "${runner[@]}" "$update" --trace "$@" >"$scratch/$name.out" 2>"$scratch/$name.err" &
    pid=$!
    for ((i = 0; i < 600; ++i)); do
        grep -qF "$line" "$scratch/$name.err" 2>/dev/null && break
        sleep 0.05
    done
    kill -INT "$pid" 2>/dev/null || fail "$name: over before it could be interrupted"
    if ((times > 1)); then
        sleep 0.03
        kill -INT "$pid" 2>/dev/null || fail "$name: over before the second interrupt"
    fi
    wait "$pid" || status=$?
    echo "$status" >"$scratch/$name.status"
}

start=$SECONDS
if [[ $update == *.exe ]]; then
    # Under Windows the port and rate of the first update come from the system's registry, the
    # port in the device's own "COMn:" form.
    "$WINE" reg add 'HKLM\Drivers\BuiltIn\Multiplexer' /v ParentPort /d COM5: /f >/dev/null
    "$WINE" reg add 'HKLM\Software\Microsoft\RIL' /v BaudRate /t REG_DWORD /d 115200 /f \
        >/dev/null
    run text -q -f 31 "$text_sample"
    run list --list-ports
    run help --help
    run help-alias '/?'
else
    run text -q -f 31 -p "$(port COM5)" -b 115200 "$text_sample"
fi
# Names that no one ANSI code page carries all of: Latin-1, Cyrillic and CJK, in the file's
# path and in the registry export's.
latin=$scratch/Jürgen cyrillic=$scratch/Юрий cjk=$scratch/山田
mkdir -p "$latin" "$cyrillic" "$cjk"
cp "$text_sample" "$latin/k31-Grüße.prm"
cp "$binary_sample" "$cjk/k47-音声.prm"
printf '%s\n' 'Windows Registry Editor Version 5.00' '[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Multiplexer]' \
    "\"ParentPort\"=\"$(port COM6)\"" '[HKEY_LOCAL_MACHINE\Software\Microsoft\RIL]' \
    '"BaudRate"=dword:0001c200' >"$cyrillic/устройство.reg"
run binary -f 47 --registry "$cyrillic/устройство.reg" "$cjk/k47-音声.prm"
run check --check -f 31 "$latin/k31-Grüße.prm"
run absent --check "$cjk/Юрий.prm"
run search -f 47 -p "$(port COM7)" -b 115200 "$binary_sample"
interrupt stop 1 '> AT^QNFS=1' -f 47 -p "$(port COM8)" -b 115200 "$binary_sample"
interrupt stop-twice 2 '> AT^QBNW=aud,0,2,' -f 31 -p "$(port COM9)" -b 115200 "$text_sample"
stop_modules
echo "five updates in $((SECONDS - start)) s"

expect_success text
[[ ! -s $scratch/text.err ]] || fail "text: warned '$(<"$scratch/text.err")'"
[[ $(<"$scratch/COM5.stored") == "$(text_set "$text_sample")" ]] ||
    fail "text: the module holds something else than the file's data"
grep -q 'AT^QMSO' <(tail -n 1 "$scratch/COM5.transcript") || fail "text: not switched off last"

if [[ $update == *.exe ]]; then
    [[ $(<"$scratch/list.status") == 0 ]] || fail "list: exit status $(<"$scratch/list.status")"
    listed=$(tr -d '\r' <"$scratch/list.out")
    grep -qx "COM5  (the registry's port)" <<<"$listed" || fail "list: COM5 unmarked: $listed"
    grep -qx "COM6" <<<"$listed" || fail "list: no COM6: $listed"
    # The help in a Windows user's words.
    grep -qF '130 or 143 when Ctrl+C or Ctrl+Break stopped' "$scratch/help.out" ||
        fail "help: no console keys"
    grep -qF '%CORVANE_REGISTRY%' "$scratch/help.out" || fail "help: no %CORVANE_REGISTRY%"
    ! grep -qE 'SIGINT|\$CORVANE' "$scratch/help.out" || fail "help: speaks of signals or \$VAR"
    cmp -s "$scratch/help.out" "$scratch/help-alias.out" || fail "/?: not the help"
fi

expect_success binary
[[ $(<"$scratch/check.status") == 0 ]] || fail "check: $(<"$scratch/check.err")"
grep -qF "corvane-update: $cjk/Юрий.prm: " "$scratch/absent.err" ||
    fail "absent: the name is not shown as given: $(<"$scratch/absent.err")"
cmp -s "$scratch/COM6.stored" "$binary_sample" || fail "binary: the module holds something else"

expect_success search
cmp -s "$scratch/COM7.stored" "$binary_sample" || fail "search: the module holds something else"
awk '$2 != 57600 { other = 1 } END { exit !other }' "$scratch/COM7.transcript" ||
    fail "search: no probe at another rate"

[[ $(<"$scratch/stop.status") == 130 ]] || fail "stop: exit status $(<"$scratch/stop.status")"
grep -q 'stopping after the block in progress' "$scratch/stop.err" || fail "stop: no notice"
grep -Eq 'Written before the stop: [0-9]+ records?' "$scratch/stop.err" ||
    fail "stop: does not say how much was written"
stored=$(stat -c %s "$scratch/COM8.stored")
if ((stored == 0 || stored >= $(stat -c %s "$binary_sample"))); then
    fail "stop: the module holds $stored bytes"
fi
cmp -s -n "$stored" "$scratch/COM8.stored" "$binary_sample" ||
    fail "stop: the module holds something else than the file's first records"
grep -q 'AT^QMSO' <(tail -n 1 "$scratch/COM8.transcript") || fail "stop: not switched off last"

[[ $(<"$scratch/stop-twice.status") == 130 ]] ||
    fail "stop twice: exit status $(<"$scratch/stop-twice.status")"
! grep -q 'AT^QMSO' "$scratch/COM9.transcript" || fail "stop twice: went on to the switch-off"

end_checks
