#!/usr/bin/env bash
# Runs what the robustness figures come from and writes them into README.md, between the
# figures markers: the fuzz targets (scripts/fuzz.sh, a short run each), the fault-injection
# suite, and the bad-input runs of corvane-update. Every number is read from those runs.
# Too slow for CI, which runs the same tests without collecting figures.
#
# Usage: scripts/figures.sh [fuzz seconds per target, default 30]
#        scripts/figures.sh --inputs    (only the bad-input table, after the messages changed;
#                                        a ctest compares it with what the programs print)
# CORVANE_FIGURES_BUILD=DIR uses an existing build of the tests instead of the default preset's.
# Run as root, the bad-input cases that only an ordinary user meets (a port without permission,
# a port held exclusively) are run again as nobody (scripts/as-ordinary-user.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
inputs_only=false
if [[ "${1:-}" == --inputs ]]; then
    inputs_only=true
    shift
fi
fuzz_seconds="${1:-30}"

targets=(fault_tests cli_tests corvane-update rha_stub_both_swup)
if $inputs_only; then
    targets=(cli_tests)
else
    scripts/install-deps.sh
fi
build="${CORVANE_FIGURES_BUILD:-}"
if [[ -z "$build" ]]; then
    build=build
    cmake --preset default >/dev/null
    cmake --build --preset default --target "${targets[@]}"
fi
build=$(realpath "$build")

# Kept after the run; nobody writes its own report here too.
results="$build/figures"
rm -rf "$results"
mkdir -p "$results"
chmod 777 "$results"

bad_inputs() {
    echo "== bad inputs"
    "$build/bin/cli_tests" --gtest_filter='Inputs/BadInput*' \
        --gtest_output="json:$results/inputs.json" >"$results/inputs.log" 2>&1 || true
    scripts/as-ordinary-user.sh "$build/bin/cli_tests" --gtest_filter='Inputs/BadInput*' \
        --gtest_output="json:$results/inputs-user.json" >"$results/inputs-user.log" 2>&1 || true
}

if $inputs_only; then
    bad_inputs
    python3 scripts/figures-section.py --inputs "$results" README.md
    echo "README.md: bad-input figures written"
    exit 0
fi

echo "== fuzz targets, $fuzz_seconds s each"
# Findings make it fail; they are counted in its summary all the same.
scripts/fuzz.sh "$fuzz_seconds" || true
cp build-fuzz/fuzz-summary.txt "$results/fuzz.txt"

echo "== fault injection"
# Two shards side by side: most cases wait out real time-outs.
pids=()
for shard in 0 1; do
    GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard \
        LD_LIBRARY_PATH="$build/tests/platform/power/both" \
        "$build/bin/fault_tests" --gtest_output="json:$results/faults-$shard.json" \
        >"$results/faults-$shard.log" 2>&1 &
    pids+=($!)
done
for pid in "${pids[@]}"; do
    wait "$pid" || true
done

bad_inputs

python3 scripts/figures-section.py "$results" README.md
echo "README.md: figures written"
