#!/usr/bin/env bash
# Builds the fuzz preset and runs each fuzz target for a while on a copy of its seed corpus.
# Prints, per target, the executions and the findings (inputs that crashed it or broke one of
# its properties; a target stops at its first), and writes build-fuzz/fuzz-summary.txt, one
# line per target: name, executions, seconds, findings.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]   (targets: fuzz/targets.txt)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

runs_dir=build-fuzz/fuzz-runs
summary=build-fuzz/fuzz-summary.txt
mkdir -p "$runs_dir"
echo "# target executions seconds findings" >"$summary"
total_findings=0

while read -r name max_len; do
    [[ -z "$name" || "$name" == \#* ]] && continue
    if (($#)) && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    work="$runs_dir/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/findings"
    cp fuzz/corpus/"$name"/* "$work/corpus/"

    started=$SECONDS
    # A finding ends the run with a non-zero status; it is counted below, not fatal here.
    "build-fuzz/bin/${name}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" \
        >"$work/log.txt" 2>&1 || true
    elapsed=$((SECONDS - started))

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)
    findings=$(find "$work/findings" -type f | wc -l)
    total_findings=$((total_findings + findings))
    printf '%-14s %10s executions in %4d s, %d finding(s)\n' \
        "$name" "${executions:-?}" "$elapsed" "$findings"
    find "$work/findings" -type f -printf '    %p\n'
    echo "$name ${executions:-0} $elapsed $findings" >>"$summary"
done <fuzz/targets.txt

echo "summary: $summary"
((total_findings == 0))
