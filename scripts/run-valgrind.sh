#!/usr/bin/env bash
# Runs every test binary of a plain build under valgrind memcheck: any memory
# error or definite leak fails. Each binary is split into gtest shards that run
# side by side, JOBS at a time, so the slowdown is shared by the cores.
# Usage: run-valgrind.sh BUILD_DIR JOBS
set -euo pipefail
build=$(cd "$1" && pwd)
jobs=$2
shards=$((jobs * 2))
logs="$build/valgrind-logs"
rm -rf "$logs"
mkdir -p "$logs"

run_shard() {
    local binary=$1 index=$2 total=$3
    local name
    name="$(basename "$binary")-$index"
    # Tests run where ctest runs them: tools are found as ../bin/NAME.
    cd "$BUILD/tests"
    if GTEST_TOTAL_SHARDS=$total GTEST_SHARD_INDEX=$index \
        valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
        --suppressions="$SUPPRESSIONS" \
        --errors-for-leak-kinds=definite --show-leak-kinds=definite \
        --log-file="$LOGS/$name.valgrind" "$binary" >"$LOGS/$name.out" 2>&1; then
        echo "ok    $name"
    else
        echo "FAIL  $name (exit $?)"
        return 1
    fi
}
export -f run_shard
suppressions="$(cd "$(dirname "$0")/.." && pwd)/tests/valgrind.supp"
export BUILD=$build LOGS=$logs SUPPRESSIONS=$suppressions

tasks=()
for binary in "$build"/bin/*_tests; do
    for ((i = 0; i < shards; i++)); do tasks+=("$binary" "$i" "$shards"); done
done
if ! printf '%s\n' "${tasks[@]}" | xargs -n 3 -P "$jobs" bash -c 'run_shard "$@"' _; then
    for log in "$logs"/*.valgrind; do
        if grep -qE 'ERROR SUMMARY: [1-9]|definitely lost: [1-9]' "$log"; then
            echo "== $log" && cat "$log"
        fi
    done
    for out in "$logs"/*.out; do
        grep -q '\[  FAILED  \]' "$out" && echo "== $out" && tail -n 40 "$out"
    done
    exit 1
fi
grep -h 'ERROR SUMMARY' "$logs"/*.valgrind | sort | uniq -c
