#!/usr/bin/env bash
# Runs every benchmark binary of a build and keeps their JSON next to it.
set -euo pipefail
build=${1:-build/bench}
out="$build/bench-results"
mkdir -p "$out"
status=0
for bin in "$build"/bin/*_bench; do
    [[ -x "$bin" ]] || continue
    name=$(basename "$bin")
    echo "== $name"
    "$bin" --benchmark_out="$out/$name.json" --benchmark_out_format=json || status=1
done
exit $status
