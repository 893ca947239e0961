#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given number of seconds,
# all targets at once: each is one process on one core, so on a machine with
# fewer cores than targets they share them. New inputs go to
# BUILD/corpus/<target>, crashes to BUILD/artifacts/; the committed seeds in
# fuzz/corpus/<target> are only read.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/artifacts"
targets=()
pids=()
for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    binary="$build/bin/${target}_fuzz"
    [[ -x "$binary" ]] || { echo "missing fuzz target $binary" >&2; exit 1; }
    mkdir -p "$build/corpus/$target"
    echo "== $target: ${seconds}s"
    # -timeout: an input that takes 10 s is a hang, and a finding.
    "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/${target}-" \
        "$build/corpus/$target" "$seeds" 2> "$build/$target.log" &
    targets+=("$target")
    pids+=($!)
done
failed=0
for i in "${!pids[@]}"; do
    target=${targets[$i]}
    if wait "${pids[$i]}"; then
        echo "== $target passed"
        grep -E '^(stat::number_of_executed_units|stat::new_units_added)|^#[0-9]+ *DONE' \
            "$build/$target.log" || true
    else
        echo "== $target FAILED" >&2
        tail -n 60 "$build/$target.log" >&2
        failed=1
    fi
done
exit $failed
